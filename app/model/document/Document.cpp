// The recording's peaks, markers and track-gap step, and their reset.
#include "document/Document.h"

#include "marker/MarkerManager.h"
#include "wave/WaveImageManager.h"

#include <QTimer>

namespace {

// Frequency of the waveform of an empty recording.
constexpr uint64_t kInitialWaveFrequency = 44100;
// How often a retired peak model is looked at until its worker has finished.
constexpr int kRetiredPollMs = 50;

} // namespace

Document::Document(QObject* parent)
    : QObject(parent), m_peaks(std::make_unique<WaveImageManager>(kInitialWaveFrequency))
{
}

Document::~Document()
{
    // The markers go first: the track-gap step watches them.
    m_trackGaps.clear();
    m_markers.reset();
}

void Document::setAlertHandler(std::function<void(const QString&)> handler)
{
    m_alert = std::move(handler);
    if (m_markers)
        m_markers->setAlertHandler(m_alert);
}

void Document::reset()
{
    auto peaks = std::make_unique<WaveImageManager>(kInitialWaveFrequency);
    std::swap(peaks, m_peaks);
    emit peaksReplaced(m_peaks.get());
    retire(std::move(peaks));
    setMarkers(nullptr);
}

MarkerManager& Document::startMarkers(double totalTime)
{
    setMarkers(std::make_unique<MarkerManager>());
    m_markers->ResetWithTotalTime(totalTime);
    return *m_markers;
}

void Document::setMarkers(std::unique_ptr<MarkerManager> markers)
{
    m_trackGaps.clear();
    if (markers && m_alert)
        markers->setAlertHandler(m_alert);
    std::swap(markers, m_markers);
    emit markersReplaced(m_markers.get());
}

void Document::retire(std::unique_ptr<WaveImageManager> peaks)
{
    if (!peaks)
        return;
    peaks->stopWaveGenerate();
    m_retired.push_back(std::move(peaks));
    releaseFinishedPeakModels();
}

void Document::releaseFinishedPeakModels()
{
    std::erase_if(m_retired, [](const std::unique_ptr<WaveImageManager>& m) { return !m->isGenerating(); });
    if (!m_retired.empty())
        QTimer::singleShot(kRetiredPollMs, this, &Document::releaseFinishedPeakModels);
}
