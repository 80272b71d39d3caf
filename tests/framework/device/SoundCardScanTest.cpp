// The identity scan over a sysfs/procfs tree built by the test, and the
// device filter applied to what the ALSA back-end lists from it.
#include <gtest/gtest.h>

#include "device/AlsaAudioSystem.h"
#include "device/AudioDeviceList.h"
#include "device/CoreAudioManager.h"
#include "device/UdevSoundMonitor.h"
#include "support/FakeSysfs.h"

namespace {

// The turntable, another USB card, a card with the turntable's ids but
// another name, and the machine's own sound card.
void BuildMachine(FakeSysfs& sysfs)
{
    sysfs.AddPciCard(0, "PCH");
    FakeUsbCard turntable;
    turntable.index = 1;
    sysfs.AddUsbCard(turntable);
    FakeUsbCard headset;
    headset.index = 2;
    headset.id = "Headset";
    headset.vid = 0x1234;
    headset.pid = 0x5678;
    headset.product = "USB Headset";
    headset.port = "1-3";
    headset.address = 8;
    sysfs.AddUsbCard(headset);
    FakeUsbCard lookalike;
    lookalike.index = 3;
    lookalike.id = "QTLV200_1";
    lookalike.product = "QT-LV200 MkII";
    lookalike.port = "1-4";
    lookalike.address = 9;
    sysfs.AddUsbCard(lookalike);
}

} // namespace

TEST(SoundCardScan, ReadsUsbIdentityFromTheCardsUsbDevice)
{
    FakeSysfs sysfs;
    BuildMachine(sysfs);
    const std::vector<SoundCard> cards = ScanSoundCards(sysfs.Roots());
    ASSERT_EQ(cards.size(), 4u);

    EXPECT_EQ(cards[0].index, 0);
    EXPECT_FALSE(cards[0].usb);
    EXPECT_EQ(cards[0].vid, -1);
    EXPECT_EQ(cards[0].name, "PCH");
    EXPECT_EQ(cards[0].pcmName, "hw:CARD=PCH,DEV=0");

    const SoundCard& turntable = cards[1];
    EXPECT_TRUE(turntable.usb);
    EXPECT_EQ(turntable.vid, 0x2F6C);
    EXPECT_EQ(turntable.pid, 0x0C20);
    EXPECT_EQ(turntable.firmware, 0x0123);
    EXPECT_EQ(turntable.name, "QT-LV200");
    EXPECT_EQ(turntable.busNumber, 1);
    EXPECT_EQ(turntable.deviceAddress, 7);
    EXPECT_EQ(turntable.interfaceNumber, 2) << "the capture stream's interface, not the control interface";
    EXPECT_TRUE(turntable.hasCapture);
    EXPECT_EQ(turntable.pcmName, "hw:CARD=QTLV200,DEV=0");
    EXPECT_EQ(turntable.uid, "usb:2f6c:0c20:1-2");
}

TEST(SoundCardScan, FallsBackToProcfsIdsAndTheBoundInterface)
{
    FakeSysfs sysfs;
    FakeUsbCard card;
    card.captureInterface = -1; // no stream0
    card.controlInterface = 1;
    sysfs.AddUsbCard(card);
    std::vector<SoundCard> cards = ScanSoundCards(sysfs.Roots());
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0].interfaceNumber, 1);

    // A kernel that shows no USB parent still leaves the ids in procfs.
    FakeSysfs bare;
    bare.AddPciCard(4, "USBish");
    std::filesystem::create_directories(bare.Roots().proc + "/asound/card4");
    std::ofstream(bare.Roots().proc + "/asound/card4/usbid") << "2f6c:0c20\n";
    cards = ScanSoundCards(bare.Roots());
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_TRUE(cards[0].usb);
    EXPECT_EQ(cards[0].vid, 0x2F6C);
    EXPECT_EQ(cards[0].pid, 0x0C20);
}

TEST(SoundCardScan, OnlyTheTurntableSurvivesTheDeviceFilter)
{
    FakeSysfs sysfs;
    BuildMachine(sysfs);
    AlsaSystemOptions options;
    options.scan = [roots = sysfs.Roots()] { return ScanSoundCards(roots); };
    options.watchHotplug = false;
    options.reserveCards = false;
    auto system = std::make_shared<AlsaAudioSystem>(options);
    CoreAudioManager manager(system, system);

    std::vector<FoundDeviceInfo> devices;
    ASSERT_EQ(manager.GetAudioDevices(devices), TkErrorSuccess);
    ASSERT_EQ(devices.size(), 4u);
    EXPECT_EQ(devices[2].vid, 0x1234);
    AudioDeviceList().FilterDevices(devices);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].name, "QT-LV200");
    EXPECT_EQ(devices[0].uid, "usb:2f6c:0c20:1-2");
    EXPECT_EQ(devices[0].flags, 0x10007u);

    // The registry answers product name and firmware for the USB device.
    const auto usbDevices = system->GetMatchingServices(kIOUSBDeviceClass);
    ASSERT_EQ(usbDevices.size(), 3u);
    EXPECT_EQ(system->GetStringProperty(usbDevices[0], kUSBProductString), "QT-LV200");
    EXPECT_EQ(system->GetNumberProperty(usbDevices[0], kUSBDeviceReleaseNumber), 0x0123);
}

TEST(SoundCardScan, HotplugEventsClassifyCardsOnly)
{
    SoundCardEvent event{};
    EXPECT_TRUE(UdevSoundMonitor::Classify("remove", "card1", false, event));
    EXPECT_EQ(event, SoundCardEvent::Removed);
    EXPECT_TRUE(UdevSoundMonitor::Classify("change", "card1", true, event));
    EXPECT_EQ(event, SoundCardEvent::Ready);
    EXPECT_FALSE(UdevSoundMonitor::Classify("add", "card1", false, event)) << "not ready before SOUND_INITIALIZED";
    EXPECT_FALSE(UdevSoundMonitor::Classify("remove", "pcmC1D0c", false, event));
    EXPECT_FALSE(UdevSoundMonitor::Classify("change", "controlC1", true, event));
}
