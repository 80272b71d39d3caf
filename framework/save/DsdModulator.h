// The fifth-order delta-sigma modulator that turns the filtered multi-bit
// signal back into one bit per sample. Its state is limited after every step
// so that a loud input cannot make it run away.
#pragma once

#include <algorithm>
#include <cstdint>

// The five integrator states s0...s4 of the modulator, zero at the start.
template <typename T>
struct _dsm {
    T s0 = 0;
    T s1 = 0;
    T s2 = 0;
    T s3 = 0;
    T s4 = 0;
};

// Largest magnitude each state may take.
inline constexpr double kDsmBound0 = 4.0;
inline constexpr double kDsmBound1 = 9.0;
inline constexpr double kDsmBound2 = 25.0;
inline constexpr double kDsmBound3 = 92.0;
inline constexpr double kDsmBound4 = 700.0;

// One modulator step for input x: returns +1 or -1 and advances the state.
inline int32_t dsm(_dsm<double>& state, double x)
{
    const double s0 = state.s0, s1 = state.s1, s2 = state.s2, s3 = state.s3, s4 = state.s4;
    const double q = 0.791882 * s0 + 0.304545 * s1 + 0.06993 * s2 + 0.009496 * s3 + 0.000607 * s4;
    const int32_t v = q >= 0.0 ? 1 : -1;
    const double out = static_cast<double>(v);

    state.s0 = std::clamp(s0 + x - out, -kDsmBound0, kDsmBound0);
    state.s1 = std::clamp((s0 + s1) - 0.000496 * (s1 + s2), -kDsmBound1, kDsmBound1);
    state.s2 = std::clamp(s1 + s2, -kDsmBound2, kDsmBound2);
    state.s3 = std::clamp((s2 + s3) - 0.001789 * (s3 + s4), -kDsmBound3, kDsmBound3);
    state.s4 = std::clamp(s3 + s4, -kDsmBound4, kDsmBound4);
    return v;
}
