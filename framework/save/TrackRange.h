// Conversion of a track's times in seconds to sample positions of the
// recorded stream. A time is floor(rate x seconds), except that a product
// within floating-point error of a whole number of samples is that number:
// 0.7 s at 44100 Hz is sample 30870, although 0.7 x 44100 computes as
// 30869.999999999996. DSD tracks start and end on whole bytes of the
// recorded stream, so that neighbouring tracks meet at one byte boundary
// with no bit repeated or left out.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// Products closer than this (relative) to a whole number are taken as it;
// far below half a sample even at the longest recording and highest rate.
inline constexpr double kSampleTimeTolerance = 1e-12;

// Negative and NaN times count as 0; times beyond the 64-bit range saturate.
inline uint64_t SecondsToSamples(uint64_t sampleRate, double seconds) {
    const double product = static_cast<double>(sampleRate) * seconds;
    const double nearest = std::round(product);
    const double tolerance = std::fmax(1e-9, std::fabs(product) * kSampleTimeTolerance);
    const double position = std::fabs(product - nearest) <= tolerance ? nearest : std::floor(product);
    if (!(position > 0.0)) return 0;
    if (position >= 18446744073709551615.0) return UINT64_MAX;
    return static_cast<uint64_t>(position);
}

// A DSD position in one-bit samples, moved back to the byte it lies in.
inline uint64_t SecondsToDsdBytePosition(uint64_t sampleRate, double seconds) {
    return SecondsToSamples(sampleRate, seconds) & ~uint64_t{7};
}

// The recorded samples [first, end) a track covers. DSD tracks start and end
// on whole bytes; an end past the recorded length is cut to it (a track end
// taken from the preview can lie a few samples beyond the recorded bits).
// end < first is left for the caller to refuse.
struct TrackSamples {
    uint64_t first;
    uint64_t end;
};

inline TrackSamples TrackSampleRange(uint64_t sampleRate, double start, double end, uint64_t recordedLength,
                                     bool dsd) {
    if (dsd) {
        return {SecondsToDsdBytePosition(sampleRate, start),
                std::min(SecondsToDsdBytePosition(sampleRate, end), recordedLength & ~uint64_t{7})};
    }
    return {SecondsToSamples(sampleRate, start), std::min(SecondsToSamples(sampleRate, end), recordedLength)};
}

// Length of a track in samples: end position minus start position, 0 if negative.
inline uint64_t TrackLengthSamples(uint64_t sampleRate, double start, double end) {
    const uint64_t first = SecondsToSamples(sampleRate, start);
    const uint64_t last = SecondsToSamples(sampleRate, end);
    return last > first ? last - first : 0;
}
