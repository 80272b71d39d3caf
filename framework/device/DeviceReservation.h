// Reservation of a sound card with the session's sound server through the
// org.freedesktop.ReserveDevice1 D-Bus protocol: we take the name
// org.freedesktop.ReserveDevice1.Audio<N> at priority 0, asking the current
// owner to release the card first. While held, a small thread answers the
// owner's requests (the card is kept while open) and notices losing it.
// Without a session bus there is nobody to ask, and the card is opened
// directly.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include <systemd/sd-bus.h>

class DeviceReservation {
public:
    // 0 when reserved (or no session bus exists); -EBUSY when the owner
    // refused, with `refusal` naming the owner; another negative errno on
    // a bus failure, which callers may treat as "nobody to ask".
    static int Acquire(int cardIndex, const std::string& deviceName, std::unique_ptr<DeviceReservation>& reservation,
                       std::string& refusal);
    ~DeviceReservation();

    DeviceReservation(const DeviceReservation&) = delete;
    DeviceReservation& operator=(const DeviceReservation&) = delete;

    // Whether another program took the name while we held it.
    bool Lost() const { return m_lost.load(); }

private:
    DeviceReservation(sd_bus* bus, std::string name, std::string deviceName);
    int Export();
    void Serve();

    static int OnRequestRelease(sd_bus_message* message, void* userdata, sd_bus_error* error);
    static int OnNameLost(sd_bus_message* message, void* userdata, sd_bus_error* error);
    static int GetProperty(sd_bus* bus, const char* path, const char* interface, const char* property,
                           sd_bus_message* reply, void* userdata, sd_bus_error* error);

    sd_bus* m_bus;
    std::string m_name;
    std::string m_path;
    std::string m_deviceName;
    sd_bus_slot* m_objectSlot = nullptr;
    sd_bus_slot* m_lostSlot = nullptr;
    int m_stopFd = -1;
    std::atomic<bool> m_lost{false};
    std::thread m_thread;
};
