// Least-squares autoregressive interpolation; see ArInterpolation.h.
#include "restore/ArInterpolation.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>

namespace {

// A relative ridge on the diagonal: the normal matrix of a model with deep
// spectral notches is close to singular, and a ridge far below the signal
// only keeps the solvers positive definite.
constexpr double kRidge = 1e-10;

} // namespace

void ArInterpolator::Prepare(const ArModel& model)
{
    m_a = model.a;
    const size_t p = model.Order();
    m_reversed.assign(m_a.rbegin(), m_a.rend());
    m_taps.assign(m_a.begin(), m_a.end());
    m_c.resize(p + 1);
    for (size_t l = 0; l <= p; ++l) {
        m_c[l] = DotDouble(m_a.data(), m_a.data() + l, p + 1 - l);
    }
    m_c[0] *= 1.0 + kRidge;
}

double ArInterpolator::ErrorEnergy(const double* y, size_t first, size_t last) const
{
    const size_t p = m_a.size() - 1;
    double energy = 0.0;
    for (size_t n = first; n <= last; ++n) {
        const double e = DotDouble(m_reversed.data(), y + n - p, p + 1);
        energy += e * e;
    }
    return energy;
}

bool ArInterpolator::Interpolate(const float* x, const size_t* unknown, size_t count, double* values, Result* result)
{
    if (count == 0 || m_a.empty()) {
        return count == 0;
    }
    const size_t p = m_a.size() - 1;
    const double* a = m_a.data();
    // Local copy y of x[unknown[0] - p .. unknown[last] + p], unknowns zeroed.
    const size_t first = unknown[0] - p;
    const size_t span = unknown[count - 1] + p - first + 1;
    m_yFloat.assign(x + first, x + first + span);
    for (size_t i = 0; i < count; ++i) {
        m_yFloat[unknown[i] - first] = 0.0f;
    }
    // Rows that involve an unknown: unknown[0] .. unknown[last] + p (local
    // p .. span - 1), their errors z filtered in single precision, the
    // recording's own (its rounding lies far below any noise floor).
    m_zFloat.resize(span - p);
    FilterFloat(m_yFloat.data() + p, m_taps.data(), p + 1, span - p, m_zFloat.data());
    m_z.assign(span + p, 0.0);
    std::copy(m_zFloat.begin(), m_zFloat.end(), m_z.begin() + static_cast<std::ptrdiff_t>(p));
    // Right-hand side -A_u' A_k x_k.
    for (size_t i = 0; i < count; ++i) {
        values[i] = -DotDouble(a, m_z.data() + (unknown[i] - first), p + 1);
    }
    const bool contiguous = unknown[count - 1] - unknown[0] + 1 == count;
    bool solved = false;
    if (contiguous) {
        solved = m_toeplitz.Solve(m_c.data(), m_c.size(), values, count);
    } else {
        // Bandwidth in unknowns: how many later unknowns lie within p samples.
        size_t w = 0;
        for (size_t i = 0, j = 0; i < count; ++i) {
            j = std::max(j, i);
            while (j + 1 < count && unknown[j + 1] - unknown[i] <= p) {
                ++j;
            }
            w = std::max(w, j - i);
        }
        solved = m_banded.Solve(
            count, w,
            [&](size_t i, size_t j) {
                const size_t lag = unknown[i] - unknown[j];
                return lag <= p ? m_c[lag] : 0.0;
            },
            values);
    }
    if (!solved) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) {
            return false;
        }
    }
    if (result != nullptr) {
        const size_t lastRow = span - 1;
        m_y.assign(x + first, x + first + span);
        result->errorBefore = ErrorEnergy(m_y.data(), p, lastRow);
        for (size_t i = 0; i < count; ++i) {
            m_y[unknown[i] - first] = values[i];
        }
        result->errorAfter = ErrorEnergy(m_y.data(), p, lastRow);
    }
    return true;
}

double ArInterpolator::EndVariance(size_t count)
{
    if (count == 0 || m_c.empty()) {
        return 0.0;
    }
    m_z.assign(count, 0.0);
    m_z[0] = 1.0;
    return m_toeplitz.Solve(m_c.data(), m_c.size(), m_z.data(), count) && m_z[0] > 0.0 ? m_z[0] : 0.0;
}
