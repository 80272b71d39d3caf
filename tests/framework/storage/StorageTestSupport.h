// Test support for the storage tests: a scratch temporary folder and an
// engine stand-in that hands it to the stores.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/FolderEngine.h"

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "storage-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    void Remove()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    void Recreate() { std::filesystem::create_directory(m_path); }
    // Regular files in the folder whose names begin with "tmp".
    size_t TemporaryFileCount() const
    {
        size_t count = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_path, error)) {
            if (entry.is_regular_file() && entry.path().filename().string().rfind("tmp", 0) == 0)
                ++count;
        }
        return count;
    }

private:
    std::string m_path;
};

// Deterministic content: the byte stored at stream position p of stream `seed`.
inline uint8_t PatternByte(uint64_t position, uint32_t seed = 0)
{
    uint64_t x = position * 0x9E3779B97F4A7C15ull + seed * 0xD1B54A32D192ED03ull;
    return uint8_t((x >> 29) ^ (x >> 47));
}

inline std::vector<uint8_t> PatternBlock(uint64_t start, size_t size, uint32_t seed = 0)
{
    std::vector<uint8_t> block(size);
    for (size_t i = 0; i < size; ++i)
        block[i] = PatternByte(start + i, seed);
    return block;
}
