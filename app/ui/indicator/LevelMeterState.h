// The level meter's logic without its drawing: the scale of 55 one-dB segments from
// -54 dB to 0 dB, peak and over hold with their countdowns, and what to draw per row.
// The view runs onTimer every 0.1 s with the levels read from playback.
#pragma once

#include "indicator/IndicatorChInfo.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class LevelMeterState {
public:
    static constexpr int kSegmentCount = 55;
    static constexpr int kSegmentPitch = 5;       // points between segments
    static constexpr int kLowestDb = -54;         // value of segment 0
    static constexpr int kOverX = kSegmentCount * kSegmentPitch; // last segment + 5
    static constexpr int kRowPitch = 31;          // channel 1 row above channel 2
    static constexpr int kTimerIntervalMs = 100;
    static constexpr uint32_t kTicksPerSecond = 10;
    static constexpr int kChannels = 2;

    LevelMeterState();

    // Seconds the peak and over lamp stay after a rise; negative holds until told otherwise.
    void setHoldTime(int32_t seconds);
    int32_t holdTime() const { return m_holdTime; }
    bool autoClear() const { return m_autoClear; }
    void clearImmediately();

    void setAmp(float amp) { m_amp = amp; }
    float amp() const { return m_amp; }

    // Linear levels (1.0 = full scale) become whole dB, then update.
    void setLevel(float left, float right);
    // One timer tick with the levels read from playback (negative: nothing measured).
    void onTimer(float left, float right);
    void update();

    // floor(20 log10(value)) as a 32-bit integer; 0 (or less) is silence.
    static int32_t LinearToDb(float value);

    const IndicatorChInfo& channel(int index) const { return m_chInfo[static_cast<size_t>(index)]; }
    static int barX(int segment) { return segment * kSegmentPitch; }

    // What one row shows: for each drawn segment its index and whether it is the peak image.
    struct Mark {
        int segment;
        bool peakImage;
    };
    std::vector<Mark> marks(int channelIndex) const;

private:
    std::array<IndicatorChInfo, kChannels> m_chInfo;
    int32_t m_holdTime = 3;
    bool m_autoClear = true;
    float m_amp = 1.0f;
};
