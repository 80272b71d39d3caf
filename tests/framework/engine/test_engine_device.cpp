// Opening the device through the engine: the device filter, exact names,
// the device description with the withheld frequencies, the vendor requests,
// record settings and device loss.
#include "EngineTestSupport.h"

#include "device/TurntableIdentity.h"

TEST_F(EngineTest, ListsOnlyTheTurntableAndOpensItByExactName)
{
    backend.hardware->SetDevices({
        FakeDevice{3, "Built-in Audio", 0x1234, 0x0001, 2, true},
        FakeDevice{7, kTurntableName, kTurntableVendorId, kTurntableProductId, 2, true},
        FakeDevice{9, kTurntableName, kTurntableVendorId, kTurntableProductId + 1, 2, true},
    });
    InitEngine();
    std::vector<std::string> names;
    ASSERT_EQ(engine->GetAudioDevices(names), TkErrorSuccess);
    EXPECT_EQ(names, std::vector<std::string>{"QT-LV200"});

    EXPECT_EQ(engine->SetAudioDevice("qt-lv200"), TkErrorDeviceNotFound);
    EXPECT_EQ(engine->SetAudioDevice("Built-in Audio"), TkErrorDeviceNotFound);
    EXPECT_EQ(engine->GetState(), EngineState::Initialized);
    EXPECT_EQ(backend.hardware->HogOwner(), -1);

    ASSERT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorSuccess);
    EXPECT_EQ(engine->GetState(), EngineState::DeviceReady);
    EXPECT_NE(backend.hardware->HogOwner(), -1);

    // Reopening closes the device first; a failed open leaves Initialized.
    EXPECT_EQ(engine->SetAudioDevice("QT-LV201"), TkErrorDeviceNotFound);
    EXPECT_EQ(engine->GetState(), EngineState::Initialized);
    EXPECT_EQ(backend.hardware->HogOwner(), -1);
    DeviceDescription info;
    EXPECT_EQ(engine->GetAudioDeviceInfo(info), TkErrorInvalidState);
}

TEST_F(EngineTest, DeviceListErrorIsPassedOnAndClearsTheList)
{
    InitEngine();
    backend.hardware->failDeviceList = true;
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(engine->GetAudioDevices(names), TkErrorFailed);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorFailed);
    EXPECT_EQ(engine->GetState(), EngineState::Initialized);
}

TEST_F(EngineTest, DescriptionWithholdsTheFlaggedFrequencies)
{
    OpenDevice();
    DeviceDescription info;
    ASSERT_EQ(engine->GetAudioDeviceInfo(info), TkErrorSuccess);
    EXPECT_EQ(info.deviceName, "QT-LV200");
    EXPECT_EQ(info.vid, kTurntableVendorId);
    EXPECT_EQ(info.pid, kTurntableProductId);
    EXPECT_EQ(info.inputChannels, 2);
    EXPECT_EQ(info.outputChannels, 0);
    EXPECT_EQ(info.pcmSupportedBits, 24);
    EXPECT_EQ(info.pcmRecordBits, 32);
    // The device offers 88200, 176400 and 352800 too; the turntable's flags withhold them.
    EXPECT_EQ(info.pcmFrequencies, (std::vector<uint32_t>{44100, 48000, 96000, 192000, 384000}));
    EXPECT_EQ(info.dsdFrequencies, (std::vector<uint32_t>{2822400, 5644800, 11289600}));
    // PCM at open, then DSD and back to PCM while describing.
    EXPECT_EQ(backend.usb->Requests(), (std::vector<uint16_t>{0, 1, 0}));

    // The copy handed out is the caller's own.
    info.pcmFrequencies.clear();
    DeviceDescription again;
    ASSERT_EQ(engine->GetAudioDeviceInfo(again), TkErrorSuccess);
    EXPECT_EQ(again.pcmFrequencies.size(), 5u);
}

TEST(DeviceDescription, FlagsRemoveOnlyTheirOwnFrequencies)
{
    DeviceDescription d;
    d.pcmFrequencies = {44100, 88200, 176400, 352800, 384000};
    d.dsdFrequencies = {2822400, 5644800, 11289600};
    ApplyDeviceFlags(DeviceFlagNoPcm176400 | DeviceFlagNoDsd5644800 | DeviceFlagVendorDsdSwitch, d);
    EXPECT_EQ(d.pcmFrequencies, (std::vector<uint32_t>{44100, 88200, 352800, 384000}));
    EXPECT_EQ(d.dsdFrequencies, (std::vector<uint32_t>{2822400, 11289600}));
}

TEST_F(EngineTest, RecordSettingRoundTrip)
{
    OpenDevice();
    const TkRecordSetting dsd{1, 5644800, 0};
    ASSERT_EQ(engine->SetRecordSetting(&dsd), TkErrorSuccess);
    TkRecordSetting out{};
    ASSERT_EQ(engine->GetRecordSetting(&out), TkErrorSuccess);
    EXPECT_EQ(out.rec_type, 1);
    EXPECT_EQ(out.freq, 5644800u);
    EXPECT_EQ(out.bits, 1);

    const TkRecordSetting pcm{0, 96000, 24};
    ASSERT_EQ(engine->SetRecordSetting(&pcm), TkErrorSuccess);
    ASSERT_EQ(engine->GetRecordSetting(&out), TkErrorSuccess);
    EXPECT_EQ(out.rec_type, 0);
    EXPECT_EQ(out.freq, 96000u);
    EXPECT_EQ(out.bits, 24);

    // A frequency the device has no format for is refused by the device layer.
    const TkRecordSetting odd{0, 12345, 16};
    EXPECT_EQ(engine->SetRecordSetting(&odd), TkErrorNotSupported);
    ASSERT_EQ(engine->GetRecordSetting(&out), TkErrorSuccess);
    EXPECT_EQ(out.bits, 24); // later steps skipped
}

TEST_F(EngineTest, UnpluggingSendsDeviceLostOnTheMainQueue)
{
    OpenDevice();
    std::thread platform([&] { backend.hardware->Unplug(); });
    platform.join();
    EXPECT_TRUE(delegate.received.empty()); // posted, not called
    ASSERT_TRUE(delegate.WaitForError(TkNotifyDeviceLost));
    EXPECT_EQ(delegate.received.back().message, "");
    EXPECT_FALSE(delegate.wrongThread);
}
