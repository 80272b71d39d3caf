// Rows, commands and checks of the write-to-files dialog.
#include "save/SaveDialogModel.h"

#include "save/CoverImageCheck.h"
#include "save/FileNameRules.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

SaveDialogModel::SaveDialogModel(QObject* parent) : QObject(parent) {}

bool SaveDialogModel::alert(AlertKind kind, const QString& message, const QString& information) const
{
    return m_prompts.alert ? m_prompts.alert(kind, message, information) : false;
}

void SaveDialogModel::setMarkerManager(TrackMarkers* markers)
{
    m_items.clear();
    m_markers = markers;
    const QString date = currentDateString();
    if (markers) {
        const std::vector<MarkerId> ids = markers->EnumMarkerId();
        for (size_t i = 1; i < ids.size(); ++i) {
            const MarkerId a = ids[i - 1];
            const MarkerId b = ids[i];
            const MarkerTags tags = markers->GetMarkerTagFromMarkerId(a);
            SaveDialogItem item;
            item.state = markers->IsMarkerCheckedFromId(a) ? 1 : 0;
            item.markerStart = a == markers->GetStartMarkerId() ? QStringLiteral("S") : QString::number(a);
            item.markerEnd = b == markers->GetEndMarkerId() ? QStringLiteral("E") : QString::number(b);
            item.fileName = tags.value(kMapKeyFileName);
            if (item.isChecked() && item.fileName.isEmpty())
                item.fileName = NumberedFileName(static_cast<long>(i), date, m_extension);
            item.trackTitle = tags.value(kMarkerTagTitle);
            item.trackArtist = tags.value(kMarkerTagArtist);
            item.duration = markers->GetMarkerPositionFromId(b) - markers->GetMarkerPositionFromId(a);
            m_items.append(item);
        }
    }
    m_albumName = markers ? markers->Album() : QString();
    m_albumArtist = markers ? markers->AlbumArtist() : QString();
    m_coverImage = markers ? markers->CoverImage() : QString();
    m_dirName.clear();
    emit rowsReset();
    emit albumFieldsChanged();
    emit coverChanged();
    recomputeMasterState();
    setModified(false);
}

void SaveDialogModel::setModified(bool modified)
{
    if (m_dirty == modified)
        return;
    m_dirty = modified;
    emit modifiedChanged(m_dirty);
}

void SaveDialogModel::setAlbumName(const QString& text)
{
    m_albumName = text;
    setModified(true);
}

void SaveDialogModel::setAlbumArtist(const QString& text)
{
    m_albumArtist = text;
    setModified(true);
}

void SaveDialogModel::setFileName(int row, const QString& text)
{
    if (!isRow(row))
        return;
    m_items[row].fileName = text;
    setModified(true);
}

void SaveDialogModel::setTrackTitle(int row, const QString& text)
{
    if (!isRow(row))
        return;
    m_items[row].trackTitle = text;
    setModified(true);
}

void SaveDialogModel::setTrackArtist(int row, const QString& text)
{
    if (!isRow(row))
        return;
    m_items[row].trackArtist = text;
    setModified(true);
}

void SaveDialogModel::setMasterState(Qt::CheckState state)
{
    if (m_master == state)
        return;
    m_master = state;
    emit masterStateChanged(m_master);
}

void SaveDialogModel::recomputeMasterState()
{
    const auto checked = std::count_if(m_items.cbegin(), m_items.cend(),
                                       [](const SaveDialogItem& item) { return item.isChecked(); });
    if (checked == m_items.size())
        setMasterState(Qt::Checked);
    else if (checked == 0)
        setMasterState(Qt::Unchecked);
    else
        setMasterState(Qt::PartiallyChecked);
}

void SaveDialogModel::CheckBoxClicked(int row)
{
    if (row == kMasterCheckBox) {
        // A click turns a mixed or unchecked box on and a checked one off; every row follows.
        setMasterState(m_master == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        const int state = m_master == Qt::Checked ? 1 : 0;
        for (int i = 0; i < m_items.size(); ++i) {
            if (m_items[i].state != state) {
                m_items[i].state = state;
                emit rowChanged(i);
            }
        }
    } else if (isRow(row)) {
        m_items[row].state = m_items[row].isChecked() ? 0 : 1;
        emit rowChanged(row);
        recomputeMasterState();
    } else {
        return;
    }
    setModified(true);
}

void SaveDialogModel::UpdateFileNamesClicked()
{
    const int first = m_prompts.askInitialNumber ? m_prompts.askInitialNumber() : -1;
    if (first < 1)
        return;
    UpdateFileNames(first);
}

void SaveDialogModel::UpdateFileNames(long firstNumber)
{
    if (firstNumber < 1)
        return;
    const QString date = currentDateString();
    long number = firstNumber;
    for (int i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].isChecked())
            continue;
        m_items[i].fileName = NumberedFileName(number++, date, m_extension);
        emit rowChanged(i);
    }
    setModified(true);
}

void SaveDialogModel::UseTrackTitleClicked()
{
    if (!alert(AlertKind::YesNo, tr("Track Titles will be used as File Names with no change to extensions.")))
        return;
    for (int i = 0; i < m_items.size(); ++i) {
        SaveDialogItem& item = m_items[i];
        if (!item.isChecked() || item.trackTitle.isEmpty())
            continue;
        item.fileName = TitledFileName(item.fileName, item.trackTitle, m_extension);
        emit rowChanged(i);
    }
    setModified(true);
}

void SaveDialogModel::CopyAlbumArtistClicked()
{
    if (!alert(AlertKind::YesNo, tr("Album Artist will be copied to Track Artists.")))
        return;
    if (m_albumArtist.isEmpty())
        return;
    for (int i = 0; i < m_items.size(); ++i) {
        if (!m_items[i].isChecked())
            continue;
        m_items[i].trackArtist = m_albumArtist;
        emit rowChanged(i);
    }
    setModified(true);
}

void SaveDialogModel::ApplyClicked()
{
    applyItemsToMarkerManager();
    setModified(false);
}

void SaveDialogModel::ChooseCoverClicked()
{
    if (!isCoverEnabled() || !m_prompts.chooseFile)
        return;
    QString initial = QFileInfo(m_coverImage).absolutePath();
    if (m_coverImage.isEmpty() || !QFileInfo(initial).isDir()) {
        initial = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!QFileInfo(initial).isDir())
            initial = QDir::homePath();
    }
    const QString chosen = m_prompts.chooseFile(tr("Cover Image"), initial, {CoverImageNameFilter()});
    if (chosen.isEmpty())
        return;
    if (const auto problem = CheckCoverImage(chosen)) {
        alert(AlertKind::Ok, problem->message, problem->information);
        return;
    }
    m_coverImage = chosen;
    emit coverChanged();
    setModified(true);
}

void SaveDialogModel::ClearCoverClicked()
{
    if (m_coverImage.isEmpty())
        return;
    m_coverImage.clear();
    emit coverChanged();
    setModified(true);
}

bool SaveDialogModel::CoverCheck()
{
    if (!isCoverEnabled() || m_coverImage.isEmpty())
        return true;
    if (const auto problem = CheckCoverImage(m_coverImage)) {
        alert(AlertKind::Ok, problem->message, problem->information);
        return false;
    }
    return true;
}

bool SaveDialogModel::CancelClicked()
{
    if (m_dirty && !alert(AlertKind::YesNo, tr("Are you sure you want to cancel writing to files?")))
        return false;
    return true;
}

void SaveDialogModel::applyItemsToMarkerManager()
{
    if (!m_markers)
        return;
    m_markers->setAlbum(m_albumName);
    m_markers->setAlbumArtist(m_albumArtist);
    m_markers->setCoverImage(m_coverImage);
    for (SaveDialogItem& item : m_items) {
        const MarkerId id = item.markerStart == QLatin1String("S") ? m_markers->GetStartMarkerId()
                                                                   : item.markerStart.toUInt();
        m_markers->SetMarkerCheckedWithId(id, item.isChecked());
        // Absent texts are stored as empty ones, so every marker carries all three keys.
        if (item.fileName.isNull())
            item.fileName = QLatin1String("");
        if (item.trackTitle.isNull())
            item.trackTitle = QLatin1String("");
        if (item.trackArtist.isNull())
            item.trackArtist = QLatin1String("");
        m_markers->SetMarkerTagWithId(id, {{kMapKeyFileName, item.fileName},
                                           {kMarkerTagTitle, item.trackTitle},
                                           {kMarkerTagArtist, item.trackArtist}});
    }
    m_markers->setSelectedMarker(m_markers->SelectedMarker());
    emit markersApplied();
}

bool SaveDialogModel::validateFileNames()
{
    // "." and ".." would name the destination itself or its parent, not a new album folder.
    if (containsInvalidChar(m_albumName) || m_albumName == QLatin1String(".") || m_albumName == QLatin1String("..")) {
        alert(AlertKind::Ok, tr("Unacceptable characters detected in the album name. Change the album name."));
        return false;
    }
    QSet<QString> seen;
    for (const SaveDialogItem& item : std::as_const(m_items)) {
        if (!item.isChecked())
            continue;
        if (IsMissingFileName(item.fileName)) {
            alert(AlertKind::Ok, tr("No file name specified. Enter a file name."));
            return false;
        }
        const QString name = FileNameAsWritten(item.fileName, m_extension);
        if (containsInvalidChar(name)) {
            alert(AlertKind::Ok, tr("Unacceptable characters detected in the file name. Change the file name."), name);
            return false;
        }
        const QString folded = name.toLower();
        if (seen.contains(folded)) {
            alert(AlertKind::Ok, tr("File name duplicated. Change the file name."), name);
            return false;
        }
        seen.insert(folded);
    }
    return true;
}

QString SaveDialogModel::albumFolder() const
{
    return m_markers ? JoinPath(m_markers->DestinationDirectory(), m_dirName) : QString();
}

bool SaveDialogModel::FullPathLengthCheck()
{
    if (!m_markers)
        return false;
    const std::vector<MarkerId> ids = m_markers->EnumMarkerId();
    const QString folder = albumFolder();
    for (size_t k = 0; k + 1 < ids.size(); ++k) {
        const MarkerId id = ids[k];
        if (id == m_markers->GetEndMarkerId())
            break;
        if (!m_markers->IsMarkerCheckedFromId(id))
            continue;
        const QString name = FileNameAsWritten(m_markers->GetMarkerTagFromMarkerId(id).value(kMapKeyFileName),
                                               m_extension);
        const QString full = JoinPath(folder, name);
        if (Utf8Length(full) > kMaxFullPathBytes || Utf8Length(name) > kMaxFileNameBytes ||
            Utf8Length(m_dirName) > kMaxFolderNameBytes) {
            alert(AlertKind::Ok, tr("Too long file path. Change the file name or the destination."), full);
            return false;
        }
    }
    return true;
}

bool SaveDialogModel::DestinationCheck()
{
    if (!m_markers)
        return false;
    TrackFormat format = m_format;
    format.flac = !format.dsd && writesFlac();
    // Every FLAC track holds its own copy of the cover.
    const uint64_t coverBytes = format.flac && !m_coverImage.isEmpty() ? QFileInfo(m_coverImage).size() : 0;
    uint64_t bytes = 0;
    const std::vector<MarkerId> ids = m_markers->EnumMarkerId();
    for (size_t k = 0; k + 1 < ids.size(); ++k) {
        if (!m_markers->IsMarkerCheckedFromId(ids[k]))
            continue;
        if (format.rate > 0)
            bytes = SaturatingSum(bytes, EstimatedTrackBytes(format, m_markers->GetMarkerPositionFromId(ids[k]),
                                                             m_markers->GetMarkerPositionFromId(ids[k + 1])));
        bytes = SaturatingSum(bytes, coverBytes);
    }
    if (const auto problem = CheckDestination(albumFolder(), bytes)) {
        alert(AlertKind::Ok, problem->message, problem->information);
        return false;
    }
    return true;
}

bool SaveDialogModel::WriteToFilesClicked()
{
    if (!m_markers || !validateFileNames() || !CoverCheck())
        return false;

    QString initial = m_markers->DestinationDirectory();
    if (initial.isEmpty() || !QFileInfo(initial).isDir()) {
        initial = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        if (!QFileInfo(initial).isDir())
            initial = QDir::homePath();
    }
    const QString chosen = m_prompts.chooseFolder ? m_prompts.chooseFolder(tr("Browse Folders"), initial) : QString();
    if (chosen.isEmpty())
        return false;

    // From here the edits stay applied, even when a later check keeps the dialog open.
    applyItemsToMarkerManager();
    const QString album = m_markers->Album();
    m_dirName = album.isEmpty() ? currentDateString() : album;

    const QFileInfo entry(JoinPath(chosen, m_dirName));
    if (entry.exists() && !entry.isDir()) {
        alert(AlertKind::Ok, tr("A file with the same name as the folder name exists in the destination."));
        return false;
    }
    m_markers->setDestinationDirectory(chosen);
    return FullPathLengthCheck() && DestinationCheck();
}
