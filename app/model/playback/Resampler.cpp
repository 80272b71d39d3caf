// Windowed-sinc sample-rate conversion.
#include "playback/Resampler.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
// Fraction of the lower Nyquist frequency that passes; the rest is the transition band.
constexpr double kPassband = 0.92;

double Sinc(double x)
{
    return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

// Blackman window over [-1, 1].
double Window(double x)
{
    if (x <= -1.0 || x >= 1.0)
        return 0.0;
    const double t = kPi * (x + 1.0);
    return 0.42 - 0.5 * std::cos(t) + 0.08 * std::cos(2.0 * t);
}

} // namespace

Resampler::Resampler(uint32_t inputRate, uint32_t outputRate, uint32_t channels)
    : m_inputRate(inputRate), m_outputRate(outputRate), m_channels(channels),
      m_table(size_t(kPhases + 1) * kTaps), m_history(size_t(kHalfTaps - 1) * channels, 0.0f),
      m_index(kHalfTaps - 1)
{
    // Row p holds the taps for an output instant p / kPhases of the way from input frame i
    // to i + 1; tap j weighs input frame i - kHalfTaps + 1 + j. Each row sums to 1.
    const double cutoff = kPassband * std::min(1.0, double(outputRate) / double(inputRate));
    for (int p = 0; p <= kPhases; ++p) {
        const double frac = double(p) / kPhases;
        double sum = 0.0;
        std::vector<double> row(kTaps);
        for (int j = 0; j < kTaps; ++j) {
            const double d = double(j - kHalfTaps + 1) - frac;
            row[j] = cutoff * Sinc(cutoff * d) * Window(d / kHalfTaps);
            sum += row[j];
        }
        for (int j = 0; j < kTaps; ++j)
            m_table[size_t(p) * kTaps + j] = static_cast<float>(row[j] / sum);
    }
}

void Resampler::process(const float* input, size_t frames, std::vector<float>& output)
{
    const size_t ch = m_channels;
    m_history.insert(m_history.end(), input, input + frames * ch);
    const size_t available = m_history.size() / ch;
    std::vector<float> acc(ch);

    // An output instant t needs input frames floor(t) - kHalfTaps + 1 .. floor(t) + kHalfTaps.
    while (true) {
        const size_t base = m_index;
        if (base + kHalfTaps >= available)
            break;
        const double scaled = double(m_fraction) / double(m_outputRate) * kPhases;
        const auto row = std::min(static_cast<int>(scaled), kPhases - 1);
        const auto mix = static_cast<float>(scaled - row);
        const float* lo = &m_table[size_t(row) * kTaps];
        const float* hi = lo + kTaps;
        const float* x = &m_history[(base + 1 - kHalfTaps) * ch];
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int j = 0; j < kTaps; ++j) {
            const float w = lo[j] + (hi[j] - lo[j]) * mix;
            for (size_t c = 0; c < ch; ++c)
                acc[c] += w * x[size_t(j) * ch + c];
        }
        output.insert(output.end(), acc.begin(), acc.end());
        m_fraction += m_inputRate;
        m_index += m_fraction / m_outputRate;
        m_fraction %= m_outputRate;
    }

    // Drop the frames no later output instant will need.
    const size_t keepFrom = std::min(m_index + 1 >= size_t(kHalfTaps) ? m_index + 1 - kHalfTaps : 0, available);
    if (keepFrom > 0) {
        m_history.erase(m_history.begin(), m_history.begin() + std::ptrdiff_t(keepFrom * ch));
        m_index -= keepFrom;
    }
}

size_t Resampler::inputFramesFor(size_t outputFrames) const
{
    const size_t have = m_history.size() / m_channels;
    const uint64_t advance = (m_fraction + uint64_t(m_inputRate) * outputFrames) / m_outputRate;
    const size_t needed = m_index + size_t(advance) + kHalfTaps + 1;
    return needed > have ? needed - have : 0;
}
