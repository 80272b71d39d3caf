// Recordings through the exported functions, PCM and DSD, started directly
// or after a pre-recording, with a pause: the recording view must hold
// exactly what the simulated turntable delivered, the finished view exactly
// the stretches between start or resume and pause or stop, and the stream
// and convert positions must end on the lengths of those views and stop
// arriving once the recording has stopped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "RecordingSession.h"
#include "capture/Float_To_DSD16.h"
#include "convert/SampleTypeInfo.h"
#include "device/DemoAlbumSource.h"
#include "device/SimSignalGenerator.h"

namespace {

using std::chrono::milliseconds;

constexpr uint64_t kPcmRate = 48000;
constexpr uint64_t kDsdBitRate = 2822400;
constexpr uint64_t kDsdPreviewRate = kDsdBitRate / 64;
constexpr size_t kDsdWordsPerFrame = 4; // 64 one-bit samples in 16-bit words

// Where a record event may have landed, in recording-view frames.
struct EventWindow {
    uint64_t low;
    uint64_t high;
};

// What the turntable delivered in 24-bit PCM, as 16-bit preview samples
// (x * 32768, nearest, ties to even).
std::vector<int16_t> ExpectedPcm(uint64_t frames)
{
    SimSignalGenerator generator(std::make_shared<DemoAlbumSource>(), {static_cast<double>(kPcmRate), 24, false});
    std::vector<float> delivered(static_cast<size_t>(2 * frames));
    generator.Next(static_cast<size_t>(frames), delivered.data());
    std::vector<int16_t> expected(delivered.size());
    for (size_t i = 0; i < delivered.size(); ++i) {
        const float scaled = std::clamp(delivered[i] * 32768.0f, -32768.0f, 32767.0f);
        expected[i] = static_cast<int16_t>(std::nearbyint(scaled));
    }
    return expected;
}

// What the turntable delivered in DSD carriage, decimated by the preview's
// own DSD converter from a fresh decimator state.
std::vector<int16_t> ExpectedDsd(uint64_t frames)
{
    SimSignalGenerator generator(std::make_shared<DemoAlbumSource>(), {static_cast<double>(kDsdBitRate / 16), 16, true});
    const size_t words = static_cast<size_t>(frames) * kDsdWordsPerFrame;
    std::vector<float> delivered(2 * words);
    generator.Next(words, delivered.data());
    const SampleTypeInfo* info = GetSampleTypeInfo(kSampleTypeDsd);
    std::vector<int16_t> expected(static_cast<size_t>(2 * frames));
    for (size_t c = 0; c < 2; ++c) {
        std::vector<uint8_t> bytes(2 * words);
        for (size_t w = 0; w < words; ++w) {
            const auto word = static_cast<uint16_t>(DsdWordFromFloat(delivered[2 * w + c]));
            bytes[2 * w] = static_cast<uint8_t>(word & 0xFF);
            bytes[2 * w + 1] = static_cast<uint8_t>(word >> 8);
        }
        DsdToPcmWorkBuffer work{};
        std::vector<int16_t> channel(static_cast<size_t>(frames));
        info->toPreview(channel.data(), bytes.data(), frames, &work);
        for (size_t i = 0; i < channel.size(); ++i) {
            expected[2 * i + c] = channel[i];
        }
    }
    return expected;
}

// Whole tenths of a second in `frames` at `rate`, as the positions report them.
double Tenths(uint64_t frames, uint64_t rate)
{
    return static_cast<double>(frames * 10 / rate) * 0.1;
}

void ExpectPositionsInTenths(const std::vector<double>& positions)
{
    for (size_t i = 0; i < positions.size(); ++i) {
        EXPECT_NEAR(positions[i] * 10, std::round(positions[i] * 10), 1e-6) << positions[i];
        if (i > 0) {
            EXPECT_GE(positions[i], positions[i - 1]);
        }
    }
}

// Stops the recording and checks every view and notification of it.
void StopAndCheck(RecordingSession& session, std::vector<EventWindow> ranges, uint64_t previewRate,
                  std::vector<int16_t> (*expected)(uint64_t), const std::vector<int>& operations)
{
    const uint64_t beforeStop = session.Poll();
    ASSERT_EQ(Cartova_Stop(false), TkErrorSuccess);
    ASSERT_TRUE(session.WaitFor(TkRecOperationStopped));
    session.Run(milliseconds(300)); // anything still posted arrives now
    const uint64_t captured = session.Poll();
    ranges.push_back({beforeStop, captured});

    const SessionLog& log = session.Log();
    EXPECT_EQ(log.operations, operations);
    EXPECT_TRUE(log.errors.empty()) << "first error " << (log.errors.empty() ? 0 : log.errors[0]);
    EXPECT_FALSE(log.wrongThread);
    EXPECT_EQ(log.positionsAfterStop, 0);

    // The recording view is what the turntable delivered from its start.
    ASSERT_GT(captured, previewRate / 2);
    const std::vector<int16_t> want = expected(captured);
    const auto mismatch = std::mismatch(want.begin(), want.end(), session.Captured().begin());
    EXPECT_TRUE(mismatch.first == want.end())
        << "recording view differs from the delivered signal at frame "
        << (mismatch.first - want.begin()) / 2 << " of " << captured;

    // The finished view is made of the recorded stretches only, each
    // beginning and ending where its events were given.
    const std::vector<int16_t> finished = session.Finished();
    const std::vector<Segment> segments = LocateSegments(session.Captured(), finished);
    ASSERT_EQ(segments.size() * 2, ranges.size()) << "finished view of " << finished.size() / 2 << " frames";
    for (size_t i = 0; i < segments.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(segments[i].first, ranges[2 * i].low);
        EXPECT_LE(segments[i].first, ranges[2 * i].high);
        EXPECT_GE(segments[i].end, ranges[2 * i + 1].low);
        EXPECT_LE(segments[i].end, ranges[2 * i + 1].high);
    }

    ASSERT_FALSE(log.streamPositions.empty());
    ASSERT_FALSE(log.convertPositions.empty());
    ExpectPositionsInTenths(log.streamPositions);
    ExpectPositionsInTenths(log.convertPositions);
    EXPECT_NEAR(log.streamPositions.back(), Tenths(finished.size() / 2, previewRate), 1e-9);
    EXPECT_NEAR(log.convertPositions.back(), Tenths(captured, previewRate), 1e-9);
}

// Pre-recording, start, pause, resume, stop; returns the event windows.
std::vector<EventWindow> PreRecordPauseResume(RecordingSession& session)
{
    std::vector<EventWindow> windows;
    EXPECT_EQ(Cartova_StartPreRecording(), TkErrorSuccess);
    EXPECT_TRUE(session.WaitFor(TkRecOperationCaptureStarted));
    session.Run(milliseconds(400));
    for (auto call : {Cartova_Start, Cartova_Pause, Cartova_Resume}) {
        const uint64_t before = session.Poll();
        EXPECT_EQ(call(), TkErrorSuccess);
        session.Run(milliseconds(kUnderThreadSanitizer ? 1500 : 400));
        windows.push_back({before, session.Poll()});
    }
    return windows;
}

std::vector<int16_t> PcmReference(uint64_t frames) { return ExpectedPcm(frames); }
std::vector<int16_t> DsdReference(uint64_t frames) { return ExpectedDsd(frames); }

TEST(RecordingThroughTheInterface, PcmDirectStartKeepsEverythingUntilStop)
{
    RecordingSession session(0, kPcmRate, 24);
    ASSERT_EQ(Cartova_Start(), TkErrorSuccess);
    ASSERT_TRUE(session.WaitFor(TkRecOperationCaptureStarted));
    session.Run(milliseconds(800));
    // The start event lands as the device starts: within its first cycles.
    StopAndCheck(session, {{0, kPcmRate / 10}}, kPcmRate, PcmReference,
                 {TkRecOperationCaptureStarted, TkRecOperationStopped});
}

TEST(RecordingThroughTheInterface, PcmPreRecordingAndPauseAreLeftOut)
{
    RecordingSession session(0, kPcmRate, 24);
    const std::vector<EventWindow> windows = PreRecordPauseResume(session);
    StopAndCheck(session, windows, kPcmRate, PcmReference,
                 {TkRecOperationCaptureStarted, TkRecOperationRecordingStarted, TkRecOperationStopped});
}

TEST(RecordingThroughTheInterface, DsdDirectStartKeepsEverythingUntilStop)
{
    RecordingSession session(1, kDsdBitRate, 1);
    ASSERT_EQ(Cartova_Start(), TkErrorSuccess);
    ASSERT_TRUE(session.WaitFor(TkRecOperationCaptureStarted));
    session.Run(milliseconds(800));
    StopAndCheck(session, {{0, kDsdPreviewRate / 10}}, kDsdPreviewRate, DsdReference,
                 {TkRecOperationCaptureStarted, TkRecOperationStopped});
}

TEST(RecordingThroughTheInterface, DsdPreRecordingAndPauseAreLeftOut)
{
    RecordingSession session(1, kDsdBitRate, 1);
    const std::vector<EventWindow> windows = PreRecordPauseResume(session);
    StopAndCheck(session, windows, kDsdPreviewRate, DsdReference,
                 {TkRecOperationCaptureStarted, TkRecOperationRecordingStarted, TkRecOperationStopped});
}

} // namespace
