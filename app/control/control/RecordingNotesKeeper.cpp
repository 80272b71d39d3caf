// The user's markers and names in the recording's journal, and back.
#include "control/RecordingNotesKeeper.h"

#include "marker/MarkerManager.h"
#include "save/TrackMarkers.h"

RecordingNotesKeeper::RecordingNotesKeeper(CartovaController& bridge, QObject* parent)
    : QObject(parent), m_bridge(bridge)
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(kGatherMs);
    connect(&m_gather, &QTimer::timeout, this, &RecordingNotesKeeper::flush);
}

void RecordingNotesKeeper::watch(MarkerManager* markers)
{
    for (const QMetaObject::Connection& c : m_watches)
        disconnect(c);
    m_watches.clear();
    m_gather.stop();
    m_markers = markers;
    // A new recording starts with nothing written.
    m_written = RecordingNotes();
    if (!markers)
        return;
    // The write dialog hands its names back and then selects the selected marker again,
    // so a selection change also stands for a change of names.
    m_watches = WatchMarkerChanges(*markers, this, [this]() { changed(); });
    m_watches.push_back(connect(markers, &QObject::destroyed, this, [this]() { watch(nullptr); }));
}

RecordingNotes RecordingNotesKeeper::notesOf(const MarkerManager& markers)
{
    RecordingNotes notes;
    const std::vector<int32_t> ids = markers.EnumMarkerId();
    QStringList names{markers.Album()};
    bool named = !markers.Album().isEmpty();
    for (size_t i = 0; i + 1 < ids.size(); ++i) {
        if (i > 0)
            notes.markers.push_back(markers.GetMarkerPositionFromId(ids[i]));
        const QString title = markers.GetMarkerTagFromMarkerId(ids[i]).value_or(MarkerTags()).value(kMarkerTagTitle);
        named = named || !title.isEmpty();
        names << title;
    }
    if (named)
        notes.names = names;
    return notes;
}

void RecordingNotesKeeper::restore(MarkerManager& markers)
{
    RecordingNotes notes;
    if (m_bridge.GetRecordingNotes(notes) != TkErrorSuccess)
        return;
    for (const double seconds : notes.markers)
        markers.AddWithPosition(seconds);
    if (!notes.names.isEmpty())
        markers.setAlbum(notes.names.first());
    const std::vector<int32_t> ids = markers.EnumMarkerId();
    for (size_t i = 0; i + 1 < ids.size() && int(i) + 1 < notes.names.size(); ++i) {
        MarkerTags tags = markers.GetMarkerTagFromMarkerId(ids[i]).value_or(MarkerTags());
        tags[kMarkerTagTitle] = notes.names[int(i) + 1];
        markers.SetMarkerTagWithId(ids[i], tags);
    }
    // What the journal holds needs no writing back.
    m_gather.stop();
    m_written = notes;
}

void RecordingNotesKeeper::changed()
{
    if (!m_gather.isActive())
        m_gather.start();
}

void RecordingNotesKeeper::flush()
{
    m_gather.stop();
    if (!m_markers)
        return;
    const RecordingNotes notes = notesOf(*m_markers);
    if (notes == m_written)
        return;
    if (m_bridge.SetRecordingNotes(notes) == TkErrorSuccess)
        m_written = notes;
}
