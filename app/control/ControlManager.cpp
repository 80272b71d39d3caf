// Commands, state tables and notification handling of the control manager.
#include "control/ControlManager.h"

#include "control/AppDelegate.h"
#include "control/CartovaController.h"
#include "control/ModeTimeManager.h"
#include "control/NotificationCenter.h"
#include "control/SettingManager.h"
#include "controls/GainMenuPanel.h"
#include "indicator/Indicator_Gain.h"
#include "indicator/Indicator_LevelMeter.h"
#include "indicator/Indicator_Marker.h"
#include "indicator/Indicator_Mode.h"
#include "indicator/Indicator_Mode_Icon.h"
#include "indicator/Indicator_Setting.h"
#include "indicator/Indicator_Time.h"
#include "marker/MarkerManager.h"
#include "playback/PreviewController.h"
#include "settings/SettingDialog.h"
#include "update/UpdateChecker.h"
#include "wave/PageSelectMatrix.h"
#include "wave/WaveView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <cmath>

#ifndef SILLARO_HELP_URL
#define SILLARO_HELP_URL "https://example.org/sillaro/help"
#endif

namespace {

const char* const kAudioDeviceProblem =
    QT_TRANSLATE_NOOP("ControlManager", "There is a problem with an audio playback device. It might not be installed "
                                        "on your computer or might be used by another app.");

void SetButton(QAbstractButton* button, const ButtonState& state)
{
    if (!button)
        return;
    button->setHidden(state.hidden);
    if (state.enabled)
        button->setEnabled(*state.enabled);
}

ModeTimeManager& Mtm()
{
    return ModeTimeManager::sharedInstance();
}

} // namespace

ControlManager::ControlManager(const MainWindowControls& controls, AppDelegate* app, QObject* parent)
    : QObject(parent), m_controls(controls), m_app(app), m_alert(AlertDialog::systemHandler())
{
    m_isKeyWindow = [this]() { return m_controls.window && m_controls.window->isActiveWindow(); };
    registerMenuItems();
}

ControlManager::~ControlManager()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

bool ControlManager::showAlert(AlertKind kind, const QString& message, const QString& information) const
{
    return m_alert ? m_alert(kind, message, information) : false;
}

void ControlManager::windowDidLoad()
{
    if (m_controls.button_rec_stop)
        m_controls.button_rec_stop->setText(tr("Recording Complete"));
    if (m_controls.button_file_save)
        m_controls.button_file_save->setText(tr("Write to Files  "));
    if (m_controls.button_file_save_cancel)
        m_controls.button_file_save_cancel->setText(tr("Cancel"));
    if (m_controls.label_file_save_cancel)
        m_controls.label_file_save_cancel->setText(tr("Cancel"));
    if (m_controls.button_gain)
        m_controls.button_gain->setText(QStringLiteral("0 dB"));
    for (QAbstractButton* b : {m_controls.button_rec_stop, m_controls.button_file_save}) {
        if (!b)
            continue;
        QFont f = b->font();
        f.setPointSize(16);
        b->setFont(f);
    }

    CartovaController::sharedInstance().Init();

    m_previewController = std::make_unique<PreviewController>();
    m_previewController->setControlManager(this);
    m_settingManager = std::make_unique<SettingManager>();
    m_settingManager->RecognizeDevice();
    m_updateChecker = std::make_unique<UpdateChecker>();
    m_updateChecker->setDialog(m_controls.update_dialog);

    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, kNotifyErrorProc, [this](const Notification& n) { onNotifyError(n); });
    center.addObserver(this, kNotifyOperationProc, [this](const Notification& n) { onOperation(n); });

    connect(&Mtm(), &ModeTimeManager::statusChanged, this, &ControlManager::onStatusChanged);
    connect(&Mtm(), &ModeTimeManager::currentTimeChanged, this, &ControlManager::onCurrentTimeChanged);

    connectCommands();
}

void ControlManager::connectCommands()
{
    using Command = void (ControlManager::*)(QObject*);
    auto wireButton = [this](QAbstractButton* b, Command c) {
        if (b)
            connect(b, &QAbstractButton::clicked, this, [this, b, c]() { (this->*c)(b); });
    };
    auto wireAction = [this](QAction* a, Command c) {
        if (a)
            connect(a, &QAction::triggered, this, [this, a, c]() { (this->*c)(a); });
    };
    const MainWindowControls& w = m_controls;
    wireButton(w.button_rec_start, &ControlManager::RecStart);
    wireButton(w.button_rec_pause, &ControlManager::RecPause);
    wireButton(w.button_rec_stop, &ControlManager::RecStop);
    wireButton(w.button_edit_play, &ControlManager::Play);
    wireButton(w.button_edit_pause, &ControlManager::Pause);
    wireButton(w.button_marker_next, &ControlManager::Marker_Next);
    wireButton(w.button_marker_prev, &ControlManager::Marker_Prev);
    wireButton(w.button_marker_add, &ControlManager::Marker_Add);
    wireButton(w.button_marker_move_backward, &ControlManager::Marker_MoveBackward);
    wireButton(w.button_marker_move_forward, &ControlManager::Marker_MoveForward);
    wireButton(w.button_view_zoom_in, &ControlManager::ZoomIn);
    wireButton(w.button_view_zoom_out, &ControlManager::ZoomOut);
    wireButton(w.button_file_save, &ControlManager::FileSave);
    wireButton(w.button_gain, &ControlManager::OnClickGainButton);
    wireButton(w.indicatorSetting, &ControlManager::OpenSetting);

    wireAction(w.menu_about, &ControlManager::ShowAbout);
    wireAction(w.menu_preferences, &ControlManager::OpenSetting);
    wireAction(w.menu_exit, &ControlManager::Exit);
    wireAction(w.menu_file_new, &ControlManager::FileNew);
    wireAction(w.menu_file_save, &ControlManager::FileSave);
    wireAction(w.menu_rec_start, &ControlManager::RecStart);
    wireAction(w.menu_rec_pause, &ControlManager::RecPause);
    wireAction(w.menu_rec_complete, &ControlManager::RecStop);
    wireAction(w.menu_edit_play, &ControlManager::Play);
    wireAction(w.menu_edit_pause, &ControlManager::Pause);
    wireAction(w.menu_edit_marker_add, &ControlManager::Marker_Add);
    wireAction(w.menu_edit_marker_next, &ControlManager::Marker_Next);
    wireAction(w.menu_edit_marker_prev, &ControlManager::Marker_Prev);
    wireAction(w.menu_edit_marker_remove, &ControlManager::Marker_Remove);
    wireAction(w.menu_edit_marker_clear, &ControlManager::Marker_RemoveAll);
    wireAction(w.menu_view_zoom_in, &ControlManager::ZoomIn);
    wireAction(w.menu_view_zoom_out, &ControlManager::ZoomOut);
    wireAction(w.menu_view_next_page, &ControlManager::WideNextPage);
    wireAction(w.menu_view_prev_page, &ControlManager::WidePreviousPage);
    wireAction(w.menu_help_help, &ControlManager::ShowHelp);
    wireAction(w.menu_help_update, &ControlManager::CheckForUpdate);
    if (w.menu_gain && w.menu_gain->menu()) {
        for (QAction* choice : w.menu_gain->menu()->actions())
            wireAction(choice, &ControlManager::selectGainFromMenu);
    }
    if (w.gain_menu_panel) {
        w.gain_menu_panel->setChoiceHandler([this](int row) {
            if (const auto choice = GainChoiceForTag(row, Mtm().autoGain()))
                setGain(choice->dB, choice->isAuto);
        });
    }
}

void ControlManager::registerMenuItems()
{
    const MainWindowControls& w = m_controls;
    const std::pair<QAction*, MenuItemId> items[] = {
        {w.menu_about, MenuItemId::About},
        {w.menu_preferences, MenuItemId::Preferences},
        {w.menu_exit, MenuItemId::Exit},
        {w.menu_file_new, MenuItemId::FileNew},
        {w.menu_file_save, MenuItemId::FileSave},
        {w.menu_rec_start, MenuItemId::RecStart},
        {w.menu_rec_pause, MenuItemId::RecPause},
        {w.menu_rec_complete, MenuItemId::RecComplete},
        {w.menu_edit_play, MenuItemId::EditPlay},
        {w.menu_edit_pause, MenuItemId::EditPause},
        {w.menu_edit_marker_add, MenuItemId::EditMarkerAdd},
        {w.menu_edit_marker_next, MenuItemId::EditMarkerNext},
        {w.menu_edit_marker_prev, MenuItemId::EditMarkerPrev},
        {w.menu_edit_marker_remove, MenuItemId::EditMarkerRemove},
        {w.menu_edit_marker_clear, MenuItemId::EditMarkerClear},
        {w.menu_view_zoom_in, MenuItemId::ViewZoomIn},
        {w.menu_view_zoom_out, MenuItemId::ViewZoomOut},
        {w.menu_view_next_page, MenuItemId::ViewNextPage},
        {w.menu_view_prev_page, MenuItemId::ViewPrevPage},
        {w.menu_help_help, MenuItemId::HelpHelp},
        {w.menu_help_update, MenuItemId::HelpUpdate},
        {w.menu_gain, MenuItemId::Gain},
    };
    for (const auto& [action, id] : items) {
        if (action)
            m_menuItems.insert(action, id);
    }
    if (w.menu_gain && w.menu_gain->menu()) {
        for (QAction* choice : w.menu_gain->menu()->actions())
            m_menuItems.insert(choice, MenuItemId::GainChoice);
    }
}

// ---- observation ----------------------------------------------------------------------

bool ControlManager::isZoom() const
{
    return m_controls.waveView && m_controls.waveView->isZoom();
}

void ControlManager::onStatusChanged(uint32_t status)
{
    m_flags = FlagsForStatus(status);
    Update(m_flags.edit, m_flags.run, m_flags.pause, isZoom(), m_flags.wait);
}

void ControlManager::onCurrentTimeChanged(double)
{
    if (m_flags.edit && !m_flags.run)
        Update_MarkerButton();
}

void ControlManager::Update(bool e, bool r, bool p, bool z, bool w)
{
    Update_Button(e, r, p, z, w);
    if (m_controls.menu_gain)
        m_controls.menu_gain->setEnabled(e && !r);

    if (m_controls.indicatorMode)
        m_controls.indicatorMode->setStringValue(e ? tr("Edit Mode") : tr("Record Mode"));
    if (m_controls.indicatorModeIcon) {
        QString icon;
        if (e)
            icon = r ? QStringLiteral("icon_play") : (p ? QStringLiteral("icon_pause") : QString());
        else
            icon = r ? QStringLiteral("icon_rec") : (p ? QStringLiteral("icon_recpause") : QString());
        m_controls.indicatorModeIcon->setImage(icon);
    }

    m_indicatorTimeConstraintLeading = e ? 72 : 70;
    m_indicatorTimeConstraintTop = e ? 24 : 33;
    if (m_controls.indicatorTimeBox)
        m_controls.indicatorTimeBox->setContentsMargins(m_indicatorTimeConstraintLeading - 70,
                                                        m_indicatorTimeConstraintTop - 24, 0, 0);
    if (m_controls.indicatorTime) {
        m_controls.indicatorTime->setHideTotalTime(!e);
        m_controls.indicatorTime->relayout();
    }

    if (m_controls.indicatorGain) {
        m_controls.indicatorGain->setHidden(!e);
        m_controls.indicatorGain->setEnabled(e && !r);
    }
    if (m_controls.gainLabel)
        m_controls.gainLabel->setHidden(!e);
    if (m_controls.indicatorMarker)
        m_controls.indicatorMarker->setHidden(!e);
    if (m_controls.indicatorSetting)
        m_controls.indicatorSetting->setEnabled(!r && !e && !p && !w);

    validateAllMenuItems();
}

void ControlManager::Update_Button(bool e, bool r, bool p, bool z, bool w)
{
    const ModeFlags f{e, r, p, w};
    const MainWindowControls& c = m_controls;
    SetButton(c.button_rec_start, ButtonStateFor(ButtonId::RecStart, f, z));
    SetButton(c.button_rec_pause, ButtonStateFor(ButtonId::RecPause, f, z));
    SetButton(c.button_rec_stop, ButtonStateFor(ButtonId::RecStop, f, z));
    SetButton(c.button_edit_play, ButtonStateFor(ButtonId::EditPlay, f, z));
    SetButton(c.button_edit_pause, ButtonStateFor(ButtonId::EditPause, f, z));
    SetButton(c.button_marker_next, ButtonStateFor(ButtonId::MarkerNext, f, z));
    SetButton(c.button_marker_prev, ButtonStateFor(ButtonId::MarkerPrev, f, z));
    SetButton(c.button_marker_add, ButtonStateFor(ButtonId::MarkerAdd, f, z));
    SetButton(c.button_marker_move_backward, ButtonStateFor(ButtonId::MarkerMoveBackward, f, z));
    SetButton(c.button_marker_move_forward, ButtonStateFor(ButtonId::MarkerMoveForward, f, z));
    SetButton(c.button_view_zoom_in, ButtonStateFor(ButtonId::ViewZoomIn, f, z));
    SetButton(c.button_view_zoom_out, ButtonStateFor(ButtonId::ViewZoomOut, f, z));
    SetButton(c.button_file_save, ButtonStateFor(ButtonId::FileSave, f, z));
    if (c.button_gain)
        c.button_gain->setHidden(!e);
    Update_MarkerButton();
}

void ControlManager::Update_MarkerButton()
{
    const MarkerManager* markers = getMarkerManager();
    const bool e = m_flags.edit, r = m_flags.run;
    const bool canAdd = markers && markers->CanAddToPosition(Mtm().currentTime());
    bool movable = false;
    if (markers) {
        const int32_t selected = markers->SelectedMarker();
        movable = selected != markers->GetStartMarkerId() && selected != markers->GetEndMarkerId();
    }
    if (m_controls.button_marker_add)
        m_controls.button_marker_add->setEnabled(canAdd && e && !r);
    for (QAbstractButton* b : {m_controls.button_marker_move_backward, m_controls.button_marker_move_forward}) {
        if (b)
            b->setEnabled(movable && e && !r);
    }
}

void ControlManager::updateScrollerEnabling()
{
    const bool e = m_flags.edit, r = m_flags.run, z = isZoom();
    if (QScrollArea* scroll = m_controls.waveScrollView) {
        const bool scrolling = e && z && !r;
        scroll->setHorizontalScrollBarPolicy(scrolling ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        scroll->horizontalScrollBar()->setEnabled(scrolling);
    }
    if (PageSelectMatrix* pages = m_controls.pageSelectMatrix) {
        if (pages->pageCount() < 2) {
            pages->setEnabled(false);
            pages->setHidden(true);
        } else {
            pages->setEnabled(e && !z && !r);
            pages->setHidden(!e || z);
        }
    }
}

// ---- menus --------------------------------------------------------------------------

MenuContext ControlManager::menuContext() const
{
    MenuContext c;
    c.mainWindowIsKey = m_isKeyWindow ? m_isKeyWindow() : false;
    c.flags = m_flags;
    c.zoom = isZoom();
    if (const MarkerManager* markers = getMarkerManager()) {
        c.hasMarkerManager = true;
        const int32_t selected = markers->SelectedMarker();
        c.selectedMarkerMovable = selected != markers->GetStartMarkerId() && selected != markers->GetEndMarkerId();
        c.canAddMarkerAtCurrentTime = markers->CanAddToPosition(Mtm().currentTime());
        c.markerCount = markers->count();
    }
    if (const PageSelectMatrix* pages = m_controls.pageSelectMatrix) {
        c.onFirstPage = pages->showingPage() == pages->firstPage();
        c.onLastPage = pages->showingPage() == pages->lastPage();
    }
    return c;
}

bool ControlManager::validateMenuItem(QAction* item)
{
    const MenuContext context = menuContext();
    if (context.mainWindowIsKey && m_controls.menu_gain && m_controls.menu_gain->menu()) {
        const QList<QAction*> choices = m_controls.menu_gain->menu()->actions();
        if (choices.size() > 1)
            choices.at(1)->setText(AutoGainMenuTitle(Mtm().autoGain()));
    }
    const auto it = m_menuItems.constFind(item);
    return IsMenuItemEnabled(it == m_menuItems.constEnd() ? MenuItemId::Other : it.value(), context);
}

void ControlManager::validateAllMenuItems()
{
    for (auto it = m_menuItems.constBegin(); it != m_menuItems.constEnd(); ++it)
        it.key()->setEnabled(validateMenuItem(it.key()));
}

// ---- commands -------------------------------------------------------------------------

void ControlManager::Exit(QObject*)
{
    if (m_app)
        m_app->terminate();
}

void ControlManager::RecStart(QObject*)
{
    m_isDSDGainAccepted = false;
    CartovaController& bridge = CartovaController::sharedInstance();
    if (Mtm().status() == ModeStatusRecordPaused) {
        if (bridge.Resume() == TkErrorSuccess)
            Mtm().setStatus(ModeStatusRecording);
        if (m_controls.indicatorLevelMeter)
            m_controls.indicatorLevelMeter->setHoldTime(-1);
        return;
    }
    if (Mtm().status() != ModeStatusReady)
        return;
    m_settingManager->RecognizeDevice();
    if (m_app && !m_app->isDeviceExist()) {
        showAlert(AlertKind::Ok, tr("No device found."));
        return;
    }
    if (!checkTemporaryDirectory(false, true))
        return;
    if (m_controls.indicatorLevelMeter)
        m_controls.indicatorLevelMeter->setPlayController(m_previewController.get());
    if (m_settingManager->FetchSettingToToolkit() != TkErrorSuccess) {
        showAlert(AlertKind::Ok, tr("No device found."));
        return;
    }
    if (bridge.StartPreRecording() == TkErrorSuccess)
        Mtm().setStatus(ModeStatusPreRecording);
    if (m_controls.indicatorLevelMeter)
        m_controls.indicatorLevelMeter->setHoldTime(-1);
}

void ControlManager::RecPause(QObject*)
{
    if (CartovaController::sharedInstance().Pause() == TkErrorSuccess)
        Mtm().setStatus(ModeStatusRecordPaused);
    if (m_controls.indicatorLevelMeter)
        m_controls.indicatorLevelMeter->setHoldTime(3);
}

void ControlManager::RecStop(QObject* sender)
{
    const bool immediate = sender && sender->inherits("AppDelegate");
    const uint32_t status = Mtm().status();
    if (immediate)
        Mtm().setStatus((status == ModeStatusRecording || status == ModeStatusRecordPaused) ? ModeStatusEditStopped
                                                                                            : ModeStatusReady);
    else
        Mtm().setStatus(ModeStatusStopping);
    CartovaController::sharedInstance().Stop(immediate);
    m_previewController->Stop();
}

void ControlManager::FileNew(QObject*)
{
    if (!showAlert(AlertKind::OkCancel, tr("Are you sure you want to record newly?")))
        return;
    if (Mtm().status() == ModeStatusRecordPaused)
        CartovaController::sharedInstance().Stop(false);
    m_previewController->Stop();
    m_previewController->setGain(1.0f);
    if (m_app)
        m_app->onFileNew();
}

void ControlManager::FileSave(QObject*)
{
    // The write-to-files dialog takes over from here; until it exists only the folder check runs.
    checkTemporaryDirectory(true, false);
}

void ControlManager::Play(QObject*)
{
    if (m_previewController->GetStatus() != 0)
        return;
    Mtm().setStatus(ModeStatusEditPlaying);
    const float g = static_cast<float>(Mtm().gain());
    m_previewController->setGain(std::pow(10.0f, g / 20.0f));
    m_previewController->Play(Mtm().currentTime());
    updateScrollerEnabling();
}

void ControlManager::Pause(QObject*)
{
    Mtm().setStatus(ModeStatusEditStopped);
    m_previewController->Stop();
    updateScrollerEnabling();
}

void ControlManager::Marker_Next(QObject*)
{
    MarkerManager* markers = getMarkerManager();
    if (!markers)
        return;
    const uint32_t s = Mtm().status();
    if (s == ModeStatusEditPlaying)
        m_previewController->Stop();
    const double t = Mtm().currentTime();
    if (t == markers->GetMarkerPositionFromId(markers->GetEndMarkerId())) {
        markers->setSelectedMarker(markers->GetEndMarkerId());
        return;
    }
    for (int32_t id : markers->EnumMarkerId()) {
        const double p = markers->GetMarkerPositionFromId(id);
        if (p > t) {
            Mtm().setCurrentTime(p);
            markers->setSelectedMarker(id);
            if (s == ModeStatusEditPlaying)
                m_previewController->Play(p);
            break;
        }
    }
    Update_MarkerButton();
}

void ControlManager::Marker_Prev(QObject*)
{
    MarkerManager* markers = getMarkerManager();
    if (!markers)
        return;
    const uint32_t s = Mtm().status();
    const bool playing = s == ModeStatusEditPlaying;
    if (playing)
        m_previewController->Stop();
    const double t = Mtm().currentTime();
    const int32_t startId = markers->GetStartMarkerId();
    if (t == markers->GetMarkerPositionFromId(startId)) {
        markers->setSelectedMarker(startId);
        if (playing)
            m_previewController->Play(t);
    }
    std::vector<int32_t> ids = markers->EnumMarkerId();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        int32_t id = *it;
        double p = markers->GetMarkerPositionFromId(id);
        if (p >= t)
            continue;
        if (playing && p + 5.0 >= t && id != startId && std::next(it) != ids.rend()) {
            id = *std::next(it);
            p = markers->GetMarkerPositionFromId(id);
        }
        Mtm().setCurrentTime(p);
        markers->setSelectedMarker(id);
        if (playing)
            m_previewController->Play(p);
        break;
    }
    Update_MarkerButton();
}

void ControlManager::Marker_Add(QObject*)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    const int32_t id = markers->AddWithPosition(Mtm().currentTime());
    if (id > 0)
        markers->setSelectedMarker(id);
    Update_MarkerButton();
}

void ControlManager::Marker_MoveBackward(QObject*)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    markers->MoveSelectedMarkerToPosition(markers->GetMarkerPositionFromId(markers->SelectedMarker()) - 0.1);
    if (m_controls.waveView)
        m_controls.waveView->update();
}

void ControlManager::Marker_MoveForward(QObject*)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    markers->MoveSelectedMarkerToPosition(markers->GetMarkerPositionFromId(markers->SelectedMarker()) + 0.1);
    if (m_controls.waveView)
        m_controls.waveView->update();
}

void ControlManager::Marker_Remove(QObject* sender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    const bool fromWaveView = sender && sender == m_controls.waveView;
    if (!fromWaveView && !showAlert(AlertKind::YesNo, tr("Do you want to delete the selected marker?")))
        return;
    const double p = markers->GetMarkerPositionFromId(markers->SelectedMarker());
    if (markers->DeleteWithMarkerId(markers->SelectedMarker()))
        markers->setSelectedMarker(markers->GetMarkerIdFromPosition(p));
}

void ControlManager::Marker_RemoveAll(QObject*)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    if (showAlert(AlertKind::YesNo, tr("Do you want to remove all markers?")))
        markers->ResetWithTotalTime(Mtm().totalTime());
}

void ControlManager::ZoomIn(QObject*)
{
    if (m_controls.waveView)
        m_controls.waveView->setIsZoom(true);
    updateScrollerEnabling();
    Update(m_flags.edit, m_flags.run, m_flags.pause, isZoom(), m_flags.wait);
}

void ControlManager::ZoomOut(QObject*)
{
    if (m_controls.waveView)
        m_controls.waveView->setIsZoom(false);
    updateScrollerEnabling();
    Update(m_flags.edit, m_flags.run, m_flags.pause, isZoom(), m_flags.wait);
}

void ControlManager::WideNextPage(QObject*)
{
    if (PageSelectMatrix* pages = m_controls.pageSelectMatrix)
        pages->setShowingPage(pages->showingPage() + 1);
}

void ControlManager::WidePreviousPage(QObject*)
{
    if (PageSelectMatrix* pages = m_controls.pageSelectMatrix)
        pages->setShowingPage(pages->showingPage() - 1);
}

void ControlManager::OpenSetting(QObject*)
{
    SettingDialog* dialog = m_controls.setting_dialog;
    if (!dialog)
        return;
    SettingManager& settings = *m_settingManager;
    settings.RecognizeDevice();
    settings.FetchDriverInfo();
    dialog->setIsRecModeDsd(settings.GetRecType() == 1);
    dialog->setDsdSamplingRate(settings.GetDsdFreq());
    dialog->setPcmSamplingRate(settings.GetPcmFreq());
    dialog->setPcmBitDepth(settings.GetBits());
    dialog->setTemporaryDirectory(settings.GetTempDirectory());
    dialog->setDefaultDirectory(SettingManager::GetDefaultTempDirectory());
    dialog->setSettingManager(&settings);
    dialog->selectFirstTab();
    if (dialog->exec() == 0)
        return;
    settings.SetRecType(dialog->isRecModeDsd() ? 1 : 0);
    settings.SetDsdFreq(dialog->DsdSamplingRate());
    settings.SetPcmFreq(dialog->PcmSamplingRate());
    settings.SetBits(dialog->PcmBitDepth());
    settings.SetTempDirectory(dialog->temporaryDirectory());
    LoadRecordSettings();
}

void ControlManager::ShowHelp(QObject*)
{
    QDesktopServices::openUrl(QUrl(QStringLiteral(SILLARO_HELP_URL)));
}

void ControlManager::ShowAbout(QObject*)
{
    QDialog* about = m_controls.about_dialog;
    if (!about)
        return;
    about->adjustSize();
    if (m_controls.window) {
        QRect frame = about->frameGeometry();
        frame.moveCenter(m_controls.window->frameGeometry().center());
        about->move(frame.topLeft());
    }
    about->show();
    about->raise();
    about->activateWindow();
}

void ControlManager::selectGainFromMenu(QObject* sender)
{
    const auto* action = qobject_cast<QAction*>(sender);
    if (!action)
        return;
    bool ok = false;
    const int tag = action->data().toInt(&ok);
    if (!ok)
        return;
    if (const auto choice = GainChoiceForTag(tag, Mtm().autoGain()))
        setGain(choice->dB, choice->isAuto);
}

void ControlManager::OnClickGainButton(QObject*)
{
    GainMenuPanel* panel = m_controls.gain_menu_panel;
    if (!panel)
        return;
    if (panel->isActiveWindow())
        panel->close();
    panel->reset();
    panel->setAutoTitle(AutoGainMenuTitle(Mtm().autoGain()));
    QRect button;
    if (m_controls.button_gain && m_controls.window)
        button = QRect(m_controls.button_gain->mapToGlobal(QPoint(0, 0)), m_controls.button_gain->size());
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect visible = screen ? screen->availableGeometry() : QRect();
    panel->move(GainMenuPanel::PanelOrigin(button, panel->size(), visible));
    panel->show();
    panel->activateWindow();
}

void ControlManager::CheckForUpdate(QObject*)
{
    // The check runs in the background; its result is reported when it arrives.
    m_updateChecker->checkUpdate([this](int result) {
        if (result == UpdateChecker::NoVersionInfo)
            showAlert(AlertKind::Ok, tr("Failed to obtain version info."));
        else if (result == UpdateChecker::UpToDate)
            showAlert(AlertKind::Ok, QStringLiteral("%1 %2 %3").arg(tr("This Sillaro"), m_updateChecker->versionString(),
                                                                     tr("is up to date.")));
    });
}

// ---- callbacks ------------------------------------------------------------------------

void ControlManager::setGain(double dB, bool isAuto)
{
    if (!m_isDSDGainAccepted && m_settingManager && m_settingManager->GetRecType() == 1 && dB > 0.0) {
        if (!showAlert(AlertKind::OkCancel, tr("Increasing the gain will result in a longer time in writing to files.")))
            return;
        m_isDSDGainAccepted = true;
    }
    Mtm().setIsAutoGain(isAuto);
    Mtm().setGain(dB);
}

void ControlManager::PreviewPlayFinish()
{
    Pause(this);
    Mtm().setCurrentTime(m_previewController->currentTime());
}

void ControlManager::PreviewPlayError(int)
{
    const int status = m_previewController->GetStatus();
    if (status == 1) {
        Pause(this);
        if (checkTemporaryDirectory(true, false))
            showAlert(AlertKind::Ok, tr(kAudioDeviceProblem));
    } else if (status == 2) {
        m_previewController->Stop();
    }
}

void ControlManager::UpdateCurrentTime(double seconds)
{
    if (seconds < 0.0)
        return;
    Mtm().setCurrentTime(seconds > Mtm().totalTime() ? Mtm().totalTime() : seconds);
}

void ControlManager::LoadRecordSettings()
{
    Indicator_Setting* indicator = m_controls.indicatorSetting;
    if (!indicator || !m_settingManager)
        return;
    const SettingManager& s = *m_settingManager;
    if (s.GetRecType() == 1) {
        indicator->setFormat(QStringLiteral("DSD"));
        indicator->setSampleRate(s.GetDsdFreq());
        indicator->setBits(1);
    } else if (s.GetRecType() == 0) {
        indicator->setFormat(QStringLiteral("PCM"));
        indicator->setSampleRate(s.GetPcmFreq());
        indicator->setBits(static_cast<uint16_t>(s.GetBits()));
    }
}

void ControlManager::SaveRecordSettings()
{
    if (m_settingManager)
        m_settingManager->Destructor();
}

bool ControlManager::checkTemporaryDirectory(bool resetOnFailure, bool requireWritable)
{
    if (m_settingManager && m_settingManager->IsTempDirectoryExists() &&
        (!requireWritable || m_settingManager->IsTempDirectoryWritable()))
        return true;
    showAlert(AlertKind::Ok, tr("Failed to use the folder specified as the temporary file storage."));
    if (resetOnFailure && m_app)
        m_app->onFileNew();
    return false;
}

MarkerManager* ControlManager::getMarkerManager() const
{
    return m_app ? m_app->markerManager() : nullptr;
}

// ---- framework notifications ----------------------------------------------------------

void ControlManager::onOperation(const Notification& notification)
{
    // The recording flow (start dialog, end-of-recording processing) is driven from here.
    const int32_t operation = notification.object.toInt();
    const uint32_t status = Mtm().status();
    if (operation == TkRecOperationStopped) {
        if (m_controls.indicatorLevelMeter) {
            m_controls.indicatorLevelMeter->setHoldTime(3);
            m_controls.indicatorLevelMeter->clearImmediately();
        }
    } else if (operation == TkRecOperationCaptureStarted && status == ModeStatusPreRecording) {
        Mtm().setStatus(ModeStatusStartRequested);
    }
}

void ControlManager::onNotifyError(const Notification& notification)
{
    const int32_t code = notification.object.toInt();
    const QString message = notification.userInfo.value(kNotifyMessageKey).toString();
    switch (code) {
    case TkNotifySaveAborted:
        showAlert(AlertKind::Ok, tr("Insufficient free space in the destination."));
        break;
    case TkNotifyFileSkipped:
        showAlert(AlertKind::Ok, tr("Failed to save the file."), message);
        break;
    case TkNotifyTempFolderUnusable:
        if (m_previewController->GetStatus() != 0)
            m_previewController->Stop();
        if (Mtm().status() >= ModeStatusPreRecording && Mtm().status() <= ModeStatusStopping)
            CartovaController::sharedInstance().Stop(false);
        showAlert(AlertKind::Ok, tr("Failed to use the folder specified as the temporary file storage."));
        if (m_app)
            m_app->onFileNew();
        break;
    default:
        break;
    }
}
