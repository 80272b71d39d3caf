// The recording thread's drain loop against a real record store: channels
// in step, tenth-of-a-second positions, store failures, lost audio; and the
// engine's capture sink, which queues or refuses whole cycles.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
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
        ASSERT_EQ(queue.Init(2, 4096), TkErrorSuccess);
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

TEST_F(RecThreadTest, CyclesOfAnyLengthAreStoredInEveryChannelAlike)
{
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    ASSERT_EQ(queue.EnqueueCycle({Samples(30, 0), Samples(30, 1000)}), TkErrorSuccess);
    ASSERT_EQ(queue.EnqueueCycle({Samples(50, 30), Samples(50, 1030)}), TkErrorSuccess);
    RunPass();
    ASSERT_EQ(queue.EnqueueCycle({Samples(7, 80), Samples(7, 1080)}), TkErrorSuccess);
    RunPass();
    thread.Stop();

    EXPECT_EQ(queue.QueuedCount(), 0u); // every slot handed back
    EXPECT_EQ(record.GetLength(false), 87u);
    std::vector<uint8_t> left, right;
    ASSERT_EQ(record.GetData(0, 0, 87, left, true), TkErrorSuccess);
    ASSERT_EQ(record.GetData(1, 0, 87, right, true), TkErrorSuccess);
    EXPECT_EQ(left, Samples(87, 0));
    EXPECT_EQ(right, Samples(87, 1000));
}

TEST_F(RecThreadTest, StreamPositionOnlyOnWholeTenths)
{
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    auto deliver = [&](size_t samples) {
        ASSERT_EQ(queue.EnqueueCycle({Samples(samples, 0), Samples(samples, 0)}), TkErrorSuccess);
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
    ASSERT_EQ(queue.EnqueueCycle({Samples(300, 0), Samples(300, 0)}), TkErrorSuccess);
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
    ASSERT_EQ(queue.EnqueueCycle({Samples(200, 0), Samples(200, 0)}), TkErrorSuccess);
    RunPass();
    // The device keeps delivering; the ended thread stores nothing more.
    ASSERT_EQ(queue.EnqueueCycle({Samples(200, 0), Samples(200, 0)}), TkErrorSuccess);
    thread.AddDataNotify();
    thread.Stop();
    EXPECT_EQ(engine.Snapshot(engine.errors), std::vector<int>{TkNotifyTempFolderUnusable});
    EXPECT_EQ(engine.Snapshot(engine.errorMessages), std::vector<std::string>{""});
    // The failed cycle and the one after it stay queued.
    EXPECT_EQ(queue.QueuedCount(), 2u);
}

TEST_F(RecThreadTest, StoreFailureWithFolderPresentCarriesItsCause)
{
    engine.claimTempDirectoryExists = true;
    folder.Remove();  // files cannot be created, yet the folder is reported present
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);
    ASSERT_EQ(queue.EnqueueCycle({Samples(200, 0), Samples(200, 0)}), TkErrorSuccess);
    RunPass();
    thread.Stop();
    EXPECT_EQ(engine.Snapshot(engine.errors), std::vector<int>{TkNotifyStoreFailed});
    // The creation of the next temporary file failed: no such folder.
    EXPECT_EQ(engine.Snapshot(engine.errorMessages), std::vector<std::string>{std::to_string(ENOENT)});
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

TEST_F(RecThreadTest, AStalledStoreLosesWholeCyclesAndTheRecordingStaysBitExact)
{
    // The IO side splits stereo cycles (left n * 100 + f, right its
    // negative) into a queue of four slots while the recording thread is
    // held inside a pass, as behind a slow disk. What reaches the record
    // data must be exactly the cycles queued, both channels alike and in
    // step, and the two refused cycles one reported gap at their place.
    constexpr size_t kFrames = 50;
    constexpr size_t kSlots = 4;
    ASSERT_EQ(queue.Init(2, kFrames * 4, kSlots), TkErrorSuccess);
    CaptureSink sink(queue, thread);
    std::mutex gateLock;
    std::condition_variable gateChanged;
    bool held = false;
    bool open = false;
    engine.onConvertWakeUp = [&] {
        std::unique_lock<std::mutex> guard(gateLock);
        held = true;
        gateChanged.notify_all();
        gateChanged.wait(guard, [&] { return open; });
    };
    auto cycle = [&](int n) {
        std::vector<float> interleaved;
        for (size_t f = 0; f < kFrames; ++f) {
            interleaved.push_back(static_cast<float>(n * 100 + static_cast<int>(f)));
            interleaved.push_back(-static_cast<float>(n * 100 + static_cast<int>(f)));
        }
        const CaptureInputBuffer buffer{2, static_cast<uint32_t>(interleaved.size() * 4), interleaved.data()};
        IOProc_PCM(&buffer, 1, sink);
    };
    auto storedSamples = [&](uint64_t samples) {
        return engine.WaitFor([&] { return record.GetLength(false) == samples; }, std::chrono::seconds(60));
    };
    auto release = [&] {
        {
            std::lock_guard<std::mutex> guard(gateLock);
            open = true;
        }
        gateChanged.notify_all();
    };
    // Whatever happens below, the thread is let go and stopped before the gate goes.
    struct StopOnExit {
        std::function<void()> stop;
        ~StopOnExit() { stop(); }
    } stopOnExit{[&] {
        release();
        thread.Stop();
    }};
    ASSERT_EQ(thread.Start(&engine, &queue, &record, 2), TkErrorSuccess);

    cycle(0);
    {
        std::unique_lock<std::mutex> guard(gateLock);
        ASSERT_TRUE(gateChanged.wait_for(guard, std::chrono::seconds(60), [&] { return held; }));
    }
    for (int n = 1; n <= static_cast<int>(kSlots) + 2; ++n) {
        cycle(n); // 1 to 4 fill the slots, 5 and 6 are refused
    }
    EXPECT_EQ(queue.QueuedCount(), kSlots);
    release();
    ASSERT_TRUE(storedSamples(5 * kFrames));
    cycle(7);
    cycle(8);
    ASSERT_TRUE(storedSamples(7 * kFrames));
    thread.Stop();

    std::vector<float> expectedLeft, expectedRight;
    for (int n : {0, 1, 2, 3, 4, 7, 8}) {
        for (size_t f = 0; f < kFrames; ++f) {
            expectedLeft.push_back(static_cast<float>(n * 100 + static_cast<int>(f)));
            expectedRight.push_back(-static_cast<float>(n * 100 + static_cast<int>(f)));
        }
    }
    auto bytesOf = [](const std::vector<float>& values) {
        std::vector<uint8_t> bytes(values.size() * 4);
        std::memcpy(bytes.data(), values.data(), bytes.size());
        return bytes;
    };
    std::vector<uint8_t> left, right;
    ASSERT_EQ(record.GetData(0, 0, 7 * kFrames, left, true), TkErrorSuccess);
    ASSERT_EQ(record.GetData(1, 0, 7 * kFrames, right, true), TkErrorSuccess);
    EXPECT_EQ(left, bytesOf(expectedLeft));
    EXPECT_EQ(right, bytesOf(expectedRight));
    const auto dropped = engine.Snapshot(engine.droppedAudio);
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_DOUBLE_EQ(dropped[0].first, 5.0 * kFrames / kRate);
    EXPECT_EQ(dropped[0].second, 2 * kFrames);
}

TEST(CaptureSink, AFullQueueRefusesTheWholeCycleSoChannelsStayPaired)
{
    // The recording thread has stalled with a full queue while storing the
    // oldest cycle. Cycles that arrive now must be refused for both
    // channels, or left and right would be paired one cycle apart for the
    // rest of the recording.
    AsioDataQueue queue;
    RecThread thread; // not running: only woken
    CaptureSink sink(queue, thread);
    constexpr size_t kFrames = AsioDataQueue::kQueueLimitBytes / 4 / 4; // four cycles fill the queue
    ASSERT_EQ(queue.Init(2, kFrames * 4), TkErrorSuccess);
    ASSERT_EQ(queue.SlotCount(), 4u);
    auto cycle = [&](int number) {
        // Identical left and right: every frame holds the cycle's number.
        const std::vector<float> interleaved(kFrames * 2, static_cast<float>(number));
        const CaptureInputBuffer buffer{2, static_cast<uint32_t>(interleaved.size() * 4), interleaved.data()};
        IOProc_PCM(&buffer, 1, sink);
    };
    for (int n = 0; n < 5; ++n) {
        cycle(n); // cycle 4 finds the queue full
    }
    const CaptureCycle* storing = queue.Front();
    ASSERT_NE(storing, nullptr);
    cycle(5); // still full: the slot being stored is not handed back yet
    ASSERT_EQ(storing->Size(0), storing->Size(1));
    EXPECT_EQ(std::memcmp(storing->Data(0), storing->Data(1), storing->Size(0)), 0);
    queue.PopFront();
    cycle(6);

    std::vector<float> stored;
    uint64_t gapBytes = 0;
    for (const CaptureCycle* c = queue.Front(); c != nullptr; c = queue.Front()) {
        ASSERT_EQ(c->Size(0), kFrames * 4);
        ASSERT_EQ(c->Size(1), kFrames * 4);
        ASSERT_EQ(std::memcmp(c->Data(0), c->Data(1), c->Size(0)), 0);
        float first = 0;
        std::memcpy(&first, c->Data(0), sizeof first);
        stored.push_back(first);
        if (first == 6) {
            gapBytes = c->GapBefore();
        } else {
            EXPECT_EQ(c->GapBefore(), 0u);
        }
        queue.PopFront();
    }
    EXPECT_EQ(stored, (std::vector<float>{1, 2, 3, 6}));
    // Cycles 4 and 5 are one gap before cycle 6.
    EXPECT_EQ(gapBytes, 2 * kFrames * 4);
}

TEST(CaptureSink, DeviceOverrunsBecomeGapsBeforeTheNextCycle)
{
    AsioDataQueue queue;
    RecThread thread;
    CaptureSink sink(queue, thread);
    ASSERT_EQ(queue.Init(1, 64), TkErrorSuccess);
    EXPECT_EQ(sink.CycleCapacity(), 64u);
    const std::vector<float> mono(4, 0.5f);
    const CaptureInputBuffer buffer{1, 16, mono.data()};
    IOProc_PCM(&buffer, 1, sink);
    sink.InputDropped(8);
    IOProc_PCM(&buffer, 1, sink);
    ASSERT_EQ(queue.QueuedCount(), 2u);
    EXPECT_EQ(queue.Front()->GapBefore(), 0u);
    queue.PopFront();
    EXPECT_EQ(queue.Front()->GapBefore(), 8u);
    sink.RecThread_AddDataNotify(); // harmless while the thread does not run
}
