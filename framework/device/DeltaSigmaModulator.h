// A fifth-order one-bit delta-sigma modulator (error-feedback form) used by
// the simulated turntable to turn its record into DSD. Its noise transfer
// function is a fifth-order Butterworth high-pass with all zeros at DC whose
// gain at half the bit rate is 1.5, which keeps the loop stable for inputs
// up to about half of full scale.
//
// The loop runs both channels of a stereo record side by side in single
// precision (one vector lane per channel), which keeps DSD256 stereo well
// within real time on a small machine.
#pragma once

#include <array>
#include <cstdint>

class DeltaSigmaModulator {
public:
    static constexpr int kOrder = 5;
    // Largest out-of-band noise gain; the stability margin of the loop.
    static constexpr double kMaxNoiseGain = 1.5;
    // A loop whose state grows beyond this has overloaded and is restarted.
    static constexpr float kOverloadLimit = 16.0f;

    DeltaSigmaModulator();

    // Clears the loop state of both channels.
    void Reset();

    // Modulates 16 samples per channel, linearly interpolated from `start`
    // (exclusive) to `end` (inclusive), into one 16-bit word per channel:
    // bit 15 of the result is the earliest bit, bit 0 the latest.
    void StepWord(const std::array<float, 2>& start, const std::array<float, 2>& end,
                  std::array<uint16_t, 2>& bits);

    // Noise transfer function in powers of z^-1 (index 0 is 1): numerator
    // (1 - z^-1)^5 and the denominator of the poles.
    const std::array<double, kOrder + 1>& Numerator() const { return m_numerator; }
    const std::array<double, kOrder + 1>& Denominator() const { return m_denominator; }

private:
    // Four float lanes; lanes 0 and 1 carry the two channels.
    typedef float Lanes __attribute__((vector_size(16)));

    void RestartOverloaded();

    std::array<double, kOrder + 1> m_numerator{};
    std::array<double, kOrder + 1> m_denominator{};
    // Loop filter (NTF - 1) = (N - D) / D in transposed direct form II:
    // feed-forward taps on the error, feedback taps on the filter output.
    std::array<float, kOrder> m_errorTaps{};    // N[k+1] - D[k+1]
    std::array<float, kOrder> m_feedbackTaps{}; // D[k+1]
    Lanes m_state[kOrder]{};
};
