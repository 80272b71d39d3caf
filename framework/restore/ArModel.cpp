// Autoregressive model fits; see ArModel.h.
#include "restore/ArModel.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

bool LevinsonDurbin(const double* r, size_t order, double* a)
{
    std::fill(a, a + order + 1, 0.0);
    a[0] = 1.0;
    if (!(r[0] > 0.0)) {
        return false;
    }
    double error = r[0];
    // reversed[k] = r[order - k], so that the sum over j of a[j] r[i - j]
    // runs forwards through both.
    std::vector<double> reversed(r, r + order + 1);
    std::reverse(reversed.begin(), reversed.end());
    for (size_t i = 1; i <= order; ++i) {
        const double acc = DotDouble(a, reversed.data() + (order - i), i);
        const double k = -acc / error;
        const double nextError = error * (1.0 - k * k);
        if (!(nextError > 0.0) || !std::isfinite(k)) {
            break; // the autocorrelation is (numerically) singular here
        }
        // a[j] += k * a[i - j] for 0 < j <= i (a[i] is 0 before).
        ReflectDouble(a, i, k);
        a[i] = k;
        error = nextError;
    }
    return true;
}

namespace {

// Burg's recursion takes each stage's error energy from the stage before
// (which saves a third of the arithmetic of a stage) and sums it afresh
// every this many stages, so that rounding cannot drift far.
constexpr size_t kExactEnergyStages = 32;

} // namespace

void BurgFit::StageSums(const Segment* segments, size_t count, size_t m, double& cross, double& power) const
{
    cross = 0.0;
    power = 0.0;
    size_t at = 0;
    for (size_t s = 0; s < count; ++s) {
        const size_t length = segments[s].length;
        if (length > m) {
            double c = 0.0, e = 0.0;
            BurgSums(m_forward.data() + at + m, m_backward.data() + at + m - 1, length - m, c, e);
            cross += c;
            power += e;
        }
        at += length;
    }
}

bool BurgFit::Fit(const Segment* segments, size_t count, size_t order, ArModel& model)
{
    size_t total = 0;
    for (size_t s = 0; s < count; ++s) {
        total += segments[s].length;
    }
    model.a.assign(order + 1, 0.0);
    model.a[0] = 1.0;
    if (total <= order) {
        return false;
    }
    // The segments one after the other; each keeps its own start.
    m_forward.resize(total);
    m_backward.resize(total);
    m_backwardNext.resize(total);
    double energy = 0.0;
    size_t at = 0;
    for (size_t s = 0; s < count; ++s) {
        for (size_t i = 0; i < segments[s].length; ++i) {
            const float v = segments[s].samples[i];
            m_forward[at + i] = m_backward[at + i] = v;
            energy += static_cast<double>(v) * v;
        }
        at += segments[s].length;
    }
    if (!(energy > 0.0)) {
        return false;
    }
    std::vector<double>& a = model.a;
    // Stage m uses forward errors at i >= m of each segment and the
    // backward errors one sample earlier; each stage's update yields the
    // cross sum of the next, and its energy follows from the stage's own.
    double cross = 0.0;
    double power = 0.0;
    StageSums(segments, count, 1, cross, power);
    bool summed = true; // power is a fresh sum, not the recursion's
    for (size_t m = 1; m <= order; ++m) {
        double k = power > 0.0 ? -2.0 * cross / power : 0.0;
        if (!summed && !(power > 0.0 && std::fabs(k) < 1.0)) {
            // The recursion's energy fell below the true one (a reflection
            // near 1, a near-perfect fit): the stage's energy afresh.
            double unused = 0.0;
            StageSums(segments, count, m, unused, power);
            k = power > 0.0 ? -2.0 * cross / power : 0.0;
        }
        if (!(power > 0.0)) {
            break;
        }
        const auto applied = static_cast<float>(k);
        const double ka = applied;
        const bool exact = m % kExactEnergyStages == 0;
        // The energy of the updated errors over this stage's pairs is
        // (1 + k^2) power + 4 k cross, for any k (with Burg's k it is
        // (1 - k^2) power: Andersen, "On the calculation of filter
        // coefficients for maximum entropy spectral analysis", Geophysics
        // 39, 1974); the next stage's pairs leave out each segment's first
        // forward and last backward error.
        double next = (1.0 + ka * ka) * power + 4.0 * ka * cross;
        cross = 0.0;
        power = 0.0;
        at = 0;
        for (size_t s = 0; s < count; ++s) {
            const size_t length = segments[s].length;
            if (length > m) {
                double c = 0.0, e = 0.0;
                float* f = m_forward.data() + at + m;
                float* bNext = m_backwardNext.data() + at + m;
                if (exact) {
                    BurgStage(f, m_backward.data() + at + m - 1, bNext, length - m, applied, c, e);
                } else {
                    BurgUpdate(f, m_backward.data() + at + m - 1, bNext, length - m, applied, c);
                    const double first = f[0];
                    const double last = bNext[length - m - 1];
                    next -= first * first + last * last;
                }
                cross += c;
                power += e;
            }
            at += length;
        }
        summed = exact;
        if (!exact) {
            power = next;
        }
        std::swap(m_backward, m_backwardNext);
        ReflectDouble(a.data(), m, k);
        a[m] = k;
    }
    return true;
}

BlockFit::BlockFit(size_t blockLength) : m_window(blockLength), m_windowed(blockLength)
{
    // Hann window; its ends are not quite zero so that every sample counts.
    const double step = 2.0 * std::numbers::pi / static_cast<double>(blockLength + 1);
    for (size_t i = 0; i < blockLength; ++i) {
        m_window[i] = static_cast<float>(0.5 - 0.5 * std::cos(step * static_cast<double>(i + 1)));
    }
}

bool BlockFit::Fit(const float* x, size_t order, double whiteNoise, ArModel& model)
{
    const size_t n = m_window.size();
    for (size_t i = 0; i < n; ++i) {
        m_windowed[i] = x[i] * m_window[i];
    }
    m_r.resize(order + 1);
    AutocorrelationFloat(m_windowed.data(), n, order, m_r.data());
    m_r[0] *= 1.0 + whiteNoise;
    model.a.resize(order + 1);
    return LevinsonDurbin(m_r.data(), order, model.a.data());
}
