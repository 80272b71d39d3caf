// The device manager against a configurable fake platform.
#include <gtest/gtest.h>

#include <memory>

#include "device/CoreAudioManager.h"
#include "device/TurntableIdentity.h"
#include "framework/device/FakeAudioBackend.h"

namespace {

class NullNotify : public IAudioDeviceNotify {
public:
    void AudioDevice_ProcessorOverload() override {}
    void AudioDevice_DeviceIsAliveChanged() override {}
    void AudioDevice_IOProc(const AudioBufferList*, AudioBufferList*) override {}
};

class CoreAudioManagerTest : public ::testing::Test {
protected:
    CoreAudioManagerTest()
    {
        hardware->devices[10] = FakeDevice{"QT-LV200", "uid-a"};
        hardware->devices[11] = FakeDevice{"QT-LV200", "uid-b"};
        hardware->devices[12] = FakeDevice{"Dead", "uid-c"};
        hardware->devices[12].alive = 0;
        hardware->devices[13] = FakeDevice{"<unreadable>", "uid-d"};
        usb->engines = {{"uid-a", kTurntableVendorId, kTurntableProductId},
                        {"uid-b", kTurntableVendorId, kTurntableProductId, false}};
        hardware->formats = {MakeFormat(44100, 24), MakeFormat(96000, 24), MakeFormat(352800, 24),
                             MakeFormat(176400, 16)};
        hardware->physicalFormat = hardware->formats[0].mFormat;
    }

    FoundDeviceInfo Turntable(AudioObjectID id = 10)
    {
        std::vector<FoundDeviceInfo> list;
        EXPECT_EQ(manager.GetAudioDevices(list), TkErrorSuccess);
        for (auto& d : list) {
            if (d.deviceId == id) {
                d.flags = 0x10007;
                return d;
            }
        }
        ADD_FAILURE() << "device " << id << " not listed";
        return {};
    }

    std::shared_ptr<FakeAudioHardware> hardware = std::make_shared<FakeAudioHardware>();
    std::shared_ptr<FakeUsbRegistry> usb = std::make_shared<FakeUsbRegistry>();
    CoreAudioManager manager{hardware, usb};
    NullNotify notify;
};

TEST_F(CoreAudioManagerTest, ListsAliveReadableDevicesWithTheirUsbIdentity)
{
    std::vector<FoundDeviceInfo> list{FoundDeviceInfo{}};
    ASSERT_EQ(manager.GetAudioDevices(list), TkErrorSuccess);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].uid, "uid-a");
    EXPECT_EQ(list[0].vid, kTurntableVendorId);
    EXPECT_EQ(list[0].pid, kTurntableProductId);
    EXPECT_EQ(list[0].flags, 0u);

    usb->engines.clear();
    ASSERT_EQ(manager.GetAudioDevices(list), TkErrorSuccess);
    EXPECT_EQ(list[0].vid, -1);
    EXPECT_EQ(list[0].pid, -1);

    hardware->listFailure = kAudioHardwareBadObjectError;
    EXPECT_EQ(manager.GetAudioDevices(list), TkErrorDeviceNotFound);
    EXPECT_TRUE(list.empty());
}

TEST_F(CoreAudioManagerTest, ErrorMapping)
{
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(0), 0);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(0x21646174), TkErrorNotSupported);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(0x756E6F70), TkErrorNotSupported);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(0x21646576), TkErrorDeviceNotFound);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(0x216F626A), TkErrorDeviceNotFound);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(0x21737472), TkErrorDeviceNotFound);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(kAudioDevicePermissionsError), TkErrorFailed);
    EXPECT_EQ(CoreAudioManager::ConvertErrorCode(-1), TkErrorFailed);
}

TEST_F(CoreAudioManagerTest, OpensWithHogModeAndSwitchesToPcm)
{
    EXPECT_EQ(manager.SetAudioDevice(Turntable(), nullptr), TkErrorInvalidArgument);
    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    EXPECT_NE(hardware->devices[10].hog, -1);
    EXPECT_EQ(hardware->listeners.size(), 3u); // overload, alive, input dropped
    EXPECT_EQ(hardware->ioProcs.size(), 1u);
    ASSERT_EQ(usb->requests.size(), 1u);
    const UsbDeviceRequest& r = usb->requests[0];
    EXPECT_EQ(r.bmRequestType, 0x41);
    EXPECT_EQ(r.bRequest, 0x00);
    EXPECT_EQ(r.wValue, 0);
    EXPECT_EQ(r.wIndex, 3);
    EXPECT_EQ(r.wLength, 0);
    EXPECT_EQ(manager.SetAudioDevice(Turntable(11), &notify), TkErrorInvalidState);

    uint16_t in = 0, out = 9;
    EXPECT_EQ(manager.GetChannels(in, out), TkErrorSuccess);
    EXPECT_EQ(in, 2);
    EXPECT_EQ(out, 0);
    uint16_t supported = 0, record = 0;
    EXPECT_EQ(manager.GetBits(supported, record), TkErrorSuccess);
    EXPECT_EQ(supported, 24);
    EXPECT_EQ(record, 32);
}

TEST_F(CoreAudioManagerTest, OperationsNeedAnOpenStoppedDevice)
{
    double rate = 0;
    uint32_t frames = 100;
    uint16_t a = 0, b = 0;
    EXPECT_EQ(manager.GetSampleRate(rate), TkErrorInvalidState);
    EXPECT_EQ(manager.SetBufferSize(frames), TkErrorInvalidState);
    EXPECT_EQ(manager.GetChannels(a, b), TkErrorInvalidState);
    EXPECT_EQ(manager.Start(), TkErrorInvalidState);
    EXPECT_EQ(manager.ReleaseDevice(), TkErrorInvalidState);

    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    EXPECT_EQ(manager.Stop(), TkErrorInvalidState);
    ASSERT_EQ(manager.Start(), TkErrorSuccess);
    EXPECT_EQ(manager.SetSampleRate(96000), TkErrorInvalidState);
    EXPECT_EQ(manager.SetSampleType(1), TkErrorInvalidState);
    EXPECT_EQ(manager.ReleaseDevice(), TkErrorInvalidState);
    EXPECT_EQ(manager.Stop(), TkErrorSuccess);
    EXPECT_FALSE(hardware->started);
}

TEST_F(CoreAudioManagerTest, DsdRatesNeedExactSixteenBitCarriage)
{
    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    ASSERT_EQ(manager.SetSampleType(1), TkErrorSuccess);
    EXPECT_EQ(usb->requests.back().wValue, 1);
    EXPECT_EQ(manager.CanSampleRate(2822400), TkErrorSuccess);  // 16-bit at 176400
    EXPECT_EQ(manager.CanSampleRate(5644800), TkErrorNotSupported); // only 24-bit at 352800
    EXPECT_EQ(manager.SetSampleRate(5644800), TkErrorNotSupported);

    ASSERT_EQ(manager.SetSampleRate(2822400), TkErrorSuccess);
    EXPECT_EQ(hardware->physicalFormat.mSampleRate, 176400);
    EXPECT_EQ(hardware->physicalFormat.mBitsPerChannel, 16u);
    double rate = 0;
    EXPECT_EQ(manager.GetSampleRate(rate), TkErrorSuccess);
    EXPECT_EQ(rate, 2822400);

    hardware->formats.push_back(MakeFormat(352800, 16));
    manager.ReleaseDevice();
    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    ASSERT_EQ(manager.SetSampleType(1), TkErrorSuccess);
    EXPECT_EQ(manager.CanSampleRate(5644800), TkErrorSuccess);

    ASSERT_EQ(manager.SetSampleType(0), TkErrorSuccess);
    EXPECT_EQ(usb->requests.back().wValue, 0);
    EXPECT_EQ(manager.CanSampleRate(96000), TkErrorSuccess);
    EXPECT_EQ(manager.CanSampleRate(48000), TkErrorNotSupported);
    EXPECT_EQ(manager.SetSampleType(2), TkErrorNotSupported);
}

TEST_F(CoreAudioManagerTest, DsdNeedsTheVendorSwitch)
{
    FoundDeviceInfo device = Turntable();
    device.flags = 0x7; // no vendor switch
    ASSERT_EQ(manager.SetAudioDevice(device, &notify), TkErrorSuccess);
    EXPECT_TRUE(usb->requests.empty());
    EXPECT_EQ(manager.SetSampleType(1), TkErrorNotSupported);
    EXPECT_EQ(manager.SetDSDMethod(true), TkErrorNotSupported);
    int64_t type = -1;
    EXPECT_EQ(manager.GetSampleType(type), TkErrorSuccess);
    EXPECT_EQ(type, 0);
}

TEST_F(CoreAudioManagerTest, VendorRequestFailureIsReported)
{
    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    usb->requestStatus = kIOReturnNoDevice;
    // The fake hands the status to interfaces opened later; reopen to apply it.
    manager.ReleaseDevice();
    EXPECT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorDeviceNotFound);
    usb->requestStatus = kIOReturnError;
    EXPECT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorFailed);
    EXPECT_EQ(usb->openInterfaces, 0);
    EXPECT_EQ(hardware->devices[10].hog, -1);
}

TEST_F(CoreAudioManagerTest, BufferSizeIsClampedIntoTheRange)
{
    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    uint32_t frames = 10;
    ASSERT_EQ(manager.SetBufferSize(frames), TkErrorSuccess);
    EXPECT_EQ(frames, 64u);
    frames = 100000;
    ASSERT_EQ(manager.SetBufferSize(frames), TkErrorSuccess);
    EXPECT_EQ(frames, 4096u);
    frames = 1000;
    ASSERT_EQ(manager.SetBufferSize(frames), TkErrorSuccess);
    EXPECT_EQ(frames, 1000u);
    uint32_t kept = 0;
    EXPECT_EQ(manager.GetBufferSize(kept), TkErrorSuccess);
    EXPECT_EQ(kept, 1000u);
}

TEST_F(CoreAudioManagerTest, ReleaseRestoresFormatAndBufferSizeAndSwitchesBackToPcm)
{
    ASSERT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    ASSERT_EQ(manager.SetSampleType(1), TkErrorSuccess);
    ASSERT_EQ(manager.SetSampleRate(2822400), TkErrorSuccess);
    uint32_t frames = 2000;
    ASSERT_EQ(manager.SetBufferSize(frames), TkErrorSuccess);

    ASSERT_EQ(manager.ReleaseDevice(), TkErrorSuccess);
    EXPECT_EQ(hardware->physicalFormat.mSampleRate, 44100);
    EXPECT_EQ(hardware->physicalFormat.mBitsPerChannel, 24u);
    EXPECT_EQ(hardware->devices[10].bufferFrames, 512u);
    EXPECT_EQ(hardware->devices[10].hog, -1);
    EXPECT_EQ(usb->requests.back().wValue, 0);
    EXPECT_EQ(usb->openInterfaces, 0);
    EXPECT_TRUE(hardware->listeners.empty());
    EXPECT_TRUE(hardware->ioProcs.empty());
    EXPECT_FALSE(manager.HasDevice());
}

TEST_F(CoreAudioManagerTest, FailedOpenUndoesEverything)
{
    for (const char* op : {"GetBufferFrameSize", "GetPhysicalFormat", "CreateIOProcID", "AddAliveListener"}) {
        SCOPED_TRACE(op);
        hardware->failures = {{op, kAudioHardwareUnspecifiedError}};
        EXPECT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorFailed);
        EXPECT_EQ(hardware->devices[10].hog, -1);
        EXPECT_TRUE(hardware->listeners.empty());
        EXPECT_TRUE(hardware->ioProcs.empty());
        EXPECT_EQ(usb->openInterfaces, 0);
        EXPECT_FALSE(manager.HasDevice());
    }
    hardware->failures = {{"SetHogMode", kAudioDevicePermissionsError}};
    EXPECT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorFailed);

    hardware->failures.clear();
    // No USB interface under the input stream: -3.
    EXPECT_EQ(manager.SetAudioDevice(Turntable(11), &notify), TkErrorFailed);
    EXPECT_EQ(hardware->devices[11].hog, -1);

    hardware->devices[10].inputStreams.clear();
    EXPECT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorNotSupported);

    hardware->devices[10].inputStreams = {100};
    EXPECT_EQ(manager.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
}

TEST_F(CoreAudioManagerTest, DestructionStopsAndReleases)
{
    {
        CoreAudioManager local(hardware, usb);
        ASSERT_EQ(local.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
        ASSERT_EQ(local.Start(), TkErrorSuccess);
    }
    EXPECT_FALSE(hardware->started);
    EXPECT_EQ(hardware->devices[10].hog, -1);
    EXPECT_TRUE(hardware->ioProcs.empty());
}

} // namespace
