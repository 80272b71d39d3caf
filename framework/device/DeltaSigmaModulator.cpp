// Design and running of the simulator's delta-sigma modulator.
//
// Loop: v = x + w, y = sign(v), e = y - v, where w is the error filtered by
// (NTF - 1) = (N - D) / D, strictly causal since N and D both start with 1.
// Then y = x + NTF * e: the quantisation error is pushed above the audio band.
#include "device/DeltaSigmaModulator.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace {

using Complex = std::complex<double>;

// The z-plane poles of a Butterworth high-pass of the given order with cutoff
// `cutoff` (cycles per sample), by the bilinear transform with pre-warping.
std::array<Complex, DeltaSigmaModulator::kOrder> HighPassPoles(double cutoff)
{
    constexpr int n = DeltaSigmaModulator::kOrder;
    const double warped = 2.0 * std::tan(std::numbers::pi * cutoff);
    std::array<Complex, n> poles{};
    for (int k = 0; k < n; ++k) {
        const double angle = std::numbers::pi * (2.0 * k + n + 1) / (2.0 * n);
        const Complex lowPassPole = std::polar(1.0, angle);
        const Complex s = warped / lowPassPole; // low-pass to high-pass
        poles[static_cast<size_t>(k)] = (1.0 + s / 2.0) / (1.0 - s / 2.0);
    }
    return poles;
}

// |NTF| at half the sampling rate (z = -1), the largest gain of a high-pass.
double NyquistGain(const std::array<Complex, DeltaSigmaModulator::kOrder>& poles)
{
    double gain = 1.0;
    for (const Complex& p : poles) {
        gain *= 2.0 / std::abs(1.0 + p);
    }
    return gain;
}

} // namespace

DeltaSigmaModulator::DeltaSigmaModulator()
{
    // Find the cutoff whose Nyquist gain is kMaxNoiseGain; the gain grows
    // with the cutoff, so bisection converges.
    double low = 1e-6;
    double high = 0.2;
    for (int i = 0; i < 100; ++i) {
        const double middle = 0.5 * (low + high);
        if (NyquistGain(HighPassPoles(middle)) < kMaxNoiseGain) {
            low = middle;
        } else {
            high = middle;
        }
    }
    const auto poles = HighPassPoles(low);

    // Denominator: product of (1 - p z^-1); numerator: (1 - z^-1)^5.
    std::array<Complex, kOrder + 1> denominator{};
    std::array<Complex, kOrder + 1> numerator{};
    denominator[0] = 1.0;
    numerator[0] = 1.0;
    for (int k = 0; k < kOrder; ++k) {
        for (int j = k + 1; j >= 1; --j) {
            denominator[static_cast<size_t>(j)] -= poles[static_cast<size_t>(k)] * denominator[static_cast<size_t>(j - 1)];
            numerator[static_cast<size_t>(j)] -= numerator[static_cast<size_t>(j - 1)];
        }
    }
    for (size_t j = 0; j <= kOrder; ++j) {
        m_denominator[j] = denominator[j].real();
        m_numerator[j] = numerator[j].real();
    }
}

void DeltaSigmaModulator::Reset()
{
    m_errorHistory.fill(0.0);
    m_feedbackHistory.fill(0.0);
}

bool DeltaSigmaModulator::Step(double input)
{
    double w = 0.0;
    for (size_t k = 0; k < kOrder; ++k) {
        w += (m_numerator[k + 1] - m_denominator[k + 1]) * m_errorHistory[k] -
             m_denominator[k + 1] * m_feedbackHistory[k];
    }
    double v = input + w;
    // An overloaded loop (input far beyond half scale) is restarted rather
    // than left to oscillate.
    if (!std::isfinite(v) || std::fabs(v) > 16.0) {
        Reset();
        w = 0.0;
        v = input;
    }
    const bool bit = v >= 0.0;
    const double error = (bit ? 1.0 : -1.0) - v;
    for (size_t k = kOrder - 1; k > 0; --k) {
        m_errorHistory[k] = m_errorHistory[k - 1];
        m_feedbackHistory[k] = m_feedbackHistory[k - 1];
    }
    m_errorHistory[0] = error;
    m_feedbackHistory[0] = w;
    return bit;
}
