// Registry search for a USB device by its identifiers.
#include "device/UsbDeviceLookup.h"

std::optional<UsbDeviceIdentity> FindUsbDevice(IUsbRegistry& registry, int32_t vid, int32_t pid)
{
    if (vid < 0 || pid < 0) {
        return std::nullopt;
    }
    for (IORegistryEntryID entry : registry.GetMatchingServices(kIOUSBDeviceClass)) {
        const auto entryVid = registry.GetNumberProperty(entry, kUSBVendorID);
        const auto entryPid = registry.GetNumberProperty(entry, kUSBProductID);
        if (!entryVid || !entryPid || *entryVid != vid || *entryPid != pid) {
            continue;
        }
        UsbDeviceIdentity identity;
        identity.productName = registry.GetStringProperty(entry, kUSBProductString).value_or(std::string());
        const auto release = registry.GetNumberProperty(entry, kUSBDeviceReleaseNumber);
        if (release && *release >= 0 && *release <= 0xFFFF) {
            identity.bcdDevice = static_cast<int32_t>(*release);
        }
        return identity;
    }
    return std::nullopt;
}
