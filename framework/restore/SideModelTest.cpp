// The side model's test of a span; see SideModelTest.h.
#include "restore/SideModelTest.h"

#include "restore/ClickDetector.h"
#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>

bool SideModelTest::HoldsDamage(const ChannelSamples& s, uint64_t start, uint64_t end,
                                double sigmas)
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
    AppendErrorMagnitudes(before + p, side - p);
    AppendErrorMagnitudes(after + p, side - p);
    const double sigma = kMadToSigma * MedianMagnitude();
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

bool SideModelTest::StartsNote(const ChannelSamples& s, const std::vector<ChannelRegion>& found,
                               uint64_t start, uint64_t end, size_t gap, double rise)
{
    // The errors after the span are taken from the order's length past it
    // (their predictions then read no sample of the span) and again from
    // the gap past that: a note goes on, while damage that outlasts the
    // runs found (a ring under a quiet floor) is gone by then. Each window
    // is the order's length (a tick a millisecond before a note is still a
    // tick) and ends at the first damage found after it: damage that
    // follows closely is no note. Fewer than half the order's errors
    // cannot tell.
    const size_t side = m_settings.blockLength / 2;
    const size_t p = m_settings.detectOrder;
    const uint64_t readable = std::min(s.frames, s.origin + s.available);
    if (end <= start || start < s.origin + side || end + gap + 2 * p > readable) {
        return false;
    }
    uint64_t stops[2] = {};
    const uint64_t firsts[2] = {end + p, end + gap + p};
    for (int w = 0; w < 2; ++w) {
        stops[w] = firsts[w] + p;
        for (const ChannelRegion& run : found) {
            // The error at i reads the samples from i - p to i.
            if (run.end + p > firsts[w] && run.start < stops[w]) {
                stops[w] = std::max(run.start, firsts[w]);
            }
        }
        if (stops[w] - firsts[w] < p / 2) {
            return false;
        }
    }
    const float* before = s.x + (start - side - s.origin);
    const BurgFit::Segment segment{before, side};
    if (!m_burg.Fit(&segment, 1, p, m_model)) {
        return false;
    }
    m_taps.assign(m_model.a.begin(), m_model.a.end());
    m_magnitudes.clear();
    AppendErrorMagnitudes(before + p, side - p);
    const double usual = MedianMagnitude();
    for (int w = 0; w < 2; ++w) {
        m_magnitudes.clear();
        AppendErrorMagnitudes(s.x + (firsts[w] - s.origin),
                              static_cast<size_t>(stops[w] - firsts[w]));
        if (!(usual > 0.0) || MedianMagnitude() <= rise * usual) {
            return false;
        }
    }
    return true;
}

void SideModelTest::AppendErrorMagnitudes(const float* x, size_t count)
{
    m_errors.resize(count);
    FilterFloat(x, m_taps.data(), m_taps.size(), count, m_errors.data());
    for (const float e : m_errors) {
        m_magnitudes.push_back(std::fabs(e));
    }
}

double SideModelTest::MedianMagnitude()
{
    const auto middle = m_magnitudes.begin() + static_cast<std::ptrdiff_t>(m_magnitudes.size() / 2);
    std::nth_element(m_magnitudes.begin(), middle, m_magnitudes.end());
    return *middle;
}
