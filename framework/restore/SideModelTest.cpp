// The side model's test of a span; see SideModelTest.h.
#include "restore/SideModelTest.h"

#include "restore/ClickDetector.h"
#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>

bool SideModelTest::HoldsDamage(const ChannelSamples& s, uint64_t start, uint64_t end, double sigmas)
{
    // Half a block on each side, a model of the detection's order.
    const size_t side = m_settings.blockLength / 2;
    const size_t p = m_settings.detectOrder;
    const uint64_t readable = std::min(s.frames, s.origin + s.available);
    if (end <= start || start < s.origin + side || end + side > readable) {
        return true;
    }
    const float* before = s.x + (start - side - s.origin);
    const float* after = s.x + (end - s.origin);
    const BurgFit::Segment segments[] = {{before, side}, {after, side}};
    if (!m_burg.Fit(segments, 2, p, m_model)) {
        return true;
    }
    m_taps.assign(m_model.a.begin(), m_model.a.end());
    m_magnitudes.clear();
    m_errors.resize(side - p);
    for (const float* x : {before + p, after + p}) {
        FilterFloat(x, m_taps.data(), p + 1, side - p, m_errors.data());
        for (const float e : m_errors) {
            m_magnitudes.push_back(std::fabs(e));
        }
    }
    const auto middle =
        m_magnitudes.begin() + static_cast<std::ptrdiff_t>(m_magnitudes.size() / 2);
    std::nth_element(m_magnitudes.begin(), middle, m_magnitudes.end());
    const double sigma = kMadToSigma * *middle;
    const auto count = static_cast<size_t>(end - start);
    m_values.resize(count);
    m_interpolator.Prepare(m_model);
    double removed = 0.0;
    if (!(sigma > 0.0) ||
        !m_interpolator.InterpolateSpan(s.x, static_cast<size_t>(start - s.origin), count,
                                        m_values.data(), removed)) {
        return true;
    }
    return removed / (sigma * sigma) > ChiSquareQuantile(static_cast<double>(count), sigmas);
}
