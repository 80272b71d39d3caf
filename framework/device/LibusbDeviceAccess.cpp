// USB control requests through libusb on a device node; see IUsbDeviceAccess.h.
#include <fcntl.h>
#include <libusb-1.0/libusb.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "device/IUsbDeviceAccess.h"
#include "platform/Trace.h"

namespace {

constexpr unsigned int kControlTimeoutMs = 2000;
constexpr IOReturn kIOReturnNotPermitted = -536870174; // access to the device node refused

IOReturn StatusFromLibusb(int error)
{
    switch (error) {
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
        return kIOReturnNoDevice;
    case LIBUSB_ERROR_ACCESS:
        return kIOReturnNotPermitted;
    default:
        return kIOReturnError;
    }
}

// One libusb context and device handle over a file descriptor of our own.
class LibusbDeviceHandle : public IUsbDeviceHandle {
public:
    LibusbDeviceHandle(libusb_context* context, libusb_device_handle* handle, int fd)
        : m_context(context), m_handle(handle), m_fd(fd)
    {
    }
    ~LibusbDeviceHandle() override
    {
        libusb_close(m_handle);
        libusb_exit(m_context);
        close(m_fd);
    }

    IOReturn ControlTransfer(const UsbDeviceRequest& request) override
    {
        const int result = libusb_control_transfer(m_handle, request.bmRequestType, request.bRequest, request.wValue,
                                                   request.wIndex, static_cast<unsigned char*>(request.pData),
                                                   request.wLength, kControlTimeoutMs);
        if (result < 0) {
            TRACE("USB control request %02x/%02x value %u index %u failed: %s", request.bmRequestType,
                  request.bRequest, request.wValue, request.wIndex, libusb_error_name(result));
            return StatusFromLibusb(result);
        }
        return kIOReturnSuccess;
    }

private:
    libusb_context* m_context;
    libusb_device_handle* m_handle;
    int m_fd;
};

class LibusbDeviceAccess : public IUsbDeviceAccess {
public:
    std::unique_ptr<IUsbDeviceHandle> Open(int busNumber, int deviceAddress, IOReturn& status) override
    {
        char node[64];
        std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", busNumber, deviceAddress);
        const int fd = open(node, O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            TRACE("cannot open %s: %s", node, std::strerror(error));
            status = error == ENOENT || error == ENODEV ? kIOReturnNoDevice
                     : error == EACCES || error == EPERM ? kIOReturnNotPermitted
                                                         : kIOReturnError;
            return nullptr;
        }
        libusb_context* context = nullptr;
        // The node is all we use: no enumeration of the bus.
        libusb_set_option(nullptr, LIBUSB_OPTION_NO_DEVICE_DISCOVERY);
        int result = libusb_init(&context);
        if (result < 0) {
            TRACE("libusb_init failed: %s", libusb_error_name(result));
            close(fd);
            status = kIOReturnError;
            return nullptr;
        }
        libusb_device_handle* handle = nullptr;
        result = libusb_wrap_sys_device(context, static_cast<intptr_t>(fd), &handle);
        if (result < 0) {
            TRACE("libusb cannot use %s: %s", node, libusb_error_name(result));
            libusb_exit(context);
            close(fd);
            status = StatusFromLibusb(result);
            return nullptr;
        }
        status = kIOReturnSuccess;
        return std::make_unique<LibusbDeviceHandle>(context, handle, fd);
    }
};

} // namespace

std::shared_ptr<IUsbDeviceAccess> CreateLibusbDeviceAccess()
{
    return std::make_shared<LibusbDeviceAccess>();
}
