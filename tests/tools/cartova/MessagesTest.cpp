// What the tool says about the framework's notifications: audio lost while recording (every
// gap at its recorded time with its size, then the count and the total), a store failure by its cause.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "Messages.h"

TEST(ToolMessages, DroppedAudioIsReportedAtItsRecordedTimesWithTheSamplesLost)
{
    const TkDroppedAudio gaps[] = {{12.3456, 512}, {75.0, 4096}};
    const std::vector<std::string> lines = DescribeDroppedAudio(gaps, 2);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "audio was lost at 00:12.3 (12.346 s) of the recording: 512 samples per channel");
    EXPECT_EQ(lines[1], "audio was lost at 01:15.0 (75.000 s) of the recording: 4096 samples per channel");
    EXPECT_EQ(lines[2], "the recording has 2 gaps (4608 samples per channel in all); the tracks are written with them");

    EXPECT_TRUE(DescribeDroppedAudio(nullptr, 0).empty());
    EXPECT_EQ(DescribeDroppedAudio(gaps, 1).back(),
              "the recording has 1 gap (512 samples per channel in all); the tracks are written with them");
}

TEST(ToolMessages, AStoreFailureIsToldByItsCause)
{
    const std::pair<int, std::string> cases[] = {
        {ENOSPC, "the recording stopped: the temporary file storage is full"},
        {EDQUOT, "the recording stopped: the temporary file storage is full"},
        {EIO, std::string("the recording stopped: it could not be stored: ") + std::strerror(EIO)},
    };
    for (const auto& [cause, text] : cases)
        EXPECT_EQ(DescribeNotifyError(TkNotifyStoreFailed, std::to_string(cause)), text) << cause;
}
