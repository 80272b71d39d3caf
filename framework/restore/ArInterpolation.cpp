// Least-squares autoregressive interpolation; see ArInterpolation.h.
#include "restore/ArInterpolation.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
    m_c.resize(p + 1);
    for (size_t l = 0; l <= p; ++l) {
        m_c[l] = DotDouble(m_a.data(), m_a.data() + l, p + 1 - l);
    }
    // c[p] .. c[1], for the products with the samples before an unknown.
    m_cReversed.assign(m_c.rbegin(), m_c.rend() - 1);
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

bool ArInterpolator::InterpolateSpan(const float* x, size_t first, size_t count, double* values,
                                     double& removed)
{
    m_span.resize(count);
    for (size_t i = 0; i < count; ++i) {
        m_span[i] = first + i;
    }
    Result result;
    if (!Interpolate(x, m_span.data(), count, values, &result)) {
        return false;
    }
    removed = result.errorBefore - result.errorAfter;
    return true;
}

bool ArInterpolator::Interpolate(const float* x, const size_t* unknown, size_t count, double* values, Result* result)
{
    if (count == 0 || m_a.empty()) {
        return count == 0;
    }
    const size_t p = m_a.size() - 1;
    // Local copy y of x[unknown[0] - p .. unknown[last] + p], unknowns zeroed.
    const size_t first = unknown[0] - p;
    const size_t span = unknown[count - 1] + p - first + 1;
    m_y.assign(x + first, x + first + span);
    for (size_t i = 0; i < count; ++i) {
        m_y[unknown[i] - first] = 0.0;
    }
    // Right-hand side -A_u' A_k x_k. Its entry for unknown t is the sum
    // over the rows t .. t + p of a[k] times their errors, each error the
    // sum of a[j] y[t + k - j]: gathered by the distance d = k - j, that is
    // the sum over |d| <= p of c[|d|] y[t + d] (y[t] itself is zero). Two
    // dot products of p terms, where filtering every row would take the
    // span's length times p.
    for (size_t i = 0; i < count; ++i) {
        const double* y = m_y.data() + (unknown[i] - first);
        values[i] = -NeighbourProducts(y);
    }
    // The longest contiguous gap among the unknowns: [run, run + length).
    size_t run = 0, length = 0;
    for (size_t i = 0, j = 0; i < count; i = j) {
        for (j = i + 1; j < count && unknown[j] == unknown[j - 1] + 1; ++j) {
        }
        if (j - i > length) {
            run = i;
            length = j - i;
        }
    }
    bool solved = false;
    if (length == count) {
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
        const auto n = static_cast<double>(length);
        const auto m = static_cast<double>(count - length);
        const auto bandedCost = static_cast<double>(count) * static_cast<double>(w) * static_cast<double>(w);
        if ((m + 2.0) * n * n + n * m * m + m * m * m / 3.0 < bandedCost) {
            solved = SolveAroundGap(unknown, count, run, length, values);
        } else {
            solved = m_banded.Solve(
                count, w,
                [&](size_t i, size_t j) {
                    const size_t lag = unknown[i] - unknown[j];
                    return lag <= p ? m_c[lag] : 0.0;
                },
                values);
        }
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

bool ArInterpolator::SolveAroundGap(const size_t* unknown, size_t count, size_t run, size_t n, double* b)
{
    // With the gap's unknowns first, the normal matrix is [T B; B' D], T
    // the gap's (Toeplitz) and D that of the m others. With X = T^-1 B and
    // y = T^-1 b1, the others solve the Schur complement (D - B' X) x2 =
    // b2 - B' y, and the gap's are y - X x2: T's inverse factored once and
    // applied m + 1 times, where the banded factorisation of the whole
    // takes the longest gap's length squared for every unknown (a pop
    // before or after a tick).
    const size_t p = m_a.size() - 1;
    const size_t m = count - n;
    m_others.clear();
    for (size_t i = 0; i < count; ++i) {
        if (i < run || i >= run + n) {
            m_others.push_back(i);
        }
    }
    auto entry = [&](size_t i, size_t j) {
        const size_t lag = unknown[i] > unknown[j] ? unknown[i] - unknown[j] : unknown[j] - unknown[i];
        return lag <= p ? m_c[lag] : 0.0;
    };
    if (!m_inverse.Factor(m_c.data(), m_c.size(), n)) {
        return false;
    }
    m_cross.resize(n * m);
    m_solved.resize(n * m);
    for (size_t j = 0; j < m; ++j) {
        double* column = m_solved.data() + j * n;
        for (size_t i = 0; i < n; ++i) {
            column[i] = m_cross[j * n + i] = entry(run + i, m_others[j]);
        }
        m_inverse.Apply(column);
    }
    double* gap = b + run;
    m_inverse.Apply(gap);
    m_rest.resize(m);
    for (size_t j = 0; j < m; ++j) {
        m_rest[j] = b[m_others[j]] - DotDouble(m_cross.data() + j * n, gap, n);
    }
    const bool solved = m_banded.Solve(
        m, m - 1,
        [&](size_t i, size_t j) {
            return entry(m_others[i], m_others[j]) - DotDouble(m_cross.data() + i * n, m_solved.data() + j * n, n);
        },
        m_rest.data());
    if (!solved) {
        return false;
    }
    for (size_t j = 0; j < m; ++j) {
        AxpyDouble(gap, m_solved.data() + j * n, n, -m_rest[j]);
        b[m_others[j]] = m_rest[j];
    }
    return true;
}

double ArInterpolator::NeighbourProducts(const double* y) const
{
    const size_t p = m_a.size() - 1;
    return DotDouble(m_c.data() + 1, y + 1, p) + DotDouble(m_cReversed.data(), y - p, p);
}

void ArInterpolator::RecordingProducts(const float* x, size_t from, size_t to)
{
    // g[t] = A_u' e for the recording as it stands, the sum over |d| <= p
    // of c[|d|] x[t + d] (as in Interpolate, with the sample itself kept).
    const size_t p = m_a.size() - 1;
    m_y.assign(x + (from - p), x + (to + p));
    m_g.resize(to - from);
    for (size_t t = 0; t < m_g.size(); ++t) {
        const double* y = m_y.data() + p + t;
        m_g[t] = m_c[0] * y[0] + NeighbourProducts(y);
    }
}

bool ArInterpolator::RemovalsFrom(size_t first)
{
    // The Toeplitz recursion solves every leading system on its way: one
    // solve gives g' S^-1 g for the gaps from `first` to every end.
    const size_t longest = m_g.size() - first;
    m_z.assign(m_g.begin() + static_cast<std::ptrdiff_t>(first), m_g.end());
    m_removed.resize(longest);
    return m_toeplitz.Solve(m_c.data(), m_c.size(), m_z.data(), longest, m_removed.data());
}

bool ArInterpolator::Localise(const float* x, size_t& start, size_t& end, Reach reach, double sampleCost)
{
    // Replacing a gap's samples by their interpolation removes g' S^-1 g
    // from the error energy of every row, S the Toeplitz matrix of c over
    // the gap and g the recording's A_u' e there. The gap of the largest
    // removal less its cost is a generalised likelihood ratio's choice of
    // the damaged samples, each sample charged as in Akaike's criterion.
    if (m_a.empty() || end <= start || start < reach.start) {
        return false;
    }
    const size_t from = start - reach.start;
    const size_t to = end + reach.end;
    RecordingProducts(x, from, to);
    double best = 0.0;
    size_t bestStart = start, bestEnd = end;
    const size_t firstEnd = end - std::min(end, reach.end);
    for (size_t a = from; a <= start + reach.start && a < to; ++a) {
        if (!RemovalsFrom(a - from)) {
            continue;
        }
        for (size_t b = std::max(a + 1, firstEnd); b <= to; ++b) {
            const double net = m_removed[b - a - 1] - sampleCost * static_cast<double>(b - a);
            if (net > best) {
                best = net;
                bestStart = a;
                bestEnd = b;
            }
        }
    }
    start = bestStart;
    end = bestEnd;
    return best > 0.0;
}

void ArInterpolator::GapNets(const float* x, size_t lo, size_t hi, double sampleCost)
{
    const size_t n = hi - lo;
    RecordingProducts(x, lo, hi);
    m_nets.assign(n * (n + 1), -std::numeric_limits<double>::infinity());
    for (size_t a = 0; a < n; ++a) {
        if (!RemovalsFrom(a)) {
            continue;
        }
        for (size_t b = a + 1; b <= n; ++b) {
            m_nets[a * (n + 1) + b] = m_removed[b - a - 1] - sampleCost * static_cast<double>(b - a);
        }
    }
}

bool ArInterpolator::Strongest(const float* x, size_t lo, size_t hi, double sampleCost, Gap& gap)
{
    if (m_a.empty() || hi <= lo) {
        return false;
    }
    GapNets(x, lo, hi, sampleCost);
    const size_t n = hi - lo;
    double best = 0.0;
    for (size_t a = 0; a < n; ++a) {
        for (size_t b = a + 1; b <= n; ++b) {
            if (m_nets[a * (n + 1) + b] > best) {
                best = m_nets[a * (n + 1) + b];
                gap = {lo + a, lo + b};
            }
        }
    }
    return best > 0.0;
}

bool ArInterpolator::ProposeSplit(const float* x, size_t lo, size_t hi, size_t clean, double sampleCost, Gap& first,
                                  Gap& second)
{
    if (m_a.empty() || hi <= lo + clean + 1) {
        return false;
    }
    GapNets(x, lo, hi, sampleCost);
    const size_t n = hi - lo;
    // The best gap ending by each sample, and starting from each sample on.
    const double lowest = -std::numeric_limits<double>::infinity();
    m_byEnd.assign(n + 1, {lowest, {}});
    m_byStart.assign(n + 1, {lowest, {}});
    for (size_t b = 1; b <= n; ++b) {
        m_byEnd[b] = m_byEnd[b - 1];
        for (size_t a = 0; a < b; ++a) {
            if (m_nets[a * (n + 1) + b] > m_byEnd[b].net) {
                m_byEnd[b] = {m_nets[a * (n + 1) + b], {lo + a, lo + b}};
            }
        }
    }
    for (size_t a = n; a-- > 0;) {
        m_byStart[a] = m_byStart[a + 1];
        for (size_t b = a + 1; b <= n; ++b) {
            if (m_nets[a * (n + 1) + b] > m_byStart[a].net) {
                m_byStart[a] = {m_nets[a * (n + 1) + b], {lo + a, lo + b}};
            }
        }
    }
    double best = lowest;
    for (size_t m = 1; m + clean < n; ++m) {
        const Choice& left = m_byEnd[m];
        const Choice& right = m_byStart[m + clean];
        if (left.net > 0.0 && right.net > 0.0 && left.net + right.net > best) {
            best = left.net + right.net;
            first = left.gap;
            second = right.gap;
        }
    }
    return best > lowest;
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
