// Test double of the markers as the write-to-files code sees them: ids with positions,
// tags and checked flags, the album values and the selection, all in memory.
#pragma once

#include "save/TrackMarkers.h"

#include <algorithm>
#include <map>

class FakeTrackMarkers : public TrackMarkers {
public:
    static constexpr MarkerId kStart = 0;
    static constexpr MarkerId kEnd = 61;

    explicit FakeTrackMarkers(double totalTime = 600.0)
    {
        markers[kStart].position = 0.0;
        markers[kEnd].position = totalTime;
    }

    // Adds a user marker at position and returns its id.
    MarkerId add(MarkerId id, double position)
    {
        markers[id].position = position;
        return id;
    }

    std::vector<MarkerId> EnumMarkerId() const override
    {
        std::vector<MarkerId> ids;
        for (const auto& [id, marker] : markers)
            ids.push_back(id);
        std::sort(ids.begin(), ids.end(),
                  [this](MarkerId a, MarkerId b) { return markers.at(a).position < markers.at(b).position; });
        return ids;
    }
    MarkerId GetStartMarkerId() const override { return kStart; }
    MarkerId GetEndMarkerId() const override { return kEnd; }
    double GetMarkerPositionFromId(MarkerId id) const override
    {
        const auto it = markers.find(id);
        return it == markers.end() ? -1.0 : it->second.position;
    }
    MarkerTags GetMarkerTagFromMarkerId(MarkerId id) const override
    {
        const auto it = markers.find(id);
        return it == markers.end() ? MarkerTags() : it->second.tags;
    }
    bool IsMarkerCheckedFromId(MarkerId id) const override
    {
        const auto it = markers.find(id);
        return it != markers.end() && it->second.checked;
    }
    bool SetMarkerCheckedWithId(MarkerId id, bool check) override
    {
        const auto it = markers.find(id);
        if (it == markers.end())
            return false;
        it->second.checked = check;
        return true;
    }
    bool SetMarkerTagWithId(MarkerId id, const MarkerTags& tags) override
    {
        const auto it = markers.find(id);
        if (it == markers.end())
            return false;
        it->second.tags = tags;
        return true;
    }
    QString Album() const override { return album; }
    void setAlbum(const QString& value) override { album = value; }
    QString AlbumArtist() const override { return albumArtist; }
    void setAlbumArtist(const QString& value) override { albumArtist = value; }
    QString CoverImage() const override { return cover; }
    void setCoverImage(const QString& value) override { cover = value; }
    QDate RecordingDate() const override { return recordingDate; }
    QString DestinationDirectory() const override { return destination; }
    void setDestinationDirectory(const QString& value) override { destination = value; }
    MarkerId SelectedMarker() const override { return selected; }
    void setSelectedMarker(MarkerId id) override
    {
        selected = id;
        ++selections;
    }

    struct Marker {
        double position = 0.0;
        bool checked = true;
        MarkerTags tags;
    };
    std::map<MarkerId, Marker> markers;
    QString album;
    QString albumArtist;
    QString cover;
    QDate recordingDate;
    QString destination;
    MarkerId selected = kStart;
    int selections = 0;
};
