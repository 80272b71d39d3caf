// The device filter: the turntable is recognised by its USB identifiers and
// its exact name.
#include "device/AudioDeviceList.h"

#include <regex>

#include "device/TurntableIdentity.h"

void AudioDeviceList::FilterDevices(std::vector<FoundDeviceInfo>& devices) const
{
    std::vector<FoundDeviceInfo> kept;
    for (auto& device : devices) {
        if (FilterDevice(device)) {
            kept.push_back(device);
        }
    }
    devices = std::move(kept);
}

bool AudioDeviceList::FilterDevice(FoundDeviceInfo& device) const
{
    if (device.vid != kTurntableVendorId || device.pid != kTurntableProductId) {
        return false;
    }
    static const std::regex pattern(kTurntableNamePattern, std::regex::ECMAScript);
    if (!std::regex_match(device.name, pattern)) {
        return false;
    }
    device.flags = kTurntableFlags;
    return true;
}
