// The device filter and the choice among available formats.
#include <gtest/gtest.h>

#include "device/AudioDeviceList.h"
#include "device/AudioFormatChoice.h"
#include "device/TurntableIdentity.h"
#include "framework/device/FakeAudioBackend.h"

namespace {

FoundDeviceInfo Device(const std::string& name, int32_t vid, int32_t pid)
{
    FoundDeviceInfo d;
    d.name = name;
    d.vid = vid;
    d.pid = pid;
    return d;
}

TEST(AudioDeviceList, KeepsOnlyTheTurntableByIdentifiersAndWholeName)
{
    std::vector<FoundDeviceInfo> devices = {
        Device("QT-LV200", kTurntableVendorId, kTurntableProductId + 1),
        Device("QT-LV200", kTurntableVendorId, 0x1234),
        Device("Built-in Microphone", -1, -1),
        Device("QT-LV200 ", kTurntableVendorId, kTurntableProductId),
        Device("My QT-LV200", kTurntableVendorId, kTurntableProductId),
        Device("QT-LV200", kTurntableVendorId + 1, kTurntableProductId),
        Device("QT-LV200", kTurntableVendorId, kTurntableProductId),
    };
    AudioDeviceList().FilterDevices(devices);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].name, "QT-LV200");
    EXPECT_EQ(devices[0].flags, 0x10007u);
}

TEST(AudioDeviceList, RejectedDeviceKeepsItsFlags)
{
    FoundDeviceInfo d = Device("QT-LV200", kTurntableVendorId, kTurntableProductId + 1);
    EXPECT_FALSE(AudioDeviceList().FilterDevice(d));
    EXPECT_EQ(d.flags, 0u);
}

TEST(CompareASRD, PrefersExactThenSmallestAboveThenDeepest)
{
    const auto s16 = MakeFormat(96000, 16);
    const auto s24 = MakeFormat(96000, 24);
    const auto s32 = MakeFormat(96000, 32);
    const auto m24 = MakeFormat(96000, 24, 1);
    EXPECT_EQ(CompareASRD(&s24, &s32, 32), &s32);
    EXPECT_EQ(CompareASRD(&s32, &s24, 32), &s32);
    EXPECT_EQ(CompareASRD(&s16, &s24, 32), &s24);
    EXPECT_EQ(CompareASRD(&m24, &s24, 32), &s24);
    EXPECT_EQ(CompareASRD(&s24, &m24, 32), &s24);
    // Both above the wish: the smaller depth.
    EXPECT_EQ(CompareASRD(&s32, &s24, 16), &s24);
    EXPECT_EQ(CompareASRD(&s24, &s16, 16), &s16);
    // Equal in every way: the first.
    const auto other24 = MakeFormat(48000, 24);
    EXPECT_EQ(CompareASRD(&s24, &other24, 32), &s24);
    EXPECT_EQ(CompareASRD(nullptr, &s16, 32), &s16);
    EXPECT_EQ(CompareASRD(&s16, nullptr, 32), &s16);
}

TEST(SearchASRD, RangedFormatQualifiesOnlyInsideItsRange)
{
    auto ranged = MakeFormat(0, 24);
    ranged.mSampleRateRange = {44100, 192000};
    const std::vector<AudioStreamRangedDescription> formats{ranged};
    EXPECT_NE(SearchASRD(formats, 96000, 32), nullptr);
    EXPECT_NE(SearchASRD(formats, 44100, 32), nullptr);
    EXPECT_EQ(SearchASRD(formats, 384000, 32), nullptr);
}

TEST(SearchASRD, OnlyMixableSignedIntegerPcmQualifies)
{
    const std::vector<AudioStreamRangedDescription> formats{
        MakeFormat(96000, 32, 2, kAudioFormatFlagIsFloat),
        MakeFormat(96000, 32, 2, kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsNonMixable),
        MakeFormat(96000, 16),
    };
    const auto* found = SearchASRD(formats, 96000, 32);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->mFormat.mBitsPerChannel, 16u);
    EXPECT_EQ(SearchASRD(formats, 48000, 32), nullptr);
}

} // namespace
