// The preview store: frame-based reads in channel order, the reach of the
// recording view, and which frames the finished view keeps.
#include <gtest/gtest.h>

#include <vector>

#include "framework/capture/FakeToolkitManager.h"
#include "framework/capture/TempFolder.h"
#include "preview/PreviewData.h"

namespace {

// `frames` stereo frames; frame i holds (i, -i) modulo 16-bit.
std::vector<int16_t> StereoFrames(uint64_t first, uint64_t frames)
{
    std::vector<int16_t> out;
    for (uint64_t i = first; i < first + frames; ++i) {
        out.push_back(static_cast<int16_t>(i));
        out.push_back(static_cast<int16_t>(-static_cast<int64_t>(i)));
    }
    return out;
}

class PreviewDataTest : public ::testing::Test {
protected:
    TempFolder folder;
    FakeToolkitManager engine{folder.Path()};
    RecordRangeManager ranges;
    PreviewData preview{&engine};
};

}  // namespace

TEST_F(PreviewDataTest, InitChecksAndLengthsBeforeInit)
{
    std::vector<int16_t> out;
    EXPECT_EQ(preview.GetLength(true), 0u);
    EXPECT_EQ(preview.GetData(0, 1, out, false), TkErrorInvalidArgument);
    EXPECT_EQ(preview.Add(StereoFrames(0, 1)), TkErrorFailed);
    EXPECT_EQ(preview.Init(0, 44100, &ranges), TkErrorInvalidArgument);
    EXPECT_EQ(preview.Init(2, 0, &ranges), TkErrorInvalidArgument);
    ASSERT_EQ(preview.Init(2, 44100, &ranges), TkErrorSuccess);
    EXPECT_EQ(preview.GetChunkSize(), 882000u);
    EXPECT_EQ(preview.GetChannels(), 2);
    EXPECT_EQ(preview.GetSampleRate(), 44100u);
    // A block that is not whole frames would shift every later frame.
    EXPECT_EQ(preview.Add(std::vector<int16_t>{1, 2, 3}), TkErrorInvalidArgument);
    EXPECT_EQ(preview.GetLength(false), 0u);
    // Without a range manager nothing can be stored.
    PreviewData orphan{&engine};
    ASSERT_EQ(orphan.Init(2, 44100, nullptr), TkErrorSuccess);
    EXPECT_EQ(orphan.Add(StereoFrames(0, 1)), TkErrorFailed);
}

TEST_F(PreviewDataTest, ReadsWholeFramesInChannelOrder)
{
    ranges.AddRecordEvent(0, RecordEventStart);
    ASSERT_EQ(preview.Init(2, 44100, &ranges), TkErrorSuccess);
    ASSERT_EQ(preview.Add(StereoFrames(0, 100)), TkErrorSuccess);
    std::vector<int16_t> out;
    ASSERT_EQ(preview.GetData(0, 10, out, true), TkErrorSuccess);
    EXPECT_EQ(out, StereoFrames(0, 10));
    ASSERT_EQ(preview.GetData(95, 100, out, false), TkErrorSuccess);
    EXPECT_EQ(out, StereoFrames(95, 5));
    EXPECT_EQ(preview.GetData(95, 101, out, false), TkErrorInvalidArgument);
    EXPECT_EQ(preview.GetData(10, 10, out, false), TkErrorInvalidArgument);
    EXPECT_EQ(preview.GetData(UINT64_MAX / 2, UINT64_MAX, out, true), TkErrorInvalidArgument);
}

TEST_F(PreviewDataTest, RecordingViewReachesBackTwoChunksFinishedViewToTheStart)
{
    // 10 frames per second: a chunk holds 50 frames. A reader follows the
    // writer as the playback does, so the writer keeps the reader's chunk.
    ranges.AddRecordEvent(0, RecordEventStart);
    ASSERT_EQ(preview.Init(2, 10, &ranges), TkErrorSuccess);
    std::vector<int16_t> out;
    for (uint64_t f = 0; f < 375; f += 25) {
        ASSERT_EQ(preview.Add(StereoFrames(f, 25)), TkErrorSuccess);
        ASSERT_EQ(preview.GetData(f, f + 25, out, false), TkErrorSuccess);
    }
    EXPECT_EQ(preview.GetData(0, 10, out, false), TkErrorInvalidArgument);
    EXPECT_EQ(preview.GetData(299, 300, out, false), TkErrorInvalidArgument);
    ASSERT_EQ(preview.GetData(300, 375, out, false), TkErrorSuccess);
    EXPECT_EQ(out, StereoFrames(300, 75));
    ASSERT_EQ(preview.GetData(0, 375, out, true), TkErrorSuccess);
    EXPECT_EQ(out, StereoFrames(0, 375));
    EXPECT_GT(preview.GetFileCount(), 0u);
}

TEST_F(PreviewDataTest, FinishedViewKeepsOnlyRecordedRanges)
{
    ASSERT_EQ(preview.Init(2, 44100, &ranges), TkErrorSuccess);
    ASSERT_EQ(preview.Add(StereoFrames(0, 100)), TkErrorSuccess);  // pre-recording
    ranges.AddRecordEvent(100, RecordEventStart);
    ranges.AddRecordEvent(130, RecordEventPause);  // pause inside the next block
    ASSERT_EQ(preview.Add(StereoFrames(100, 100)), TkErrorSuccess);
    ranges.AddRecordEvent(250, RecordEventResume);  // resume inside the next block
    ASSERT_EQ(preview.Add(StereoFrames(200, 100)), TkErrorSuccess);

    EXPECT_EQ(preview.GetLength(false), 300u);
    ASSERT_EQ(preview.GetLength(true), 80u);
    std::vector<int16_t> out;
    ASSERT_EQ(preview.GetData(0, 80, out, true), TkErrorSuccess);
    std::vector<int16_t> expected = StereoFrames(100, 30);
    const std::vector<int16_t> afterResume = StereoFrames(250, 50);
    expected.insert(expected.end(), afterResume.begin(), afterResume.end());
    EXPECT_EQ(out, expected);
    ASSERT_EQ(preview.GetData(0, 300, out, false), TkErrorSuccess);
    EXPECT_EQ(out, StereoFrames(0, 300));
}

TEST_F(PreviewDataTest, TemporaryClearDeletesTheFiles)
{
    ranges.AddRecordEvent(0, RecordEventStart);
    ASSERT_EQ(preview.Init(1, 10, &ranges), TkErrorSuccess);
    ASSERT_EQ(preview.Add(std::vector<int16_t>(200, 7)), TkErrorSuccess);
    ASSERT_GT(preview.GetFileCount(), 0u);
    const std::vector<std::string> paths = preview.GetFilePaths();
    ASSERT_EQ(preview.TemporaryClear(), TkErrorSuccess);
    EXPECT_EQ(preview.GetFileCount(), 0u);
    EXPECT_EQ(preview.GetLength(true), 0u);
    for (const std::string& path : paths) {
        EXPECT_FALSE(std::filesystem::exists(path)) << path;
    }
}
