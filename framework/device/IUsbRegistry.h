// The USB side of the device layer: a registry of service entries (audio
// engines, their streams, USB interfaces and USB devices) with properties,
// and the user-client handle of a USB interface through which the vendor
// request is sent. Calls return 0 or an IOReturn status.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using IOReturn = int32_t;
using IORegistryEntryID = uint64_t; // 0 = none

constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnError = -536870911;    // general failure
constexpr IOReturn kIOReturnNoDevice = -536870912; // the device is gone
constexpr IOReturn kIOReturnNotOpen = -536870910;

// Registry class names and property keys.
inline constexpr const char* kIOAudioEngineClass = "IOAudioEngine";
inline constexpr const char* kIOAudioStreamClass = "IOAudioStream";
inline constexpr const char* kIOUSBInterfaceClass = "IOUSBInterface";
inline constexpr const char* kIOUSBDeviceClass = "IOUSBDevice";
inline constexpr const char* kIOServicePlane = "IOService";
inline constexpr const char* kIOAudioEngineGlobalUniqueIDKey = "IOAudioEngineGlobalUniqueID";
inline constexpr const char* kIOAudioStreamDirectionKey = "IOAudioStreamDirection";
inline constexpr const char* kUSBVendorID = "idVendor";
inline constexpr const char* kUSBProductID = "idProduct";
inline constexpr const char* kUSBProductString = "USB Product Name";
inline constexpr const char* kUSBDeviceReleaseNumber = "bcdDevice";

// A control request on the default pipe.
struct UsbDeviceRequest {
    uint8_t bmRequestType = 0;
    uint8_t bRequest = 0;
    uint16_t wValue = 0;
    uint16_t wIndex = 0;
    uint16_t wLength = 0;
    void* pData = nullptr;
};

// An opened USB interface; destroying it releases it.
class IUsbInterface {
public:
    virtual ~IUsbInterface() = default;
    virtual IOReturn GetInterfaceNumber(uint8_t& number) = 0;
    virtual IOReturn ControlRequest(UsbDeviceRequest& request) = 0;
};

class IUsbRegistry {
public:
    virtual ~IUsbRegistry() = default;

    // IOServiceGetMatchingServices for a class name, in registry order.
    virtual std::vector<IORegistryEntryID> GetMatchingServices(const std::string& className) = 0;
    // IORegistryEntryGetChildIterator / GetParentIterator in a plane.
    virtual std::vector<IORegistryEntryID> GetChildren(IORegistryEntryID entry,
                                                       const std::string& plane) = 0;
    virtual std::vector<IORegistryEntryID> GetParents(IORegistryEntryID entry,
                                                      const std::string& plane) = 0;
    // IOObjectConformsTo.
    virtual bool ConformsTo(IORegistryEntryID entry, const std::string& className) = 0;
    // IORegistryEntrySearchCFProperty on the entry itself; empty when absent
    // or of another type.
    virtual std::optional<std::string> GetStringProperty(IORegistryEntryID entry,
                                                         const std::string& key) = 0;
    virtual std::optional<int64_t> GetNumberProperty(IORegistryEntryID entry,
                                                     const std::string& key) = 0;
    // The user-client plug-in step: opens the USB interface of an entry that
    // conforms to "IOUSBInterface"; null on failure.
    virtual std::unique_ptr<IUsbInterface> CreateInterface(IORegistryEntryID entry) = 0;
};
