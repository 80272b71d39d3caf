// The write-to-files dialog without its widgets: the rows built from the markers, the
// album fields and cover, the check boxes, every command of the dialog and the name,
// cover and path checks. The dialog view binds to it; its questions and choosers go
// through Prompts.
#pragma once

#include "control/DialogService.h"
#include "save/SaveDestination.h"
#include "save/SaveDialogItem.h"
#include "save/TrackMarkers.h"

#include <QList>
#include <QObject>
#include <functional>

class SaveDialogModel : public QObject {
    Q_OBJECT
public:
    // The dialog's modal questions.
    struct Prompts {
        AlertHandler alert;
        // A folder chosen by the user, or an empty string when cancelled.
        std::function<QString(const QString& title, const QString& initialFolder)> chooseFolder;
        // The file-name update dialog's response: the first number, or below 1 for nothing.
        std::function<int()> askInitialNumber;
        // An existing file chosen by the user, or an empty string when cancelled.
        std::function<QString(const QString& title, const QString& initialFolder, const QStringList& nameFilters)>
            chooseFile;
    };

    explicit SaveDialogModel(QObject* parent = nullptr);

    void setPrompts(Prompts prompts) { m_prompts = std::move(prompts); }
    void setExtension(const QString& extension) { m_extension = extension; }
    const QString& extension() const { return m_extension; }
    bool writesFlac() const { return m_extension == QLatin1String("flac"); }
    // Only FLAC files hold a cover; for other files the cover cannot be chosen.
    bool isCoverEnabled() const { return writesFlac(); }
    // Format of the recording, for the free-space check; a rate of 0 skips that check.
    void setTrackFormat(const TrackFormat& format) { m_format = format; }

    // Rebuilds the rows and album fields from markers (not owned).
    void setMarkerManager(TrackMarkers* markers);

    const QList<SaveDialogItem>& items() const { return m_items; }
    const QString& albumName() const { return m_albumName; }
    const QString& albumArtist() const { return m_albumArtist; }
    // The cover picture's path; empty: none.
    const QString& coverImage() const { return m_coverImage; }
    Qt::CheckState masterState() const { return m_master; }
    bool isWriteEnabled() const { return m_master != Qt::Unchecked; }
    bool isDirty() const { return m_dirty; }
    const QString& dir_name() const { return m_dirName; }

    // Edits from the fields; each marks the dialog modified.
    void setAlbumName(const QString& text);
    void setAlbumArtist(const QString& text);
    void setFileName(int row, const QString& text);
    void setTrackTitle(int row, const QString& text);
    void setTrackArtist(int row, const QString& text);

    // Commands. row is a row index, or kMasterCheckBox for the master check box.
    static constexpr int kMasterCheckBox = -1;
    void CheckBoxClicked(int row);
    void UpdateFileNamesClicked();
    void UpdateFileNames(long firstNumber);
    void UseTrackTitleClicked();
    void CopyAlbumArtistClicked();
    void ApplyClicked();
    // Asks for a picture; one the framework cannot store is refused with a message.
    void ChooseCoverClicked();
    void ClearCoverClicked();
    // True when the dialog may close with response 0.
    bool CancelClicked();
    // True when the dialog may close with response 1.
    bool WriteToFilesClicked();

    void applyItemsToMarkerManager();
    bool validateFileNames();
    bool FullPathLengthCheck();
    // The album folder is writable and has room for every checked track.
    bool DestinationCheck();
    // The cover, when there is one for these files, can still be stored.
    bool CoverCheck();
    void setModified(bool modified);

signals:
    void rowsReset();
    void rowChanged(int row);
    void albumFieldsChanged();
    void coverChanged();
    void masterStateChanged(Qt::CheckState state);
    void modifiedChanged(bool dirty);
    // The markers took the dialog's edits; views showing marker captions refresh.
    void markersApplied();

private:
    bool alert(AlertKind kind, const QString& message, const QString& information = QString()) const;
    void recomputeMasterState();
    void setMasterState(Qt::CheckState state);
    bool isRow(int row) const { return row >= 0 && row < m_items.size(); }
    QString albumFolder() const;

    Prompts m_prompts;
    TrackMarkers* m_markers = nullptr;
    QList<SaveDialogItem> m_items;
    QString m_albumName;
    QString m_albumArtist;
    QString m_coverImage;
    QString m_extension = QStringLiteral("wav");
    QString m_dirName;
    TrackFormat m_format;
    Qt::CheckState m_master = Qt::Checked;
    bool m_dirty = false;
};
