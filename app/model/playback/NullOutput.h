// A silent audio output paced in real time: a thread of its own asks the delegate for as
// many frames as the elapsed time calls for, counts them, and can append them to a
// capture file (raw interleaved little-endian floats) so that what was played can be
// checked afterwards.
#pragma once

#include "playback/DefaultOutput.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

class NullOutput : public DefaultOutput {
public:
    NullOutput(DefaultOutputDelegate* delegate, QString capturePath = QString());
    ~NullOutput() override;

    bool setFormat(const OutputFormat& format) override;
    bool start() override;
    bool stop() override;

    // Frames handed out since creation.
    uint64_t framesRendered() const { return m_framesRendered.load(); }

private:
    void run();
    bool writeCapture(const float* frames, uint32_t count);

    const QString m_capturePath;
    std::FILE* m_capture = nullptr;
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_running = false; // guarded by m_lock
    std::atomic<uint64_t> m_framesRendered{0};
};
