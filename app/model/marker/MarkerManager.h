// The markers of the current recording, in time order: the start marker (id 0) at 0 s, the
// end marker (id 61) at the total time and up to 60 user markers (ids 1 to 60, the smallest
// free id first) at least 0.2 s apart. Keeps the selected marker, each track's tags and
// checked flag, and the album-wide tags, cover image, recording date and destination
// folder for writing.
//
// Ownership: the manager owns the marker data only. The waveform view owns the marker
// views and follows the manager through the signals below; the marker indicator follows
// selectionChanged.
#pragma once

#include "marker/MarkerItem.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

inline const QString kSaveDirectoryKey = QStringLiteral("Save Directory");

class MarkerManager;

// Connects every change of the markers or of their selection to `changed`, run in
// receiver's context; the caller disconnects the connections returned.
std::vector<QMetaObject::Connection> WatchMarkerChanges(MarkerManager& markers, QObject* receiver,
                                                        const std::function<void()>& changed);

class MarkerManager : public QObject {
    Q_OBJECT
public:
    static constexpr int kIdTableSize = 63;

    // Reads the destination folder from the stored "Save Directory" (the user's music
    // folder when none is stored).
    explicit MarkerManager(QObject* parent = nullptr);
    // Stores the destination folder back as "Save Directory".
    ~MarkerManager() override;

    // Shows "Cannot add any more markers." when a 61st user marker is asked for.
    void setAlertHandler(std::function<void(const QString&)> handler) { m_alert = std::move(handler); }

    void ResetWithTotalTime(double totalTime);
    // Id of the new marker, or -1 when none was added. The new marker is not selected.
    int32_t AddWithPosition(double t);
    // Whether AddWithPosition would succeed at t, the id limit aside.
    bool CanAddToPosition(double t) const;
    bool DeleteWithMarkerId(int32_t id);
    // Moves the selected user marker to t, kept 0.2 s from both neighbours.
    bool MoveSelectedMarkerToPosition(double t);
    // Nearest marker to t (the later one on a tie); -1 with fewer than two markers.
    int32_t GetMarkerIdFromPosition(double t) const;
    double GetMarkerPositionFromId(int32_t id) const; // -1.0 when free
    std::optional<MarkerTags> GetMarkerTagFromMarkerId(int32_t id) const; // none when free or unset
    bool SetMarkerTagWithId(int32_t id, const MarkerTags& tags);
    bool IsMarkerCheckedFromId(int32_t id) const;
    bool SetMarkerCheckedWithId(int32_t id, bool check);

    int32_t SelectedMarker() const { return m_SelectedMarker; }
    void setSelectedMarker(int32_t id);
    bool SelectNextMarker();
    bool SelectPreviousMarker();

    int32_t GetStartMarkerId() const { return kStartMarkerId; }
    int32_t GetEndMarkerId() const { return kEndMarkerId; }
    bool IsMarkerEdited() const { return m_edited; }
    std::vector<int32_t> EnumMarkerId() const; // time order, start first, end last
    bool isMarkerExists(int32_t id) const;
    int32_t FindUnusedId() const;
    // The item of an existing marker, else null.
    const MarkerItem* GetMarkerItemFromMarkerId(int32_t id) const;
    int count() const { return static_cast<int>(m_marker_collection.size()); }

    const QString& Album() const { return m_Album; }
    void setAlbum(const QString& album) { m_Album = album; }
    const QString& AlbumArtist() const { return m_AlbumArtist; }
    void setAlbumArtist(const QString& artist) { m_AlbumArtist = artist; }
    const QString& DestinationDirectory() const { return m_DestinationDirectory; }
    void setDestinationDirectory(const QString& folder) { m_DestinationDirectory = folder; }
    // Path of the album's cover picture; empty: none.
    const QString& CoverImage() const { return m_CoverImage; }
    void setCoverImage(const QString& path) { m_CoverImage = path; }
    // The day the recording started; invalid when not known.
    QDate RecordingDate() const { return m_RecordingDate; }
    void setRecordingDate(QDate date) { m_RecordingDate = date; }

signals:
    // Every marker was replaced by a new start and end marker.
    void markersReset();
    void markerAdded(int32_t id);
    void markerRemoved(int32_t id);
    // Sent on every accepted setSelectedMarker, also when the id stays the same.
    void selectionChanged(int32_t selected, int32_t previous);
    void checkedChanged(int32_t id, bool checked);
    // The selected marker was moved to a new position.
    void markerMoved(int32_t id);

private:
    int indexOf(int32_t id) const; // collection index, -1 when free
    void selectIndex(int index);

    std::vector<MarkerItem> m_marker_collection;
    std::array<int, kIdTableSize> m_id_table{};
    bool m_edited = false;
    int32_t m_SelectedMarker = kStartMarkerId;
    QString m_Album;
    QString m_AlbumArtist;
    QString m_DestinationDirectory;
    QString m_CoverImage;
    QDate m_RecordingDate;
    std::function<void(const QString&)> m_alert;
};
