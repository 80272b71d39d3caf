// Explicit little- and big-endian byte writers for the file layouts the save
// writers produce (RIFF/WAVE, DSF, ID3v2). Values are stored byte by byte, so
// the layout never depends on the machine's byte order or struct packing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace byteorder {

inline void PutLE16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLE24(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
}

inline void PutLE32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutLE64(uint8_t* out, uint64_t value) {
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void PutBE32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * (3 - i)));
}

inline uint16_t GetLE16(const uint8_t* in) {
    return static_cast<uint16_t>(in[0] | (in[1] << 8));
}

inline uint32_t GetLE32(const uint8_t* in) {
    return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
           (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}

inline uint64_t GetLE64(const uint8_t* in) {
    return static_cast<uint64_t>(GetLE32(in)) | (static_cast<uint64_t>(GetLE32(in + 4)) << 32);
}

inline uint32_t GetBE32(const uint8_t* in) {
    return (static_cast<uint32_t>(in[0]) << 24) | (static_cast<uint32_t>(in[1]) << 16) |
           (static_cast<uint32_t>(in[2]) << 8) | static_cast<uint32_t>(in[3]);
}

// Appending forms for building a block in memory.
inline void AppendBytes(std::vector<uint8_t>& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

inline void AppendLE16(std::vector<uint8_t>& out, uint16_t value) {
    uint8_t b[2];
    PutLE16(b, value);
    out.insert(out.end(), b, b + 2);
}

inline void AppendLE32(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t b[4];
    PutLE32(b, value);
    out.insert(out.end(), b, b + 4);
}

inline void AppendLE64(std::vector<uint8_t>& out, uint64_t value) {
    uint8_t b[8];
    PutLE64(b, value);
    out.insert(out.end(), b, b + 8);
}

inline void AppendBE32(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t b[4];
    PutBE32(b, value);
    out.insert(out.end(), b, b + 4);
}

// ID3v2 synchsafe integer: four 7-bit groups, most significant first, top bit
// of every byte clear. Values from 2^28 on do not fit and are cut to 28 bits.
inline void AppendSynchsafe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>((value >> (7 * i)) & 0x7F));
}

} // namespace byteorder
