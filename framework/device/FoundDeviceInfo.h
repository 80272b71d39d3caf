// One enumerated audio device, and the flags the device filter gives it.
#pragma once

#include <cstdint>
#include <string>

#include "device/AudioHardwareTypes.h"

// Bits 0-6 withhold frequencies from the device description; bit 16 says the
// device has the vendor DSD switch on its USB audio interface.
enum DeviceFlags : uint32_t {
    DeviceFlagNoPcm88200 = 1u << 0,
    DeviceFlagNoPcm176400 = 1u << 1,
    DeviceFlagNoPcm352800 = 1u << 2,
    DeviceFlagNoPcm705600 = 1u << 3,
    DeviceFlagNoDsd2822400 = 1u << 4,
    DeviceFlagNoDsd5644800 = 1u << 5,
    DeviceFlagNoDsd11289600 = 1u << 6,
    DeviceFlagVendorDsdSwitch = 1u << 16,
};

struct FoundDeviceInfo {
    std::string name;
    std::string uid;
    std::string modelUid;
    AudioObjectID deviceId = kAudioObjectUnknown;
    int32_t vid = -1;
    int32_t pid = -1;
    uint32_t flags = 0;
};
