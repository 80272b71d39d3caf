// The capture thread of the ALSA back-end: reads one IO cycle of frames at a
// time from the PCM, converts them to 32-bit floats and hands them to the IO
// procedure, at real-time priority where the system grants it. Buffers are
// allocated at start; the loop itself allocates nothing.
//
// An overrun is recovered, counted and reported with the stream position at
// which frames were lost and how many; a device that goes away (or any
// other read error) ends the thread and is reported once. A PCM without a
// clock of its own (a plugin chain over a null device) is paced to its rate.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "device/AudioHardwareTypes.h"
#include "device/ICapturePcm.h"

struct CaptureCallbacks {
    // One cycle of interleaved floats (one buffer of `channels` channels).
    std::function<void(const AudioBufferList& input)> cycle;
    // Frames lost by an overrun at `position` (frames delivered before it).
    std::function<void(uint64_t position, uint64_t framesLost)> overrun;
    // The stream ended by itself: -ENODEV when the device went away.
    std::function<void(int error)> ended;
};

class PcmCaptureThread {
public:
    PcmCaptureThread() = default;
    ~PcmCaptureThread();

    PcmCaptureThread(const PcmCaptureThread&) = delete;
    PcmCaptureThread& operator=(const PcmCaptureThread&) = delete;

    // Starts capturing `config` (as granted by the PCM) in cycles of
    // `cycleFrames`. 0 or a negative errno.
    int Start(ICapturePcm& pcm, const PcmHardwareConfig& config, uint32_t cycleFrames, CaptureCallbacks callbacks);
    // Stops and joins the thread; from inside a callback it only asks the
    // loop to end. The PCM is dropped.
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

    uint64_t OverrunCount() const { return m_overruns.load(); }
    uint64_t DeliveredFrames() const { return m_delivered.load(); }

private:
    void Run();
    // Sleeps until the paced stream is due for `frames`; false when stopped.
    bool WaitUntilDue(uint64_t frames);
    void Deliver();

    ICapturePcm* m_pcm = nullptr;
    PcmHardwareConfig m_config;
    uint32_t m_cycleFrames = 0;
    bool m_paced = false;
    CaptureCallbacks m_callbacks;
    std::vector<uint8_t> m_raw;
    std::vector<float> m_floats;
    AudioBuffer m_buffer{};
    AudioBufferList m_list{};
    int m_stopFd = -1;
    std::thread m_thread;
    std::atomic<uint64_t> m_overruns{0};
    std::atomic<uint64_t> m_delivered{0};
    int64_t m_startNs = 0;
};
