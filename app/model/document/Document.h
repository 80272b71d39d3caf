// The document of the window: everything one recording has besides the framework's own
// data. It owns the peak model of the waveform, the marker manager (none until a
// recording has finished), the track-gap suggestions and the click repair's marks, and
// the order of the steps Edit > Undo takes back.
//
// Invariants: peaks() is never null after construction; markers() is null exactly when
// no recording has finished since the last reset(); the click marks are empty whenever
// markers() is replaced (a new recording has no repair); a step is on the undo list at
// most once, the latest last; a peak model that is replaced is kept
// until its worker has done its last pass, so that the worker never outlives its model
// and the main thread never waits for it.
#pragma once

#include "document/ClickMarks.h"
#include "marker/TrackGapMarkers.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class MarkerManager;
class WaveImageManager;

// A change Edit > Undo can take back, one step each.
enum class UndoStep { None, TrackGaps, ClickRepair };

class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    WaveImageManager* peaks() const { return m_peaks.get(); }
    MarkerManager* markers() const { return m_markers.get(); }
    TrackGapMarkers& trackGaps() { return m_trackGaps; }
    const TrackGapMarkers& trackGaps() const { return m_trackGaps; }

    // Markers Find Track Gaps suggests while the user decides (seconds; empty: none).
    const std::vector<double>& suggestedMarkers() const { return m_suggested; }
    void setSuggestedMarkers(std::vector<double> seconds);

    const ClickMarks& clickMarks() const { return m_clickMarks; }
    // The places of a finished click repair (replacing any earlier ones), or none.
    void setClickMarks(std::vector<ClickPlace> places);
    void clearClickMarks();

    // The steps Undo takes back, latest last: done() records one (a step done again moves
    // to the end); lastUndoStep() is the latest that can still be taken back (Find Track
    // Gaps ends when the markers are changed by other means, a repair when its marks are
    // cleared); undone(step), once that step is taken back, drops it and the later steps.
    void done(UndoStep step);
    UndoStep lastUndoStep() const;
    void undone(UndoStep step);

    // Where the marker manager's alerts go ("Cannot add any more markers.").
    void setAlertHandler(std::function<void(const QString&)> handler);

    // A new, empty recording: a new peak model at the frequency of an empty recording,
    // no markers, nothing to undo.
    void reset();
    // The markers of a finished recording of totalTime seconds: the start and end marker.
    MarkerManager& startMarkers(double totalTime);
    // Replaces the marker manager (null: none).
    void setMarkers(std::unique_ptr<MarkerManager> markers);

    // Replaced peak models whose worker is still finishing its last pass.
    size_t retiredPeakModels() const { return m_retired.size(); }

signals:
    void peaksReplaced(WaveImageManager* peaks);
    void markersReplaced(MarkerManager* markers);
    void clickMarksChanged();
    void suggestedMarkersChanged();

private:
    void retire(std::unique_ptr<WaveImageManager> peaks);
    void releaseFinishedPeakModels();
    bool canUndo(UndoStep step) const;

    std::unique_ptr<WaveImageManager> m_peaks;
    std::vector<std::unique_ptr<WaveImageManager>> m_retired;
    std::unique_ptr<MarkerManager> m_markers;
    TrackGapMarkers m_trackGaps;
    ClickMarks m_clickMarks;
    std::vector<double> m_suggested;
    std::vector<UndoStep> m_undoSteps;
    std::function<void(const QString&)> m_alert;
};
