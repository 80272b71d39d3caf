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
    // sums of the next.
    double cross = 0.0;
    double power = 0.0;
    at = 0;
    for (size_t s = 0; s < count; ++s) {
        const size_t length = segments[s].length;
        if (length > 1) {
            double c = 0.0, e = 0.0;
            BurgSums(m_forward.data() + at + 1, m_backward.data() + at, length - 1, c, e);
            cross += c;
            power += e;
        }
        at += length;
    }
    for (size_t m = 1; m <= order; ++m) {
        if (!(power > 0.0)) {
            break;
        }
        const double k = -2.0 * cross / power;
        cross = 0.0;
        power = 0.0;
        at = 0;
        for (size_t s = 0; s < count; ++s) {
            const size_t length = segments[s].length;
            if (length > m) {
                double c = 0.0, e = 0.0;
                BurgStage(m_forward.data() + at + m, m_backward.data() + at + m - 1, m_backwardNext.data() + at + m,
                          length - m, static_cast<float>(k), c, e);
                cross += c;
                power += e;
            }
            at += length;
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
