// Toeplitz and banded solvers; see LinearSolvers.h.
#include "restore/LinearSolvers.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>

bool ToeplitzSolver::Solve(const double* t, size_t tLength, double* b, size_t n, double* quadratics)
{
    if (n == 0) {
        return true;
    }
    const double t0 = t[0];
    if (!(t0 > 0.0)) {
        return false;
    }
    // Unit diagonal: r[l] = t[l] / t[0], and b / t[0].
    m_r.assign(n, 0.0);
    for (size_t l = 1; l < n && l < tLength; ++l) {
        m_r[l] = t[l] / t0;
    }
    m_x.assign(n, 0.0);
    m_y.assign(n, 0.0);
    m_v.assign(n, 0.0);
    const double* r = m_r.data() + 1; // r[0] is the first off-diagonal
    double* x = m_x.data();
    double* y = m_y.data();
    x[0] = b[0] / t0;
    if (quadratics != nullptr) {
        quadratics[0] = b[0] * x[0];
    }
    if (n == 1) {
        b[0] = x[0];
        return true;
    }
    y[0] = -r[0];
    double beta = 1.0;
    double alpha = -r[0];
    // Off-diagonals beyond the band are zero, so the inner products stop there.
    const size_t band = tLength > 0 ? tLength - 1 : 0;
    for (size_t k = 1; k < n; ++k) {
        beta *= 1.0 - alpha * alpha;
        if (!(beta > 0.0)) {
            return false;
        }
        double dot = 0.0;
        for (size_t i = 0; i < k && i < band; ++i) {
            dot += r[i] * x[k - 1 - i];
        }
        const double mu = (b[k] / t0 - dot) / beta;
        for (size_t i = 0; i < k; ++i) {
            m_v[i] = x[i] + mu * y[k - 1 - i];
        }
        for (size_t i = 0; i < k; ++i) {
            x[i] = m_v[i];
        }
        x[k] = mu;
        if (quadratics != nullptr) {
            // b[0 .. k] is as given until the end.
            double q = 0.0;
            for (size_t i = 0; i <= k; ++i) {
                q += b[i] * x[i];
            }
            quadratics[k] = q;
        }
        if (k + 1 < n) {
            double dotY = 0.0;
            for (size_t i = 0; i < k && i < band; ++i) {
                dotY += r[i] * y[k - 1 - i];
            }
            alpha = -((k < band ? r[k] : 0.0) + dotY) / beta;
            for (size_t i = 0; i < k; ++i) {
                m_v[i] = y[i] + alpha * y[k - 1 - i];
            }
            for (size_t i = 0; i < k; ++i) {
                y[i] = m_v[i];
            }
            y[k] = alpha;
        }
    }
    for (size_t i = 0; i < n; ++i) {
        if (!std::isfinite(x[i])) {
            return false;
        }
        b[i] = x[i];
    }
    return true;
}

bool ToeplitzInverse::Factor(const double* t, size_t tLength, size_t n)
{
    m_n = n;
    m_t0 = t[0];
    if (n == 0 || !(m_t0 > 0.0)) {
        return n == 0;
    }
    auto r = [&](size_t l) { return l < tLength ? t[l] / m_t0 : 0.0; };
    m_w.resize(n * (n + 1) / 2);
    m_power.resize(n);
    m_w[0] = 1.0;
    m_power[0] = 1.0;
    // y holds y_k reversed (J y_k), so that w_k is it and a 1.
    m_y.clear();
    double power = 1.0;
    for (size_t k = 1; k < n; ++k) {
        // The order-k predictor from the order k - 1 one: its reflection
        // alpha = -(r_k + sum over i < k - 1 of r_{k-1-i} y_{k-1}[i]) / E_{k-1}.
        double dot = r(k);
        for (size_t i = 0; i + 1 < k; ++i) {
            dot += r(i + 1) * m_y[i];
        }
        const double alpha = -dot / power;
        // y_k = [y_{k-1} + alpha J y_{k-1}; alpha], kept reversed.
        m_z.assign(m_y.rbegin(), m_y.rend()); // y_{k-1} in order
        for (size_t i = 0; i + 1 < k; ++i) {
            m_y[i] += alpha * m_z[i];
        }
        m_y.insert(m_y.begin(), alpha);
        power *= 1.0 - alpha * alpha;
        if (!(power > 0.0) || !std::isfinite(power)) {
            return false;
        }
        double* w = m_w.data() + k * (k + 1) / 2;
        std::copy(m_y.begin(), m_y.end(), w);
        w[k] = 1.0;
        m_power[k] = power;
    }
    return true;
}

void ToeplitzInverse::Apply(double* b)
{
    m_z.resize(m_n);
    for (size_t k = 0; k < m_n; ++k) {
        m_z[k] = DotDouble(m_w.data() + k * (k + 1) / 2, b, k + 1) / (m_power[k] * m_t0);
    }
    std::fill(b, b + m_n, 0.0);
    for (size_t k = 0; k < m_n; ++k) {
        AxpyDouble(b, m_w.data() + k * (k + 1) / 2, k + 1, m_z[k]);
    }
}

bool BandedCholeskySolver::Factorise(size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        const size_t first = i > m_w ? i - m_w : 0;
        for (size_t j = first; j <= i; ++j) {
            double s = m_l[Index(i, j)];
            // Row i has no entries before `first`, and first >= j - w.
            for (size_t k = first; k < j; ++k) {
                s -= m_l[Index(i, k)] * m_l[Index(j, k)];
            }
            if (i == j) {
                if (!(s > 0.0)) {
                    return false;
                }
                m_l[Index(i, i)] = std::sqrt(s);
            } else {
                m_l[Index(i, j)] = s / m_l[Index(j, j)];
            }
        }
    }
    return true;
}

void BandedCholeskySolver::Substitute(size_t n, double* b) const
{
    for (size_t i = 0; i < n; ++i) {
        const size_t first = i > m_w ? i - m_w : 0;
        double s = b[i];
        for (size_t k = first; k < i; ++k) {
            s -= m_l[Index(i, k)] * b[k];
        }
        b[i] = s / m_l[Index(i, i)];
    }
    for (size_t i = n; i-- > 0;) {
        double s = b[i];
        const size_t last = std::min(n - 1, i + m_w);
        for (size_t k = i + 1; k <= last; ++k) {
            s -= m_l[Index(k, i)] * b[k];
        }
        b[i] = s / m_l[Index(i, i)];
    }
}
