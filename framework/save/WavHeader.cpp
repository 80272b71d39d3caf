// Fills the canonical 44-byte RIFF/WAVE header, little-endian throughout.
#include "save/WavHeader.h"

#include "save/ByteOrder.h"

#include <cstring>

std::array<uint8_t, kWavHeaderSize> BuildWavHeader(const WavLayout& layout) {
    using namespace byteorder;
    std::array<uint8_t, kWavHeaderSize> h{};
    uint8_t* p = h.data();
    std::memcpy(p + 0, "RIFF", 4);
    PutLE32(p + 4, static_cast<uint32_t>(layout.FileSize() - 8));
    std::memcpy(p + 8, "WAVE", 4);
    std::memcpy(p + 12, "fmt ", 4);
    PutLE32(p + 16, 16);
    PutLE16(p + 20, 1); // integer PCM
    PutLE16(p + 22, layout.channels);
    PutLE32(p + 24, layout.sampleRate);
    PutLE32(p + 28, layout.sampleRate * layout.BlockAlign());
    PutLE16(p + 32, static_cast<uint16_t>(layout.BlockAlign()));
    PutLE16(p + 34, layout.bitsPerSample);
    std::memcpy(p + 36, "data", 4);
    PutLE32(p + 40, static_cast<uint32_t>(layout.DataSize()));
    return h;
}
