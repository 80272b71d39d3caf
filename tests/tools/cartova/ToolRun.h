// Running the cartova tool from tests, and reading what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

struct ProcessResult {
    int status = -1;
    std::string output;
};

inline std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

inline ProcessResult RunCommand(const std::string& command)
{
    ProcessResult run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline ProcessResult RunTool(const std::vector<std::string>& args)
{
    std::string command = "env -u CARTOVA_DEVICE " + Quote(CARTOVA_TOOL);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    return RunCommand(command);
}

// A test with a fresh folder /tmp/<prefix>-XXXXXX holding empty "out" and
// "temp" folders, removed afterwards.
class ToolFolderTest : public ::testing::Test {
protected:
    explicit ToolFolderTest(std::string prefix) : m_prefix(std::move(prefix)) {}
    void SetUp() override
    {
        std::string pattern = "/tmp/" + m_prefix + "-XXXXXX";
        root = mkdtemp(pattern.data());
        out = root / "out";
        temp = root / "temp";
        fs::create_directories(out);
        fs::create_directories(temp);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root, out, temp;

private:
    std::string m_prefix;
};

// The little-endian 32-bit value at `offset` of a file.
inline uint32_t FileWord(const fs::path& path, long offset)
{
    uint8_t b[4] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f) {
        std::fseek(f, offset, SEEK_SET);
        if (std::fread(b, 1, 4, f) != 4)
            b[0] = b[1] = b[2] = b[3] = 0;
        std::fclose(f);
    }
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// The top 16 bits of the left channel of a stereo WAV file's "data" chunk
// of bytesPerSample-byte integer samples.
inline std::vector<uint16_t> LeftTop16(const fs::path& path, uint32_t bytesPerSample)
{
    std::vector<uint16_t> left;
    const uint32_t frameBytes = 2 * bytesPerSample;
    long at = 12;
    for (;;) {
        const uint32_t size = FileWord(path, at + 4);
        if (size == 0 && FileWord(path, at) == 0)
            return left;
        if (FileWord(path, at) == 0x61746164) { // "data"
            std::FILE* f = std::fopen(path.c_str(), "rb");
            if (!f)
                return left;
            std::fseek(f, at + 8, SEEK_SET);
            std::vector<uint8_t> frame(frameBytes);
            for (uint32_t read = 0; read + frameBytes <= size && std::fread(frame.data(), 1, frameBytes, f) == frameBytes;
                 read += frameBytes)
                left.push_back(uint16_t(frame[bytesPerSample - 2] | frame[bytesPerSample - 1] << 8));
            std::fclose(f);
            return left;
        }
        at += 8 + long(size) + long(size & 1);
    }
}

// The left channel of a 16-bit stereo WAV file's "data" chunk.
inline std::vector<uint16_t> LeftSamples16(const fs::path& path)
{
    return LeftTop16(path, 2);
}
