// Watching sound cards come and go; see UdevSoundMonitor.h.
#include "device/UdevSoundMonitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device/SoundCardScan.h"
#include "platform/Trace.h"

UdevSoundMonitor::~UdevSoundMonitor()
{
    Stop();
}

bool UdevSoundMonitor::Classify(const std::string& action, const std::string& sysName, bool soundInitialized,
                                SoundCardEvent& event)
{
    if (CardIndexFromSysName(sysName) < 0) {
        return false; // PCM and control devices come and go with their card
    }
    if (action == "remove") {
        event = SoundCardEvent::Removed;
        return true;
    }
    if ((action == "change" || action == "add") && soundInitialized) {
        event = SoundCardEvent::Ready;
        return true;
    }
    return false;
}

int UdevSoundMonitor::Start(Handler handler)
{
    if (m_thread.joinable()) {
        return -EBUSY;
    }
    m_udev = udev_new();
    if (m_udev == nullptr) {
        return -ENOMEM;
    }
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    int result = m_monitor == nullptr ? -ENODEV : 0;
    if (result == 0) {
        result = udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "sound", nullptr);
    }
    if (result == 0) {
        result = udev_monitor_enable_receiving(m_monitor);
    }
    if (result == 0) {
        m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_stopFd < 0) {
            result = -errno;
        }
    }
    if (result < 0) {
        TRACE("no hot-plug events for sound cards: %s", std::strerror(-result));
        Stop();
        return result;
    }
    m_handler = std::move(handler);
    m_thread = std::thread(&UdevSoundMonitor::Run, this);
    return 0;
}

void UdevSoundMonitor::Stop()
{
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        if (write(m_stopFd, &one, sizeof one) < 0) {
            TRACE("cannot stop the hot-plug monitor: %s", std::strerror(errno));
        }
        m_thread.join();
    }
    if (m_stopFd >= 0) {
        close(m_stopFd);
        m_stopFd = -1;
    }
    if (m_monitor != nullptr) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (m_udev != nullptr) {
        udev_unref(m_udev);
        m_udev = nullptr;
    }
}

void UdevSoundMonitor::Run()
{
    pollfd fds[2] = {{udev_monitor_get_fd(m_monitor), POLLIN, 0}, {m_stopFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            TRACE("hot-plug monitor stopped: %s", std::strerror(errno));
            return;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        udev_device* device = udev_monitor_receive_device(m_monitor);
        if (device == nullptr) {
            continue;
        }
        const char* action = udev_device_get_action(device);
        const char* sysName = udev_device_get_sysname(device);
        const char* initialized = udev_device_get_property_value(device, "SOUND_INITIALIZED");
        SoundCardEvent event;
        if (action != nullptr && sysName != nullptr &&
            Classify(action, sysName, initialized != nullptr && std::strcmp(initialized, "1") == 0, event)) {
            m_handler(event, sysName);
        }
        udev_device_unref(device);
    }
}
