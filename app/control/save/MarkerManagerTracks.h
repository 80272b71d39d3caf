// The application's marker manager as the write-to-files code reads and writes it.
#pragma once

#include "save/TrackMarkers.h"

class MarkerManager;

class MarkerManagerTracks : public TrackMarkers {
public:
    explicit MarkerManagerTracks(MarkerManager& markers) : m_markers(markers) {}

    std::vector<MarkerId> EnumMarkerId() const override;
    MarkerId GetStartMarkerId() const override;
    MarkerId GetEndMarkerId() const override;
    double GetMarkerPositionFromId(MarkerId id) const override;
    MarkerTags GetMarkerTagFromMarkerId(MarkerId id) const override;
    bool IsMarkerCheckedFromId(MarkerId id) const override;
    bool SetMarkerCheckedWithId(MarkerId id, bool check) override;
    bool SetMarkerTagWithId(MarkerId id, const MarkerTags& tags) override;
    QString Album() const override;
    void setAlbum(const QString& album) override;
    QString AlbumArtist() const override;
    void setAlbumArtist(const QString& artist) override;
    QString CoverImage() const override;
    void setCoverImage(const QString& path) override;
    QDate RecordingDate() const override;
    QString DestinationDirectory() const override;
    void setDestinationDirectory(const QString& folder) override;
    MarkerId SelectedMarker() const override;
    void setSelectedMarker(MarkerId id) override;

private:
    MarkerManager& m_markers;
};
