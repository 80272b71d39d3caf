// Chunked peak detection over interleaved 16-bit stereo values.
#include "wave/PeakAccumulator.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr double kFullScale = 32767.0;
}

float PeakValue(int16_t sample, double amplification)
{
    return static_cast<float>(static_cast<double>(sample) * amplification / kFullScale);
}

PeakAccumulator::PeakAccumulator(size_t chunkValues, double amplification)
    : m_chunk(chunkValues, 0), m_amplification(amplification)
{
}

void PeakAccumulator::feed(const int16_t* values, size_t count, PeakArray* const series[kPeakChannels])
{
    const size_t chunk = m_chunk.size();
    if (chunk == 0)
        return; // a preview rate too low for one frame per entry yields no peaks
    size_t position = 0;
    size_t need = chunk - m_fill;
    if (need <= count) {
        do {
            std::memcpy(m_chunk.data() + m_fill, values + position, need * sizeof(int16_t));
            emitEntry(chunk, series);
            m_fill = 0;
            position += need;
            need = chunk;
        } while (position + chunk <= count);
    }
    const size_t rest = count - position;
    std::memcpy(m_chunk.data() + m_fill, values + position, rest * sizeof(int16_t));
    m_fill += rest;
}

void PeakAccumulator::flush(PeakArray* const series[kPeakChannels])
{
    if (m_fill == 0)
        return;
    emitEntry(m_fill, series);
    m_fill = 0;
}

void PeakAccumulator::emitEntry(size_t values, PeakArray* const series[kPeakChannels]) const
{
    // Integer maximum and minimum per channel (stride 2), then scaled: the conversion to
    // float is monotonic and exact for 16-bit values, so this equals scaling every value first.
    const int16_t* v = m_chunk.data();
    const size_t frames = values / kPeakChannels;
    int16_t max0 = INT16_MIN, min0 = INT16_MAX, max1 = INT16_MIN, min1 = INT16_MAX;
    for (size_t i = 0; i < frames; ++i) {
        const int16_t a = v[2 * i];
        const int16_t b = v[2 * i + 1];
        max0 = std::max(max0, a);
        min0 = std::min(min0, a);
        max1 = std::max(max1, b);
        min1 = std::min(min1, b);
    }
    if (frames == 0)
        max0 = min0 = max1 = min1 = 0;
    series[0]->addPeak({PeakValue(max0, m_amplification), PeakValue(min0, m_amplification)});
    series[1]->addPeak({PeakValue(max1, m_amplification), PeakValue(min1, m_amplification)});
}
