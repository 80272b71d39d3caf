// The overrun warning rate limit.
#include "device/OverrunWarnings.h"

bool OverrunWarnings::Add(Clock::time_point now, uint64_t position, uint64_t framesLost, Line& line)
{
    m_pending.overruns += 1;
    m_pending.framesLost += framesLost;
    m_pending.position = position;
    if (m_loggedBefore && now - m_lastLine < m_interval)
        return false;
    m_loggedBefore = true;
    m_lastLine = now;
    line = m_pending;
    m_pending = Line{};
    return true;
}

bool OverrunWarnings::Flush(Line& line)
{
    const bool due = m_pending.overruns > 0;
    if (due)
        line = m_pending;
    m_pending = Line{};
    m_loggedBefore = false;
    return due;
}
