// Direct form of the 400-tap re-modulation low-pass: one input in, one
// filtered output out. It is the reference the lookup form is checked
// against. The history keeps every input twice (at i and i + 400), so any
// 400 consecutive inputs are read without wrapping.
#pragma once

#include <array>

#include "save/DsdFilterTaps.h"

class fir_filter {
public:
    // Zeroes the history and the index and loads the taps as 32-bit floats.
    void init();
    // Stores x and returns the sum of taps times the last 400 inputs (zero
    // before the first input), in single precision.
    double sample(double x);

private:
    std::array<float, 2 * kRemodulationTaps> m_history{};
    alignas(16) std::array<float, kRemodulationTaps> m_coefficients{};
    int m_index = 0;
};
