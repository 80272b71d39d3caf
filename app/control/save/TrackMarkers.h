// What the write-to-files dialog and the file writing read and write of the markers:
// their order, positions, tags and checked flags, and the album-wide values. The
// application's marker manager is reached through an adapter; tests use a small fake.
#pragma once

#include <QDate>
#include <QMap>
#include <QString>
#include <cstdint>
#include <vector>

using MarkerId = uint32_t;
using MarkerTags = QMap<QString, QString>;

// Keys of a marker's tags.
inline const QString kMapKeyFileName = QStringLiteral("FileName");
inline const QString kMarkerTagTitle = QStringLiteral("Title");
inline const QString kMarkerTagArtist = QStringLiteral("Artist");

class TrackMarkers {
public:
    virtual ~TrackMarkers() = default;

    // Identifiers in ascending position, start marker first, end marker last.
    virtual std::vector<MarkerId> EnumMarkerId() const = 0;
    virtual MarkerId GetStartMarkerId() const = 0;
    virtual MarkerId GetEndMarkerId() const = 0;
    virtual double GetMarkerPositionFromId(MarkerId id) const = 0;
    // Empty when the marker has no tags.
    virtual MarkerTags GetMarkerTagFromMarkerId(MarkerId id) const = 0;
    virtual bool IsMarkerCheckedFromId(MarkerId id) const = 0;
    virtual bool SetMarkerCheckedWithId(MarkerId id, bool check) = 0;
    virtual bool SetMarkerTagWithId(MarkerId id, const MarkerTags& tags) = 0;

    virtual QString Album() const = 0;
    virtual void setAlbum(const QString& album) = 0;
    virtual QString AlbumArtist() const = 0;
    virtual void setAlbumArtist(const QString& artist) = 0;
    // The album's cover picture (empty: none) and the day the recording started
    // (invalid: not known).
    virtual QString CoverImage() const = 0;
    virtual void setCoverImage(const QString& path) = 0;
    virtual QDate RecordingDate() const = 0;
    virtual QString DestinationDirectory() const = 0;
    virtual void setDestinationDirectory(const QString& folder) = 0;
    virtual MarkerId SelectedMarker() const = 0;
    virtual void setSelectedMarker(MarkerId id) = 0;
};
