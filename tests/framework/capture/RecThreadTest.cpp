// The recording thread's drain loop against a real record store: channels
// in step, tenth-of-a-second positions, store failures, lost audio; and the
// engine's capture sink, which queues or refuses whole cycles.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FakeToolkitManager.h"
#include "TempFolder.h"
#include "capture/AsioDataQueue.h"
#include "capture/CaptureSink.h"
#include "capture/IOProcSplitter.h"
#include "capture/RecThread.h"
#include "convert/SampleTypeInfo.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"

namespace {

constexpr uint64_t kRate = 1000;  // 100 samples make a tenth of a second

// `samples` PCM floats whose values count up from `first`.
std::vector<uint8_t> Samples(size_t samples, float first)
{
    std::vector<float> values(samples);
    for (size_t i = 0; i < samples; ++i) {
        values[i] = first + static_cast<float>(i);
    }
    std::vector<uint8_t> bytes(samples * 4);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    return bytes;
}

class RecThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.Path().empty());
        ASSERT_EQ(queue.Init(2), TkErrorSuccess);
        ranges.AddRecordEvent(0, RecordEventStart);
        ASSERT_EQ(record.Init(2, kRate, GetSampleTypeInfo(kSampleTypeFloat32), &ranges), TkErrorSuccess);
    }

    // Wakes the thread and waits until it has finished the pass that follows.
    void RunPass()
    {
        int before = 0;
        engine.WaitFor([&] { before = engine.convertWakeUps; return true; });
        thread.AddDataNotify();
        ASSERT_TRUE(engine.WaitFor([&] { return engine.convertWakeUps > before; }));
    }

    TempFolder folder;
    FakeToolkitManager engine{folder.Path()};
    AsioDataQueue queue;
    RecordRangeManager ranges;
    // Small chunks so that a few hundred samples already reach the disk.
    RecordData record{&engine, TemporaryData::kMaxFileBytes, 400};
    RecThread thread;
};

}  // namespace

TEST_F(RecThreadTest, StartChecksArguments)
{
    EXPECT_EQ(thread.Start(nullptr, &queue, &record, 2), TkErrorInvalidArgument);
    EXPECT_EQ(thread.Start(&engine, nullptr, &record, 2), TkErrorInvalidArgument);
    EXPECT_EQ(thread.Start(&engine, &queue, nullptr, 2), TkErrorInvalidArgument);
    EXPECT_EQ(thread.Start(&engine, &queue, &record, 0), TkErrorInvalidArgument);
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    EXPECT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorFailed);
    thread.Stop();
    EXPECT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
}

TEST_F(RecThreadTest, ChannelsStayInStepWhenOneQueueLags)
{
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    // Channel 0 delivers two buffers before channel 1 has any: nothing of
    // channel 0 beyond its first buffer may be stored ahead of channel 1.
    ASSERT_EQ(queue.Enqueue(0, Samples(30, 0)), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(0, Samples(50, 30)), TkErrorSuccess);
    RunPass();
    EXPECT_EQ(queue.QueuedCount(0), 1u);
    ASSERT_EQ(queue.Enqueue(1, Samples(30, 1000)), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(1, Samples(50, 1030)), TkErrorSuccess);
    RunPass();
    thread.Stop();

    EXPECT_EQ(record.GetLength(false), 80u);
    std::vector<uint8_t> left, right;
    ASSERT_EQ(record.GetData(0, 0, 80, left, true), TkErrorSuccess);
    ASSERT_EQ(record.GetData(1, 0, 80, right, true), TkErrorSuccess);
    EXPECT_EQ(left, Samples(80, 0));
    EXPECT_EQ(right, Samples(80, 1000));
}

TEST_F(RecThreadTest, StreamPositionOnlyOnWholeTenths)
{
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    auto deliver = [&](size_t samples) {
        ASSERT_EQ(queue.Enqueue(0, Samples(samples, 0)), TkErrorSuccess);
        ASSERT_EQ(queue.Enqueue(1, Samples(samples, 0)), TkErrorSuccess);
        RunPass();
    };
    deliver(99);
    EXPECT_TRUE(engine.Snapshot(engine.streamPositions).empty());
    deliver(1);  // 100 samples: one tenth
    deliver(50);
    deliver(60);  // 210 samples: two tenths
    thread.Stop();
    const std::vector<double> positions = engine.Snapshot(engine.streamPositions);
    ASSERT_EQ(positions.size(), 2u);
    EXPECT_DOUBLE_EQ(positions[0], 0.1);
    EXPECT_DOUBLE_EQ(positions[1], 0.2);
}

TEST_F(RecThreadTest, PausedStretchesDoNotCountAsRecordedTime)
{
    ranges.AddRecordEvent(0, RecordEventPause);
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(0, Samples(300, 0)), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(1, Samples(300, 0)), TkErrorSuccess);
    RunPass();
    thread.Stop();
    EXPECT_EQ(record.GetLength(false), 300u);
    EXPECT_TRUE(engine.Snapshot(engine.streamPositions).empty());
}

TEST_F(RecThreadTest, MissingTempFolderIsReportedOnceAndEndsTheThread)
{
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    folder.Remove();
    // 200 samples = 800 bytes per channel: the first 400-byte chunk must go to disk.
    ASSERT_EQ(queue.Enqueue(0, Samples(200, 0)), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(1, Samples(200, 0)), TkErrorSuccess);
    RunPass();
    // The device keeps delivering; the ended thread stores nothing more.
    ASSERT_EQ(queue.Enqueue(0, Samples(200, 0)), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(1, Samples(200, 0)), TkErrorSuccess);
    thread.AddDataNotify();
    thread.Stop();
    EXPECT_EQ(engine.Snapshot(engine.errors), std::vector<int>{TkNotifyTempFolderUnusable});
    EXPECT_EQ(engine.Snapshot(engine.errorMessages), std::vector<std::string>{""});
    EXPECT_EQ(queue.QueuedCount(0) + queue.QueuedCount(1), 3u);
}

TEST_F(RecThreadTest, StoreFailureWithFolderPresentIsTheRecordingLimit)
{
    engine.claimTempDirectoryExists = true;
    folder.Remove();  // files cannot be created, yet the folder is reported present
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(0, Samples(200, 0)), TkErrorSuccess);
    ASSERT_EQ(queue.Enqueue(1, Samples(200, 0)), TkErrorSuccess);
    RunPass();
    thread.Stop();
    EXPECT_EQ(engine.Snapshot(engine.errors), std::vector<int>{TkNotifyRecordingLimit});
}

TEST_F(RecThreadTest, LostAudioIsReportedAtItsPlaceInTheRecording)
{
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    auto deliver = [&](size_t samples, float first) {
        ASSERT_EQ(queue.EnqueueCycle({Samples(samples, first), Samples(samples, first)}), TkErrorSuccess);
    };
    deliver(100, 0);
    deliver(150, 100);
    queue.AddGap(40 * 4);  // the device lost 40 samples here
    queue.AddGap(10 * 4);  // and 10 more before anything arrived
    deliver(100, 300);
    RunPass();
    // Losses while paused are not part of the recording.
    ranges.AddRecordEvent(350, RecordEventPause);
    deliver(100, 400);
    RunPass();
    deliver(100, 500);
    queue.AddGap(70 * 4);
    deliver(100, 600);
    RunPass();
    thread.Stop();

    const auto dropped = engine.Snapshot(engine.droppedAudio);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_DOUBLE_EQ(dropped[0].first, 0.25);  // after 250 recorded samples at 1000 Hz
    EXPECT_EQ(dropped[0].second, 50u);
}

TEST(CaptureSink, AFullQueueRefusesTheWholeCycleSoChannelsStayPaired)
{
    // The recording thread has stalled with a full queue and has taken the
    // left buffer of the oldest cycle but not yet the right one. Cycles that
    // arrive now must be refused for both channels, or left and right would
    // be paired one cycle apart for the rest of the recording.
    AsioDataQueue queue;
    RecThread thread;  // not running: only woken
    CaptureSink sink(queue, thread);
    ASSERT_EQ(queue.Init(2), TkErrorSuccess);
    constexpr size_t kFrames = AsioDataQueue::kQueueLimitBytes / 4 / 4;  // four cycles fill a channel
    auto cycle = [&](int number) {
        // Identical left and right: every frame holds the cycle's number.
        const std::vector<float> interleaved(kFrames * 2, static_cast<float>(number));
        const CaptureInputBuffer buffer{2, static_cast<uint32_t>(interleaved.size() * 4), interleaved.data()};
        IOProc_PCM(&buffer, 1, sink);
    };
    for (int n = 0; n < 5; ++n) {
        cycle(n);  // cycle 4 finds the queue full
    }
    std::vector<uint8_t> left, right;
    ASSERT_EQ(queue.Dequeue(0, left), TkErrorSuccess);
    cycle(5);  // the left queue has room again, the right one does not
    ASSERT_EQ(queue.Dequeue(1, right), TkErrorSuccess);
    EXPECT_EQ(left, right);
    cycle(6);

    std::vector<float> stored;
    for (;;) {
        ASSERT_EQ(queue.Dequeue(0, left), TkErrorSuccess);
        ASSERT_EQ(queue.Dequeue(1, right), TkErrorSuccess);
        ASSERT_EQ(left.size(), right.size());
        if (left.empty()) {
            break;
        }
        ASSERT_EQ(left, right);
        float first = 0;
        std::memcpy(&first, left.data(), sizeof first);
        stored.push_back(first);
    }
    EXPECT_EQ(stored, (std::vector<float>{1, 2, 3, 6}));
    // Cycles 4 and 5 are one gap before the fifth cycle accepted (number 4 from 0).
    EXPECT_EQ(queue.TakeGapBefore(3), 0u);
    EXPECT_EQ(queue.TakeGapBefore(4), 2 * kFrames * 4);
    EXPECT_EQ(queue.TakeGapBefore(4), 0u);
}

TEST(CaptureSink, DeviceOverrunsBecomeGapsBeforeTheNextCycle)
{
    AsioDataQueue queue;
    RecThread thread;
    CaptureSink sink(queue, thread);
    ASSERT_EQ(queue.Init(1), TkErrorSuccess);
    EXPECT_EQ(sink.EnqueueCycle({std::vector<uint8_t>(16)}), TkErrorSuccess);
    sink.InputDropped(8);
    EXPECT_EQ(sink.EnqueueCycle({std::vector<uint8_t>(16)}), TkErrorSuccess);
    EXPECT_EQ(sink.EnqueueCycle({std::vector<uint8_t>(16), std::vector<uint8_t>(16)}), TkErrorInvalidArgument);
    EXPECT_EQ(queue.TakeGapBefore(0), 0u);
    EXPECT_EQ(queue.TakeGapBefore(1), 8u);
    sink.RecThread_AddDataNotify();  // harmless while the thread does not run
}
