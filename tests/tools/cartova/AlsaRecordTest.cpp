// The cartova tool recording from an ALSA PCM named with
// CARTOVA_DEVICE=alsa:NAME: a PCM of a test-local configuration plays a file
// through alsa-lib's file plugin, and every written track holds exactly the
// file's samples.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/AlsaTestConfig.h"

namespace fs = std::filesystem;

namespace {

struct ShellRun {
    int status = -1;
    std::string output;
};

ShellRun RunShell(const std::string& command)
{
    ShellRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The samples of the WAV file's "data" chunk.
std::vector<uint8_t> WavData(const fs::path& path)
{
    const std::vector<uint8_t> file = ReadFile(path);
    size_t at = 12;
    while (at + 8 <= file.size()) {
        const uint32_t size = file[at + 4] | (file[at + 5] << 8) | (file[at + 6] << 16) |
                              (static_cast<uint32_t>(file[at + 7]) << 24);
        if (std::equal(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(at) + 4, "data")) {
            const size_t end = std::min(file.size(), at + 8 + size);
            return {file.begin() + static_cast<long>(at) + 8, file.begin() + static_cast<long>(end)};
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

// The top `keep` bytes of every 4-byte sample: what a WAV of that depth holds.
std::vector<uint8_t> TopBytes(const std::vector<uint8_t>& samples32, int keep)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 4 <= samples32.size(); i += 4) {
        out.insert(out.end(), samples32.begin() + static_cast<long>(i + 4 - keep),
                   samples32.begin() + static_cast<long>(i + 4));
    }
    return out;
}

struct Format {
    const char* pcm;
    int rate;
    int bits;
};

class AlsaRecord : public ::testing::TestWithParam<Format> {};

} // namespace

TEST_P(AlsaRecord, TrackIsBitExactAgainstTheFile)
{
    const Format format = GetParam();
    // Two seconds of random stereo samples in 32-bit containers, with as many
    // significant bits as the track keeps.
    AlsaTestConfig config;
    const std::vector<uint8_t> source =
        AlsaTestConfig::RandomSamples(static_cast<size_t>(format.rate) * 2 * 2, 4, format.bits == 16 ? 2 : 1, 11);
    config.AddFilePcm(format.pcm, source);
    const std::string conf = config.Write();
    const fs::path out = config.Folder() / "out";
    const fs::path temp = config.Folder() / "temp";
    fs::create_directories(out);
    fs::create_directories(temp);

    const ShellRun run = RunShell("ALSA_CONFIG_PATH='" + conf + "' CARTOVA_DEVICE=alsa:" + format.pcm + " '" +
                             CARTOVA_TOOL + "' record -r " + std::to_string(format.rate) + " -b " +
                             std::to_string(format.bits) + " -t 1 --name take.wav -o '" + out.string() +
                             "' --temp-dir '" + temp.string() + "'");
    ASSERT_EQ(run.status, 0) << run.output;
    fs::path track;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (entry.path().filename() == "take.wav") {
            track = entry.path();
        }
    }
    ASSERT_FALSE(track.empty()) << run.output;

    const std::vector<uint8_t> expected = TopBytes(source, format.bits / 8);
    const std::vector<uint8_t> recorded = WavData(track);
    const size_t frameBytes = 2 * static_cast<size_t>(format.bits / 8);
    ASSERT_EQ(recorded.size(), static_cast<size_t>(format.rate) * frameBytes) << "one second";
    // The recording starts where the start reached the stream: find it.
    const auto at = std::search(expected.begin(), expected.end(), recorded.begin(), recorded.begin() + 64);
    ASSERT_NE(at, expected.end()) << "the first recorded frames are not in the file";
    const size_t offset = static_cast<size_t>(at - expected.begin());
    EXPECT_EQ(offset % frameBytes, 0u);
    ASSERT_LE(offset + recorded.size(), expected.size());
    EXPECT_TRUE(std::equal(recorded.begin(), recorded.end(), at)) << "samples differ from the file";
}

INSTANTIATE_TEST_SUITE_P(Formats, AlsaRecord,
                         ::testing::Values(Format{"cd_rate", 44100, 16}, Format{"hd_rate", 96000, 24},
                                           Format{"top_rate", 384000, 24}),
                         [](const ::testing::TestParamInfo<Format>& info) { return std::string(info.param.pcm); });
