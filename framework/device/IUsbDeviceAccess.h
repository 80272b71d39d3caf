// Opening a USB device by bus and address and sending control requests on
// its default pipe, so that tests can stand in for libusb. Results are
// IOReturn statuses: kIOReturnNoDevice when the device is gone.
#pragma once

#include <cstdint>
#include <memory>

#include "device/IUsbRegistry.h"

class IUsbDeviceHandle {
public:
    virtual ~IUsbDeviceHandle() = default;
    virtual IOReturn ControlTransfer(const UsbDeviceRequest& request) = 0;
};

class IUsbDeviceAccess {
public:
    virtual ~IUsbDeviceAccess() = default;
    // Null with `status` set when the device cannot be opened.
    virtual std::unique_ptr<IUsbDeviceHandle> Open(int busNumber, int deviceAddress, IOReturn& status) = 0;
};

// libusb on the device node /dev/bus/usb/BBB/DDD, without claiming any
// interface: the kernel passes vendor requests to an interface that its
// audio driver owns.
std::shared_ptr<IUsbDeviceAccess> CreateLibusbDeviceAccess();
