// One playback run: reader thread, gain, peaks, ring buffer and output callback.
#include "playback/PreviewPlayManager.h"

#include "bridge/CartovaController.h"
#include "bridge/PreviewFrequency.h"
#include "playback/PreviewController.h"
#include "playback/RingBuffer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

// Seconds of audio the ring holds (single precision, as the frame count is derived from it).
constexpr float kRingSeconds = 0.3f;
// While monitoring, the reader skips ahead when it falls this many seconds behind.
constexpr float kMonitorLagSeconds = 0.7f;
// The reader's poll interval.
constexpr std::chrono::milliseconds kReaderPoll{5};
// A peak pair that reads as nothing measured (its maximum is below its minimum).
constexpr PeakPair kNoPeak{32767.0f, -32768.0f};
// Full scale of a 16-bit preview sample.
constexpr float kPreviewFullScale = 32767.0f;
// A DSD recording's preview runs at its one-bit rate divided by this.

} // namespace

PreviewPlayManager::PreviewPlayManager() = default;

PreviewPlayManager::~PreviewPlayManager()
{
    Stop();
}

bool PreviewPlayManager::initManager(PreviewController* controller)
{
    m_preview_ctr = controller;
    CartovaController& bridge = CartovaController::sharedInstance();
    TkRecordSetting setting{};
    if (bridge.GetRecordSetting(setting) != TkErrorSuccess)
        return false;
    m_freq = PreviewFrequency(setting.rec_type != 0, setting.freq);
    if (m_freq == 0)
        return false;
    AudioDeviceInfo info;
    if (bridge.GetAudioDeviceInfo(info) != TkErrorSuccess || info.i_ch == 0)
        return false;
    m_channels = info.i_ch;
    m_bytePerFrame = m_channels * static_cast<uint32_t>(sizeof(float));
    if (controller)
        m_gain.store(controller->gain());
    return true;
}

void PreviewPlayManager::setStatus(Status status)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_status.store(status);
}

bool PreviewPlayManager::Play(double t)
{
    setStatus(StatusPlaying);
    if (PlayInternal(StatusPlaying, t))
        return true;
    setStatus(StatusStopped);
    return false;
}

bool PreviewPlayManager::RecordPreview()
{
    setStatus(StatusMonitoring);
    if (PlayInternal(StatusMonitoring, 0.0))
        return true;
    setStatus(StatusStopped);
    return false;
}

uint64_t PreviewPlayManager::TimeToFrame(double t)
{
    auto frame = static_cast<uint64_t>(static_cast<double>(m_freq) * t);
    if (m_status.load() == StatusPlaying) {
        uint64_t length = 0;
        if (GetDataLength(length) == TkErrorSuccess)
            frame = std::min(frame, length);
    }
    return frame;
}

bool PreviewPlayManager::PlayInternal(Status mode, double t)
{
    if (t < 0.0 || m_freq == 0 || m_channels == 0)
        return false;
    if (m_thread.joinable() || m_defaultOutput)
        return false; // this run has already been started
    m_next_frame_start = TimeToFrame(t);

    m_defaultOutput = DefaultOutput::create(this);
    if (!m_defaultOutput)
        return false;
    m_asbd.sampleRate = static_cast<uint32_t>(m_freq);
    m_asbd.channels = m_channels;
    if (!m_defaultOutput->setFormat(m_asbd)) {
        m_defaultOutput.reset();
        return false;
    }

    m_threadFlag.store(true);
    m_finished.store(false);
    m_renderStart.store(false);
    {
        std::lock_guard<std::mutex> guard(m_peakLock);
        m_peak.assign(m_channels, kNoPeak);
    }
    const auto ringFrames = static_cast<size_t>(kRingSeconds * static_cast<float>(m_freq));
    m_ringBuffer = RingBuffer::initWithBufferSize(size_t(m_bytePerFrame) * ringFrames);
    if (!m_ringBuffer) {
        m_threadFlag.store(false);
        m_defaultOutput.reset();
        return false;
    }
    (void)mode; // the reader follows m_status, set by the caller
    m_thread = std::thread([this]() { getDataThread(); });
    if (m_defaultOutput->start())
        return true;
    Stop();
    return false;
}

bool PreviewPlayManager::Stop()
{
    setStatus(StatusStopped);
    if (!m_defaultOutput && !m_thread.joinable())
        return true;
    if (m_defaultOutput && !m_defaultOutput->stop())
        return false;
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        m_threadFlag.store(false);
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    {
        std::lock_guard<std::mutex> guard(m_peakLock);
        m_peak.clear();
    }
    m_ringBuffer.reset();
    m_defaultOutput.reset();
    setStatus(StatusStopped);
    return true;
}

size_t PreviewPlayManager::ringBufferSize() const
{
    return m_ringBuffer ? m_ringBuffer->bufferSize() : 0;
}

TkError PreviewPlayManager::GetData(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples)
{
    CartovaController& bridge = CartovaController::sharedInstance();
    if (m_status.load() == StatusMonitoring)
        return bridge.GetRecordingPreviewDataFrom(from, to, buffer, bufferSamples);
    // Listening to a finished recording plays its click repair, when there is one.
    return bridge.GetRepairedPreviewDataFrom(from, to, buffer, bufferSamples);
}

TkError PreviewPlayManager::GetDataLength(uint64_t& frames)
{
    CartovaController& bridge = CartovaController::sharedInstance();
    if (m_status.load() == StatusMonitoring)
        return bridge.GetRecordingPreviewDataLength(frames);
    return bridge.GetPreviewDataLength(frames);
}

void PreviewPlayManager::getDataThread()
{
    const size_t ringBytes = m_ringBuffer->bufferSize();
    const size_t ringSamples = ringBytes / sizeof(float);
    std::vector<int16_t> source(ringSamples);
    std::vector<float> samples(ringSamples);
    const double monitorLag = static_cast<double>(kMonitorLagSeconds) * static_cast<double>(m_freq);
    const float gain = m_gain.load();
    uint64_t& next = m_next_frame_start;

    while (m_threadFlag.load()) {
        uint64_t length = 0;
        if (GetDataLength(length) != TkErrorSuccess)
            length = next; // nothing readable this round
        const uint64_t freeFrames = m_ringBuffer->freeSize() / m_bytePerFrame;
        if (m_status.load() == StatusMonitoring && static_cast<double>(length) >= static_cast<double>(next) + monitorLag)
            next = length - std::min(freeFrames, length);
        const uint64_t n = length > next ? std::min(length - next, freeFrames) : 0;

        if (n > 0) {
            const size_t count = static_cast<size_t>(n) * m_channels;
            const TkError result = GetData(next, next + n, source.data(), source.size());
            if (result == TkErrorSuccess) {
                for (size_t i = 0; i < count; ++i)
                    samples[i] = static_cast<float>(source[i]) * gain / kPreviewFullScale;
                processPeak(samples.data(), static_cast<uint32_t>(n));
                m_ringBuffer->enqueue(samples.data(), count * sizeof(float));
                next += n;
                NotifyCurrentPosition(next);
            } else if (result != TkErrorInvalidArgument) {
                NotifyError(PreviewPlayErrorRead);
                break;
            }
        } else if (freeFrames == 0) {
            m_renderStart.store(true); // the ring is full: output may begin
        } else if (m_status.load() == StatusPlaying && next == length) {
            m_renderStart.store(true);
            m_finished.store(true);
        }

        std::unique_lock<std::mutex> lock(m_wakeLock);
        m_wake.wait_for(lock, kReaderPoll, [this]() { return !m_threadFlag.load(); });
    }
}

void PreviewPlayManager::processPeak(const float* data, uint32_t frames)
{
    std::lock_guard<std::mutex> guard(m_peakLock);
    const size_t channels = m_peak.size();
    for (size_t c = 0; c < channels; ++c) {
        float lo = m_peak[c].minimum;
        float hi = m_peak[c].maximum;
        for (size_t f = 0; f < frames; ++f) {
            const float v = data[f * channels + c];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        m_peak[c] = PeakPair{lo, hi};
    }
}

bool PreviewPlayManager::getAndResetPeak(PeakPair* peaks, uint32_t* channels)
{
    std::lock_guard<std::mutex> guard(m_peakLock);
    bool measured = false;
    if (peaks && channels && !m_peak.empty() && m_peak[0].maximum >= m_peak[0].minimum) {
        const auto have = static_cast<uint32_t>(m_peak.size());
        std::copy_n(m_peak.begin(), std::min(*channels, have), peaks);
        *channels = std::min(*channels, have);
        measured = true;
    }
    std::fill(m_peak.begin(), m_peak.end(), kNoPeak);
    return measured;
}

void PreviewPlayManager::DefaultOutput_RenderCallback(float* buffer, uint32_t frames)
{
    std::fill(buffer, buffer + size_t(frames) * m_channels, 0.0f);
    if (!isPlayStatus() || !m_renderStart.load() || !m_ringBuffer)
        return;
    const auto n = static_cast<uint32_t>(std::min<size_t>(m_ringBuffer->usedSize() / m_bytePerFrame, frames));
    if (n == 0) {
        if (!m_finished.load())
            m_renderStart.store(false); // ran dry: wait until the ring is full again
        else
            NotifyFinishPlaying();
        return;
    }
    m_ringBuffer->dequeue(buffer, size_t(n) * m_bytePerFrame);
}

void PreviewPlayManager::DefaultOutput_Failed()
{
    NotifyError(PreviewPlayErrorOutput);
}

void PreviewPlayManager::NotifyCurrentPosition(uint64_t frame)
{
    if (m_preview_ctr)
        m_preview_ctr->NotifyCurrentTime(static_cast<double>(frame) / static_cast<double>(m_freq), m_runSerial);
}

void PreviewPlayManager::NotifyFinishPlaying()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_status.load() >= StatusStopped)
        return; // stopped, already finished or failed
    if (m_preview_ctr)
        m_preview_ctr->OnFinish(m_runSerial);
    m_status.store(StatusFinished);
}

void PreviewPlayManager::NotifyError(int32_t code)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_status.load() >= StatusStopped)
        return;
    if (m_preview_ctr)
        m_preview_ctr->OnError(code, m_runSerial);
    m_status.store(StatusError);
}
