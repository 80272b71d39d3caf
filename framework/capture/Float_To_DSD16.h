// Recovers the device's 16-bit DSD carriage words from the 32-bit floats the
// audio layer delivers: x * 32768, rounded to nearest (ties to even) and
// saturated to the signed 16-bit range. This inverts the layer's
// integer-to-float conversion exactly; 1.0 and above become 32767.
#pragma once

#include <cstddef>
#include <cstdint>

// Rounding constant: adding and subtracting 1.5 * 2^23 rounds a float of
// magnitude below 2^22 to an integer, ties to even, without a library call,
// so that loops over it vectorise.
inline int16_t DsdWordFromFloat(float x)
{
    constexpr float kRound = 12582912.0f;
    float v = x * 32768.0f;
    v = (v == v) ? v : 0.0f;  // a NaN from a faulty driver becomes 0
    v = v < -32768.0f ? -32768.0f : v;
    v = v > 32767.0f ? 32767.0f : v;
    v = (v + kRound) - kRound;
    return static_cast<int16_t>(v);
}

// Converts `count` floats to DSD words.
void Float_To_DSD16(short* out, const float* in, size_t count);
