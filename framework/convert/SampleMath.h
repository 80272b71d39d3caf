// Per-sample scaling, rounding and clamping of the converters. Clamps are
// written so that NaN ends at the lower bound; every value is in range
// before it is converted to an integer.
#pragma once

#include <cstdint>

namespace sample_math {

// Rounds to the nearest integer, ties to even, for |v| <= 2^22: adding
// 1.5 x 2^23 leaves no fraction bits, so the addition itself rounds.
inline float RoundEvenSmall(float v)
{
    return (v + 12582912.0f) - 12582912.0f;
}

// Rounds to the nearest integer, ties to even, for any float: values of
// 2^23 and more are integers already.
inline float RoundEven(float v)
{
    const float magic = v < 0.0f ? -8388608.0f : 8388608.0f;
    const float rounded = (v + magic) - magic;
    const float magnitude = v < 0.0f ? -v : v;
    return magnitude < 8388608.0f ? rounded : v;
}

// The double counterpart, with 2^52.
inline double RoundEven(double v)
{
    const double magic = v < 0.0 ? -4503599627370496.0 : 4503599627370496.0;
    const double rounded = (v + magic) - magic;
    const double magnitude = v < 0.0 ? -v : v;
    return magnitude < 4503599627370496.0 ? rounded : v;
}

template <typename T>
inline T Clamp(T v, T low, T high)
{
    v = v > low ? v : low;
    return v < high ? v : high;
}

inline int16_t Float32ToInt16(float x)
{
    const float v = Clamp(x * 32768.0f, -32768.0f, 32767.0f);
    return static_cast<int16_t>(static_cast<int32_t>(RoundEvenSmall(v)));
}

inline int32_t Float32ToInt24(float x)
{
    return static_cast<int32_t>(Clamp(x * 8388608.0f, -8388608.0f, 8388607.0f));
}

inline int32_t Float32ToInt32(float x)
{
    const float v = x * 2147483648.0f;
    // 2147483520 is the largest float below 2^31.
    const float inRange = Clamp(v, -2147483648.0f, 2147483520.0f);
    const auto rounded = static_cast<int32_t>(RoundEven(inRange));
    return v >= 2147483648.0f ? INT32_MAX : rounded;
}

inline int16_t Float64ToInt16(double x)
{
    const double v = Clamp(x * 32768.0, -32768.0, 32767.0);
    return static_cast<int16_t>(static_cast<int32_t>(RoundEven(v)));
}

inline int32_t Float64ToInt24(double x)
{
    return static_cast<int32_t>(Clamp(x * 8388608.0, -8388608.0, 8388607.0));
}

inline int32_t Float64ToInt32(double x)
{
    const double v = Clamp(x * 2147483648.0, -2147483648.0, 2147483647.0);
    return static_cast<int32_t>(RoundEven(v));
}

// Sign-extends the low n bits of a 32-bit word.
template <unsigned n>
inline int32_t SignExtend(uint32_t word)
{
    static_assert(n >= 1 && n <= 32);
    return static_cast<int32_t>(word << (32 - n)) >> (32 - n);
}

} // namespace sample_math
