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
    for (size_t k = 0; k < kOrder; ++k) {
        m_errorTaps[k] = static_cast<float>(m_numerator[k + 1] - m_denominator[k + 1]);
        m_feedbackTaps[k] = static_cast<float>(m_denominator[k + 1]);
    }
}

void DeltaSigmaModulator::Reset()
{
    for (Lanes& s : m_state) {
        s = Lanes{};
    }
}

void DeltaSigmaModulator::RestartOverloaded()
{
    // Checked once per word: an overloaded loop (input far beyond half
    // scale) is restarted rather than left to oscillate. Each channel is
    // checked on its own so that one overload leaves the other untouched.
    for (int lane = 0; lane < 2; ++lane) {
        bool overloaded = false;
        for (const Lanes& s : m_state) {
            if (!(std::fabs(s[lane]) <= kOverloadLimit)) { // also catches NaN
                overloaded = true;
            }
        }
        if (overloaded) {
            for (Lanes& s : m_state) {
                s[lane] = 0.0f;
            }
        }
    }
}

void DeltaSigmaModulator::StepWord(const std::array<float, 2>& start, const std::array<float, 2>& end,
                                   std::array<uint16_t, 2>& bits)
{
    const Lanes one = {1.0f, 1.0f, 1.0f, 1.0f};
    const Lanes minusOne = -one;
    const Lanes step = {(end[0] - start[0]) / 16.0f, (end[1] - start[1]) / 16.0f, 0.0f, 0.0f};
    const Lanes origin = {start[0], start[1], 0.0f, 0.0f};
    const float b1 = m_errorTaps[0], b2 = m_errorTaps[1], b3 = m_errorTaps[2], b4 = m_errorTaps[3],
                b5 = m_errorTaps[4];
    const float a1 = m_feedbackTaps[0], a2 = m_feedbackTaps[1], a3 = m_feedbackTaps[2],
                a4 = m_feedbackTaps[3], a5 = m_feedbackTaps[4];
    Lanes z1 = m_state[0], z2 = m_state[1], z3 = m_state[2], z4 = m_state[3], z5 = m_state[4];
    uint32_t left = 0;
    uint32_t right = 0;
    for (int b = 0; b < 16; ++b) {
        const Lanes x = origin + step * static_cast<float>(b + 1);
        const Lanes w = z1;
        const Lanes v = x + w;
        const auto positive = v >= 0.0f; // lanes of all ones where the bit is set
        const Lanes y = positive ? one : minusOne;
        const Lanes e = y - v;
        z1 = z2 + b1 * e - a1 * w;
        z2 = z3 + b2 * e - a2 * w;
        z3 = z4 + b3 * e - a3 * w;
        z4 = z5 + b4 * e - a4 * w;
        z5 = b5 * e - a5 * w;
        left = (left << 1) | (static_cast<uint32_t>(positive[0]) & 1u);
        right = (right << 1) | (static_cast<uint32_t>(positive[1]) & 1u);
    }
    m_state[0] = z1;
    m_state[1] = z2;
    m_state[2] = z3;
    m_state[3] = z4;
    m_state[4] = z5;
    RestartOverloaded();
    bits[0] = static_cast<uint16_t>(left);
    bits[1] = static_cast<uint16_t>(right);
}
