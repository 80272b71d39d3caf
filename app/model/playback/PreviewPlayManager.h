// One playback run of the preview stream: a reader thread pulls 16-bit preview frames
// through the framework bridge, applies the gain, measures peaks for the level meter and
// fills a ring buffer of 0.3 s; the audio output drains the ring on its own thread. The
// run either plays the finished recording from a time, or monitors the recording in
// progress, skipping ahead when it falls behind the live signal. Output starts once the
// ring is full (or the end of the recording has been read) and pauses again whenever the
// ring runs dry before the end.
#pragma once

#include "cartova.h"
#include "playback/DefaultOutput.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class PreviewController;
class RingBuffer;

// The lowest and highest sample of one channel since the last read.
struct PeakPair {
    float minimum;
    float maximum;
};

// Codes reported through PreviewController::OnError.
enum PreviewPlayErrorCode : int32_t {
    PreviewPlayErrorRead = 4,   // the preview stream could not be read
    PreviewPlayErrorOutput = 5, // the audio output stopped on its own
};

class PreviewPlayManager : public DefaultOutputDelegate {
public:
    enum Status : int32_t {
        StatusPlaying = 0,    // playing the finished recording
        StatusMonitoring = 1, // playing the recording in progress
        StatusStopped = 2,
        StatusFinished = 3,   // the last frame of the recording was played
        StatusError = 4,      // a read failed or the output stopped
    };

    PreviewPlayManager();
    ~PreviewPlayManager() override;

    // Takes the recording's preview rate and channel count from the bridge and the gain
    // from the controller; false when either cannot be read.
    bool initManager(PreviewController* controller);
    // Tags every report of this run, so the controller can drop those of an older run.
    void setRunSerial(uint64_t serial) { m_runSerial = serial; }

    bool Play(double t);
    bool RecordPreview();
    bool Stop();

    // Copies the peaks measured since the last call (at most *channels pairs; *channels
    // is lowered to the stream's channel count) and resets them. False when nothing was
    // measured since the last call or no buffer was given.
    bool getAndResetPeak(PeakPair* peaks, uint32_t* channels);

    void DefaultOutput_RenderCallback(float* buffer, uint32_t frames) override;
    void DefaultOutput_Failed() override;

    bool isPlayStatus() const { return m_status.load() < StatusStopped; }
    int32_t status() const { return m_status.load(); }
    uint64_t TimeToFrame(double t);

    float gain() const { return m_gain.load(); }
    void setGain(float gain) { m_gain.store(gain); }
    uint64_t frequency() const { return m_freq; }
    uint32_t channels() const { return m_channels; }
    // The ring's capacity in bytes while a run is started, else 0.
    size_t ringBufferSize() const;
    // The output of the running run (tests read the silent output's frame counter).
    DefaultOutput* output() const { return m_defaultOutput.get(); }

private:
    bool PlayInternal(Status mode, double t);
    void setStatus(Status status);
    void getDataThread();
    void processPeak(const float* data, uint32_t frames);
    void resetPeaks();
    TkError GetData(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples);
    TkError GetDataLength(uint64_t& frames);
    void NotifyCurrentPosition(uint64_t frame);
    void NotifyFinishPlaying();
    void NotifyError(int32_t code);

    PreviewController* m_preview_ctr = nullptr;
    uint64_t m_runSerial = 0;
    std::unique_ptr<DefaultOutput> m_defaultOutput;
    OutputFormat m_asbd;
    std::atomic<int32_t> m_status{StatusStopped}; // written under m_lock only
    std::mutex m_lock;
    uint64_t m_next_frame_start = 0; // the reader thread's once it runs
    uint64_t m_freq = 0;
    uint32_t m_bytePerFrame = 0;
    uint32_t m_channels = 0;
    std::thread m_thread;
    std::unique_ptr<RingBuffer> m_ringBuffer;
    std::atomic<bool> m_threadFlag{false};
    std::atomic<bool> m_renderStart{false};
    std::atomic<bool> m_finished{false};
    std::mutex m_peakLock;
    std::vector<PeakPair> m_peak; // guarded by m_peakLock
    std::atomic<float> m_gain{1.0f};
    // Wakes the reader from its poll interval when the run stops.
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
};
