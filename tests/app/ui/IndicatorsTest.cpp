// The indicators' logic: level scale, peak and over hold, time digits, gain and format
// titles, and that every piece of artwork they name is compiled in.
#include "state/ModeTimeManager.h"
#include "controls/Artwork.h"
#include "indicator/Indicator_Gain.h"
#include "indicator/Indicator_LevelMeter.h"
#include "indicator/Indicator_Setting.h"
#include "indicator/Indicator_Time.h"
#include "indicator/LevelMeterState.h"
#include "indicator/TimeDigits.h"

#include <gtest/gtest.h>

namespace {

// The segment indices a row shows as the peak image.
std::vector<int> PeakSegments(const LevelMeterState& m, int channel)
{
    std::vector<int> peaks;
    for (const LevelMeterState::Mark& mark : m.marks(channel))
        if (mark.peakImage)
            peaks.push_back(mark.segment);
    return peaks;
}

} // namespace

TEST(LevelMeterState, FullScaleIsZeroDbWithOverAndJustBelowIsMinusOne)
{
    LevelMeterState m;
    m.setLevel(1.0f, 0.999f);
    EXPECT_EQ(m.channel(0).level, 0);
    EXPECT_TRUE(m.channel(0).over);
    EXPECT_EQ(m.channel(1).level, -1);
    EXPECT_FALSE(m.channel(1).over);
    // The top segment (0 dB) is drawn as the peak image, everything below it lit.
    EXPECT_EQ(PeakSegments(m, 0), std::vector<int>{54});
    EXPECT_EQ(m.marks(0).size(), 55u);
    EXPECT_EQ(PeakSegments(m, 1), std::vector<int>{53});
    EXPECT_EQ(m.marks(1).size(), 54u);
}

TEST(LevelMeterState, ScaleAmpAndSilence)
{
    EXPECT_EQ(LevelMeterState::LinearToDb(0.0f), IndicatorChInfo::kSilence);
    EXPECT_EQ(LevelMeterState::LinearToDb(-0.5f), IndicatorChInfo::kSilence);
    EXPECT_EQ(LevelMeterState::LinearToDb(0.5f), -7); // -6.02 rounds down
    EXPECT_EQ(LevelMeterState::LinearToDb(2.0f), 6);
    LevelMeterState m;
    m.setAmp(1.6666666f); // DSD recordings read 4.4 dB louder
    m.setLevel(0.6f, 0.0f);
    EXPECT_EQ(m.channel(0).level, 0);
    EXPECT_TRUE(m.marks(1).empty()); // silence draws nothing
    EXPECT_EQ(LevelMeterState::barX(54), 270);
    EXPECT_EQ(LevelMeterState::kOverX, 275);
    EXPECT_EQ(m.channel(0).bar_y, 31);
    EXPECT_EQ(m.channel(1).bar_y, 0);
}

TEST(LevelMeterState, HoldThreeKeepsAPeakThirtyTicksThenFallsBack)
{
    LevelMeterState m; // hold time 3, automatic clearing
    m.onTimer(1.0f, 0.5f);
    EXPECT_EQ(m.channel(0).peak, 0);
    EXPECT_EQ(m.channel(0).timeForResetPeak, 30u);
    for (int tick = 1; tick < 30; ++tick) {
        m.onTimer(0.01f, 0.01f);
        ASSERT_EQ(m.channel(0).peak, 0) << "tick " << tick;
        ASSERT_TRUE(m.channel(0).over) << "tick " << tick;
    }
    m.onTimer(0.01f, 0.01f);
    // The hold ran out: the peak fell back to nothing held and rose to the level of this tick.
    EXPECT_EQ(m.channel(0).level, -41); // 0.01f is a hair below -40 dB
    EXPECT_EQ(m.channel(0).peak, -41);
    EXPECT_FALSE(m.channel(0).over);
}

TEST(LevelMeterState, NoMeasurementKeepsLevelsButCountsDown)
{
    LevelMeterState m;
    m.onTimer(0.5f, 0.5f);
    const uint32_t before = m.channel(0).timeForResetPeak;
    m.onTimer(-1.0f, -1.0f);
    EXPECT_EQ(m.channel(0).level, -7);
    EXPECT_EQ(m.channel(0).timeForResetPeak, before - 1);
}

TEST(LevelMeterState, RecordingHoldsIndefinitelyAndPauseFallsBackToThatState)
{
    LevelMeterState m;
    m.setHoldTime(-1); // recording
    EXPECT_FALSE(m.autoClear());
    m.onTimer(1.0f, 0.1f);
    for (int tick = 0; tick < 100; ++tick)
        m.onTimer(0.001f, 0.001f);
    EXPECT_EQ(m.channel(0).peak, 0);
    EXPECT_TRUE(m.channel(0).over);
    EXPECT_EQ(m.channel(1).peak, -20);

    m.setHoldTime(3); // paused: the held state becomes the fall-back state
    EXPECT_TRUE(m.autoClear());
    m.onTimer(1.0f, 1.0f); // a rise while paused: peak already 0, over re-armed
    for (int tick = 0; tick < 40; ++tick)
        m.onTimer(0.001f, 0.001f);
    EXPECT_EQ(m.channel(0).peak, 0);
    EXPECT_TRUE(m.channel(0).over);
    // Channel 2 rose while paused and fell back 3 s later to what recording had held.
    EXPECT_EQ(m.channel(1).peak, -20);
    EXPECT_FALSE(m.channel(1).over);
}

TEST(LevelMeterState, ClearImmediatelyResetsBothChannels)
{
    LevelMeterState m;
    m.setHoldTime(-1);
    m.setLevel(1.0f, 1.0f);
    m.clearImmediately();
    EXPECT_TRUE(m.autoClear());
    for (int c = 0; c < 2; ++c) {
        EXPECT_EQ(m.channel(c).level, IndicatorChInfo::kSilence);
        EXPECT_EQ(m.channel(c).peak, IndicatorChInfo::kSilence);
        EXPECT_FALSE(m.channel(c).over);
        EXPECT_TRUE(m.marks(c).empty());
    }
}

TEST(Indicator_LevelMeter, ReadsItsLevelSourceOnTheTimer)
{
    Indicator_LevelMeter meter;
    EXPECT_TRUE(meter.isTimerActive());
    int reads = 0;
    meter.setLevelSource([&](float* levels, int count) {
        ASSERT_EQ(count, 2);
        ++reads;
        levels[0] = 0.5f;
        levels[1] = 1.0f;
    });
    meter.onTimer();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(meter.state().channel(0).level, -7);
    EXPECT_TRUE(meter.state().channel(1).over);
    EXPECT_EQ(meter.sizeHint().height(), 41);
}

TEST(TimeDigits, RoundsToTenthsAndStopsAtTheLimit)
{
    EXPECT_EQ(Indicator_Time::FormatTime(0.0), "00:00.00");
    EXPECT_EQ(Indicator_Time::FormatTime(754.36), "12:34.40");
    EXPECT_EQ(Indicator_Time::FormatTime(7000.0), "99:59.90");
    EXPECT_EQ(Indicator_Time::FormatTime(-3.0), "00:00.00");
    EXPECT_EQ(Indicator_Time::FormatTime(59.96), "01:00.00");
    EXPECT_EQ((MakeDigits(754.36)), (std::array<int, 6>{1, 2, 3, 4, 4, 0}));
}

TEST(Indicator_Time, FollowsTheStateAndShowsTheTotalOnlyWhenAsked)
{
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    Indicator_Time time;
    mtm.setCurrentTime(754.36);
    mtm.setTotalTime(2700.0);
    EXPECT_EQ(time.text(), "12:34.40 / 45:00.00");
    time.setHideTotalTime(true);
    EXPECT_EQ(time.text(), "12:34.40");
    mtm.setCurrentTime(0.0);
    mtm.setTotalTime(0.0);
    // Large digits 30 high, the total reserved: 4 L digits, 2 L signs, 2 M digits, the small part.
    EXPECT_EQ(time.sizeHint().height(), 30);
    EXPECT_GT(time.sizeHint().width(), 150);
}

TEST(Artwork, EveryNamedImageIsCompiledIn)
{
    QStringList names = TimeImageNames(0.0, 0.0, false);
    for (int d = 0; d <= 9; ++d)
        for (const char* size : {"L", "M", "S"})
            names << QStringLiteral("timecode_%1_%2").arg(QLatin1String(size)).arg(d);
    names << "meter_value" << "meter_peak" << "meter_over" << "icon_rec" << "icon_recpause" << "icon_play"
          << "icon_pause";
    for (const QString& name : names) {
        const Artwork art(name);
        EXPECT_FALSE(art.isNull()) << name.toStdString();
        EXPECT_FALSE(art.size().isEmpty()) << name.toStdString();
    }
    EXPECT_TRUE(Artwork(QStringLiteral("timecode_M_colon")).isNull()); // the table has none
    EXPECT_EQ(Artwork(QStringLiteral("meter_peak")).size(), QSizeF(6, 10));
}

TEST(Indicator_Gain, TitleSignOnlyFromOneDecibelAndDecimalsOnlyForAutomatic)
{
    EXPECT_EQ(Indicator_Gain::GainTitle(0.0, false), "0 dB");
    EXPECT_EQ(Indicator_Gain::GainTitle(2.5, true), "+2.5 dB");
    EXPECT_EQ(Indicator_Gain::GainTitle(0.5, true), "0.5 dB");
    EXPECT_EQ(Indicator_Gain::GainTitle(4.0, false), "+4 dB");

    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    Indicator_Gain gain;
    mtm.setIsAutoGain(true);
    mtm.setGain(2.5);
    EXPECT_EQ(gain.text(), "+2.5 dB");
    mtm.setIsAutoGain(false);
    mtm.setGain(0.0);
    EXPECT_EQ(gain.text(), "0 dB");
}

TEST(Indicator_Setting, RateTextsAndTheThreeTitleParts)
{
    EXPECT_EQ(Indicator_Setting::RateText(44100), "44.1 kHz");
    EXPECT_EQ(Indicator_Setting::RateText(48000), "48 kHz");
    EXPECT_EQ(Indicator_Setting::RateText(2822400), "2.8 MHz");
    EXPECT_EQ(Indicator_Setting::RateText(5644800), "5.6 MHz");
    EXPECT_EQ(Indicator_Setting::RateText(11289600), "11.3 MHz");

    Indicator_Setting setting;
    setting.setFormat("DSD");
    setting.setSampleRate(2822400);
    setting.setBits(1);
    EXPECT_EQ(setting.titleParts(), (QStringList{"DSD", "2.8 MHz", "1 bit"}));
    EXPECT_EQ(setting.text(), "DSD2.8 MHz1 bit"); // kept apart by kerning, not spaces
    // Wider than the plain text by the two kernings.
    EXPECT_GT(setting.sizeHint().width(), setting.fontMetrics().horizontalAdvance(setting.text()) + 12);
}
