// Forwarding from the write-to-files code to the marker manager.
#include "save/MarkerManagerTracks.h"

#include "marker/MarkerManager.h"

namespace {
int32_t ToManager(MarkerId id)
{
    return static_cast<int32_t>(id);
}
} // namespace

std::vector<MarkerId> MarkerManagerTracks::EnumMarkerId() const
{
    std::vector<MarkerId> ids;
    for (const int32_t id : m_markers.EnumMarkerId())
        ids.push_back(static_cast<MarkerId>(id));
    return ids;
}

MarkerId MarkerManagerTracks::GetStartMarkerId() const
{
    return static_cast<MarkerId>(m_markers.GetStartMarkerId());
}

MarkerId MarkerManagerTracks::GetEndMarkerId() const
{
    return static_cast<MarkerId>(m_markers.GetEndMarkerId());
}

double MarkerManagerTracks::GetMarkerPositionFromId(MarkerId id) const
{
    return m_markers.GetMarkerPositionFromId(ToManager(id));
}

MarkerTags MarkerManagerTracks::GetMarkerTagFromMarkerId(MarkerId id) const
{
    return m_markers.GetMarkerTagFromMarkerId(ToManager(id)).value_or(MarkerTags());
}

bool MarkerManagerTracks::IsMarkerCheckedFromId(MarkerId id) const
{
    return m_markers.IsMarkerCheckedFromId(ToManager(id));
}

bool MarkerManagerTracks::SetMarkerCheckedWithId(MarkerId id, bool check)
{
    return m_markers.SetMarkerCheckedWithId(ToManager(id), check);
}

bool MarkerManagerTracks::SetMarkerTagWithId(MarkerId id, const MarkerTags& tags)
{
    return m_markers.SetMarkerTagWithId(ToManager(id), tags);
}

QString MarkerManagerTracks::Album() const
{
    return m_markers.Album();
}

void MarkerManagerTracks::setAlbum(const QString& album)
{
    m_markers.setAlbum(album);
}

QString MarkerManagerTracks::AlbumArtist() const
{
    return m_markers.AlbumArtist();
}

void MarkerManagerTracks::setAlbumArtist(const QString& artist)
{
    m_markers.setAlbumArtist(artist);
}

QString MarkerManagerTracks::CoverImage() const
{
    return m_markers.CoverImage();
}

void MarkerManagerTracks::setCoverImage(const QString& path)
{
    m_markers.setCoverImage(path);
}

QDate MarkerManagerTracks::RecordingDate() const
{
    return m_markers.RecordingDate();
}

QString MarkerManagerTracks::DestinationDirectory() const
{
    return m_markers.DestinationDirectory();
}

void MarkerManagerTracks::setDestinationDirectory(const QString& folder)
{
    m_markers.setDestinationDirectory(folder);
}

MarkerId MarkerManagerTracks::SelectedMarker() const
{
    return static_cast<MarkerId>(m_markers.SelectedMarker());
}

void MarkerManagerTracks::setSelectedMarker(MarkerId id)
{
    m_markers.setSelectedMarker(ToManager(id));
}
