// Gaps of one recording and their announcement; see DroppedAudioLog.h.
#include "capture/DroppedAudioLog.h"

#include <cstdio>

void DroppedAudioLog::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
    m_totalFrames = 0;
    m_announced = false;
    m_lastAnnounced = 0.0;
}

bool DroppedAudioLog::Add(double positionSeconds, uint64_t framesLost)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.push_back(TkDroppedAudio{positionSeconds, framesLost});
    m_totalFrames += framesLost;
    if (m_announced && positionSeconds < m_lastAnnounced + kNotifyIntervalSeconds) {
        return false;
    }
    m_announced = true;
    m_lastAnnounced = positionSeconds;
    return true;
}

std::vector<TkDroppedAudio> DroppedAudioLog::Entries()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries;
}

std::string DroppedAudioLog::LastMessage()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_entries.empty()) {
        return {};
    }
    return DroppedAudioMessage(m_entries.back(), m_entries.size(), m_totalFrames);
}

std::string DroppedAudioMessage(const TkDroppedAudio& gap, size_t gapCount, uint64_t totalFrames)
{
    char text[200];
    int length = std::snprintf(text, sizeof text, "audio was dropped at %.3f s of the recording: %llu samples per channel lost",
                               gap.position_seconds, static_cast<unsigned long long>(gap.frames_lost));
    if (gapCount > 1 && length > 0 && static_cast<size_t>(length) < sizeof text) {
        std::snprintf(text + length, sizeof text - static_cast<size_t>(length), " (%zu gaps so far, %llu samples in all)",
                      gapCount, static_cast<unsigned long long>(totalFrames));
    }
    return text;
}
