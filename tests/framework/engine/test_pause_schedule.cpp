// Planned pauses: refused plans, and the pause and resumption steps the
// recording thread is given buffer by buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/PauseSchedule.h"

using Step = PauseSchedule::Step;

TEST(PauseSchedule, PlansWithBadTimesAreRefusedAndKeepTheOldPlan)
{
    PauseSchedule schedule;
    const TkPauseSpan good[] = {{1.0, 0.5}};
    ASSERT_EQ(schedule.Set(good, 1), TkErrorSuccess);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TkPauseSpan bad[][2] = {
        {{-0.1, 1.0}, {2.0, 1.0}}, {{1.0, 0.0}, {2.0, 1.0}}, {{nan, 1.0}, {2.0, 1.0}},
        {{1.0, INFINITY}, {2.0, 1.0}}, {{2.0, 1.0}, {2.0, 1.0}}, {{2.0, 1.0}, {1.0, 1.0}}};
    for (const auto& plan : bad)
        EXPECT_EQ(schedule.Set(plan, 2), TkErrorInvalidArgument);
    EXPECT_EQ(schedule.Set(nullptr, 1), TkErrorInvalidArgument);
    // The good plan still holds.
    EXPECT_EQ(schedule.Next(44100, 44100, 44100, true), Step::Pause);
}

TEST(PauseSchedule, PausesAtTheBufferThatReachesItsTimeAndResumesAfterItsLength)
{
    PauseSchedule schedule;
    // 0.7 s at 44100 Hz is 30869.999... in floating point: still 30870 samples.
    const TkPauseSpan plan[] = {{0.7, 0.1}, {2.0, 1.0}};
    ASSERT_EQ(schedule.Set(plan, 2), TkErrorSuccess);
    EXPECT_EQ(schedule.Next(30869, 30869, 44100, true), Step::None);
    EXPECT_EQ(schedule.Next(30870, 30870, 44100, true), Step::Pause);
    // 0.1 s of captured time is 4410 samples from the pause.
    EXPECT_EQ(schedule.Next(30870, 35279, 44100, false), Step::None);
    EXPECT_EQ(schedule.Next(30870, 35280, 44100, false), Step::Resume);
    // Not while the engine is not recording (pre-recording, or paused by the caller).
    EXPECT_EQ(schedule.Next(88200, 92610, 44100, false), Step::None);
    EXPECT_EQ(schedule.Next(88300, 92710, 44100, true), Step::Pause);
    EXPECT_EQ(schedule.Next(88300, 136810, 44100, false), Step::Resume);
    EXPECT_EQ(schedule.Next(200000, 250000, 44100, true), Step::None);

    // Each recording follows the plan from its first pause; an empty plan clears it.
    schedule.Restart();
    EXPECT_EQ(schedule.Next(30870, 30870, 44100, true), Step::Pause);
    ASSERT_EQ(schedule.Set(nullptr, 0), TkErrorSuccess);
    EXPECT_EQ(schedule.Next(30870, 40000, 44100, true), Step::None);
}
