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
// result and state is bit for bit that of dsm(): the same operations in the
// same order, except that both possible next values of s0 (output +1 or -1)
// are formed while q is summed and the sign of q only selects one of them,
// so a step waits for little more than q's products and sums.
class DsmRegisters {
public:
    explicit DsmRegisters(const _dsm<double>& state)
        : m_s0(_mm_set_sd(state.s0)), m_s1(_mm_set_sd(state.s1)), m_s2(_mm_set_sd(state.s2)),
          m_s3(_mm_set_sd(state.s3)), m_s4(_mm_set_sd(state.s4))
    {
    }

    void Store(_dsm<double>& state) const
    {
        state.s0 = _mm_cvtsd_f64(m_s0);
        state.s1 = _mm_cvtsd_f64(m_s1);
        state.s2 = _mm_cvtsd_f64(m_s2);
        state.s3 = _mm_cvtsd_f64(m_s3);
        state.s4 = _mm_cvtsd_f64(m_s4);
    }

    // One step for input x; 1 for an output of +1, 0 for -1.
    unsigned Step(double x)
    {
        const __m128d in = _mm_set_sd(x);
        __m128d q = _mm_add_sd(_mm_mul_sd(_mm_set_sd(0.791882), m_s0), _mm_mul_sd(_mm_set_sd(0.304545), m_s1));
        q = _mm_add_sd(q, _mm_mul_sd(_mm_set_sd(0.06993), m_s2));
        q = _mm_add_sd(q, _mm_mul_sd(_mm_set_sd(0.009496), m_s3));
        q = _mm_add_sd(q, _mm_mul_sd(_mm_set_sd(0.000607), m_s4));
        const __m128d base = _mm_add_sd(m_s0, in);
        const __m128d ifPlus = Clamp(_mm_sub_sd(base, _mm_set_sd(1.0)), kDsmBound0);
        const __m128d ifMinus = Clamp(_mm_sub_sd(base, _mm_set_sd(-1.0)), kDsmBound0);
        const __m128d next1 = Clamp(
            _mm_sub_sd(_mm_add_sd(m_s0, m_s1), _mm_mul_sd(_mm_set_sd(0.000496), _mm_add_sd(m_s1, m_s2))), kDsmBound1);
        const __m128d next2 = Clamp(_mm_add_sd(m_s1, m_s2), kDsmBound2);
        const __m128d next3 = Clamp(
            _mm_sub_sd(_mm_add_sd(m_s2, m_s3), _mm_mul_sd(_mm_set_sd(0.001789), _mm_add_sd(m_s3, m_s4))), kDsmBound3);
        const __m128d next4 = Clamp(_mm_add_sd(m_s3, m_s4), kDsmBound4);
        const __m128d plus = _mm_cmple_sd(_mm_setzero_pd(), q); // all ones where q >= 0
        m_s0 = _mm_or_pd(_mm_and_pd(plus, ifPlus), _mm_andnot_pd(plus, ifMinus));
        m_s1 = next1;
        m_s2 = next2;
        m_s3 = next3;
        m_s4 = next4;
        return unsigned(_mm_movemask_pd(plus) & 1);
    }

private:
    // std::clamp for the finite values the modulator holds.
    static __m128d Clamp(__m128d v, double bound)
    {
        return _mm_min_sd(_mm_max_sd(v, _mm_set_sd(-bound)), _mm_set_sd(bound));
    }

    __m128d m_s0, m_s1, m_s2, m_s3, m_s4;
};
