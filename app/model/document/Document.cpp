// The recording's peaks, markers, track-gap step and click marks, the undo order, and
// their reset.
#include "document/Document.h"

#include "marker/MarkerManager.h"
#include "wave/WaveImageManager.h"

#include <QTimer>
#include <algorithm>

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
    m_undoSteps.clear();
    clearClickMarks();
    if (markers && m_alert)
        markers->setAlertHandler(m_alert);
    std::swap(markers, m_markers);
    emit markersReplaced(m_markers.get());
}

void Document::setSuggestedMarkers(std::vector<double> seconds)
{
    m_suggested = std::move(seconds);
    emit suggestedMarkersChanged();
}

void Document::setClickMarks(std::vector<ClickPlace> places)
{
    m_clickMarks.set(std::move(places));
    emit clickMarksChanged();
}

void Document::clearClickMarks()
{
    if (m_clickMarks.empty())
        return;
    m_clickMarks.clear();
    emit clickMarksChanged();
}

void Document::done(UndoStep step)
{
    std::erase(m_undoSteps, step);
    m_undoSteps.push_back(step);
}

bool Document::canUndo(UndoStep step) const
{
    switch (step) {
    case UndoStep::TrackGaps: return m_trackGaps.canUndo();
    case UndoStep::ClickRepair: return !m_clickMarks.empty();
    case UndoStep::None: break;
    }
    return false;
}

UndoStep Document::lastUndoStep() const
{
    for (auto step = m_undoSteps.rbegin(); step != m_undoSteps.rend(); ++step)
        if (canUndo(*step))
            return *step;
    return UndoStep::None;
}

void Document::undone(UndoStep step)
{
    const auto at = std::find(m_undoSteps.begin(), m_undoSteps.end(), step);
    m_undoSteps.erase(at, m_undoSteps.end());
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
