// State of the DSD-to-PCM decimator of one channel between calls: the last
// input bytes the first stage reads, the second stage's history and its
// write position.
#pragma once

#include <cstdint>

constexpr unsigned kDsdFilterTaps = 96;
// Input bytes one first-stage value reads: 96 one-bit samples.
constexpr unsigned kDsdHistoryBytes = kDsdFilterTaps / 8;

// Value-initialise (DsdToPcmWorkBuffer{}) to start from silence.
struct alignas(16) DsdToPcmWorkBuffer {
    float stage1History[kDsdFilterTaps];  // last 96 first-stage outputs, circular
    uint8_t byteHistory[kDsdHistoryBytes]; // last 12 input bytes, oldest first
    uint64_t bytesSeen;                    // input bytes so far, counted up to 12; older ones are silence
    uint64_t stage1Pos;                    // next first-stage output goes here: 0 ... 95
};
