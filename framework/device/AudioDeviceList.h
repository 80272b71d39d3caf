// The device filter: keeps only the turntable among the enumerated devices
// and marks it with its DeviceFlags.
#pragma once

#include <vector>

#include "device/FoundDeviceInfo.h"

class AudioDeviceList {
public:
    // Flags given to an accepted device: 88200, 176400 and 352800 PCM
    // withheld, vendor DSD switch present.
    static constexpr uint32_t kTurntableFlags = DeviceFlagNoPcm88200 | DeviceFlagNoPcm176400 |
                                                DeviceFlagNoPcm352800 | DeviceFlagVendorDsdSwitch;

    // Keeps, in their order, the devices FilterDevice accepts.
    void FilterDevices(std::vector<FoundDeviceInfo>& devices) const;
    // Accepts the turntable's vendor and product identifiers with the whole
    // name "QT-LV200"; sets the flags of an accepted device.
    bool FilterDevice(FoundDeviceInfo& device) const;
};
