// The capture loop; see PcmCaptureThread.h.
#include "device/PcmCaptureThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device/RealtimePriority.h"
#include "platform/Trace.h"

namespace {

// Priority asked for the capture thread (of 1..99); audio servers use
// similar values, so capture is not starved by them.
constexpr int kCapturePriority = 70;
// A paced stream may run this far (in seconds) ahead of the wall clock, so
// that a PCM with a clock of its own drifting slightly fast is never held up.
constexpr double kPacingSlackSeconds = 0.25;

int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

PcmCaptureThread::~PcmCaptureThread()
{
    Stop();
}

int PcmCaptureThread::Start(ICapturePcm& pcm, const PcmHardwareConfig& config, uint32_t cycleFrames,
                            CaptureCallbacks callbacks)
{
    if (IsRunning()) {
        return -EBUSY;
    }
    if (cycleFrames == 0 || config.channels == 0 || config.format.containerBytes == 0 || config.rate == 0) {
        return -EINVAL;
    }
    if (m_stopFd >= 0) {
        close(m_stopFd);
    }
    m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_stopFd < 0) {
        return -errno;
    }
    m_pcm = &pcm;
    m_config = config;
    m_cycleFrames = cycleFrames;
    m_paced = !pcm.HasDeviceClock();
    m_callbacks = std::move(callbacks);
    const size_t samples = static_cast<size_t>(cycleFrames) * config.channels;
    m_raw.assign(samples * config.format.containerBytes, 0);
    m_floats.assign(samples, 0.0f);
    m_buffer = {config.channels, static_cast<uint32_t>(samples * sizeof(float)), m_floats.data()};
    m_list = {1, &m_buffer};
    m_overruns = 0;
    m_delivered = 0;
    m_thread = std::thread(&PcmCaptureThread::Run, this);
    return 0;
}

void PcmCaptureThread::Stop()
{
    if (m_stopFd >= 0) {
        const uint64_t one = 1;
        if (write(m_stopFd, &one, sizeof one) < 0) {
            TRACE("cannot signal the capture thread to stop: %s", std::strerror(errno));
        }
    }
    if (m_thread.joinable()) {
        if (m_thread.get_id() == std::this_thread::get_id()) {
            // Asked from a callback: the loop ends by itself and still
            // needs the stop descriptor, which is then left open.
            m_thread.detach();
            m_stopFd = -1;
            return;
        }
        m_thread.join();
    }
    if (m_stopFd >= 0) {
        close(m_stopFd);
        m_stopFd = -1;
    }
}

bool PcmCaptureThread::WaitUntilDue(uint64_t frames)
{
    const double dueSeconds = static_cast<double>(frames) / m_config.rate - kPacingSlackSeconds;
    const int64_t dueNs = m_startNs + static_cast<int64_t>(dueSeconds * 1e9);
    for (;;) {
        const int64_t waitNs = dueNs - MonotonicNs();
        if (waitNs <= 0) {
            return true;
        }
        pollfd stop{m_stopFd, POLLIN, 0};
        const int ready = poll(&stop, 1, static_cast<int>(waitNs / 1000000) + 1);
        if (ready > 0) {
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            return true;
        }
    }
}

void PcmCaptureThread::Deliver()
{
    PcmToFloat(m_config.format, m_raw.data(), m_floats.size(), m_floats.data());
    if (m_callbacks.cycle) {
        m_callbacks.cycle(m_list);
    }
    m_delivered += m_cycleFrames;
}

void PcmCaptureThread::Run()
{
    const std::string priority = MakeCurrentThreadRealtime(kCapturePriority);
    TRACE("capture thread: %s", priority.c_str());

    const size_t frameBytes = static_cast<size_t>(m_config.channels) * m_config.format.containerBytes;
    uint64_t filled = 0; // frames of the current cycle read so far
    int ended = 0;
    m_startNs = MonotonicNs();
    int result = m_pcm->Start();
    if (result < 0) {
        ended = result;
    }
    while (ended == 0) {
        if (m_paced && !WaitUntilDue(m_delivered.load() + m_cycleFrames)) {
            break;
        }
        const long got = m_pcm->Read(m_raw.data() + filled * frameBytes, m_cycleFrames - filled);
        if (got > 0) {
            filled += static_cast<uint64_t>(got);
            if (filled == m_cycleFrames) {
                Deliver();
                filled = 0;
            }
            continue;
        }
        if (got == 0) {
            const int waited = m_pcm->Wait(m_stopFd);
            if (waited == 0) {
                break;
            }
            if (waited < 0) {
                ended = waited;
            }
            continue;
        }
        if (got == -EPIPE || got == -ESTRPIPE) {
            // The frames read of this cycle stay; the gap lies after them.
            uint64_t lost = 0;
            m_pcm->OverrunFrames(m_config.rate, lost);
            result = m_pcm->Recover(static_cast<int>(got));
            ++m_overruns;
            if (m_callbacks.overrun) {
                m_callbacks.overrun(m_delivered.load() + filled, lost);
            }
            if (result < 0) {
                ended = result;
            }
            continue;
        }
        ended = static_cast<int>(got);
    }
    m_pcm->Drop();
    if (ended != 0) {
        TRACE("capture ended: %s", std::strerror(-ended));
        if (m_callbacks.ended) {
            m_callbacks.ended(ended);
        }
    }
}
