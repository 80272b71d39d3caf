// A fifth-order one-bit delta-sigma modulator (error-feedback form) used by
// the simulated turntable to turn its record into DSD. Its noise transfer
// function is a fifth-order Butterworth high-pass with all zeros at DC whose
// gain at half the bit rate is 1.5, which keeps the loop stable for inputs
// up to about half of full scale.
#pragma once

#include <array>

class DeltaSigmaModulator {
public:
    static constexpr int kOrder = 5;
    // Largest out-of-band noise gain; the stability margin of the loop.
    static constexpr double kMaxNoiseGain = 1.5;

    DeltaSigmaModulator();

    // Clears the loop state.
    void Reset();
    // One input sample in, one bit out (+1 or -1 as true or false).
    bool Step(double input);

    // Noise transfer function in powers of z^-1 (index 0 is 1): numerator
    // (1 - z^-1)^5 and the denominator of the poles.
    const std::array<double, kOrder + 1>& Numerator() const { return m_numerator; }
    const std::array<double, kOrder + 1>& Denominator() const { return m_denominator; }

private:
    std::array<double, kOrder + 1> m_numerator{};
    std::array<double, kOrder + 1> m_denominator{};
    std::array<double, kOrder> m_errorHistory{};    // e[n-1] ... e[n-5]
    std::array<double, kOrder> m_feedbackHistory{}; // w[n-1] ... w[n-5]
};
