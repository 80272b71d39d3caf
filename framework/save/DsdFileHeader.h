// Layout of a DSF track file: the sizes computed before writing and the
// fixed 92-byte header ("DSD ", "fmt " and "data" chunk headers) that carries
// them, all integers little-endian.
#pragma once

#include <array>
#include <cstdint>

inline constexpr uint64_t kDsfHeaderBytes = 92;
inline constexpr uint64_t kDsfBlockBytes = 4096;               // per channel
inline constexpr uint64_t kDsfBlockSamples = 8 * kDsfBlockBytes; // one-bit samples

struct DsfLayout {
    uint32_t channels = 0;
    uint32_t sampleRate = 0;      // the one-bit rate
    uint64_t samples = 0;         // one-bit samples per channel, not rounded
    uint64_t bytesPerChannel = 0; // floor(samples / 8) rounded up to whole blocks
    uint64_t dataBytes = 0;       // channels x bytesPerChannel
    uint64_t id3TagSize = 0;      // 0 when the track has no tag
    uint64_t totalFileSize = 0;   // header + data + tag
    uint64_t metadataPointer = 0; // offset of the tag, 0 without one

    // Block groups in the file: one block of every channel each.
    uint64_t BlockGroups() const { return bytesPerChannel / kDsfBlockBytes; }
};

DsfLayout ComputeDsfLayout(uint32_t channels, uint32_t sampleRate, uint64_t samples, uint64_t id3TagSize);

// Channel type field: the channel count for 1 to 3 channels, one more for 4 or more.
uint32_t DsfChannelType(uint32_t channels);

std::array<uint8_t, kDsfHeaderBytes> BuildDsfHeader(const DsfLayout& layout);
