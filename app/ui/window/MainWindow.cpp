// Layout, artwork and menus of the main window.
#include "window/MainWindow.h"

#include "look/DarkLook.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "controls/CustomMenu.h"
#include "document/ClickMarks.h"
#include "indicator/Indicator_Gain.h"
#include "indicator/Indicator_LevelMeter.h"
#include "indicator/Indicator_Marker.h"
#include "indicator/Indicator_Mode.h"
#include "indicator/Indicator_Mode_Icon.h"
#include "indicator/Indicator_Setting.h"
#include "indicator/Indicator_Time.h"
#include "wave/PageSelectMatrix.h"
#include "wave/WaveHints.h"
#include "wave/WaveScrollView.h"
#include "wave/WaveView.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const kMenuContext = "MainMenu";

QString Tr(const char* source)
{
    return QCoreApplication::translate(kMenuContext, source);
}

QAction* AddItem(QMenu* menu, const char* title, const QString& name, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(Tr(title));
    a->setObjectName(name);
    a->setProperty("sourceText", QString::fromUtf8(title));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

QMenu* AddMenu(QMenuBar* bar, const char* title)
{
    QMenu* m = bar->addMenu(Tr(title));
    m->menuAction()->setProperty("sourceText", QString::fromUtf8(title));
    return m;
}

QAbstractButton* IconButton(QWidget* parent, const QString& name, const QString& icon, const QString& tip)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(QIcon(QStringLiteral(":/artwork/%1.svg").arg(icon)));
    b->setIconSize(QSize(32, 32));
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    return b;
}

QAbstractButton* TextButton(QWidget* parent, const QString& name)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// Where the window's position and size are kept between runs.
const QString kGeometryKey = QStringLiteral("Main Window Geometry");

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QStringLiteral("Sillaro"));
    setWindowIcon(QIcon(QStringLiteral(":/artwork/app_icon.svg")));
    m_controls.window = this;

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    // The dark look is set on the central widget, not on the window, so that dialogs
    // parented to the window and not given the look (the folder chooser) keep the desktop's.
    central->setStyleSheet(WindowStyleSheet());
    central->setAttribute(Qt::WA_StyledBackground, true);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 8, 12, 12);
    layout->addWidget(buildIndicatorRow());

    auto* scroll = new WaveScrollView(central);
    auto* wave = new WaveView;
    scroll->setWidget(wave);
    scroll->setMinimumHeight(wave->height() + scroll->horizontalScrollBar()->sizeHint().height());
    m_controls.waveScrollView = scroll;
    m_controls.waveView = wave;
    layout->addWidget(scroll, 1);

    m_controls.pageSelectMatrix = new PageSelectMatrix(central);
    wave->setPage_selector(m_controls.pageSelectMatrix);
    new WaveHints(scroll, wave); // owned by the scroll view
    layout->addWidget(m_controls.pageSelectMatrix);
    layout->addWidget(buildButtonRow());
    setCentralWidget(central);

    m_controls.gain_menu_panel = new CustomMenu(this);

    buildMenus();
    resize(900, 560);
    restoreGeometry(QSettings().value(kGeometryKey).toByteArray());
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildIndicatorRow()
{
    auto* row = new QWidget(this);
    // The waveform takes whatever height is left; the indicators are never squeezed.
    row->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);

    auto* modeBox = new QVBoxLayout;
    auto* modeLine = new QHBoxLayout;
    m_controls.indicatorModeIcon = new Indicator_Mode_Icon(row);
    m_controls.indicatorMode = new Indicator_Mode(row);
    modeLine->addWidget(m_controls.indicatorModeIcon);
    modeLine->addWidget(m_controls.indicatorMode);
    modeLine->addStretch();
    modeBox->addLayout(modeLine);
    m_controls.indicatorTimeBox = new QWidget(row);
    auto* timeLayout = new QHBoxLayout(m_controls.indicatorTimeBox);
    timeLayout->setContentsMargins(0, 0, 0, 0);
    m_controls.indicatorTime = new Indicator_Time(m_controls.indicatorTimeBox);
    timeLayout->addWidget(m_controls.indicatorTime);
    modeBox->addWidget(m_controls.indicatorTimeBox);
    h->addLayout(modeBox);

    m_controls.indicatorLevelMeter = new Indicator_LevelMeter(row);
    h->addWidget(m_controls.indicatorLevelMeter);
    h->addStretch();

    auto* right = new QVBoxLayout;
    m_controls.indicatorSetting = new Indicator_Setting(row);
    right->addWidget(m_controls.indicatorSetting);
    auto* gainLine = new QHBoxLayout;
    m_controls.gainLabel = new QLabel(row);
    m_controls.gainLabel->setObjectName(QStringLiteral("gainLabel"));
    m_controls.indicatorGain = new Indicator_Gain(row);
    // The gain indicator is the button that opens the gain pop-up.
    m_controls.button_gain = m_controls.indicatorGain;
    gainLine->addWidget(m_controls.gainLabel);
    gainLine->addWidget(m_controls.indicatorGain);
    right->addLayout(gainLine);
    auto* markerLine = new QHBoxLayout;
    m_controls.indicatorMarker = new Indicator_Marker(row);
    markerLine->addWidget(m_controls.indicatorMarker);
    m_controls.clickCountLabel = new QLabel(row);
    m_controls.clickCountLabel->setObjectName(QStringLiteral("clickCountLabel"));
    m_controls.clickCountLabel->setStyleSheet(QStringLiteral("color: %1; font-size: 11px;").arg(look::kAccent));
    // Its room is kept while it is hidden, so the indicators above do not move when it shows.
    QSizePolicy keepRoom = m_controls.clickCountLabel->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_controls.clickCountLabel->setSizePolicy(keepRoom);
    m_controls.clickCountLabel->setMinimumWidth(
        m_controls.clickCountLabel->fontMetrics().horizontalAdvance(tr("Clicks repaired: %1").arg(99999)));
    m_controls.clickCountLabel->hide();
    markerLine->addWidget(m_controls.clickCountLabel);
    markerLine->addStretch();
    right->addLayout(markerLine);
    h->addLayout(right);
    return row;
}

QWidget* MainWindow::buildButtonRow()
{
    auto* row = new QWidget(this);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 6, 0, 0);
    MainWindowControls& c = m_controls;

    c.button_rec_start = IconButton(row, QStringLiteral("button_rec_start"), QStringLiteral("button_rec"), tr("Record"));
    c.button_rec_pause = IconButton(row, QStringLiteral("button_rec_pause"), QStringLiteral("button_pause"), tr("Pause"));
    c.button_rec_stop = TextButton(row, QStringLiteral("button_rec_stop"));
    c.button_edit_play = IconButton(row, QStringLiteral("button_edit_play"), QStringLiteral("button_play"), tr("Play"));
    c.button_edit_pause = IconButton(row, QStringLiteral("button_edit_pause"), QStringLiteral("button_pause"), tr("Pause"));
    c.button_marker_prev = IconButton(row, QStringLiteral("button_marker_prev"), QStringLiteral("button_marker_prev"), tr("Previous Marker"));
    c.button_marker_next = IconButton(row, QStringLiteral("button_marker_next"), QStringLiteral("button_marker_next"), tr("Next Marker"));
    c.button_marker_add = IconButton(row, QStringLiteral("button_marker_add"), QStringLiteral("button_marker_add"), tr("Add Marker"));
    c.button_marker_move_backward = IconButton(row, QStringLiteral("button_marker_move_backward"), QStringLiteral("button_marker_move_backward"), tr("Move Marker Backward"));
    c.button_marker_move_forward = IconButton(row, QStringLiteral("button_marker_move_forward"), QStringLiteral("button_marker_move_forward"), tr("Move Marker Forward"));
    c.button_view_zoom_in = IconButton(row, QStringLiteral("button_view_zoom_in"), QStringLiteral("button_zoom_in"), tr("Zoom In"));
    c.button_view_zoom_out = IconButton(row, QStringLiteral("button_view_zoom_out"), QStringLiteral("button_zoom_out"), tr("Zoom Out"));
    c.button_file_save = TextButton(row, QStringLiteral("button_file_save"));
    c.button_file_save_cancel = TextButton(row, QStringLiteral("button_file_save_cancel"));
    c.button_file_save_cancel->hide();
    c.label_file_save_cancel = new QLabel(row);
    c.label_file_save_cancel->setObjectName(QStringLiteral("label_file_save_cancel"));
    c.label_file_save_cancel->hide();

    for (QAbstractButton* b : {c.button_rec_start, c.button_rec_pause, c.button_edit_play, c.button_edit_pause,
                               c.button_marker_prev, c.button_marker_next, c.button_marker_add,
                               c.button_marker_move_backward, c.button_marker_move_forward})
        h->addWidget(b);
    h->addWidget(c.button_rec_stop);
    h->addStretch();
    for (QAbstractButton* b : {c.button_view_zoom_in, c.button_view_zoom_out, c.button_file_save,
                               c.button_file_save_cancel})
        h->addWidget(b);
    h->addWidget(c.label_file_save_cancel);
    return row;
}

void MainWindow::buildMenus()
{
    MainWindowControls& c = m_controls;
    QMenuBar* bar = menuBar();
    bar->setStyleSheet(MenuBarStyleSheet());

    QMenu* app = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Sillaro"));
    c.menu_about = AddItem(app, QT_TRANSLATE_NOOP("MainMenu", "About Sillaro"), QStringLiteral("menu_about"));
    c.menu_about->setMenuRole(QAction::AboutRole);
    c.menu_preferences = AddItem(app, QT_TRANSLATE_NOOP("MainMenu", "Preferences..."), QStringLiteral("menu_preferences"),
                                 QKeySequence(QKeySequence::Preferences));
    if (c.menu_preferences->shortcut().isEmpty())
        c.menu_preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    app->addSeparator();
    c.menu_exit = AddItem(app, QT_TRANSLATE_NOOP("MainMenu", "Quit Sillaro"), QStringLiteral("menu_exit"),
                          QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* file = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "File"));
    c.menu_file_new = AddItem(file, QT_TRANSLATE_NOOP("MainMenu", "New"), QStringLiteral("menu_file_new"),
                              QKeySequence(Qt::CTRL | Qt::Key_N));
    c.menu_file_save = AddItem(file, QT_TRANSLATE_NOOP("MainMenu", "Write to Files..."), QStringLiteral("menu_file_save"),
                               QKeySequence(Qt::CTRL | Qt::Key_S));

    QMenu* rec = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Record"));
    c.menu_rec_start = AddItem(rec, QT_TRANSLATE_NOOP("MainMenu", "Record"), QStringLiteral("menu_rec_start"),
                               QKeySequence(Qt::CTRL | Qt::Key_R));
    c.menu_rec_pause = AddItem(rec, QT_TRANSLATE_NOOP("MainMenu", "Pause"), QStringLiteral("menu_rec_pause"),
                               QKeySequence(Qt::CTRL | Qt::Key_P));
    c.menu_rec_complete = AddItem(rec, QT_TRANSLATE_NOOP("MainMenu", "Recording Complete"),
                                  QStringLiteral("menu_rec_complete"), QKeySequence(Qt::CTRL | Qt::Key_Period));

    QMenu* edit = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Edit"));
    c.menu_edit_undo = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Undo Find Track Gaps"),
                               QStringLiteral("menu_edit_undo"), QKeySequence::Undo);
    edit->addSeparator();
    c.menu_edit_play = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Play"), QStringLiteral("menu_edit_play"),
                               QKeySequence(Qt::CTRL | Qt::Key_Return));
    c.menu_edit_pause = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Pause Playback"), QStringLiteral("menu_edit_pause"),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Return));
    edit->addSeparator();
    c.menu_edit_marker_add = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Add Marker"), QStringLiteral("menu_edit_marker_add"),
                                     QKeySequence(Qt::CTRL | Qt::Key_M));
    c.menu_edit_marker_next = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Next Marker"), QStringLiteral("menu_edit_marker_next"),
                                      QKeySequence(Qt::CTRL | Qt::Key_Right));
    c.menu_edit_marker_prev = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Previous Marker"), QStringLiteral("menu_edit_marker_prev"),
                                      QKeySequence(Qt::CTRL | Qt::Key_Left));
    c.menu_edit_marker_remove = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Delete Marker"),
                                        QStringLiteral("menu_edit_marker_remove"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    c.menu_edit_marker_clear = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Remove All Markers"),
                                       QStringLiteral("menu_edit_marker_clear"));
    c.menu_edit_find_track_gaps = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Find Track Gaps"),
                                          QStringLiteral("menu_edit_find_track_gaps"),
                                          QKeySequence(Qt::CTRL | Qt::Key_G));
    c.menu_edit_repair_clicks = AddItem(edit, QT_TRANSLATE_NOOP("MainMenu", "Repair Clicks..."),
                                        QStringLiteral("menu_edit_repair_clicks"), QKeySequence(Qt::CTRL | Qt::Key_K));
    // A disabled item may say why (Repair Clicks on a DSD recording).
    edit->setToolTipsVisible(true);
    edit->addSeparator();
    QMenu* gain = edit->addMenu(Tr(QT_TRANSLATE_NOOP("MainMenu", "Gain")));
    c.menu_gain = gain->menuAction();
    c.menu_gain->setObjectName(QStringLiteral("menu_gain"));
    c.menu_gain->setProperty("sourceText", QStringLiteral("Gain"));
    QAction* none = gain->addAction(Tr(QT_TRANSLATE_NOOP("MainMenu", "0 dB")));
    none->setData(0);
    QAction* automatic = gain->addAction(Tr(QT_TRANSLATE_NOOP("MainMenu", "Auto")));
    automatic->setData(1);
    for (int db = 1; db <= 6; ++db) {
        QAction* a = gain->addAction(QStringLiteral("+%1 dB").arg(db));
        a->setData(db + 1);
    }

    QMenu* view = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "View"));
    c.menu_view_zoom_in = AddItem(view, QT_TRANSLATE_NOOP("MainMenu", "Zoom In"), QStringLiteral("menu_view_zoom_in"),
                                  QKeySequence(QKeySequence::ZoomIn));
    c.menu_view_zoom_out = AddItem(view, QT_TRANSLATE_NOOP("MainMenu", "Zoom Out"), QStringLiteral("menu_view_zoom_out"),
                                   QKeySequence(QKeySequence::ZoomOut));
    c.menu_view_next_page = AddItem(view, QT_TRANSLATE_NOOP("MainMenu", "Next Page"), QStringLiteral("menu_view_next_page"),
                                    QKeySequence(Qt::Key_PageDown));
    c.menu_view_prev_page = AddItem(view, QT_TRANSLATE_NOOP("MainMenu", "Previous Page"), QStringLiteral("menu_view_prev_page"),
                                    QKeySequence(Qt::Key_PageUp));

    QMenu* help = AddMenu(bar, QT_TRANSLATE_NOOP("MainMenu", "Help"));
    c.menu_help_help = AddItem(help, QT_TRANSLATE_NOOP("MainMenu", "Sillaro Help"), QStringLiteral("menu_help_help"),
                               QKeySequence(QKeySequence::HelpContents));
    c.menu_help_update = AddItem(help, QT_TRANSLATE_NOOP("MainMenu", "Check for Update..."), QStringLiteral("menu_help_update"));

    // The menu system asks for the enabling state before a menu opens.
    for (QMenu* m : {app, file, rec, edit, gain, view, help}) {
        connect(m, &QMenu::aboutToShow, this, [this]() {
            if (m_controlManager)
                m_controlManager->refreshCommands();
        });
    }

    const std::pair<QAction*, MenuItemId> items[] = {
        {c.menu_about, MenuItemId::About},
        {c.menu_preferences, MenuItemId::Preferences},
        {c.menu_exit, MenuItemId::Exit},
        {c.menu_file_new, MenuItemId::FileNew},
        {c.menu_file_save, MenuItemId::FileSave},
        {c.menu_rec_start, MenuItemId::RecStart},
        {c.menu_rec_pause, MenuItemId::RecPause},
        {c.menu_rec_complete, MenuItemId::RecComplete},
        {c.menu_edit_play, MenuItemId::EditPlay},
        {c.menu_edit_pause, MenuItemId::EditPause},
        {c.menu_edit_marker_add, MenuItemId::EditMarkerAdd},
        {c.menu_edit_marker_next, MenuItemId::EditMarkerNext},
        {c.menu_edit_marker_prev, MenuItemId::EditMarkerPrev},
        {c.menu_edit_marker_remove, MenuItemId::EditMarkerRemove},
        {c.menu_edit_marker_clear, MenuItemId::EditMarkerClear},
        {c.menu_edit_find_track_gaps, MenuItemId::EditFindTrackGaps},
        {c.menu_edit_repair_clicks, MenuItemId::EditRepairClicks},
        {c.menu_edit_undo, MenuItemId::EditUndo},
        {c.menu_view_zoom_in, MenuItemId::ViewZoomIn},
        {c.menu_view_zoom_out, MenuItemId::ViewZoomOut},
        {c.menu_view_next_page, MenuItemId::ViewNextPage},
        {c.menu_view_prev_page, MenuItemId::ViewPrevPage},
        {c.menu_help_help, MenuItemId::HelpHelp},
        {c.menu_help_update, MenuItemId::HelpUpdate},
        {c.menu_gain, MenuItemId::Gain},
    };
    for (const auto& [action, id] : items)
        m_menuItems.insert(static_cast<int>(id), action);
}

void MainWindow::localize(QMenuBar* bar)
{
    for (QAction* a : bar->actions()) {
        const QString source = a->property("sourceText").toString();
        if (!source.isEmpty())
            a->setText(Tr(source.toUtf8().constData()));
        if (a->menu())
            localize(a->menu());
    }
}

void MainWindow::localize(QMenu* menu)
{
    for (QAction* a : menu->actions()) {
        const QString source = a->property("sourceText").toString();
        if (!source.isEmpty())
            a->setText(Tr(source.toUtf8().constData()));
        if (a->menu())
            localize(a->menu());
    }
}


void MainWindow::bindCommands(ControlManager& manager, WindowCloseHandler& closing)
{
    m_controlManager = &manager;
    m_closing = &closing;
    CommandSink* sink = &manager;
    auto wireButton = [this, sink](QAbstractButton* b, Command command) {
        if (b)
            connect(b, &QAbstractButton::clicked, this, [sink, command]() { sink->execute(command); });
    };
    auto wireAction = [this, sink](QAction* a, Command command) {
        if (a)
            connect(a, &QAction::triggered, this, [sink, command]() { sink->execute(command); });
    };
    const MainWindowControls& w = m_controls;
    // The waveform view's commands: its own keys count as the waveform view (no question
    // before deleting a marker), its context menu items as the user.
    WaveView* wave = w.waveView;
    auto senderOf = [wave](QObject* sender) { return sender == wave ? CommandSender::WaveView : CommandSender::User; };
    auto wireWave = [this, sink, senderOf](void (WaveView::*signal)(QObject*), Command command) {
        connect(m_controls.waveView, signal, this,
                [sink, command, senderOf](QObject* sender) { sink->execute(command, senderOf(sender)); });
    };
    wireWave(&WaveView::requestPause, Command::Pause);
    wireWave(&WaveView::requestPlay, Command::Play);
    wireWave(&WaveView::requestMarkerAdd, Command::MarkerAdd);
    wireWave(&WaveView::requestMarkerRemove, Command::MarkerRemove);
    wireWave(&WaveView::requestMarkerRemoveAll, Command::MarkerRemoveAll);
    wireWave(&WaveView::requestMarkerMoveBackward, Command::MarkerMoveBackward);
    wireWave(&WaveView::requestMarkerMoveForward, Command::MarkerMoveForward);
    ControlManager* cm = &manager;
    // The page on screen is an input of the page commands' rules.
    connect(w.pageSelectMatrix, &PageSelectorMatrix::showingPageChanged, this, [cm]() { cm->refreshCommands(); });
    connect(wave, &WaveView::seekRequested, this, [cm](double t) { cm->seek(t); });
    connect(wave, &WaveView::markerAddRequested, this, [cm](double t) { cm->addMarkerAt(t); });
    connect(wave, &WaveView::markerSelectRequested, this, [cm](int32_t id) { cm->selectMarker(id); });
    connect(wave, &WaveView::markerMoveRequested, this, [cm](double t) { cm->moveSelectedMarkerTo(t); });
    connect(wave, &WaveView::markerDeleteRequested, this, [cm](int32_t id) { cm->deleteMarker(id); });

    wireButton(w.button_rec_start, Command::RecStart);
    wireButton(w.button_rec_pause, Command::RecPause);
    wireButton(w.button_rec_stop, Command::RecStop);
    wireButton(w.button_edit_play, Command::Play);
    wireButton(w.button_edit_pause, Command::Pause);
    wireButton(w.button_marker_next, Command::MarkerNext);
    wireButton(w.button_marker_prev, Command::MarkerPrev);
    wireButton(w.button_marker_add, Command::MarkerAdd);
    wireButton(w.button_marker_move_backward, Command::MarkerMoveBackward);
    wireButton(w.button_marker_move_forward, Command::MarkerMoveForward);
    wireButton(w.button_view_zoom_in, Command::ZoomIn);
    wireButton(w.button_view_zoom_out, Command::ZoomOut);
    wireButton(w.button_file_save, Command::FileSave);
    wireButton(w.button_gain, Command::GainButton);
    wireButton(w.indicatorSetting, Command::OpenSetting);

    wireAction(w.menu_about, Command::ShowAbout);
    wireAction(w.menu_preferences, Command::OpenSetting);
    wireAction(w.menu_exit, Command::Exit);
    wireAction(w.menu_file_new, Command::FileNew);
    wireAction(w.menu_file_save, Command::FileSave);
    wireAction(w.menu_rec_start, Command::RecStart);
    wireAction(w.menu_rec_pause, Command::RecPause);
    wireAction(w.menu_rec_complete, Command::RecStop);
    wireAction(w.menu_edit_play, Command::Play);
    wireAction(w.menu_edit_pause, Command::Pause);
    wireAction(w.menu_edit_marker_add, Command::MarkerAdd);
    wireAction(w.menu_edit_marker_next, Command::MarkerNext);
    wireAction(w.menu_edit_marker_prev, Command::MarkerPrev);
    wireAction(w.menu_edit_marker_remove, Command::MarkerRemove);
    wireAction(w.menu_edit_marker_clear, Command::MarkerRemoveAll);
    wireAction(w.menu_edit_find_track_gaps, Command::FindTrackGaps);
    wireAction(w.menu_edit_repair_clicks, Command::RepairClicks);
    wireAction(w.menu_edit_undo, Command::Undo);
    wireAction(w.menu_view_zoom_in, Command::ZoomIn);
    wireAction(w.menu_view_zoom_out, Command::ZoomOut);
    wireAction(w.menu_view_next_page, Command::NextPage);
    wireAction(w.menu_view_prev_page, Command::PreviousPage);
    wireAction(w.menu_help_help, Command::ShowHelp);
    wireAction(w.menu_help_update, Command::CheckForUpdate);
    if (w.menu_gain && w.menu_gain->menu()) {
        for (QAction* choice : w.menu_gain->menu()->actions())
            connect(choice, &QAction::triggered, this, [sink, choice]() {
                bool ok = false;
                const int tag = choice->data().toInt(&ok);
                if (ok)
                    sink->selectGainFromMenu(tag);
            });
    }
    if (w.gain_menu_panel)
        w.gain_menu_panel->setChoiceHandler([sink](int row) { sink->selectGainFromMenu(row); });

    // Space plays and pauses the finished recording (the buttons never take the focus).
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), this);
    space->setContext(Qt::WindowShortcut);
    connect(space, &QShortcut::activated, this, [sink]() { sink->execute(Command::TogglePlayback); });
}

// ---- MainView -------------------------------------------------------------------------

QWidget* MainWindow::widgetFor(ViewItem item) const
{
    const MainWindowControls& c = m_controls;
    switch (item) {
    case ViewItem::RecStart: return c.button_rec_start;
    case ViewItem::RecPause: return c.button_rec_pause;
    case ViewItem::RecStop: return c.button_rec_stop;
    case ViewItem::EditPlay: return c.button_edit_play;
    case ViewItem::EditPause: return c.button_edit_pause;
    case ViewItem::MarkerNext: return c.button_marker_next;
    case ViewItem::MarkerPrev: return c.button_marker_prev;
    case ViewItem::MarkerAdd: return c.button_marker_add;
    case ViewItem::MarkerMoveBackward: return c.button_marker_move_backward;
    case ViewItem::MarkerMoveForward: return c.button_marker_move_forward;
    case ViewItem::ViewZoomIn: return c.button_view_zoom_in;
    case ViewItem::ViewZoomOut: return c.button_view_zoom_out;
    case ViewItem::FileSave: return c.button_file_save;
    case ViewItem::FileSaveCancel: return c.button_file_save_cancel;
    case ViewItem::Gain: return c.button_gain;
    case ViewItem::FileSaveCancelLabel: return c.label_file_save_cancel;
    case ViewItem::GainLabel: return c.gainLabel;
    case ViewItem::GainIndicator: return c.indicatorGain;
    case ViewItem::MarkerIndicator: return c.indicatorMarker;
    case ViewItem::SettingIndicator: return c.indicatorSetting;
    case ViewItem::PageSelector: return c.pageSelectMatrix;
    }
    return nullptr;
}

void MainWindow::setHidden(ViewItem item, bool hidden)
{
    if (QWidget* w = widgetFor(item))
        w->setHidden(hidden);
}

void MainWindow::setEnabled(ViewItem item, bool enabled)
{
    if (QWidget* w = widgetFor(item))
        w->setEnabled(enabled);
}

void MainWindow::setTitle(ViewItem item, const QString& title, int pointSize)
{
    QWidget* w = widgetFor(item);
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(title);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(title);
    if (w && pointSize > 0) {
        QFont f = w->font();
        f.setPointSize(pointSize);
        w->setFont(f);
    }
}

bool MainWindow::isMainWindowKey() const
{
    return isActiveWindow();
}

void MainWindow::setMenuItemEnabled(MenuItemId item, bool enabled)
{
    if (item == MenuItemId::GainChoice) {
        if (m_controls.menu_gain && m_controls.menu_gain->menu()) {
            for (QAction* choice : m_controls.menu_gain->menu()->actions())
                choice->setEnabled(enabled);
        }
        return;
    }
    if (QAction* action = m_menuItems.value(static_cast<int>(item)))
        action->setEnabled(enabled);
}

void MainWindow::setAutoGainTitle(const QString& title)
{
    if (m_controls.menu_gain && m_controls.menu_gain->menu()) {
        const QList<QAction*> choices = m_controls.menu_gain->menu()->actions();
        if (choices.size() > 1)
            choices.at(1)->setText(title);
    }
}

void MainWindow::setMenuItemTitle(MenuItemId item, const char* sourceText)
{
    QAction* action = m_menuItems.value(static_cast<int>(item));
    if (!action || action->property("sourceText").toString() == QLatin1String(sourceText))
        return;
    action->setProperty("sourceText", QString::fromLatin1(sourceText));
    action->setText(Tr(sourceText));
}

void MainWindow::setMenuItemHint(MenuItemId item, const QString& hint)
{
    // An empty tooltip falls back to the item's text, which the menu does not show.
    if (QAction* action = m_menuItems.value(static_cast<int>(item)))
        action->setToolTip(hint);
}

void MainWindow::showClickMarks(const ClickMarks* marks)
{
    m_controls.waveView->setClickMarks(marks);
    const int count = marks ? static_cast<int>(marks->places().size()) : 0;
    m_controls.clickCountLabel->setText(tr("Clicks repaired: %1").arg(marks ? marks->repairedCount() : 0));
    m_controls.clickCountLabel->setVisible(count > 0);
}

void MainWindow::showSuggestedMarkers(const std::vector<double>& seconds)
{
    m_controls.waveView->setSuggestedMarkers(seconds);
}

void MainWindow::localizeMenus()
{
    localize(menuBar());
}

void MainWindow::setModeText(const QString& text)
{
    m_controls.indicatorMode->setStringValue(text);
}

void MainWindow::setModeIcon(const QString& name)
{
    m_controls.indicatorModeIcon->setImage(name);
}

void MainWindow::setTimeIndicatorLayout(int leading, int top, bool hideTotalTime)
{
    // The holder's margins carry the two constraints, relative to the edit-mode layout.
    m_controls.indicatorTimeBox->setContentsMargins(leading - 70, top - 24, 0, 0);
    m_controls.indicatorTime->setHideTotalTime(hideTotalTime);
    m_controls.indicatorTime->relayout();
}

void MainWindow::setRecordFormat(const QString& format, uint64_t sampleRate, uint16_t bits)
{
    m_controls.indicatorSetting->setFormat(format);
    m_controls.indicatorSetting->setSampleRate(sampleRate);
    m_controls.indicatorSetting->setBits(bits);
}

void MainWindow::setLevelMeterHoldTime(int32_t seconds)
{
    m_controls.indicatorLevelMeter->setHoldTime(seconds);
}

void MainWindow::setLevelMeterAmp(float amp)
{
    m_controls.indicatorLevelMeter->setAmp(amp);
}

void MainWindow::setLevelMeterPlayController(PreviewController* controller)
{
    m_controls.indicatorLevelMeter->setPlayController(controller);
}

void MainWindow::clearLevelMeter()
{
    m_controls.indicatorLevelMeter->clearImmediately();
}

bool MainWindow::isZoom() const
{
    return m_controls.waveView->isZoom();
}

void MainWindow::setIsZoom(bool zoom)
{
    m_controls.waveView->setIsZoom(zoom);
}

void MainWindow::redrawWave()
{
    m_controls.waveView->update();
}

void MainWindow::resetWave(WaveImageManager* images)
{
    m_controls.waveView->setImage_mng(images);
    m_controls.waveView->reset();
    m_controls.pageSelectMatrix->setWaveView(m_controls.waveView);
    m_controls.pageSelectMatrix->setHidden(true);
    setWaveScrolling(false);
}

void MainWindow::setWaveScrolling(bool enabled)
{
    QScrollArea* scroll = m_controls.waveScrollView;
    scroll->setHorizontalScrollBarPolicy(enabled ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (auto* waveScroll = qobject_cast<WaveScrollView*>(scroll))
        waveScroll->setScrollingEnabled(enabled);
    else
        scroll->horizontalScrollBar()->setEnabled(enabled);
}

void MainWindow::showMarkers(MarkerManager* markers)
{
    m_controls.waveView->setMarkerManager(markers);
    m_controls.indicatorMarker->followMarkers(markers);
}

void MainWindow::scrollWaveToOrigin()
{
    m_controls.waveScrollView->horizontalScrollBar()->setValue(0);
    m_controls.waveScrollView->verticalScrollBar()->setValue(0);
}

PageState MainWindow::pageState() const
{
    const PageSelectMatrix* pages = m_controls.pageSelectMatrix;
    return {pages->pageCount(), pages->showingPage(), pages->firstPage(), pages->lastPage()};
}

void MainWindow::initPages(double totalTime)
{
    m_controls.pageSelectMatrix->initWithTotalTime(totalTime);
}

void MainWindow::setShowingPage(int page)
{
    m_controls.pageSelectMatrix->setShowingPage(page);
}

void MainWindow::openGainPanel(const QString& autoTitle)
{
    // The pop-up draws "Auto" and the automatic gain itself; the menu's title is not needed.
    Q_UNUSED(autoTitle);
    CustomMenu* panel = m_controls.gain_menu_panel;
    if (panel->isActiveWindow())
        panel->close();
    panel->reset();
    panel->setAutoGain(ModeTimeManager::sharedInstance().autoGain());
    const QAbstractButton* b = m_controls.button_gain;
    const QRect button(b->mapToGlobal(QPoint(0, 0)), b->size());
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect visible = screen ? screen->availableGeometry() : QRect();
    panel->move(CustomMenu::PanelOrigin(button, panel->size(), visible));
    panel->show();
    panel->activateWindow();
}

void MainWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}

void MainWindow::closeWindow()
{
    m_closeConfirmed = true;
    close();
}

bool MainWindow::isWindowVisible() const
{
    return isVisible();
}

// ---- window events --------------------------------------------------------------------

void MainWindow::saveWindowGeometry() const
{
    QSettings().setValue(kGeometryKey, saveGeometry());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeConfirmed || !m_closing) {
        saveWindowGeometry();
        event->accept();
        return;
    }
    if (!m_closing->windowShouldClose()) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    saveWindowGeometry();
    event->accept();
    m_closing->windowWillClose();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_controlManager)
        m_controlManager->refreshCommands();
}
