// Recorded ranges from record events, and the window queries on them.
#include "storage/RecordRangeManager.h"

#include <algorithm>

void RecordRangeManager::Reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    RecordRangeList().swap(m_ranges);
    m_recording = 0;
}

void RecordRangeManager::AddRecordEvent(uint64_t position, RecordEventKind kind)
{
    std::lock_guard<std::mutex> guard(m_lock);
    switch (kind) {
    case RecordEventStart:
        RecordRangeList().swap(m_ranges);
        m_recording = 0;
        [[fallthrough]];
    case RecordEventResume:
        if (m_recording != 0)
            return;
        m_ranges.emplace_back(position, position);
        m_recording = 1;
        return;
    case RecordEventPause:
    case RecordEventStop:
        if (m_recording != 1)
            return;
        // A close before the open position would give an inverted range;
        // positions come from a growing length, so this only guards misuse.
        m_ranges.back().second = std::max(position, m_ranges.back().first);
        m_recording = 0;
        // A range closed where it opened records nothing; drop it so that it
        // is not mistaken for an open range.
        if (m_ranges.back().first == m_ranges.back().second)
            m_ranges.pop_back();
        return;
    }
}

RecordRangeList RecordRangeManager::FramesLocked(uint64_t from, uint64_t to) const
{
    RecordRangeList result;
    if (to <= from)
        return result;
    for (const RecordRange& range : m_ranges) {
        const uint64_t first = range.first;
        const uint64_t second = range.second;
        if (first < to && first == second) {
            result.emplace_back(std::max(first, from), std::max(first, from));
            break;
        }
        if (first >= to)
            break;
        if (second > from)
            result.emplace_back(std::max(first, from), std::min(second, to));
    }
    return result;
}

RecordRangeList RecordRangeManager::GetAvailableRange_Frames(uint64_t from, uint64_t to)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return FramesLocked(from, to);
}

RecordRangeList RecordRangeManager::GetAvailableRange_Bytes(uint64_t from, uint64_t to, uint32_t bytesPerFrame)
{
    if (bytesPerFrame == 0)
        return {};
    std::lock_guard<std::mutex> guard(m_lock);
    RecordRangeList result = FramesLocked(from / bytesPerFrame, to / bytesPerFrame);
    for (RecordRange& range : result) {
        range.first *= bytesPerFrame;
        range.second *= bytesPerFrame;
    }
    return result;
}

RecordRangeList RecordRangeManager::GetRanges()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_ranges;
}

bool RecordRangeManager::IsRecording()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_recording == 1;
}
