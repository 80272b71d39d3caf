// Planned pauses of a recording; see PauseSchedule.h.
#include "engine/PauseSchedule.h"

#include <cmath>

namespace {

// The first whole number of samples at `rate` that covers `seconds`. A time
// that is a whole number of samples up to rounding error counts as that
// number: 0.7 s at 44100 Hz (30869.999... in floating point) is 30870.
uint64_t SamplesOf(double seconds, uint64_t rate)
{
    const double exact = seconds * static_cast<double>(rate);
    const double nearest = std::round(exact);
    if (std::fabs(exact - nearest) < 1e-6) {
        return static_cast<uint64_t>(nearest);
    }
    return static_cast<uint64_t>(std::ceil(exact));
}

} // namespace

TkError PauseSchedule::Set(const TkPauseSpan* spans, size_t count)
{
    if (count != 0 && spans == nullptr) {
        return TkErrorInvalidArgument;
    }
    for (size_t i = 0; i < count; ++i) {
        const TkPauseSpan& span = spans[i];
        if (!std::isfinite(span.at_seconds) || !std::isfinite(span.length_seconds) || span.at_seconds < 0.0 ||
            span.length_seconds <= 0.0 || (i > 0 && span.at_seconds <= spans[i - 1].at_seconds)) {
            return TkErrorInvalidArgument;
        }
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_spans.assign(spans, spans + count);
    m_next = 0;
    m_pausing = false;
    m_resumeAt = 0;
    return TkErrorSuccess;
}

void PauseSchedule::Restart()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_next = 0;
    m_pausing = false;
    m_resumeAt = 0;
}

PauseSchedule::Step PauseSchedule::Next(uint64_t recorded, uint64_t captured, uint64_t rate, bool recording)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (rate == 0) {
        return Step::None;
    }
    if (m_pausing) {
        if (captured < m_resumeAt) {
            return Step::None;
        }
        m_pausing = false;
        ++m_next;
        return Step::Resume;
    }
    if (!recording || m_next >= m_spans.size() || recorded < SamplesOf(m_spans[m_next].at_seconds, rate)) {
        return Step::None;
    }
    m_pausing = true;
    m_resumeAt = captured + SamplesOf(m_spans[m_next].length_seconds, rate);
    return Step::Pause;
}
