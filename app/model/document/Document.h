// The document of the window: everything one recording has besides the framework's own
// data. It owns the peak model of the waveform, the marker manager (none until a
// recording has finished) and the track-gap suggestions that can be taken back.
//
// Invariants: peaks() is never null after construction; markers() is null exactly when
// no recording has finished since the last reset(); a peak model that is replaced is kept
// until its worker has done its last pass, so that the worker never outlives its model
// and the main thread never waits for it.
#pragma once

#include "marker/TrackGapMarkers.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class MarkerManager;
class WaveImageManager;

class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    WaveImageManager* peaks() const { return m_peaks.get(); }
    MarkerManager* markers() const { return m_markers.get(); }
    TrackGapMarkers& trackGaps() { return m_trackGaps; }
    const TrackGapMarkers& trackGaps() const { return m_trackGaps; }

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

private:
    void retire(std::unique_ptr<WaveImageManager> peaks);
    void releaseFinishedPeakModels();

    std::unique_ptr<WaveImageManager> m_peaks;
    std::vector<std::unique_ptr<WaveImageManager>> m_retired;
    std::unique_ptr<MarkerManager> m_markers;
    TrackGapMarkers m_trackGaps;
    std::function<void(const QString&)> m_alert;
};
