// Level scale, hold countdowns and the segments each row shows.
#include "indicator/LevelMeterState.h"

#include <algorithm>
#include <cmath>

LevelMeterState::LevelMeterState()
{
    m_chInfo[0].bar_y = kRowPitch;
    m_chInfo[1].bar_y = 0;
}

int32_t LevelMeterState::LinearToDb(float value)
{
    if (!(value > 0.0f))
        return IndicatorChInfo::kSilence;
    const double db = std::floor(20.0 * std::log10(static_cast<double>(value)));
    if (db <= static_cast<double>(IndicatorChInfo::kSilence))
        return IndicatorChInfo::kSilence;
    if (db >= static_cast<double>(INT32_MAX))
        return INT32_MAX;
    return static_cast<int32_t>(db);
}

void LevelMeterState::setHoldTime(int32_t seconds)
{
    m_holdTime = seconds;
    m_autoClear = seconds >= 0;
    if (seconds < 0)
        return;
    for (IndicatorChInfo& ch : m_chInfo) {
        ch.reset_over = ch.over;
        ch.reset_peak = ch.peak;
        ch.timeForResetOver = 0;
        ch.timeForResetPeak = 0;
    }
}

void LevelMeterState::clearImmediately()
{
    for (IndicatorChInfo& ch : m_chInfo)
        ch.reset();
    m_autoClear = true;
}

void LevelMeterState::setLevel(float left, float right)
{
    m_chInfo[0].level = LinearToDb(left * m_amp);
    m_chInfo[1].level = LinearToDb(right * m_amp);
    update();
}

void LevelMeterState::onTimer(float left, float right)
{
    for (IndicatorChInfo& ch : m_chInfo) {
        if (ch.timeForResetOver > 0 && --ch.timeForResetOver == 0)
            ch.over = ch.reset_over;
        if (ch.timeForResetPeak > 0 && --ch.timeForResetPeak == 0)
            ch.peak = ch.reset_peak;
    }
    if (left >= 0.0f && right >= 0.0f)
        setLevel(left, right);
    else
        update();
}

void LevelMeterState::update()
{
    const uint32_t holdTicks = m_holdTime > 0 ? static_cast<uint32_t>(m_holdTime) * kTicksPerSecond : 0;
    for (IndicatorChInfo& ch : m_chInfo) {
        if (ch.level > ch.peak) {
            ch.peak = ch.level;
            if (!m_autoClear)
                ch.reset_peak = ch.peak;
            if (m_holdTime >= 0)
                ch.timeForResetPeak = holdTicks;
        }
        if (ch.level >= 0) {
            ch.over = true;
            if (!m_autoClear)
                ch.reset_over = true;
            if (m_holdTime >= 0)
                ch.timeForResetOver = holdTicks;
        }
    }
}

std::vector<LevelMeterState::Mark> LevelMeterState::marks(int channelIndex) const
{
    const IndicatorChInfo& ch = channel(channelIndex);
    const int32_t p = std::min(ch.peak, 0);
    const int32_t l = ch.level;
    std::vector<Mark> result;
    for (int i = 0; i < kSegmentCount; ++i) {
        const int32_t d = i + kLowestDb;
        if (d == p || d == l)
            result.push_back({i, true});
        else if (d < l)
            result.push_back({i, false});
    }
    return result;
}
