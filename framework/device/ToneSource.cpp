// A plain sine as the simulated turntable's record (used to measure what the
// device delivers).
#include "device/SimSource.h"

#include <cmath>
#include <numbers>

void ToneSource::Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const
{
    // The phase is reduced per frame from the frame number, so rendering from
    // any frame gives the same samples.
    const double cyclesPerFrame = m_frequency / rate;
    for (size_t i = 0; i < frames; ++i) {
        const double cycles = static_cast<double>(firstFrame + i) * cyclesPerFrame;
        const double phase = cycles - std::floor(cycles);
        const float value = static_cast<float>(m_amplitude * std::sin(2.0 * std::numbers::pi * phase));
        stereo[2 * i] = value;
        stereo[2 * i + 1] = value;
    }
}
