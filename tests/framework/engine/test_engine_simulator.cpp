// The engine on the simulated turntable rather than the stand-in: the
// description it reports, the vendor requests that switch DSD carriage, and
// device loss when the turntable is unplugged.
#include "EngineTestSupport.h"

#include "device/SimulatedTurntable.h"

#include <algorithm>
#include <filesystem>

namespace {

class SimulatorEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cartova-sim-engine-XXXXXX";
        folder = mkdtemp(pattern);
        const ICartovaDelegate callbacks = delegate.Delegate();
        ASSERT_EQ(engine->Init(&callbacks), TkErrorSuccess);
        ASSERT_EQ(engine->SetTempDirectory(folder.c_str()), TkErrorSuccess);
        ASSERT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorSuccess);
    }
    void TearDown() override
    {
        engine.reset();
        queue.RunUntilIdle();
        std::filesystem::remove_all(folder);
    }

    std::shared_ptr<SimulatedTurntable> turntable = std::make_shared<SimulatedTurntable>();
    MainQueue queue;
    RecordingDelegate delegate{queue};
    std::unique_ptr<ToolkitManager> engine =
        std::make_unique<ToolkitManager>(AudioBackend{turntable, turntable});
    std::string folder;
};

// The values of the vendor requests the simulator received, in order.
std::vector<uint16_t> RequestValues(const SimulatedTurntable& turntable)
{
    std::vector<uint16_t> values;
    for (const UsbDeviceRequest& request : turntable.ReceivedRequests())
        values.push_back(request.wValue);
    return values;
}

} // namespace

TEST_F(SimulatorEngineTest, DescriptionAndDsdCarriageThroughTheVendorRequest)
{
    DeviceDescription info;
    ASSERT_EQ(engine->GetAudioDeviceInfo(info), TkErrorSuccess);
    EXPECT_EQ(info.inputChannels, 2);
    EXPECT_EQ(info.outputChannels, 0);
    EXPECT_EQ(info.pcmFrequencies, (std::vector<uint32_t>{44100, 48000, 96000, 192000, 384000}));
    EXPECT_EQ(info.dsdFrequencies, (std::vector<uint32_t>{2822400, 5644800, 11289600}));
    // Describing the device switches to DSD and back.
    EXPECT_FALSE(turntable->IsDsdCarriage());
    const size_t describedWith = turntable->ReceivedRequests().size();
    EXPECT_GE(describedWith, 2u);

    const TkRecordSetting dsd{1, 5644800, 0};
    ASSERT_EQ(engine->SetRecordSetting(&dsd), TkErrorSuccess);
    EXPECT_TRUE(turntable->IsDsdCarriage());
    const TkRecordSetting pcm{0, 96000, 24};
    ASSERT_EQ(engine->SetRecordSetting(&pcm), TkErrorSuccess);
    EXPECT_FALSE(turntable->IsDsdCarriage());
    std::vector<uint16_t> values = RequestValues(*turntable);
    ASSERT_EQ(values.size(), describedWith + 2);
    EXPECT_NE(values[describedWith], values[describedWith + 1]);
}

TEST_F(SimulatorEngineTest, UnpluggingDuringARecordingSendsDeviceLost)
{
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationCaptureStarted));
    turntable->Unplug();
    ASSERT_TRUE(delegate.WaitForError(TkNotifyDeviceLost));
    EXPECT_FALSE(delegate.wrongThread);
    EXPECT_EQ(engine->Stop(true), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::DeviceReady);
}

TEST_F(SimulatorEngineTest, PluggingBackInIsNotAnotherDeviceLoss)
{
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationCaptureStarted));
    turntable->Unplug();
    ASSERT_TRUE(delegate.WaitForError(TkNotifyDeviceLost));
    // The listeners run inside Replug; anything they post is queued before
    // the stop's notification.
    turntable->Replug();
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);
    ASSERT_TRUE(delegate.WaitForOperation(TkRecOperationStopped));
    const std::vector<int> errors = delegate.Errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), TkNotifyDeviceLost), 1);
}
