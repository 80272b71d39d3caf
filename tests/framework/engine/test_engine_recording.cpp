// Start, stop, pause and resume through the engine: every state transition,
// the refused calls in each state, the order of the notifications, a failed
// device start, and the recording-started announcement from the IO callback.
#include "EngineTestSupport.h"

namespace {
// Keeps the fake device cycling on its own thread, as a real device would.
class CycleThread {
public:
    explicit CycleThread(FakeAudioHardware& hardware)
        : m_thread([this, &hardware] {
              while (!m_stop) {
                  hardware.Cycle(441);
                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
              }
          })
    {
    }
    ~CycleThread()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
} // namespace

TEST_F(EngineTest, PreRecordingPauseResumeAndStopWalkTheStates)
{
    OpenDevice();
    CycleThread cycles(*backend.hardware);
    EXPECT_EQ(engine->Stop(false), TkErrorInvalidState);
    EXPECT_EQ(engine->Pause(), TkErrorInvalidState);
    EXPECT_EQ(engine->Resume(), TkErrorInvalidState);

    ASSERT_EQ(engine->StartPreRecording(), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationCaptureStarted));
    EXPECT_EQ(engine->GetState(), EngineState::Standby);
    EXPECT_TRUE(backend.hardware->IsRunning());

    // Refused while the device runs.
    EXPECT_EQ(engine->Pause(), TkErrorInvalidState);
    EXPECT_EQ(engine->StartPreRecording(), TkErrorInvalidState);
    EXPECT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorInvalidState);
    const TkRecordSetting pcm{0, 44100, 24};
    EXPECT_EQ(engine->SetRecordSetting(&pcm), TkErrorInvalidState);
    EXPECT_EQ(engine->New(), TkErrorInvalidState);
    EXPECT_EQ(engine->SetTempDirectory("/tmp"), TkErrorInvalidState);
    TkRecordSetting out{};
    EXPECT_EQ(engine->GetRecordSetting(&out), TkErrorSuccess); // allowed after DeviceReady
    DeviceDescription info;
    EXPECT_EQ(engine->GetAudioDeviceInfo(info), TkErrorSuccess);

    // Start from Standby: Recording at once, announced after the next cycle.
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::Recording);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationRecordingStarted));
    EXPECT_EQ(engine->Resume(), TkErrorInvalidState);
    EXPECT_EQ(engine->Start(), TkErrorInvalidState);

    ASSERT_EQ(engine->Pause(), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::Standby);
    EXPECT_EQ(engine->Pause(), TkErrorInvalidState);
    ASSERT_EQ(engine->Resume(), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::Recording);

    // Stop(true) returns after the stop ran; the notification follows on the main queue.
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::DeviceReady);
    EXPECT_FALSE(backend.hardware->IsRunning());
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    EXPECT_EQ(delegate.Operations(),
              (std::vector<int>{TkRecOperationCaptureStarted, TkRecOperationRecordingStarted,
                                TkRecOperationStopped}));
    EXPECT_TRUE(delegate.Errors().empty());
    EXPECT_FALSE(delegate.wrongThread);
    EXPECT_EQ(engine->New(), TkErrorSuccess);
}

TEST_F(EngineTest, StopRightAfterStartRunsTheStartFirst)
{
    OpenDevice();
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    // The engine queue may already have run the start.
    EngineState state = engine->GetState();
    EXPECT_TRUE(state == EngineState::Starting || state == EngineState::Recording);
    EXPECT_EQ(engine->Start(), TkErrorInvalidState);
    ASSERT_EQ(engine->Stop(false), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    EXPECT_EQ(delegate.Operations(),
              (std::vector<int>{TkRecOperationCaptureStarted, TkRecOperationStopped}));
    EXPECT_EQ(engine->GetState(), EngineState::DeviceReady);
    EXPECT_FALSE(backend.hardware->IsRunning());
    EXPECT_FALSE(delegate.wrongThread);
}

TEST_F(EngineTest, StartFromDeviceReadyRecordsAtOnce)
{
    OpenDevice();
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationCaptureStarted));
    EXPECT_EQ(engine->GetState(), EngineState::Recording);
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::DeviceReady);
    // A start straight into recording is not announced again by the IO callback.
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    EXPECT_EQ(delegate.Operations(),
              (std::vector<int>{TkRecOperationCaptureStarted, TkRecOperationStopped}));
}

TEST_F(EngineTest, FailingDeviceStartLeavesDeviceReadyAndSendsDeviceLost)
{
    OpenDevice();
    backend.hardware->failStart = true;
    ASSERT_EQ(engine->StartPreRecording(), TkErrorSuccess); // failures come asynchronously
    ASSERT_TRUE(delegate.WaitForError(TkNotifyDeviceLost));
    EXPECT_EQ(engine->GetState(), EngineState::DeviceReady);
    EXPECT_FALSE(backend.hardware->IsRunning());
    EXPECT_TRUE(delegate.Operations().empty());
    EXPECT_EQ(delegate.received.back().message, "");

    // The engine recovers: the next start succeeds.
    backend.hardware->failStart = false;
    ASSERT_EQ(engine->StartPreRecording(), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationCaptureStarted));
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);
    EXPECT_FALSE(delegate.wrongThread);
}

TEST_F(EngineTest, DestroyingARunningEngineStopsTheDevice)
{
    OpenDevice();
    ASSERT_EQ(engine->StartPreRecording(), TkErrorSuccess);
    engine.reset();
    EXPECT_FALSE(backend.hardware->IsRunning());
    EXPECT_EQ(backend.hardware->HogOwner(), -1);
}

TEST_F(EngineTest, DsdRecordingStartsAndStops)
{
    OpenDevice();
    const TkRecordSetting dsd{1, 2822400, 1};
    ASSERT_EQ(engine->SetRecordSetting(&dsd), TkErrorSuccess);
    CycleThread cycles(*backend.hardware);
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationCaptureStarted));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    EXPECT_TRUE(delegate.Errors().empty());
}

TEST_F(EngineTest, RecordedPcmReachesThePreviewViews)
{
    OpenDevice();
    const TkRecordSetting pcm{0, 44100, 24};
    ASSERT_EQ(engine->SetRecordSetting(&pcm), TkErrorSuccess);
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(WaitForState(EngineState::Recording));
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(backend.hardware->Cycle(441, 0.5f));
    }
    // Let the recording and conversion threads catch up, then stop.
    uint64_t live = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (live < 441 * 20 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_EQ(engine->GetPreviewDataLength(&live, false), TkErrorSuccess);
    }
    ASSERT_EQ(live, 441u * 20);
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);

    uint64_t finished = 0;
    ASSERT_EQ(engine->GetPreviewDataLength(&finished, true), TkErrorSuccess);
    ASSERT_EQ(finished, 441u * 20);
    std::vector<int16_t> buffer(2 * 100, 0);
    EXPECT_EQ(engine->GetPreviewData(0, 100, buffer.data(), buffer.size() - 1, true),
              TkErrorInvalidArgument); // one sample short
    ASSERT_EQ(engine->GetPreviewData(0, 100, buffer.data(), buffer.size(), true), TkErrorSuccess);
    EXPECT_NEAR(buffer[0], 16384, 1);
    EXPECT_EQ(buffer[0], buffer[1]);
    EXPECT_EQ(engine->GetPreviewData(finished, finished + 1, buffer.data(), buffer.size(), true),
              TkErrorInvalidArgument); // beyond the stream
    EXPECT_EQ(engine->GetPreviewData(5, 4, buffer.data(), buffer.size(), true), TkErrorInvalidArgument);

    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    EXPECT_EQ(engine->New(), TkErrorSuccess);
    ASSERT_EQ(engine->GetPreviewDataLength(&finished, true), TkErrorSuccess);
    EXPECT_EQ(finished, 0u);
}
