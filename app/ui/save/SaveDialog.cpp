// The write-to-files dialog's widgets, bound to its model.
#include "save/SaveDialog.h"

#include "look/DarkLook.h"
#include "save/CoverThumbnail.h"
#include "save/SaveDialogItemView.h"
#include "save/UpdateFileNamesDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// Rows visible before the list scrolls, and a row's height.
constexpr int kVisibleRows = 8;
constexpr int kRowHeight = 34;
// Margin kept above or below a row scrolled into view.
constexpr int kScrollMargin = 6;

QLabel* Heading(const QString& text, int width, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("heading"));
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Return moves between fields; it never presses a button by itself.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

SaveDialog::SaveDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SaveDialog"));
    setWindowTitle(tr("Write to Files"));
    setModal(true);
    ApplyDialogLook(this);
    m_updateDialog = new UpdateFileNamesDialog(this);

    // Album fields.
    auto* albumLabel = new QLabel(QStringLiteral("%1 %2:").arg(tr("Album Name"), tr("(Folder Name)")), this);
    auto* artistLabel = new QLabel(QStringLiteral("%1:").arg(tr("Album Artist")), this);
    m_albumName = new QLineEdit(this);
    m_albumName->setObjectName(QStringLiteral("edit_album_name"));
    m_albumName->setPlaceholderText(tr("Album Name"));
    m_albumArtist = new QLineEdit(this);
    m_albumArtist->setObjectName(QStringLiteral("edit_album_artist"));
    m_albumArtist->setPlaceholderText(tr("Album Artist"));
    // The cover beside them: its thumbnail, and buttons to choose and to clear it.
    m_cover = new CoverThumbnail(this);
    m_chooseCover = Button(tr("Cover Image\u2026"), QStringLiteral("button_cover"), this);
    m_clearCover = Button(tr("Remove Cover"), QStringLiteral("button_cover_clear"), this);
    auto* coverButtons = new QVBoxLayout;
    coverButtons->setSpacing(6);
    coverButtons->addWidget(m_chooseCover);
    coverButtons->addWidget(m_clearCover);
    auto* album = new QGridLayout;
    album->setHorizontalSpacing(10);
    album->addWidget(albumLabel, 0, 0, Qt::AlignRight);
    album->addWidget(m_albumName, 0, 1);
    album->addWidget(artistLabel, 1, 0, Qt::AlignRight);
    album->addWidget(m_albumArtist, 1, 1);
    album->setColumnMinimumWidth(2, 8);
    album->addWidget(m_cover, 0, 3, 2, 1, Qt::AlignCenter);
    album->addLayout(coverButtons, 0, 4, 2, 1, Qt::AlignVCenter);
    album->setColumnStretch(1, 1);

    // Heading of the rows, with the master check box over the rows' check boxes.
    m_master = new QCheckBox(this);
    m_master->setObjectName(QStringLiteral("button_check"));
    m_master->setTristate(true);
    m_master->setFixedWidth(SaveDialogColumns::check);
    auto* heading = new QHBoxLayout;
    heading->setContentsMargins(7, 0, 7, 0);
    heading->setSpacing(SaveDialogColumns::spacing);
    heading->addWidget(m_master);
    heading->addWidget(Heading(tr("Marker"), SaveDialogColumns::marker, this));
    heading->addWidget(Heading(tr("Duration"), SaveDialogColumns::duration, this));
    heading->addWidget(Heading(tr("File Name"), SaveDialogColumns::fileName, this));
    heading->addWidget(Heading(tr("Track Title"), SaveDialogColumns::trackTitle, this));
    heading->addWidget(Heading(tr("Track Artist"), SaveDialogColumns::trackArtist, this));
    heading->addStretch();

    // The scrolling row list.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("collectionView"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_rowsWidget = new QWidget;
    m_rowsWidget->setObjectName(QStringLiteral("rows"));
    m_rowsLayout = new QVBoxLayout(m_rowsWidget);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch();
    m_scroll->setWidget(m_rowsWidget);
    m_scroll->setFixedHeight(kVisibleRows * kRowHeight + 2 * m_scroll->frameWidth());
    m_scroll->setMinimumWidth(SaveDialogColumns::rowWidth + m_scroll->verticalScrollBar()->sizeHint().width() +
                              2 * m_scroll->frameWidth());

    // Buttons and the options menu.
    m_update = Button(tr("Update File Names"), QStringLiteral("button_update"), this);
    m_option = Button(tr("Options"), QStringLiteral("button_option"), this);
    auto* options = new QMenu(m_option);
    m_useTitle = options->addAction(tr("Use Track Titles as File Names."));
    m_copyArtist = options->addAction(tr("Copy Album Artist to Track Artists"));
    m_option->setMenu(options);
    m_apply = Button(tr("Apply"), QStringLiteral("button_apply"), this);
    m_cancel = Button(tr("Cancel"), QStringLiteral("button_cancel"), this);
    m_write = Button(tr("Write to Files"), QStringLiteral("button_write"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_update);
    buttons->addWidget(m_option);
    buttons->addStretch();
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_write);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 16);
    layout->setSpacing(10);
    layout->addLayout(album);
    layout->addSpacing(4);
    layout->addLayout(heading);
    layout->addWidget(m_scroll);
    layout->addLayout(buttons);

    // Bindings.
    connect(m_albumName, &QLineEdit::textEdited, &m_model, &SaveDialogModel::setAlbumName);
    connect(m_albumArtist, &QLineEdit::textEdited, &m_model, &SaveDialogModel::setAlbumArtist);
    connect(m_master, &QCheckBox::clicked, this, [this] {
        m_model.CheckBoxClicked(SaveDialogModel::kMasterCheckBox);
        showMasterState();
    });
    connect(m_update, &QPushButton::clicked, &m_model, &SaveDialogModel::UpdateFileNamesClicked);
    connect(m_useTitle, &QAction::triggered, &m_model, &SaveDialogModel::UseTrackTitleClicked);
    connect(m_copyArtist, &QAction::triggered, &m_model, &SaveDialogModel::CopyAlbumArtistClicked);
    connect(m_chooseCover, &QPushButton::clicked, &m_model, &SaveDialogModel::ChooseCoverClicked);
    connect(m_clearCover, &QPushButton::clicked, &m_model, &SaveDialogModel::ClearCoverClicked);
    connect(m_apply, &QPushButton::clicked, &m_model, &SaveDialogModel::ApplyClicked);
    connect(m_cancel, &QPushButton::clicked, this, &SaveDialog::CancelClicked);
    connect(m_write, &QPushButton::clicked, this, &SaveDialog::WriteToFilesClicked);

    connect(&m_model, &SaveDialogModel::rowsReset, this, &SaveDialog::rebuildRows);
    connect(&m_model, &SaveDialogModel::rowChanged, this, &SaveDialog::showRow);
    connect(&m_model, &SaveDialogModel::albumFieldsChanged, this, &SaveDialog::showAlbumFields);
    connect(&m_model, &SaveDialogModel::coverChanged, this, &SaveDialog::showCover);
    connect(&m_model, &SaveDialogModel::masterStateChanged, this, &SaveDialog::showMasterState);
    connect(&m_model, &SaveDialogModel::modifiedChanged, m_apply, &QPushButton::setEnabled);

    m_apply->setEnabled(false);
    showMasterState();
    showCover();
}

void SaveDialog::rebuildRows()
{
    for (SaveDialogItemView* view : m_rows)
        delete view;
    m_rows.clear();
    const QList<SaveDialogItem>& items = m_model.items();
    for (int i = 0; i < items.size(); ++i) {
        auto* view = new SaveDialogItemView(i, m_rowsWidget);
        view->setFixedHeight(kRowHeight);
        m_rowsLayout->insertWidget(i, view);
        connect(view, &SaveDialogItemView::checkClicked, &m_model, &SaveDialogModel::CheckBoxClicked);
        connect(view, &SaveDialogItemView::fileNameEdited, &m_model, &SaveDialogModel::setFileName);
        connect(view, &SaveDialogItemView::trackTitleEdited, &m_model, &SaveDialogModel::setTrackTitle);
        connect(view, &SaveDialogItemView::trackArtistEdited, &m_model, &SaveDialogModel::setTrackArtist);
        connect(view, &SaveDialogItemView::fieldFocused, this, &SaveDialog::scrollRowIntoView);
        m_rows.push_back(view);
        view->setItem(items[i]);
    }
    m_scroll->verticalScrollBar()->setValue(0);
    updateTabOrder();
}

void SaveDialog::showRow(int row)
{
    if (row >= 0 && row < static_cast<int>(m_rows.size()) && row < m_model.items().size())
        m_rows[row]->setItem(m_model.items()[row]);
}

void SaveDialog::showMasterState()
{
    m_master->setCheckState(m_model.masterState());
    m_write->setEnabled(m_model.isWriteEnabled());
}

void SaveDialog::showAlbumFields()
{
    m_albumName->setText(m_model.albumName());
    m_albumArtist->setText(m_model.albumArtist());
}

void SaveDialog::showCover()
{
    const bool enabled = m_model.isCoverEnabled();
    m_cover->setImagePath(m_model.coverImage());
    m_cover->setEnabled(enabled);
    m_chooseCover->setEnabled(enabled);
    m_clearCover->setEnabled(enabled && !m_model.coverImage().isEmpty());
    const QString why = enabled ? QString() : tr("A cover image is stored in FLAC files only.");
    m_chooseCover->setToolTip(why);
    if (!enabled)
        m_cover->setToolTip(why);
}

void SaveDialog::updateTabOrder()
{
    QWidget* previous = m_master;
    for (SaveDialogItemView* view : m_rows) {
        QWidget::setTabOrder(previous, view->firstKeyView());
        QWidget::setTabOrder(view->firstKeyView(), view->fileNameField());
        QWidget::setTabOrder(view->fileNameField(), view->trackTitleField());
        QWidget::setTabOrder(view->trackTitleField(), view->lastKeyView());
        previous = view->lastKeyView();
    }
    QWidget::setTabOrder(previous, m_update);
}

void SaveDialog::scrollRowIntoView(SaveDialogItemView* view)
{
    m_scroll->ensureWidgetVisible(view, 0, kScrollMargin);
}

void SaveDialog::CancelClicked()
{
    if (m_model.CancelClicked())
        done(kResponseCancel);
}

void SaveDialog::WriteToFilesClicked()
{
    if (m_model.WriteToFilesClicked())
        done(kResponseWrite);
}

void SaveDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_albumName->setFocus(Qt::OtherFocusReason);
    m_albumName->selectAll();
}

void SaveDialog::keyPressEvent(QKeyEvent* event)
{
    // Return and Enter move to the next field (Shift: the previous one) instead of ending the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextPrevChild(!(event->modifiers() & Qt::ShiftModifier));
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SaveDialog::wheelEvent(QWheelEvent* event)
{
    // The wheel anywhere in the dialog scrolls the rows.
    QApplication::sendEvent(m_scroll->verticalScrollBar(), event);
}
