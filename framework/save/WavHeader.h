// Layout of a WAV track file, computed before anything is written: the
// canonical 44-byte RIFF/WAVE header with final sizes, the sample data, a pad
// byte when the data size is odd (RIFF chunks start on even offsets, so the
// tag chunks after the samples stay findable), and the tag block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct WavLayout {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    uint64_t frames = 0;
    uint32_t tagSize = 0; // the LIST and "id3 " chunks, 0 for none

    uint32_t BlockAlign() const { return channels * (bitsPerSample / 8u); }
    uint64_t DataSize() const { return frames * BlockAlign(); }
    uint64_t PadSize() const { return DataSize() & 1u; }
    // Size of the whole file: 44 + data + pad + tags (8 + RIFF size).
    uint64_t FileSize() const { return 44 + DataSize() + PadSize() + tagSize; }
    // A RIFF file's sizes are 32-bit: the file must stay below 4 GiB.
    bool Representable() const { return FileSize() <= 0xFFFFFFFFull; }
};

constexpr size_t kWavHeaderSize = 44;

// The 44 header bytes of layout (which must be representable).
std::array<uint8_t, kWavHeaderSize> BuildWavHeader(const WavLayout& layout);
