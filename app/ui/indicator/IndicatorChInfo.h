// State of one level-meter channel: current level, held peak and over lamp with their
// hold countdowns. Levels are whole dBFS; kSilence lies below every segment.
#pragma once

#include <cstdint>
#include <limits>

class IndicatorChInfo {
public:
    static constexpr int32_t kSilence = std::numeric_limits<int32_t>::min();

    void reset();

    int32_t level = kSilence;
    int32_t peak = kSilence;
    int32_t reset_peak = kSilence;      // value peak falls back to when its hold runs out
    bool over = false;
    bool reset_over = false;            // value over falls back to when its hold runs out
    uint32_t timeForResetPeak = 0;      // timer ticks left until peak falls back
    uint32_t timeForResetOver = 0;      // timer ticks left until over falls back
    int32_t bar_y = 0;                  // the channel's row, from the meter's bottom edge
};
