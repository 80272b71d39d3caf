// Finding a USB device in the registry by its vendor and product identifiers, with the
// product name and release number that identify it to the user.
#pragma once

#include "device/IUsbRegistry.h"

#include <cstdint>
#include <optional>
#include <string>

struct UsbDeviceIdentity {
    std::string productName; // "USB Product Name"; empty when absent
    int32_t bcdDevice = -1;  // "bcdDevice"; -1 when absent
};

// The first "IOUSBDevice" entry whose "idVendor" and "idProduct" equal vid and pid;
// none when either identifier is negative or no entry matches.
std::optional<UsbDeviceIdentity> FindUsbDevice(IUsbRegistry& registry, int32_t vid, int32_t pid);
