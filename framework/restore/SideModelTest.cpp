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
    AppendErrorMagnitudes(s, start - side + p, side - p, Direction::Forward);
    AppendErrorMagnitudes(s, end + p, side - p, Direction::Forward);
    const double sigma = kMadToSigma * Median(m_magnitudes);
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

bool SideModelTest::BoundsNote(const ChannelSamples& s, const std::vector<ChannelRegion>& found,
                               uint64_t start, uint64_t end, size_t gap, double rise)
{
    return MusicChanges(s, found, start, end, gap, rise, Direction::Forward) ||
           MusicChanges(s, found, start, end, gap, rise, Direction::Backward);
}

bool SideModelTest::MusicChanges(const ChannelSamples& s, const std::vector<ChannelRegion>& found,
                                 uint64_t start, uint64_t end, size_t gap, double rise,
                                 Direction direction)
{
    // Forward: the model of the music before the span, its errors after
    // it. The errors are taken from the order's length past the span
    // (their predictions then read none of its samples) and again from the
    // gap past that: a note goes on, while damage that outlasts the runs
    // found (a ring under a quiet floor) is gone by then. Each window is
    // the order's length (a tick a millisecond before a note is still a
    // tick) and ends at the first damage found in the way (confirmed: the
    // weak runs within a burst of noise are no damage): damage that
    // follows closely is no note. Fewer than half the order's errors
    // cannot tell. Backward, the same mirrored: the model of the music
    // after the span, its backward errors before it.
    const bool forward = direction == Direction::Forward;
    const size_t side = m_settings.blockLength / 2;
    const size_t p = m_settings.detectOrder;
    const uint64_t readable = std::min(s.frames, s.origin + s.available);
    if (end <= start || start < s.origin + side + gap + 2 * p ||
        end + side + gap + 2 * p > readable) {
        return false;
    }
    uint64_t windows[2][2] = {}; // [from, to) of each
    for (int w = 0; w < 2; ++w) {
        const uint64_t reach = p + (w == 0 ? 0 : gap);
        uint64_t from = forward ? end + reach : start - reach - p;
        uint64_t to = from + p;
        for (const ChannelRegion& run : found) {
            if (!run.confirmed) {
                continue;
            }
            // The forward error at i reads the samples from i - p to i,
            // the backward one those from i to i + p.
            const uint64_t touchedFrom =
                forward ? run.start : run.start - std::min<uint64_t>(run.start, p);
            const uint64_t touchedTo = forward ? run.end + p : run.end;
            if (touchedFrom < to && touchedTo > from) {
                if (forward) {
                    to = std::max(touchedFrom, from);
                } else {
                    from = std::min(touchedTo, to);
                }
            }
        }
        if (to - from < p / 2) {
            return false;
        }
        windows[w][0] = from;
        windows[w][1] = to;
    }
    const uint64_t modelFrom = forward ? start - side : end;
    const BurgFit::Segment segment{s.x + (modelFrom - s.origin), side};
    if (!m_burg.Fit(&segment, 1, p, m_model)) {
        return false;
    }
    m_taps.assign(m_model.a.begin(), m_model.a.end());
    if (!forward) {
        std::reverse(m_taps.begin(), m_taps.end());
    }
    m_magnitudes.clear();
    AppendErrorMagnitudes(s, forward ? modelFrom + p : modelFrom, side - p, direction);
    const double usual = Median(m_magnitudes);
    for (const auto& [from, to] : windows) {
        m_magnitudes.clear();
        AppendErrorMagnitudes(s, from, static_cast<size_t>(to - from), direction);
        if (!(usual > 0.0) || Median(m_magnitudes) <= rise * usual) {
            return false;
        }
    }
    return true;
}

void SideModelTest::AppendErrorMagnitudes(const ChannelSamples& s, uint64_t from, size_t count,
                                          Direction direction)
{
    // m_taps reversed filter the samples after each position.
    const size_t p = m_taps.size() - 1;
    const size_t ahead = direction == Direction::Forward ? 0 : p;
    m_errors.resize(count);
    FilterFloat(s.x + (from - s.origin) + ahead, m_taps.data(), p + 1, count, m_errors.data());
    for (const float e : m_errors) {
        m_magnitudes.push_back(std::fabs(e));
    }
}
