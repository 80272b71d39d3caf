// The recorded ranges of one recording, built from start, pause, resume and
// stop events, and the queries that tell a store which parts of a block it
// adds belong to the recording. Positions are in frames of the caller's
// choosing (samples for PCM, preview frames for DSD). The engine appends
// events while the recording and conversion threads query, so every
// operation takes the manager's mutex.
#pragma once

#include <cstdint>
#include <mutex>

#include "storage/RecordRanges.h"

enum RecordEventKind : int32_t {
    RecordEventStart = 0,
    RecordEventPause = 1,
    RecordEventResume = 2,
    RecordEventStop = 3,
};

class RecordRangeManager {
public:
    RecordRangeManager() = default;
    virtual ~RecordRangeManager() = default;
    RecordRangeManager(const RecordRangeManager&) = delete;
    RecordRangeManager& operator=(const RecordRangeManager&) = delete;

    // Forgets every range; not recording.
    void Reset();

    // Start: forget every range, then open one at position. Resume: open one
    // unless recording. Pause, stop: close the open one at position. Events
    // that do not apply in the current state, and unknown kinds, are ignored.
    void AddRecordEvent(uint64_t position, RecordEventKind kind);

    // The recorded parts of the frame window [from, to), clipped to it; an
    // open pair (p, p) means recorded from p to the window's end.
    RecordRangeList GetAvailableRange_Frames(uint64_t from, uint64_t to);

    // The same for a byte window: the frame query for [from / bytesPerFrame,
    // to / bytesPerFrame), scaled back by bytesPerFrame. Empty when bytesPerFrame is 0.
    RecordRangeList GetAvailableRange_Bytes(uint64_t from, uint64_t to, uint32_t bytesPerFrame);

    // Snapshot of the range list, and whether the last range is open.
    RecordRangeList GetRanges();
    bool IsRecording();

private:
    RecordRangeList FramesLocked(uint64_t from, uint64_t to) const;

    std::mutex m_lock;
    RecordRangeList m_ranges;
    int32_t m_recording = 0;
};
