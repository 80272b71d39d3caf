// The preview conversion: PCM rounding and interleaving, DSD decimation
// across passes, pass size and convert positions, and the thread's
// drain-then-stop behaviour.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "convert/SampleTypeInfo.h"
#include "framework/capture/FakeToolkitManager.h"
#include "framework/capture/TempFolder.h"
#include "preview/ConvertThread.h"
#include "preview/PreviewConversion.h"
#include "preview/PreviewData.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"

namespace {

std::vector<uint8_t> FloatBytes(const std::vector<float>& values)
{
    std::vector<uint8_t> bytes(values.size() * 4);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override { ranges.AddRecordEvent(0, RecordEventStart); }

    void InitPcm(uint16_t channels, uint64_t rate)
    {
        ASSERT_EQ(record.Init(channels, rate, GetSampleTypeInfo(kSampleTypeFloat32), &ranges), TkErrorSuccess);
        ASSERT_EQ(preview.Init(channels, rate, &ranges), TkErrorSuccess);
    }
    void InitDsd(uint16_t channels, uint64_t bitRate)
    {
        ASSERT_EQ(record.Init(channels, bitRate, GetSampleTypeInfo(kSampleTypeDsd), &ranges), TkErrorSuccess);
        ASSERT_EQ(preview.Init(channels, bitRate / 64, &ranges), TkErrorSuccess);
    }
    void AddSilence(uint16_t channels, size_t samples)
    {
        for (uint16_t c = 0; c < channels; ++c) {
            ASSERT_EQ(record.Add(c, FloatBytes(std::vector<float>(samples, 0.0f))), TkErrorSuccess);
        }
    }
    std::vector<int16_t> LivePreview()
    {
        std::vector<int16_t> out;
        const uint64_t length = preview.GetLength(false);
        if (length != 0) {
            EXPECT_EQ(preview.GetData(0, length, out, false), TkErrorSuccess);
        }
        return out;
    }

    TempFolder folder;
    FakeToolkitManager engine{folder.Path()};
    RecordRangeManager ranges;
    RecordData record{&engine};
    PreviewData preview{&engine};
};

}  // namespace

TEST_F(ConversionTest, PcmPreviewRoundsAndInterleavesInChannelOrder)
{
    InitPcm(2, 44100);
    ASSERT_EQ(record.Add(0, FloatBytes({1.0f, -1.0f, 0.5f, 0.00001f, 1.5f / 32768})), TkErrorSuccess);
    ASSERT_EQ(record.Add(1, FloatBytes({2.0f, -2.0f, -0.5f, -0.00001f, 2.5f / 32768})), TkErrorSuccess);
    PreviewConversion conversion;
    ASSERT_EQ(conversion.Prepare(&record, &preview), TkErrorSuccess);
    EXPECT_EQ(conversion.ConvertPass(), 5u);
    EXPECT_EQ(conversion.ConvertPass(), 0u);
    EXPECT_EQ(LivePreview(), (std::vector<int16_t>{32767, 32767, -32768, -32768, 16384, -16384, 0, 0, 2, 2}));
}

TEST_F(ConversionTest, PassesAreLimitedAndPositionsReportedInTenths)
{
    InitPcm(1, 1000);
    AddSilence(1, 10000);
    PreviewConversion conversion;
    ASSERT_EQ(conversion.Prepare(&record, &preview), TkErrorSuccess);
    std::vector<uint64_t> passes;
    std::vector<double> positions;
    for (uint64_t frames; (frames = conversion.ConvertPass()) != 0;) {
        passes.push_back(frames);
        double seconds = 0;
        if (conversion.TakeConvertPosition(seconds)) {
            positions.push_back(seconds);
        }
    }
    EXPECT_EQ(passes, (std::vector<uint64_t>{4096, 4096, 1808}));
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_DOUBLE_EQ(positions[0], 4.0);
    EXPECT_DOUBLE_EQ(positions[1], 8.1);
    EXPECT_DOUBLE_EQ(positions[2], 10.0);

    AddSilence(1, 40);  // 10.04 s: still the same tenth
    EXPECT_EQ(conversion.ConvertPass(), 40u);
    double seconds = 0;
    EXPECT_FALSE(conversion.TakeConvertPosition(seconds));
}

TEST_F(ConversionTest, DsdWaitsForWholeFramesAndKeepsFilterStateAcrossPasses)
{
    InitDsd(2, 6400);  // 100 preview frames per second
    PreviewConversion conversion;
    ASSERT_EQ(conversion.Prepare(&record, &preview), TkErrorSuccess);
    // 48 one-bit samples per channel: less than one preview frame.
    ASSERT_EQ(record.Add(0, std::vector<uint8_t>(6, 0xFF)), TkErrorSuccess);
    ASSERT_EQ(record.Add(1, std::vector<uint8_t>(6, 0x00)), TkErrorSuccess);
    EXPECT_EQ(conversion.ConvertPass(), 0u);
    // Up to 20 frames in uneven pieces; the remainder of 6 bytes waits.
    ASSERT_EQ(record.Add(0, std::vector<uint8_t>(74, 0xFF)), TkErrorSuccess);
    ASSERT_EQ(record.Add(1, std::vector<uint8_t>(74, 0x00)), TkErrorSuccess);
    EXPECT_EQ(conversion.ConvertPass(), 10u);
    ASSERT_EQ(record.Add(0, std::vector<uint8_t>(80, 0xFF)), TkErrorSuccess);
    ASSERT_EQ(record.Add(1, std::vector<uint8_t>(80, 0x00)), TkErrorSuccess);
    EXPECT_EQ(conversion.ConvertPass(), 10u);
    EXPECT_EQ(conversion.GetConvertedSamples(), 1280u);

    const std::vector<int16_t> out = LivePreview();
    ASSERT_EQ(out.size(), 40u);
    // The filters start from silence; once both histories are full of ones
    // (or zeros) the output is exactly full scale.
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    for (size_t frame = 14; frame < 20; ++frame) {
        EXPECT_EQ(out[frame * 2], 32767) << frame;
        EXPECT_EQ(out[frame * 2 + 1], -32767) << frame;
    }
}

TEST_F(ConversionTest, PrepareRejectsMissingInputs)
{
    PreviewConversion conversion;
    EXPECT_EQ(conversion.Prepare(nullptr, &preview), TkErrorInvalidArgument);
    EXPECT_EQ(conversion.Prepare(&record, nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(conversion.Prepare(&record, &preview), TkErrorInvalidArgument);  // nothing initialised
    EXPECT_EQ(conversion.ConvertPass(), 0u);
}

TEST_F(ConversionTest, ThreadConvertsEverythingBeforeItStops)
{
    InitPcm(2, 1000);
    ConvertThread thread;
    EXPECT_EQ(thread.Start(nullptr, &record, &preview), TkErrorInvalidArgument);
    ASSERT_EQ(thread.Start(&engine, &record, &preview), TkErrorSuccess);
    EXPECT_EQ(thread.Start(&engine, &record, &preview), TkErrorFailed);
    AddSilence(2, 5000);
    thread.AddDataNotify();
    AddSilence(2, 3000);
    thread.Stop();  // no wake-up for the last block: Stop converts it too
    EXPECT_EQ(preview.GetLength(false), 8000u);
    const std::vector<double> positions = engine.Snapshot(engine.convertPositions);
    ASSERT_FALSE(positions.empty());
    EXPECT_DOUBLE_EQ(positions.back(), 8.0);

    // A new recording starts from the beginning.
    InitPcm(2, 1000);
    ASSERT_EQ(thread.Start(&engine, &record, &preview), TkErrorSuccess);
    AddSilence(2, 100);
    thread.Stop();
    EXPECT_EQ(preview.GetLength(false), 100u);
}
