// Four-sample vector forms of the float-to-integer conversions of
// SampleMath.h, written with the compiler's vector extensions so that the
// clamps become vector compares and selects rather than branches. Every
// lane gets exactly the result of the scalar function: the same single-
// precision products, the same clamps (NaN ends at the lower bound), the
// same rounding and truncation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "convert/SampleBytes.h"

namespace sample_vector {

typedef float Float4 __attribute__((vector_size(16)));
typedef int32_t Int4 __attribute__((vector_size(16)));

// Four consecutive 32-bit floats of the given source byte order.
template <bool swap>
inline Float4 LoadFloat32x4(const uint8_t* p)
{
    Float4 v;
    if constexpr (!swap && sample_bytes::kHostIsLittle) {
        std::memcpy(&v, p, sizeof v);
    } else {
        for (int k = 0; k < 4; ++k) v[k] = sample_bytes::LoadFloat32<swap>(p + 4 * k);
    }
    return v;
}

inline Float4 Splat(float x)
{
    return Float4{x, x, x, x};
}

// Clamp of SampleMath.h per lane: v > low ? v : low, then v < high ? v : high.
inline Float4 Clamp(Float4 v, float low, float high)
{
    const Float4 lows = Splat(low);
    const Float4 highs = Splat(high);
    v = v > lows ? v : lows;
    return v < highs ? v : highs;
}

inline Int4 Truncate(Float4 v)
{
    return __builtin_convertvector(v, Int4);
}

// Float32ToInt16: x 32768, clamp, round ties to even (all lanes are within
// 2^22, so adding and removing 1.5 x 2^23 rounds).
inline Int4 Float32ToInt16(Float4 x)
{
    const Float4 v = Clamp(x * Splat(32768.0f), -32768.0f, 32767.0f);
    const Float4 magic = Splat(12582912.0f);
    return Truncate((v + magic) - magic);
}

// Float32ToInt24: x 8388608, clamp, truncate toward zero.
inline Int4 Float32ToInt24(Float4 x)
{
    return Truncate(Clamp(x * Splat(8388608.0f), -8388608.0f, 8388607.0f));
}

// Float32ToInt32: x 2^31, clamp below 2^31, round ties to even, and a
// positive overflow (the product 2^31 or more) gives INT32_MAX.
inline Int4 Float32ToInt32(Float4 x)
{
    const Float4 v = x * Splat(2147483648.0f);
    const Float4 inRange = Clamp(v, -2147483648.0f, 2147483520.0f);
    const Float4 zero = Splat(0.0f);
    const Float4 magic = inRange < zero ? Splat(-8388608.0f) : Splat(8388608.0f);
    const Float4 rounded = (inRange + magic) - magic;
    const Float4 magnitude = inRange < zero ? -inRange : inRange;
    const Int4 result = Truncate(magnitude < Splat(8388608.0f) ? rounded : inRange);
    const Int4 overflow = v >= Splat(2147483648.0f);
    return overflow ? Int4{INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX} : result;
}

inline void StoreInt32x4(int32_t* out, Int4 v)
{
    std::memcpy(out, &v, sizeof v);
}

// Stores of eight converted samples as consecutive little-endian integers
// of 2, 3 or 4 bytes.
template <size_t OutBytes>
inline void StoreGroup8(uint8_t* p, const int32_t* values)
{
    if constexpr (OutBytes == 2) {
        for (int k = 0; k < 8; ++k) sample_bytes::StoreInt16(p + 2 * k, static_cast<int16_t>(values[k]));
    } else if constexpr (OutBytes == 3) {
        // Three 64-bit stores instead of 24 byte stores.
        uint64_t u[8];
        for (int k = 0; k < 8; ++k) u[k] = static_cast<uint32_t>(values[k]) & 0xFFFFFFu;
        const uint64_t words[3] = {
            u[0] | (u[1] << 24) | (u[2] << 48),
            (u[2] >> 16) | (u[3] << 8) | (u[4] << 32) | (u[5] << 56),
            (u[5] >> 8) | (u[6] << 16) | (u[7] << 40),
        };
        if constexpr (sample_bytes::kHostIsLittle) {
            std::memcpy(p, words, sizeof words);
        } else {
            for (int w = 0; w < 3; ++w) {
                for (int b = 0; b < 8; ++b) p[w * 8 + b] = static_cast<uint8_t>(words[w] >> (8 * b));
            }
        }
    } else {
        static_assert(OutBytes == 4);
        for (int k = 0; k < 8; ++k) sample_bytes::StoreInt32(p + 4 * k, values[k]);
    }
}

} // namespace sample_vector
