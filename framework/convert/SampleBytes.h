// Explicit byte-order loads and stores of single samples. Loads take the
// source byte order as a template flag (swap = big-endian source); stores
// always write little-endian.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace sample_bytes {

constexpr bool kHostIsLittle = std::endian::native == std::endian::little;

template <bool swap>
inline uint16_t Load16(const uint8_t* p)
{
    if constexpr (!swap && kHostIsLittle) {
        uint16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    } else if constexpr (swap) {
        return static_cast<uint16_t>((p[0] << 8) | p[1]);
    } else {
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
}

template <bool swap>
inline uint32_t Load32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (kHostIsLittle == swap) {
        v = __builtin_bswap32(v);
    }
    return v;
}

template <bool swap>
inline uint64_t Load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (kHostIsLittle == swap) {
        v = __builtin_bswap64(v);
    }
    return v;
}

// Three bytes as a sign-extended 24-bit value.
template <bool swap>
inline int32_t LoadInt24(const uint8_t* p)
{
    const uint32_t u = swap ? (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]
                            : uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    return static_cast<int32_t>(u << 8) >> 8;
}

template <bool swap>
inline int16_t LoadInt16(const uint8_t* p)
{
    return static_cast<int16_t>(Load16<swap>(p));
}

template <bool swap>
inline float LoadFloat32(const uint8_t* p)
{
    return std::bit_cast<float>(Load32<swap>(p));
}

template <bool swap>
inline double LoadFloat64(const uint8_t* p)
{
    return std::bit_cast<double>(Load64<swap>(p));
}

inline void StoreInt16(uint8_t* p, int16_t value)
{
    if constexpr (kHostIsLittle) {
        std::memcpy(p, &value, sizeof value);
    } else {
        const auto u = static_cast<uint16_t>(value);
        p[0] = static_cast<uint8_t>(u);
        p[1] = static_cast<uint8_t>(u >> 8);
    }
}

inline void StoreInt24(uint8_t* p, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    p[0] = static_cast<uint8_t>(u);
    p[1] = static_cast<uint8_t>(u >> 8);
    p[2] = static_cast<uint8_t>(u >> 16);
}

inline void StoreInt32(uint8_t* p, int32_t value)
{
    if constexpr (kHostIsLittle) {
        std::memcpy(p, &value, sizeof value);
    } else {
        const auto u = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i) {
            p[i] = static_cast<uint8_t>(u >> (8 * i));
        }
    }
}

inline void StoreFloat32(uint8_t* p, float value)
{
    StoreInt32(p, std::bit_cast<int32_t>(value));
}

} // namespace sample_bytes
