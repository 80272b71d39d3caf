// Reserving a sound card over D-Bus; see DeviceReservation.h.
#include "device/DeviceReservation.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Trace.h"

namespace {

constexpr const char* kInterface = "org.freedesktop.ReserveDevice1";
constexpr const char* kServicePrefix = "org.freedesktop.ReserveDevice1.Audio";
constexpr const char* kPathPrefix = "/org/freedesktop/ReserveDevice1/Audio";
constexpr int32_t kPriority = 0;
constexpr const char* kApplicationName = "Cartova";

// The unique name of the current owner of `name`, or empty.
std::string OwnerOf(sd_bus* bus, const char* name)
{
    sd_bus_creds* creds = nullptr;
    std::string owner;
    if (sd_bus_get_name_creds(bus, name, SD_BUS_CREDS_UNIQUE_NAME, &creds) >= 0) {
        const char* unique = nullptr;
        if (sd_bus_creds_get_unique_name(creds, &unique) >= 0 && unique != nullptr) {
            owner = unique;
        }
        sd_bus_creds_unref(creds);
    }
    return owner;
}

// The owner's application name property, for messages.
std::string OwnerApplication(sd_bus* bus, const char* name, const char* path)
{
    char* value = nullptr;
    std::string application;
    if (sd_bus_get_property_string(bus, name, path, kInterface, "ApplicationName", nullptr, &value) >= 0 &&
        value != nullptr) {
        application = value;
    }
    free(value);
    return application;
}

} // namespace

int DeviceReservation::Acquire(int cardIndex, const std::string& deviceName,
                                std::unique_ptr<DeviceReservation>& reservation, std::string& refusal)
{
    reservation.reset();
    sd_bus* bus = nullptr;
    int result = sd_bus_open_user(&bus);
    if (result < 0) {
        TRACE("no session bus (%s): the card is opened without asking a sound server", std::strerror(-result));
        return 0;
    }
    const std::string name = kServicePrefix + std::to_string(cardIndex);
    const std::string path = kPathPrefix + std::to_string(cardIndex);
    result = sd_bus_request_name(bus, name.c_str(), 0);
    if (result == -EEXIST) {
        // Someone holds the card: ask it to let go at our priority.
        const std::string owner = OwnerOf(bus, name.c_str());
        const std::string application = OwnerApplication(bus, name.c_str(), path.c_str());
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        int released = 0;
        result = sd_bus_call_method(bus, name.c_str(), path.c_str(), kInterface, "RequestRelease", &error, &reply,
                                    "i", kPriority);
        if (result >= 0) {
            result = sd_bus_message_read(reply, "b", &released);
        }
        sd_bus_message_unref(reply);
        const std::string who = application.empty() ? (owner.empty() ? "another program" : owner) : application;
        if (result < 0 || !released) {
            refusal = who + " holds the sound card and " +
                      (result < 0 ? std::string("did not answer the release request: ") +
                                        (error.message ? error.message : std::strerror(-result))
                                  : std::string("refused to release it"));
            sd_bus_error_free(&error);
            sd_bus_unref(bus);
            TRACE("%s", refusal.c_str());
            return -EBUSY;
        }
        sd_bus_error_free(&error);
        result = sd_bus_request_name(bus, name.c_str(), SD_BUS_NAME_REPLACE_EXISTING);
    }
    if (result < 0) {
        TRACE("cannot reserve %s: %s", name.c_str(), std::strerror(-result));
        sd_bus_unref(bus);
        return result == -EEXIST ? -EBUSY : result;
    }
    std::unique_ptr<DeviceReservation> held(new DeviceReservation(bus, name, deviceName));
    held->m_path = path;
    result = held->Export();
    if (result < 0) {
        TRACE("cannot serve the reservation of %s: %s", name.c_str(), std::strerror(-result));
        return result;
    }
    reservation = std::move(held);
    return 0;
}

DeviceReservation::DeviceReservation(sd_bus* bus, std::string name, std::string deviceName)
    : m_bus(bus), m_name(std::move(name)), m_deviceName(std::move(deviceName))
{
}

DeviceReservation::~DeviceReservation()
{
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        if (write(m_stopFd, &one, sizeof one) < 0) {
            TRACE("cannot stop the reservation thread: %s", std::strerror(errno));
        }
        m_thread.join();
    }
    if (m_stopFd >= 0) {
        close(m_stopFd);
    }
    sd_bus_slot_unref(m_objectSlot);
    sd_bus_slot_unref(m_lostSlot);
    sd_bus_release_name(m_bus, m_name.c_str());
    sd_bus_flush_close_unref(m_bus);
}

int DeviceReservation::Export()
{
    static const sd_bus_vtable vtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("RequestRelease", "i", "b", &DeviceReservation::OnRequestRelease, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_PROPERTY("Priority", "i", &DeviceReservation::GetProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("ApplicationName", "s", &DeviceReservation::GetProperty, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("ApplicationDeviceName", "s", &DeviceReservation::GetProperty, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_VTABLE_END,
    };
    int result = sd_bus_add_object_vtable(m_bus, &m_objectSlot, m_path.c_str(), kInterface, vtable, this);
    if (result < 0) {
        return result;
    }
    const std::string match = "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
                              "member='NameLost',arg0='" + m_name + "'";
    result = sd_bus_add_match(m_bus, &m_lostSlot, match.c_str(), &DeviceReservation::OnNameLost, this);
    if (result < 0) {
        return result;
    }
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopFd < 0) {
        return -errno;
    }
    m_thread = std::thread(&DeviceReservation::Serve, this);
    return 0;
}

void DeviceReservation::Serve()
{
    for (;;) {
        int result;
        while ((result = sd_bus_process(m_bus, nullptr)) > 0) {
        }
        if (result < 0) {
            TRACE("reservation of %s: bus failed: %s", m_name.c_str(), std::strerror(-result));
            m_lost = true;
            return;
        }
        pollfd fds[2] = {{sd_bus_get_fd(m_bus), static_cast<short>(sd_bus_get_events(m_bus)), 0},
                         {m_stopFd, POLLIN, 0}};
        uint64_t timeoutUs = 0;
        int timeoutMs = -1;
        if (sd_bus_get_timeout(m_bus, &timeoutUs) > 0 && timeoutUs != UINT64_MAX) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const uint64_t nowUs = static_cast<uint64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
            timeoutMs = timeoutUs > nowUs ? static_cast<int>((timeoutUs - nowUs + 999) / 1000) : 0;
        }
        if (poll(fds, 2, timeoutMs) < 0 && errno != EINTR) {
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
    }
}

int DeviceReservation::OnRequestRelease(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    auto* self = static_cast<DeviceReservation*>(userdata);
    int32_t priority = 0;
    sd_bus_message_read(message, "i", &priority);
    // The card is in use for a recording for as long as we hold it.
    TRACE("a program asked for %s at priority %d; kept while the turntable is open", self->m_name.c_str(),
          static_cast<int>(priority));
    return sd_bus_reply_method_return(message, "b", 0);
}

int DeviceReservation::OnNameLost(sd_bus_message*, void* userdata, sd_bus_error*)
{
    auto* self = static_cast<DeviceReservation*>(userdata);
    self->m_lost = true;
    TRACE("lost the reservation %s to another program", self->m_name.c_str());
    return 0;
}

int DeviceReservation::GetProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                                   void* userdata, sd_bus_error*)
{
    auto* self = static_cast<DeviceReservation*>(userdata);
    if (std::strcmp(property, "Priority") == 0) {
        return sd_bus_message_append(reply, "i", kPriority);
    }
    if (std::strcmp(property, "ApplicationName") == 0) {
        return sd_bus_message_append(reply, "s", kApplicationName);
    }
    return sd_bus_message_append(reply, "s", self->m_deviceName.c_str());
}
