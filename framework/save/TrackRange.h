// Conversion of a track's times in seconds to sample positions of the
// recorded stream: floor(rate x seconds), toward zero, as unsigned 64-bit.
#pragma once

#include <cmath>
#include <cstdint>

// Negative and NaN times count as 0; times beyond the 64-bit range saturate.
inline uint64_t SecondsToSamples(uint64_t sampleRate, double seconds) {
    const double position = std::floor(static_cast<double>(sampleRate) * seconds);
    if (!(position > 0.0)) return 0;
    if (position >= 18446744073709551615.0) return UINT64_MAX;
    return static_cast<uint64_t>(position);
}

// Length of a track in samples: end position minus start position, 0 if negative.
inline uint64_t TrackLengthSamples(uint64_t sampleRate, double start, double end) {
    const uint64_t first = SecondsToSamples(sampleRate, start);
    const uint64_t last = SecondsToSamples(sampleRate, end);
    return last > first ? last - first : 0;
}
