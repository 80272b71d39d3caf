// The connected turntable as the settings dialog shows it: product name and firmware
// version from the USB device with the device's vendor and product identifiers.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct UsbDeviceEntry {
    QString productName;              // "USB Product Name"
    std::optional<int64_t> bcdDevice; // device release number, binary-coded
};

// Finds the first USB device with these identifiers; none when there is no such device.
using UsbDeviceLookup = std::function<std::optional<UsbDeviceEntry>(int32_t vid, int32_t pid)>;

// " %d.%d.%d" of the three low nibbles groups of bcdDevice: 0x0123 gives " 1.2.3".
QString FirmwareVersionSuffix(int64_t bcdDevice);
