// Record events and range queries of RecordRangeManager.
#include <gtest/gtest.h>

#include "storage/RecordRangeManager.h"

namespace {

RecordRangeList List(std::initializer_list<RecordRange> ranges)
{
    return RecordRangeList(ranges);
}

TEST(RecordRangeManager, PauseAndResumeGiveClosedRangesAndClippedQueries)
{
    RecordRangeManager manager;
    manager.AddRecordEvent(0, RecordEventStart);
    manager.AddRecordEvent(1000, RecordEventPause);
    manager.AddRecordEvent(1500, RecordEventResume);
    manager.AddRecordEvent(2000, RecordEventStop);
    EXPECT_EQ(manager.GetRanges(), List({{0, 1000}, {1500, 2000}}));
    EXPECT_FALSE(manager.IsRecording());
    EXPECT_EQ(manager.GetAvailableRange_Frames(900, 1600), List({{900, 1000}, {1500, 1600}}));
    EXPECT_TRUE(manager.GetAvailableRange_Frames(1000, 1500).empty());
    EXPECT_TRUE(manager.GetAvailableRange_Frames(2000, 3000).empty());
    EXPECT_TRUE(manager.GetAvailableRange_Frames(500, 500).empty());
}

TEST(RecordRangeManager, OpenRangeRunsToTheEndOfTheWindow)
{
    RecordRangeManager manager;
    manager.AddRecordEvent(0, RecordEventStart);
    manager.AddRecordEvent(1000, RecordEventPause);
    manager.AddRecordEvent(1500, RecordEventResume);
    EXPECT_EQ(manager.GetAvailableRange_Frames(1400, 1600), List({{1500, 1500}}));
    EXPECT_EQ(manager.GetAvailableRange_Frames(1600, 1700), List({{1600, 1600}}));
    EXPECT_EQ(manager.GetAvailableRange_Frames(900, 1600), List({{900, 1000}, {1500, 1500}}));
    EXPECT_TRUE(manager.GetAvailableRange_Frames(1200, 1500).empty());
}

TEST(RecordRangeManager, EventsThatDoNotApplyAreIgnoredAndStartDiscards)
{
    RecordRangeManager manager;
    manager.AddRecordEvent(10, RecordEventPause);
    manager.AddRecordEvent(10, RecordEventStop);
    EXPECT_TRUE(manager.GetRanges().empty());
    manager.AddRecordEvent(20, RecordEventResume);
    manager.AddRecordEvent(30, RecordEventResume);
    EXPECT_EQ(manager.GetRanges(), List({{20, 20}}));
    manager.AddRecordEvent(40, RecordEventKind(7));
    manager.AddRecordEvent(50, RecordEventStop);
    manager.AddRecordEvent(60, RecordEventPause);
    EXPECT_EQ(manager.GetRanges(), List({{20, 50}}));
    manager.AddRecordEvent(70, RecordEventStart);
    EXPECT_EQ(manager.GetRanges(), List({{70, 70}}));
    manager.Reset();
    EXPECT_TRUE(manager.GetRanges().empty());
    EXPECT_FALSE(manager.IsRecording());
}

TEST(RecordRangeManager, PauseAtTheStartPositionRecordsNothingAfterwards)
{
    // A range closed where it opened must not read as an open range.
    RecordRangeManager manager;
    manager.AddRecordEvent(100, RecordEventStart);
    manager.AddRecordEvent(100, RecordEventPause);
    EXPECT_TRUE(manager.GetAvailableRange_Frames(100, 200).empty());
    manager.AddRecordEvent(300, RecordEventResume);
    EXPECT_EQ(manager.GetAvailableRange_Frames(100, 400), List({{300, 300}}));
}

TEST(RecordRangeManager, ByteQueriesScaleByTheFrameSize)
{
    RecordRangeManager manager;
    manager.AddRecordEvent(0, RecordEventStart);
    manager.AddRecordEvent(5, RecordEventPause);
    manager.AddRecordEvent(7, RecordEventResume);
    // Bytes [8, 40) are frames [2, 10).
    EXPECT_EQ(manager.GetAvailableRange_Bytes(8, 40, 4), List({{8, 20}, {28, 28}}));
    EXPECT_TRUE(manager.GetAvailableRange_Bytes(8, 40, 0).empty());
}

} // namespace
