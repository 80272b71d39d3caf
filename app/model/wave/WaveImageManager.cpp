// Peak worker, rulers and maximum sample of one recording's waveform.
#include "wave/WaveImageManager.h"

#include "state/ModeTimeManager.h"
#include "wave/PeakAccumulator.h"
#include "wave/WaveRuler.h"

#include <QMetaObject>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <vector>

namespace {

// The poll interval is the single-precision 0.1 s.
constexpr auto kPollInterval = std::chrono::duration<double>(static_cast<double>(0.1f));
// At most this many frames are read per call, so a large backlog (a stalled worker, or a
// finished recording analysed at once) never needs one huge buffer. The peaks do not
// depend on how the frames are sliced.
constexpr uint64_t kMaxFramesPerRead = 1u << 18;
constexpr std::chrono::milliseconds kPublishInterval{50};

QImage NewRuler(double width, double margin, double height)
{
    QImage image(static_cast<int>(width + margin + 1.0), static_cast<int>(height), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

struct WaveImageManager::WorkerSetup {
    size_t zoomChunk;
    size_t wideChunk;
    double amplification;
    PeakArray* zoom[kPeakChannels];
    PeakArray* wide[kPeakChannels];
};

WaveImageManager::WaveImageManager(uint64_t frequency, QObject* parent, std::unique_ptr<PreviewSource> source)
    : QObject(parent), m_frequency(frequency), m_source(std::move(source))
{
    if (!m_source)
        m_source = std::make_unique<BridgePreviewSource>();
    m_publishTimer.setInterval(kPublishInterval);
    connect(&m_publishTimer, &QTimer::timeout, this, &WaveImageManager::publishCurrentPixel);
}

WaveImageManager::~WaveImageManager()
{
    stopWaveGenerate();
    joinWorker();
}

void WaveImageManager::createImageWithView(QObject* view, double wideWidth, double zoomWidth, double height,
                                           double margin)
{
    stopWaveGenerate();
    joinWorker();
    m_publishTimer.stop();
    m_active = false;
    m_parentView = view;
    m_wideScale = NewRuler(wideWidth, margin, height);
    drawZoomOutScaleWithImage(m_wideScale, margin, wideWidth);
    m_zoomScale = NewRuler(zoomWidth, margin, height);
    drawZoomInScaleWithImage(m_zoomScale, margin, zoomWidth);
    for (auto& series : m_widePeaks)
        series = std::make_unique<PeakArray>(static_cast<uint32_t>(wideWidth * kPeakCapacityFactor));
    for (auto& series : m_zoomPeaks)
        series = std::make_unique<PeakArray>(static_cast<uint32_t>(zoomWidth * kPeakCapacityFactor));
    ModeTimeManager::sharedInstance().setCurrentPixel(0);
}

void WaveImageManager::startWaveGenerate()
{
    joinWorker();
    if (!m_zoomPeaks[0] || !m_widePeaks[0])
        return; // no series to fill before the view has created them
    const double f = static_cast<double>(m_frequency);
    WorkerSetup setup{2 * static_cast<size_t>(0.1 * f),
                      2 * static_cast<size_t>(2.0 * f),
                      m_amplification,
                      {m_zoomPeaks[0].get(), m_zoomPeaks[1].get()},
                      {m_widePeaks[0].get(), m_widePeaks[1].get()}};
    m_stop_request.store(false, std::memory_order_release);
    m_generating.store(true, std::memory_order_release);
    m_generatedPixel.store(setup.zoom[0]->length(), std::memory_order_relaxed);
    m_publishedPixel = -1;
    m_active = true;
    m_publishTimer.start();
    m_worker = std::thread([this, setup] { generateThreadImpl(setup); });
}

void WaveImageManager::stopWaveGenerate()
{
    {
        // Under the sleep mutex so the worker cannot miss the wake-up between its check
        // of the flag and its wait.
        std::lock_guard<std::mutex> lock(m_sleepMutex);
        m_stop_request.store(true, std::memory_order_release);
    }
    m_sleepWake.notify_all();
}

void WaveImageManager::joinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool WaveImageManager::sleepUnlessStopped()
{
    std::unique_lock<std::mutex> lock(m_sleepMutex);
    return !m_sleepWake.wait_for(lock, kPollInterval,
                                 [this] { return m_stop_request.load(std::memory_order_acquire); });
}

void WaveImageManager::publishCurrentPixel()
{
    // Whether the worker has ended is read before its progress: it stores its last
    // progress before it ends, so a finished worker's final value is seen here.
    const bool running = m_generating.load(std::memory_order_acquire);
    const uint32_t pixel = m_generatedPixel.load(std::memory_order_acquire);
    if (static_cast<int64_t>(pixel) != m_publishedPixel) {
        m_publishedPixel = pixel;
        ModeTimeManager::sharedInstance().setCurrentPixel(static_cast<int32_t>(pixel));
    }
    if (!running) {
        m_publishTimer.stop();
        joinWorker();
        m_active = false;
    }
}

void WaveImageManager::generateThreadImpl(const WorkerSetup& setup)
{
    PreviewSource& source = *m_source;
    try {
        PeakAccumulator zoom(setup.zoomChunk, setup.amplification);
        PeakAccumulator wide(setup.wideChunk, setup.amplification);
        std::vector<int16_t> buffer;
        uint64_t consumed = 0;

        // Reads and feeds every frame in [consumed, available); false when a read failed
        // (consumed then stays at the first frame not read, to be tried again).
        auto feedNewFrames = [&](uint64_t available) {
            bool any = false;
            while (consumed < available) {
                const uint64_t to = std::min(available, consumed + kMaxFramesPerRead);
                const size_t values = static_cast<size_t>(to - consumed) * kPeakChannels;
                buffer.resize(values);
                if (!source.GetPreviewDataFrom(consumed, to, buffer.data(), values))
                    break;
                zoom.feed(buffer.data(), values, setup.zoom);
                wide.feed(buffer.data(), values, setup.wide);
                consumed = to;
                any = true;
            }
            return any;
        };

        while (!m_stop_request.load(std::memory_order_acquire)) {
            uint64_t available = 0;
            if (source.GetPreviewDataLength(available) && feedNewFrames(available))
                m_generatedPixel.store(setup.zoom[0]->length(), std::memory_order_release);
            if (!sleepUnlessStopped())
                break;
        }

        // Last pass: partial chunks are emitted only when it brings new frames.
        uint64_t available = 0;
        if (source.GetPreviewDataLength(available) && feedNewFrames(available)) {
            zoom.flush(setup.zoom);
            wide.flush(setup.wide);
            m_generatedPixel.store(setup.zoom[0]->length(), std::memory_order_release);
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: end quietly; whatever was appended stays.
    }
    m_generating.store(false, std::memory_order_release);
}

float WaveImageManager::getMaximumSample() const
{
    float result = 0.0f;
    for (const auto& series : m_widePeaks) {
        if (!series)
            continue;
        const uint32_t n = series->length();
        for (uint32_t i = 0; i < n; ++i) {
            const PeakEntry e = series->at(i);
            result = std::max({std::fabs(result), std::fabs(e.maximum), std::fabs(e.minimum)});
        }
    }
    return result;
}
