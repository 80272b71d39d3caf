// The places in one recording where audio was lost, kept for the caller to
// read after the recording, and the pacing of the notification that tells the
// user while recording: a gap is announced when it lies at least
// kNotifyIntervalSeconds of recorded time after the last one announced, so a
// device that overloads on every cycle does not flood the main queue.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "interface/cartova.h"

class DroppedAudioLog {
public:
    static constexpr double kNotifyIntervalSeconds = 1.0;

    // Forgets every gap (a new recording starts).
    void Clear();
    // Adds a gap; true when it is to be announced.
    bool Add(double positionSeconds, uint64_t framesLost);
    std::vector<TkDroppedAudio> Entries();
    // The text of the announcement of the last gap added.
    std::string LastMessage();

private:
    std::mutex m_lock;
    std::vector<TkDroppedAudio> m_entries;
    uint64_t m_totalFrames = 0;
    bool m_announced = false;
    double m_lastAnnounced = 0.0;
};

// "audio was dropped at 12.350 s of the recording: 4800 samples per channel
// lost", followed by the totals when there is more than one gap.
std::string DroppedAudioMessage(const TkDroppedAudio& gap, size_t gapCount, uint64_t totalFrames);
