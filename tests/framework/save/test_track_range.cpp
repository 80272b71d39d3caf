// Seconds to sample positions: a time that is a whole number of samples up
// to floating-point error lands on that sample; others are floored; DSD
// positions fall back to whole bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "save/TrackRange.h"

TEST(TrackRange, TimesOnWholeSamplesLandOnThem)
{
    // Each product computes a hair below the whole number.
    EXPECT_EQ(SecondsToSamples(44100, 0.7), 30870u);
    EXPECT_EQ(SecondsToSamples(96000, 5.1), 489600u);
    EXPECT_EQ(SecondsToSamples(44100, 2.3), 101430u);
    EXPECT_EQ(SecondsToSamples(2822400, 0.7), 1975680u);
    // Every marker on a tenth of a second, through a long side at the highest rates.
    for (int tenths = 1; tenths < 60000; tenths += 7) {
        const double seconds = tenths / 10.0;
        ASSERT_EQ(SecondsToSamples(384000, seconds), uint64_t(tenths) * 38400u) << seconds;
        ASSERT_EQ(SecondsToSamples(11289600, seconds), uint64_t(tenths) * 1128960u) << seconds;
    }
}

TEST(TrackRange, OtherTimesAreFloored)
{
    EXPECT_EQ(SecondsToSamples(44100, 0.5 / 44100), 0u);
    EXPECT_EQ(SecondsToSamples(44100, 1.999 / 44100), 1u);
    EXPECT_EQ(SecondsToSamples(44100, 1.234567), 54444u);  // 54444.4047
    EXPECT_EQ(SecondsToSamples(44100, -1.0), 0u);
    EXPECT_EQ(SecondsToSamples(44100, std::numeric_limits<double>::quiet_NaN()), 0u);
    EXPECT_EQ(SecondsToSamples(44100, 1e300), UINT64_MAX);
}

TEST(TrackRange, DsdPositionsAreWholeBytes)
{
    EXPECT_EQ(SecondsToDsdBytePosition(2822400, 0.7), 1975680u);
    EXPECT_EQ(SecondsToDsdBytePosition(2822400, 13.0 / 2822400), 8u);
    EXPECT_EQ(SecondsToDsdBytePosition(2822400, 7.0 / 2822400), 0u);
}
