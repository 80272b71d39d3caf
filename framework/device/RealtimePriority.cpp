// Asking for real-time scheduling; see RealtimePriority.h.
#include "device/RealtimePriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kBrokerService = "org.freedesktop.RealtimeKit1";
constexpr const char* kBrokerPath = "/org/freedesktop/RealtimeKit1";
// The broker only serves processes whose real-time CPU time is limited.
constexpr rlim_t kRealtimeCpuLimitUs = 200000;

bool SetFifo(int priority)
{
    sched_param param{};
    param.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

std::string AskBroker(int priority, int& granted)
{
    sd_bus* bus = nullptr;
    int result = sd_bus_open_system(&bus);
    if (result < 0) {
        return std::string("no system bus: ") + std::strerror(-result);
    }
    int32_t maximum = 0;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    result = sd_bus_get_property_trivial(bus, kBrokerService, kBrokerPath, kBrokerService, "MaxRealtimePriority",
                                         &error, 'i', &maximum);
    std::string outcome;
    if (result < 0) {
        outcome = std::string("no real-time broker: ") + (error.message ? error.message : std::strerror(-result));
    } else {
        granted = std::min(priority, static_cast<int>(maximum));
        rlimit limit{};
        if (getrlimit(RLIMIT_RTTIME, &limit) == 0 && limit.rlim_max == RLIM_INFINITY) {
            limit.rlim_cur = limit.rlim_max = kRealtimeCpuLimitUs;
            setrlimit(RLIMIT_RTTIME, &limit);
        }
        const uint64_t tid = static_cast<uint64_t>(syscall(SYS_gettid));
        sd_bus_error_free(&error);
        result = sd_bus_call_method(bus, kBrokerService, kBrokerPath, kBrokerService, "MakeThreadRealtime", &error,
                                    nullptr, "tu", tid, static_cast<uint32_t>(granted));
        if (result < 0) {
            outcome = std::string("the real-time broker refused: ") +
                      (error.message ? error.message : std::strerror(-result));
            granted = 0;
        }
    }
    sd_bus_error_free(&error);
    sd_bus_unref(bus);
    return outcome;
}

} // namespace

std::string MakeCurrentThreadRealtime(int priority)
{
    priority = std::clamp(priority, 1, 99);
    rlimit limit{};
    int allowed = priority;
    if (geteuid() != 0 && getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        allowed = std::min(priority, static_cast<int>(limit.rlim_cur));
    }
    if (allowed > 0 && SetFifo(allowed)) {
        return "SCHED_FIFO priority " + std::to_string(allowed);
    }
    const std::string direct = std::strerror(errno);
    int granted = 0;
    const std::string broker = AskBroker(priority, granted);
    if (broker.empty() && granted > 0) {
        return "real-time priority " + std::to_string(granted) + " through the real-time broker";
    }
    return "normal priority (SCHED_FIFO: " + (allowed > 0 ? direct : std::string("RLIMIT_RTPRIO is 0")) + "; " +
           broker + ")";
}
