// Waveform peaks of one recording. While recording, a worker thread polls the finished
// preview stream every 0.1 s and appends per-pixel peak pairs for the zoom scale
// (10 px/s) and the wide scale (0.5 px/s); the waveform view draws them directly. Also
// renders the two time rulers and reports the largest peak for the automatic gain.
#pragma once

#include "wave/PeakArray.h"
#include "wave/PreviewSource.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

// Amplification of DSD peaks: the DSD preview's full scale lies at 60 % of 16-bit full scale.
inline constexpr double kDsdPeakAmplification = 1.6666666666666667;

class WaveImageManager : public QObject {
    Q_OBJECT
public:
    static constexpr double kZoomPixelsPerSecond = 10.0;
    static constexpr double kWidePixelsPerSecond = 0.5;
    static constexpr int kPeakCapacityFactor = 8; // capacity = ruler width x 8

    // source: where the worker reads preview frames; the framework bridge when null.
    explicit WaveImageManager(uint64_t frequency, QObject* parent = nullptr,
                              std::unique_ptr<PreviewSource> source = nullptr);
    ~WaveImageManager() override;

    uint64_t frequency() const { return m_frequency; }
    void setFrequency(uint64_t frequency) { m_frequency = frequency; }
    double amplification() const { return m_amplification; }
    void setAmplification(double amplification) { m_amplification = amplification; }

    // Creates both rulers ((width + margin + 1) x height) and empty peak series of
    // capacity width x 8 for each scale, replacing earlier ones, and sets the
    // mode-time manager's currentPixel to 0. A running worker is stopped first.
    void createImageWithView(QObject* view, double wideWidth, double zoomWidth, double height, double margin);

    // Starts the worker; returns at once. A worker still finishing is waited for first.
    void startWaveGenerate();
    // Asks the worker to finish; returns at once. The worker does one last pass by itself.
    void stopWaveGenerate();
    // True from startWaveGenerate until the worker has finished its last pass and its
    // progress has been published on the main thread. Main thread only.
    bool isGenerating() const { return m_active; }

    // Largest absolute maximum or minimum of both wide series; 0 when empty.
    float getMaximumSample() const;

    const QImage& zoomScale() const { return m_zoomScale; }
    const QImage& wideScale() const { return m_wideScale; }
    // channel 0 = channel 1 (left), 1 = channel 2 (right); null before createImageWithView.
    const PeakArray* zoomPeaks(int channel) const { return m_zoomPeaks[channel].get(); }
    const PeakArray* widePeaks(int channel) const { return m_widePeaks[channel].get(); }
    QObject* parentView() const { return m_parentView; }

private:
    struct WorkerSetup;
    void generateThreadImpl(const WorkerSetup& setup);
    bool sleepUnlessStopped();
    void publishCurrentPixel();
    void joinWorker();

    uint64_t m_frequency;
    double m_amplification = 1.0;
    QPointer<QObject> m_parentView;
    QImage m_zoomScale;
    QImage m_wideScale;
    std::array<std::unique_ptr<PeakArray>, 2> m_zoomPeaks;
    std::array<std::unique_ptr<PeakArray>, 2> m_widePeaks;

    std::unique_ptr<PreviewSource> m_source;
    std::thread m_worker;
    std::atomic<bool> m_stop_request{false};
    std::atomic<bool> m_generating{false};
    // The worker only stores its progress here; a main-thread timer publishes it as the
    // mode-time manager's currentPixel, so the worker never calls into the main thread.
    std::atomic<uint32_t> m_generatedPixel{0};
    int64_t m_publishedPixel = -1;
    bool m_active = false;
    QTimer m_publishTimer;
    std::mutex m_sleepMutex;
    std::condition_variable m_sleepWake;
};
