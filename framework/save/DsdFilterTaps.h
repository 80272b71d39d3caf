// The 400 taps of the low-pass filter that turns a one-bit DSD stream into a
// multi-bit signal before re-modulation: a Kaiser-windowed sinc with cut-off
// 1/61 of the one-bit rate and window parameter 3, the same for every rate.
#pragma once

#include <array>

inline constexpr int kRemodulationTaps = 400;

// c[m] = sin(2 pi t / 61) / (pi t) * I0(3 sqrt(1 - (t / 199.5)^2)) / I0(3),
// t = m - 199.5, in double precision; the taps where the sine vanishes
// (t a multiple of 30.5) are exactly 0. Computed once, on first use.
const std::array<double, kRemodulationTaps>& RemodulationFilterTaps();

// Modified Bessel function of the first kind, order 0, by its power series.
double RemodulationBesselI0(double x);
