// Building the framework's job list from the markers.
#include "save/SaveJobBuilder.h"

#include "save/FileNameRules.h"
#include "save/SaveDestination.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>

std::vector<SaveSetting> BuildSaveSettings(const TrackMarkers& markers, const QString& dirName,
                                           const QString& extension, double gain, const AlertHandler& alert)
{
    auto ask = [&alert](AlertKind kind, const char* message, const QString& information) {
        return alert ? alert(kind, QCoreApplication::translate("SaveDialog", message), information) : false;
    };
    const QString album = markers.Album();
    const QString albumArtist = markers.AlbumArtist();
    const QString folder = JoinPath(markers.DestinationDirectory(), dirName);
    const std::vector<MarkerId> ids = markers.EnumMarkerId();
    const QString cover = markers.CoverImage();
    const QDate recorded = markers.RecordingDate().isValid() ? markers.RecordingDate() : QDate::currentDate();
    const QString date = recorded.toString(Qt::ISODate);
    const QString total = QString::number(ids.size() > 1 ? ids.size() - 1 : 0);

    std::vector<SaveSetting> list;
    for (size_t k = 0; k + 1 < ids.size(); ++k) {
        const MarkerId id = ids[k];
        if (id == markers.GetEndMarkerId())
            break;
        if (!markers.IsMarkerCheckedFromId(id))
            continue;

        SaveSetting setting;
        setting.start = markers.GetMarkerPositionFromId(id);
        setting.end = markers.GetMarkerPositionFromId(ids[k + 1]);
        setting.gain = gain;

        MarkerTags tags = markers.GetMarkerTagFromMarkerId(id);
        const QString name = FileNameAsWritten(tags.value(kMapKeyFileName), extension);
        setting.path = JoinPath(folder, name);
        tags.remove(kMapKeyFileName);
        if (!album.isEmpty())
            tags[kSaveTagAlbum] = album;
        if (!albumArtist.isEmpty())
            tags[kSaveTagAlbumArtist] = albumArtist;
        tags[kSaveTagTrackNumber] = QString::number(k + 1);
        tags[kSaveTagTrackTotal] = total;
        tags[kSaveTagDate] = date;
        if (!cover.isEmpty())
            tags[kSaveTagCoverImage] = cover;

        const QFileInfo existing(setting.path);
        if (existing.isDir()) {
            ask(AlertKind::Ok, "A folder with the same name as the file name exists in the destination.", name);
            continue;
        }
        if (existing.exists() || existing.isSymLink()) {
            if (!ask(AlertKind::OkCancel, "A file with the same name already exists in the destination. ", name))
                continue;
        }
        // The dialog refused longer names already; a name that got here some other way is left out.
        if (Utf8Length(setting.path) > kMaxFullPathBytes || Utf8Length(name) > kMaxFileNameBytes)
            continue;
        setting.tags = tags;
        list.push_back(std::move(setting));
    }
    return list;
}
