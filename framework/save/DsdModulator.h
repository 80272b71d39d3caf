// The fifth-order delta-sigma modulator that turns the filtered multi-bit
// signal back into one bit per sample. Its state is limited after every step
// so that a loud input cannot make it run away.
#pragma once

#include <algorithm>
#include <cstdint>

#include <emmintrin.h>

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

// The modulator's state in registers, stepped without branches. Every
// result and state is bit for bit that of dsm(): the same operations on the
// same values in the same order, but for q's last addition. Only the sign of
// q = r + p4 counts, and a sum of two doubles rounds to a value >= 0 exactly
// when the exact sum is >= 0, so q >= 0 is tested as r >= -p4 (-p4 formed
// exactly with the negated coefficient) and a step waits for one addition
// less. Both possible next values of s0 (output +1 or -1) are formed while
// q is summed, and the sign of q only selects one, so a step waits for
// little more than q's products and sums; s1 and s3, s2 and s4 share
// registers, so their updates take one instruction per pair.
class DsmRegisters {
public:
    explicit DsmRegisters(const _dsm<double>& state)
        : m_s0(_mm_set_sd(state.s0)), m_s13(_mm_set_pd(state.s3, state.s1)), m_s24(_mm_set_pd(state.s4, state.s2))
    {
    }

    void Store(_dsm<double>& state) const
    {
        state.s0 = _mm_cvtsd_f64(m_s0);
        state.s1 = _mm_cvtsd_f64(m_s13);
        state.s3 = _mm_cvtsd_f64(_mm_unpackhi_pd(m_s13, m_s13));
        state.s2 = _mm_cvtsd_f64(m_s24);
        state.s4 = _mm_cvtsd_f64(_mm_unpackhi_pd(m_s24, m_s24));
    }

    // One step for input x; 1 for an output of +1, 0 for -1.
    unsigned Step(double x)
    {
        // q = 0.791882 s0 + 0.304545 s1 + 0.06993 s2 + 0.009496 s3 + 0.000607 s4, from the
        // left: r is the sum of the first four products, p24 holds -0.000607 s4 high.
        const __m128d p13 = _mm_mul_pd(_mm_set_pd(0.009496, 0.304545), m_s13);
        const __m128d p24 = _mm_mul_pd(_mm_set_pd(-0.000607, 0.06993), m_s24);
        __m128d r = _mm_add_sd(_mm_mul_sd(_mm_set_sd(0.791882), m_s0), p13);
        r = _mm_add_sd(r, p24);
        r = _mm_add_sd(r, _mm_unpackhi_pd(p13, p13));

        const __m128d base = _mm_add_sd(m_s0, _mm_set_sd(x));
        const __m128d ifPlus = Clamp(_mm_sub_sd(base, _mm_set_sd(1.0)), _mm_set1_pd(kDsmBound0));
        const __m128d ifMinus = Clamp(_mm_sub_sd(base, _mm_set_sd(-1.0)), _mm_set1_pd(kDsmBound0));
        // s1 + s2 and s3 + s4; s0 + s1 and s2 + s3.
        const __m128d sums = _mm_add_pd(m_s13, m_s24);
        const __m128d left = _mm_add_pd(_mm_unpacklo_pd(m_s0, m_s24), m_s13);
        // s1 = (s0 + s1) - 0.000496 (s1 + s2), s3 = (s2 + s3) - 0.001789 (s3 + s4); s2 = s1 + s2, s4 = s3 + s4.
        const __m128d next13 = Clamp(_mm_sub_pd(left, _mm_mul_pd(_mm_set_pd(0.001789, 0.000496), sums)),
                                     _mm_set_pd(kDsmBound3, kDsmBound1));
        const __m128d next24 = Clamp(sums, _mm_set_pd(kDsmBound4, kDsmBound2));

        const Mask plus = AtLeast(r, _mm_unpackhi_pd(p24, p24)); // all ones where q >= 0
        m_s0 = Select(plus, ifPlus, ifMinus);
        m_s13 = next13;
        m_s24 = next24;
        return unsigned(_mm_movemask_pd(__m128d(plus)) & 1);
    }

private:
    // The comparison and the selection are written as vector expressions
    // rather than instructions, so that the loop compiled for 256-bit vectors
    // selects with one blend instruction and the portable one with three.
    typedef long long Mask __attribute__((vector_size(16)));
    typedef double Lanes __attribute__((vector_size(16)));

    // All ones in the lanes where a >= b, else zero.
    static Mask AtLeast(__m128d a, __m128d b) { return Lanes(a) >= Lanes(b); }

    // a where mask is all ones, b where it is zero.
    static __m128d Select(Mask mask, __m128d a, __m128d b) { return __m128d(mask ? Lanes(a) : Lanes(b)); }

    // std::clamp for the finite values the modulator holds, per lane.
    static __m128d Clamp(__m128d v, __m128d bound)
    {
        return _mm_min_pd(_mm_max_pd(v, _mm_sub_pd(_mm_setzero_pd(), bound)), bound);
    }

    __m128d m_s0;  // s0 in the low lane
    __m128d m_s13; // s1 low, s3 high
    __m128d m_s24; // s2 low, s4 high
};
