// State of the DSD-to-PCM decimator of one channel between calls: the
// histories of both filter stages and their write positions.
#pragma once

#include <cstdint>

constexpr unsigned kDsdFilterTaps = 96;

// Value-initialise (DsdToPcmWorkBuffer{}) to start from silence.
struct alignas(16) DsdToPcmWorkBuffer {
    float bitHistory[kDsdFilterTaps];    // last 96 one-bit samples as +1.0 / -1.0, circular
    float stage1History[kDsdFilterTaps]; // last 96 first-stage outputs, circular
    uint64_t bitPos;                     // next 8 bits go here: 0, 8, ..., 88
    uint64_t stage1Pos;                  // next first-stage output goes here: 0 ... 95
};
