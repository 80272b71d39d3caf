// USB access that records the control requests sent, and what the test
// wants checked at the moment of each request.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "device/IUsbDeviceAccess.h"

class FakeUsbDeviceAccess : public IUsbDeviceAccess {
public:
    struct Sent {
        int bus;
        int address;
        UsbDeviceRequest request;
    };

    // What Open and ControlTransfer answer.
    IOReturn openStatus = kIOReturnSuccess;
    IOReturn transferStatus = kIOReturnSuccess;
    // Called at each transfer (e.g. to see whether the stream is closed).
    std::function<void()> onTransfer;

    std::vector<Sent> SentRequests()
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }

    std::unique_ptr<IUsbDeviceHandle> Open(int bus, int address, IOReturn& status) override
    {
        status = openStatus;
        if (openStatus != kIOReturnSuccess) {
            return nullptr;
        }
        return std::make_unique<Handle>(*this, bus, address);
    }

private:
    class Handle : public IUsbDeviceHandle {
    public:
        Handle(FakeUsbDeviceAccess& owner, int bus, int address) : m_owner(owner), m_bus(bus), m_address(address) {}
        IOReturn ControlTransfer(const UsbDeviceRequest& request) override
        {
            if (m_owner.onTransfer) {
                m_owner.onTransfer();
            }
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_sent.push_back({m_bus, m_address, request});
            return m_owner.transferStatus;
        }

    private:
        FakeUsbDeviceAccess& m_owner;
        int m_bus;
        int m_address;
    };

    std::mutex m_mutex;
    std::vector<Sent> m_sent;
};
