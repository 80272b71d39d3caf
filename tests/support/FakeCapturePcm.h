// A capture PCM played by a script: frames released by the test (16-bit
// stereo, each sample the running frame number, channel 1 negated) and
// errors at chosen points (-EPIPE for an overrun, -ENODEV for a device that
// goes away). Reads return only what has been released, and Wait blocks
// until more is released or the capture thread is stopped, so tests never
// depend on timing.
#pragma once

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "device/ICapturePcm.h"

class FakeCapturePcm : public ICapturePcm {
public:
    FakeCapturePcm() : m_dataFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~FakeCapturePcm() override { close(m_dataFd); }

    // --- Script ---
    void Release(uint64_t frames) { Push({frames, 0}); }
    void Fail(int error) { Push({0, error}); }
    // Frames an overrun reports lost; the frame numbers jump by as many.
    void SetOverrunLoss(uint64_t frames) { m_overrunLoss = frames; }
    // What ProbeFormats reports.
    uint32_t channels = 2;
    std::vector<ProbedFormat> probed = {{{SND_PCM_FORMAT_S16_LE, 2, 16}, {44100, 48000, 96000}}};

    // --- Observations ---
    int configured = 0;
    int recovered = 0;
    int started = 0;
    PcmHardwareConfig lastConfig;

    int ProbeFormats(uint32_t& outChannels, std::vector<ProbedFormat>& outProbed) override
    {
        outChannels = channels;
        outProbed = probed;
        return 0;
    }
    int Configure(const PcmHardwareConfig& wanted, PcmHardwareConfig& granted) override
    {
        std::lock_guard lock(m_mutex);
        ++configured;
        lastConfig = wanted;
        granted = wanted;
        return 0;
    }
    int Start() override
    {
        std::lock_guard lock(m_mutex);
        ++started;
        return 0;
    }
    int Wait(int stopFd) override
    {
        pollfd fds[2] = {{m_dataFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0 && errno != EINTR) {
                return -errno;
            }
            if ((fds[1].revents & POLLIN) != 0) {
                return 0;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                return 1;
            }
        }
    }
    long Read(void* buffer, uint64_t frames) override
    {
        std::lock_guard lock(m_mutex);
        if (m_script.empty()) {
            uint64_t drained;
            if (read(m_dataFd, &drained, sizeof drained) < 0) {
                // Nothing was signalled; nothing to drain.
            }
            return 0;
        }
        Step& step = m_script.front();
        if (step.error != 0) {
            const int error = step.error;
            m_script.pop_front();
            return error;
        }
        const uint64_t count = std::min(frames, step.frames);
        auto* out = static_cast<int16_t*>(buffer);
        for (uint64_t f = 0; f < count; ++f, ++m_nextFrame) {
            out[2 * f] = static_cast<int16_t>(m_nextFrame);
            out[2 * f + 1] = static_cast<int16_t>(-static_cast<int16_t>(m_nextFrame));
        }
        step.frames -= count;
        if (step.frames == 0) {
            m_script.pop_front();
        }
        return static_cast<long>(count);
    }
    int OverrunFrames(uint32_t, uint64_t& lost) override
    {
        std::lock_guard lock(m_mutex);
        lost = m_overrunLoss;
        m_nextFrame += m_overrunLoss;
        return 0;
    }
    int Recover(int) override
    {
        std::lock_guard lock(m_mutex);
        ++recovered;
        return 0;
    }
    int Drop() override { return 0; }
    bool HasDeviceClock() const override { return true; }

private:
    struct Step {
        uint64_t frames;
        int error;
    };
    void Push(Step step)
    {
        {
            std::lock_guard lock(m_mutex);
            m_script.push_back(step);
        }
        const uint64_t one = 1;
        if (write(m_dataFd, &one, sizeof one) < 0) {
            // The counter cannot overflow in a test.
        }
    }

    int m_dataFd;
    std::mutex m_mutex;
    std::deque<Step> m_script;
    uint64_t m_nextFrame = 0;
    uint64_t m_overrunLoss = 0;
};
