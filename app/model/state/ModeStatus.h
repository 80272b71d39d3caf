// The application state values and the four flags the control manager derives from them.
#pragma once

#include <cstdint>

enum ModeStatus : uint32_t {
    ModeStatusReady = 0,
    ModeStatusPreRecording = 1,
    ModeStatusStartRequested = 2,
    ModeStatusRecording = 3,
    ModeStatusRecordPaused = 4,
    ModeStatusStopping = 5,
    ModeStatusEditStopped = 6,
    ModeStatusEditPlaying = 7,
};

// edit: edit mode shown; run: something runs; pause: recording paused or
// playback stopped in edit mode; wait: a transition is pending.
struct ModeFlags {
    bool edit = false;
    bool run = false;
    bool pause = false;
    bool wait = false;

    bool operator==(const ModeFlags&) const = default;
};

// Flags for a status; an unknown status (above 7) gives all four false.
ModeFlags FlagsForStatus(uint32_t status);
