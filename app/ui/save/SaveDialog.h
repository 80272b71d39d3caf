// The modal write-to-files dialog: album fields with the cover (a thumbnail, a button
// that chooses the picture and one that clears it), the master check box, a scrolling
// list of track rows and the buttons and "Options" menu. Its response is 1 for "Write to
// Files" and 0 for "Cancel". Everything it decides is in SaveDialogModel.
#pragma once

#include "save/SaveDialogModel.h"

#include <QDialog>
#include <vector>

class QAction;
class CoverThumbnail;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SaveDialogItemView;
class UpdateFileNamesDialog;

class SaveDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResponseWrite = 1;
    static constexpr int kResponseCancel = 0;

    explicit SaveDialog(QWidget* parent = nullptr);

    SaveDialogModel& model() { return m_model; }

    void setExtension(const QString& extension) { m_model.setExtension(extension); }
    void setTrackFormat(const TrackFormat& format) { m_model.setTrackFormat(format); }
    void setMarkerManager(TrackMarkers* markers) { m_model.setMarkerManager(markers); }
    void updateTabOrder();
    QString dir_name() const { return m_model.dir_name(); }
    // Questions of the dialog (alerts, the folder chooser, the file-name update dialog).
    void setPrompts(SaveDialogModel::Prompts prompts) { m_model.setPrompts(std::move(prompts)); }

    // Commands.
    void CancelClicked();
    void WriteToFilesClicked();

    UpdateFileNamesDialog* update_dialog() const { return m_updateDialog; }
    QLineEdit* edit_album_name() const { return m_albumName; }
    QLineEdit* edit_album_artist() const { return m_albumArtist; }
    QCheckBox* button_check() const { return m_master; }
    QPushButton* button_update() const { return m_update; }
    QPushButton* button_apply() const { return m_apply; }
    QPushButton* button_cancel() const { return m_cancel; }
    QPushButton* button_write() const { return m_write; }
    QPushButton* button_option() const { return m_option; }
    QPushButton* button_cover() const { return m_chooseCover; }
    QPushButton* button_cover_clear() const { return m_clearCover; }
    CoverThumbnail* cover_thumbnail() const { return m_cover; }
    QAction* menu_use_title() const { return m_useTitle; }
    QAction* menu_copy_artist() const { return m_copyArtist; }
    QScrollArea* collectionView() const { return m_scroll; }
    const std::vector<SaveDialogItemView*>& rowViews() const { return m_rows; }

protected:
    // Every time the dialog opens, the album name has the focus with its text selected,
    // so that typing replaces it.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void reject() override { CancelClicked(); }

private:
    void rebuildRows();
    void showRow(int row);
    void showMasterState();
    void showAlbumFields();
    void showCover();
    void scrollRowIntoView(SaveDialogItemView* view);

    SaveDialogModel m_model;
    UpdateFileNamesDialog* m_updateDialog = nullptr;
    QLineEdit* m_albumName = nullptr;
    QLineEdit* m_albumArtist = nullptr;
    CoverThumbnail* m_cover = nullptr;
    QPushButton* m_chooseCover = nullptr;
    QPushButton* m_clearCover = nullptr;
    QCheckBox* m_master = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_option = nullptr;
    QAction* m_useTitle = nullptr;
    QAction* m_copyArtist = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_rowsWidget = nullptr;
    QVBoxLayout* m_rowsLayout = nullptr;
    std::vector<SaveDialogItemView*> m_rows;
};
