// Keeps the user's markers and names in the current recording's journal as they change,
// so that a recording recovered after a crash comes back with them; and puts them back on
// the markers of a recovered recording.
//
// The notes are the user markers' positions (the start and end markers are the
// recording's own) and the names: the album first, then the title of every track in time
// order (none at all while every name is empty). Changes are gathered for a moment and
// written once (a journal update is a synced write), and only when they differ from what
// was written last. Without a journal (nothing recorded, or every track written) the
// framework refuses the notes, and nothing is lost by that.
#pragma once

#include "bridge/CartovaController.h"

#include <QObject>
#include <QTimer>
#include <vector>

class MarkerManager;

class RecordingNotesKeeper : public QObject {
    Q_OBJECT
public:
    // How long changes are gathered before they are written.
    static constexpr int kGatherMs = 200;

    explicit RecordingNotesKeeper(CartovaController& bridge, QObject* parent = nullptr);

    // Follows these markers from now on (null: none).
    void watch(MarkerManager* markers);
    // The notes of markers as the journal keeps them.
    static RecordingNotes notesOf(const MarkerManager& markers);
    // Puts the journal's notes on the markers of the recording just recovered.
    void restore(MarkerManager& markers);
    // Writes what is gathered now.
    void flush();

private:
    void changed();

    CartovaController& m_bridge;
    MarkerManager* m_markers = nullptr;
    std::vector<QMetaObject::Connection> m_watches;
    QTimer m_gather;
    RecordingNotes m_written;
};
