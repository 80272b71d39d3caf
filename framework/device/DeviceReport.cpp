// Describing the device search; see DeviceReport.h.
#include "device/DeviceReport.h"

#include <cstdio>

#include "device/AudioDeviceList.h"
#include "device/TurntableIdentity.h"

namespace {

std::string UsbId(int32_t vid, int32_t pid)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", static_cast<unsigned>(vid) & 0xFFFFu,
                  static_cast<unsigned>(pid) & 0xFFFFu);
    return text;
}

} // namespace

std::string FilterVerdict(const FoundDeviceInfo& device)
{
    FoundDeviceInfo copy = device;
    if (AudioDeviceList().FilterDevice(copy)) {
        return {};
    }
    if (device.vid < 0 || device.pid < 0) {
        return "no USB identity (not a USB audio device)";
    }
    if (device.vid != kTurntableVendorId || device.pid != kTurntableProductId) {
        return "USB id " + UsbId(device.vid, device.pid) + " is not the turntable's (" +
               UsbId(kTurntableVendorId, kTurntableProductId) + ")";
    }
    return "the name \"" + device.name + "\" does not match " + kTurntableNamePattern;
}

std::string DescribeDeviceSearch(const std::vector<FoundDeviceInfo>& devices)
{
    if (devices.empty()) {
        return "no audio devices found\n";
    }
    std::string report;
    for (const FoundDeviceInfo& device : devices) {
        report += device.name + " [" + device.uid + "]";
        if (device.vid >= 0 && device.pid >= 0) {
            report += " USB " + UsbId(device.vid, device.pid);
        }
        const std::string verdict = FilterVerdict(device);
        report += verdict.empty() ? ": the turntable\n" : ": left out: " + verdict + "\n";
    }
    return report;
}
