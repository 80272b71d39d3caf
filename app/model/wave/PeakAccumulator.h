// Turns interleaved 16-bit stereo preview values into peak entries, one entry per channel
// for every whole chunk of values; the values of an unfinished chunk are kept for the next
// call, and flush() emits them as one shorter last entry.
#pragma once

#include "wave/PeakArray.h"

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int kPeakChannels = 2;

class PeakAccumulator {
public:
    // chunkValues: 16-bit values per entry (two per frame); amplification multiplies
    // every peak, full scale 32767 being 1.0.
    PeakAccumulator(size_t chunkValues, double amplification);

    size_t chunkValues() const { return m_chunk.size(); }
    size_t fill() const { return m_fill; }

    // Appends the peaks of every chunk the new values complete to series[0] (channel 1)
    // and series[1] (channel 2).
    void feed(const int16_t* values, size_t count, PeakArray* const series[kPeakChannels]);
    // Emits a held partial chunk as one entry per channel; nothing when none is held.
    void flush(PeakArray* const series[kPeakChannels]);

private:
    void emitEntry(size_t values, PeakArray* const series[kPeakChannels]) const;

    std::vector<int16_t> m_chunk;
    size_t m_fill = 0;
    double m_amplification;
};

// Peak value of a 16-bit sample: sample x amplification / 32767, in double precision,
// stored as float.
float PeakValue(int16_t sample, double amplification);
