// A test-local ALSA configuration: PCMs that play raw files through
// alsa-lib's file plugin over a null device (so capture runs through the
// real alsa-lib code path without sound hardware), written to a scratch
// folder and selected with ALSA_CONFIG_PATH before alsa-lib is first used.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

class AlsaTestConfig {
public:
    AlsaTestConfig()
    {
        char pattern[] = "/tmp/cartova-alsa-XXXXXX";
        const char* made = mkdtemp(pattern);
        m_folder = made != nullptr ? made : "/tmp/cartova-alsa";
        m_text = "pcm.cartova_null {\n    type null\n}\n";
    }
    ~AlsaTestConfig() { std::filesystem::remove_all(m_folder); }
    AlsaTestConfig(const AlsaTestConfig&) = delete;
    AlsaTestConfig& operator=(const AlsaTestConfig&) = delete;

    // Adds a PCM `name` that captures the bytes of `data`.
    void AddFilePcm(const std::string& name, const std::vector<uint8_t>& data)
    {
        const std::filesystem::path file = m_folder / (name + ".raw");
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                    static_cast<std::streamsize>(data.size()));
        m_text += "pcm." + name + " {\n    type file\n    slave.pcm { type null }\n    file \"/dev/null\"\n"
                  "    infile \"" + file.string() + "\"\n    format \"raw\"\n}\n";
    }

    // Writes the configuration and returns its path.
    std::string Write()
    {
        const std::filesystem::path path = m_folder / "asound.conf";
        std::ofstream(path) << m_text;
        return path.string();
    }

    // Random little-endian samples of `bytesPerSample` bytes whose lowest
    // `zeroLowBytes` bytes are zero (24 significant bits in 32, 16 in 32).
    static std::vector<uint8_t> RandomSamples(size_t samples, int bytesPerSample, int zeroLowBytes, unsigned seed)
    {
        std::mt19937 random(seed);
        std::vector<uint8_t> data(samples * static_cast<size_t>(bytesPerSample));
        for (size_t i = 0; i < data.size(); ++i) {
            const int byte = static_cast<int>(i % static_cast<size_t>(bytesPerSample));
            data[i] = byte < zeroLowBytes ? 0 : static_cast<uint8_t>(random());
        }
        return data;
    }

    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    std::string m_text;
};
