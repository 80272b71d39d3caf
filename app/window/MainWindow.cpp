// Layout, artwork and menus of the main window.
#include "window/MainWindow.h"

#include "control/AboutDialog.h"
#include "control/AppDelegate.h"
#include "control/ControlManager.h"
#include "controls/GainMenuPanel.h"
#include "indicator/Indicator_Gain.h"
#include "indicator/Indicator_LevelMeter.h"
#include "indicator/Indicator_Marker.h"
#include "indicator/Indicator_Mode.h"
#include "indicator/Indicator_Mode_Icon.h"
#include "indicator/Indicator_Setting.h"
#include "indicator/Indicator_Time.h"
#include "settings/SettingDialog.h"
#include "update/UpdateDialog.h"
#include "wave/PageSelectMatrix.h"
#include "wave/WaveView.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
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

const char* const kStyle = R"(
QMainWindow, QWidget#centralWidget { background: #1E2124; }
QLabel { color: #E5E5E5; }
QToolButton { border: none; padding: 4px; }
QToolButton:disabled { background: transparent; }
QPushButton { color: #E5E5E5; background: #33383D; border: 1px solid #4A5057; border-radius: 4px; padding: 6px 14px; }
QPushButton:disabled { color: #6B7178; background: #2A2E32; }
QPushButton[flat="true"] { background: transparent; border: none; }
QScrollArea { border: 1px solid #33383D; background: #101418; }
)";

} // namespace

MainWindow::MainWindow(AppDelegate* app, QWidget* parent) : QMainWindow(parent), m_app(app)
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QStringLiteral("Sillaro"));
    setWindowIcon(QIcon(QStringLiteral(":/artwork/app_icon.svg")));
    setStyleSheet(QString::fromUtf8(kStyle));
    m_controls.window = this;

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 8, 12, 12);
    layout->addWidget(buildIndicatorRow());

    auto* scroll = new QScrollArea(central);
    scroll->setObjectName(QStringLiteral("waveScrollView"));
    auto* wave = new WaveView;
    scroll->setWidget(wave);
    scroll->setWidgetResizable(true);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_controls.waveScrollView = scroll;
    m_controls.waveView = wave;
    layout->addWidget(scroll, 1);

    m_controls.pageSelectMatrix = new PageSelectMatrix(central);
    layout->addWidget(m_controls.pageSelectMatrix);
    layout->addWidget(buildButtonRow());
    setCentralWidget(central);

    m_controls.about_dialog = new AboutDialog(this);
    m_controls.setting_dialog = new SettingDialog(this);
    m_controls.save_dialog = new QDialog(this);
    m_controls.save_dialog->setObjectName(QStringLiteral("save_dialog"));
    m_controls.save_wait_dialog = new QDialog(this);
    m_controls.save_wait_dialog->setObjectName(QStringLiteral("save_wait_dialog"));
    m_controls.update_dialog = new UpdateDialog(this);
    m_controls.gain_menu_panel = new GainMenuPanel(this);

    buildMenus();
    resize(900, 480);
}

QWidget* MainWindow::buildIndicatorRow()
{
    auto* row = new QWidget(this);
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
    gainLine->addWidget(m_controls.gainLabel);
    gainLine->addWidget(m_controls.indicatorGain);
    right->addLayout(gainLine);
    m_controls.indicatorMarker = new Indicator_Marker(row);
    right->addWidget(m_controls.indicatorMarker);
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
    c.button_gain = TextButton(row, QStringLiteral("button_gain"));
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
    for (QAbstractButton* b : {c.button_view_zoom_in, c.button_view_zoom_out, c.button_gain, c.button_file_save,
                               c.button_file_save_cancel})
        h->addWidget(b);
    h->addWidget(c.label_file_save_cancel);
    return row;
}

void MainWindow::buildMenus()
{
    MainWindowControls& c = m_controls;
    QMenuBar* bar = menuBar();

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
            if (m_app && m_app->controlManager())
                m_app->controlManager()->validateAllMenuItems();
        });
    }
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

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeConfirmed || !m_app) {
        event->accept();
        return;
    }
    if (!m_app->windowShouldClose()) {
        event->ignore();
        return;
    }
    m_closeConfirmed = true;
    event->accept();
    m_app->windowWillClose();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_app && m_app->controlManager())
        m_app->controlManager()->validateAllMenuItems();
}
