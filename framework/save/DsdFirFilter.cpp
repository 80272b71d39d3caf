// Direct-form evaluation of the re-modulation low-pass.
#include "save/DsdFirFilter.h"

void fir_filter::init()
{
    m_history.fill(0.0f);
    m_index = 0;
    const auto& taps = RemodulationFilterTaps();
    for (int m = 0; m < kRemodulationTaps; ++m)
        m_coefficients[m] = static_cast<float>(taps[m]);
}

double fir_filter::sample(double x)
{
    const float value = static_cast<float>(x);
    m_history[m_index] = value;
    m_history[m_index + kRemodulationTaps] = value;

    // window[k] is the input 399 - k steps before the newest (window[399]).
    const float* window = &m_history[m_index + 1];
    // The taps are symmetric, c[399 - m] = c[m]: pair the inputs that share
    // a tap, four pairs per step in separate partial sums.
    float partial[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int m = 0; m < kRemodulationTaps / 2; m += 4) {
        for (int lane = 0; lane < 4; ++lane) {
            const int k = m + lane;
            partial[lane] += m_coefficients[k] * (window[kRemodulationTaps - 1 - k] + window[k]);
        }
    }
    const float y = (partial[0] + partial[1]) + (partial[2] + partial[3]);

    m_index = (m_index + 1) % kRemodulationTaps;
    return y;
}
