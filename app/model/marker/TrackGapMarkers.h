// Markers suggested at the quiet gaps between tracks, added as one step the
// user can take back. The suggestions come from the framework's analysis of
// the finished recording: the boundaries between tracks, and where the music
// starts and ends when the recording has a lead-in before the needle dropped
// or a run-out after the arm lifted. The tracks of the lead-in and run-out
// are unchecked, so that Write to Files leaves them out; undo checks them
// again as they were. This class decides which suggestions become markers:
// each is put on the 0.1 s grid the other markers use, one within 0.2 s of an
// existing marker (or outside the recording) is skipped, and adding stops at
// the marker limit, where the marker manager tells the user.
//
// The step can be taken back only while it is the last change of the marker
// set: a marker added or removed by other means (or a new recording) ends it,
// so undo never removes a marker that took over one of the step's ids. Moving
// a marker keeps the step.
#pragma once

#include "marker/MarkerManager.h"

#include <QMetaObject>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class TrackGapMarkers {
public:
    TrackGapMarkers() = default;
    ~TrackGapMarkers() { clear(); }
    TrackGapMarkers(const TrackGapMarkers&) = delete;
    TrackGapMarkers& operator=(const TrackGapMarkers&) = delete;

    struct Outcome {
        int added = 0;
        int skipped = 0;           // too close to a marker, or outside the recording
        bool limitReached = false; // the marker limit stopped the adding
    };

    // Adds markers at the suggested boundaries (seconds, ascending) and, when
    // given, at the music's start and end, unchecking the lead-in's and the
    // run-out's tracks. The changes become the step that undo() takes back;
    // an outcome with nothing added leaves the previous step in place.
    Outcome addSuggestions(MarkerManager& markers, const std::vector<double>& boundaries,
                           std::optional<double> musicStart = std::nullopt,
                           std::optional<double> musicEnd = std::nullopt);
    // How many of the suggested boundaries addSuggestions would add, the marker limit aside.
    static int countNew(const MarkerManager& markers, const std::vector<double>& boundaries);

    bool canUndo() const { return !m_added.empty() && m_markers; }
    // Removes the markers of the last step; returns how many.
    int undo();
    // Forgets the step.
    void clear();

private:
    void watch(MarkerManager& markers);

    QPointer<MarkerManager> m_markers;
    std::vector<int32_t> m_added;
    std::vector<std::pair<int32_t, bool>> m_unchecked; // markers whose track was unchecked, and their state before
    std::vector<QMetaObject::Connection> m_watches;
};
