// Silent, real-time paced output.
#include "playback/NullOutput.h"

#include <QDebug>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

// How often the output wakes up to hand out frames.
constexpr std::chrono::milliseconds kPeriod{10};
// The most frames rendered in one request.
constexpr uint32_t kMaxFramesPerRequest = 4096;
// After a stall (the thread got no processor for a while) catch up by at most this much
// audio, as a real device that dropped out would.
constexpr std::chrono::milliseconds kMaxCatchUp{500};

} // namespace

NullOutput::NullOutput(DefaultOutputDelegate* delegate, QString capturePath)
    : DefaultOutput(delegate), m_capturePath(std::move(capturePath))
{
}

NullOutput::~NullOutput()
{
    stop();
}

bool NullOutput::setFormat(const OutputFormat& format)
{
    if (format.sampleRate == 0 || format.channels == 0)
        return false;
    m_format = format;
    return true;
}

bool NullOutput::start()
{
    if (m_thread.joinable())
        return true;
    if (m_format.sampleRate == 0)
        return false;
    if (!m_capturePath.isEmpty()) {
        m_capture = std::fopen(QFile::encodeName(m_capturePath).constData(), "ab");
        if (!m_capture) {
            qWarning("audio capture %s: %s", qPrintable(m_capturePath), std::strerror(errno));
            return false;
        }
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running = true;
    }
    m_thread = std::thread([this]() { run(); });
    return true;
}

bool NullOutput::stop()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running = false;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_capture) {
        std::fclose(m_capture);
        m_capture = nullptr;
    }
    return true;
}

void NullOutput::run()
{
    using Clock = std::chrono::steady_clock;
    const uint32_t rate = m_format.sampleRate;
    const uint32_t channels = m_format.channels;
    std::vector<float> buffer(size_t(kMaxFramesPerRequest) * channels);
    Clock::time_point origin = Clock::now();
    uint64_t framesSinceOrigin = 0;

    std::unique_lock<std::mutex> lock(m_lock);
    while (m_running) {
        m_wake.wait_for(lock, kPeriod, [this]() { return !m_running; });
        if (!m_running)
            break;
        lock.unlock();

        const auto due = static_cast<uint64_t>(std::chrono::duration<double>(Clock::now() - origin).count() * rate);
        const auto maxCatchUp = static_cast<uint64_t>(std::chrono::duration<double>(kMaxCatchUp).count() * rate);
        if (due > framesSinceOrigin + maxCatchUp)
            framesSinceOrigin = due - maxCatchUp; // after a stall, skip the time lost instead of a long burst
        bool captureFailed = false;
        while (framesSinceOrigin < due && !captureFailed) {
            const auto n = static_cast<uint32_t>(std::min<uint64_t>(due - framesSinceOrigin, kMaxFramesPerRequest));
            std::fill(buffer.begin(), buffer.begin() + size_t(n) * channels, 0.0f);
            delegate()->DefaultOutput_RenderCallback(buffer.data(), n);
            framesSinceOrigin += n;
            m_framesRendered.fetch_add(n);
            if (m_capture && !writeCapture(buffer.data(), n * channels))
                captureFailed = true;
        }
        lock.lock();
        if (captureFailed) {
            m_running = false;
            lock.unlock();
            delegate()->DefaultOutput_Failed();
            return;
        }
    }
}

bool NullOutput::writeCapture(const float* samples, uint32_t count)
{
    std::vector<uint8_t> bytes(size_t(count) * sizeof(float));
    for (uint32_t i = 0; i < count; ++i)
        qToLittleEndian<float>(samples[i], bytes.data() + size_t(i) * sizeof(float));
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_capture) != bytes.size() || std::fflush(m_capture) != 0) {
        qWarning("audio capture %s: %s", qPrintable(m_capturePath), std::strerror(errno));
        return false;
    }
    return true;
}
