// Commands, state tables and notification handling of the control manager.
#include "control/ControlManager.h"

#include "control/AppDelegate.h"
#include "control/CartovaController.h"
#include "control/DialogService.h"
#include "control/MainView.h"
#include "control/MarkerNavigation.h"
#include "control/ModeTimeManager.h"
#include "control/NotificationCenter.h"
#include "control/RecordManager.h"
#include "control/RecordingMath.h"
#include "control/SettingManager.h"
#include "marker/MarkerManager.h"
#include "playback/PreviewController.h"
#include "save/FileSaveFlow.h"
#include "update/UpdateChecker.h"
#include "wave/WaveImageManager.h"

#include <QPointer>
#include <QStorageInfo>
#include <cmath>

#ifndef SILLARO_HELP_URL
#define SILLARO_HELP_URL "https://example.org/sillaro/help"
#endif

namespace {

const char* const kAudioDeviceProblem =
    QT_TRANSLATE_NOOP("ControlManager", "There is a problem with an audio playback device. It might not be installed "
                                        "on your computer or might be used by another app.");

// Layout constraints of the time indicator per mode.
constexpr int kTimeLeadingEdit = 72;
constexpr int kTimeLeadingRecord = 70;
constexpr int kTimeTopEdit = 24;
constexpr int kTimeTopRecord = 33;
constexpr int kBigButtonPointSize = 16;
// Step of the marker move buttons, seconds.
constexpr double kMarkerMoveStep = 0.1;

constexpr ButtonId kTableButtons[] = {
    ButtonId::RecStart,   ButtonId::RecPause,   ButtonId::RecStop,           ButtonId::EditPlay,
    ButtonId::EditPause,  ButtonId::MarkerNext, ButtonId::MarkerPrev,        ButtonId::MarkerAdd,
    ButtonId::MarkerMoveBackward, ButtonId::MarkerMoveForward, ButtonId::ViewZoomIn, ButtonId::ViewZoomOut,
    ButtonId::FileSave,
};

constexpr MenuItemId kMenuItems[] = {
    MenuItemId::About,          MenuItemId::Preferences,   MenuItemId::Exit,           MenuItemId::FileNew,
    MenuItemId::FileSave,       MenuItemId::RecStart,      MenuItemId::RecPause,       MenuItemId::RecComplete,
    MenuItemId::EditPlay,       MenuItemId::EditPause,     MenuItemId::EditMarkerAdd,  MenuItemId::EditMarkerNext,
    MenuItemId::EditMarkerPrev, MenuItemId::EditMarkerRemove, MenuItemId::EditMarkerClear, MenuItemId::EditFindTrackGaps, MenuItemId::EditUndo, MenuItemId::ViewZoomIn,
    MenuItemId::ViewZoomOut,    MenuItemId::ViewNextPage,  MenuItemId::ViewPrevPage,   MenuItemId::HelpHelp,
    MenuItemId::HelpUpdate,     MenuItemId::Gain,          MenuItemId::GainChoice,
};

ModeTimeManager& Mtm()
{
    return ModeTimeManager::sharedInstance();
}

} // namespace

ControlManager::ControlManager(MainView& view, DialogService& dialogs, AppDelegate* app, QObject* parent)
    : QObject(parent), m_view(view), m_dialogs(dialogs), m_app(app)
{
    m_freeSpace = [](const QString& folder) -> std::optional<uint64_t> {
        const QStorageInfo volume(folder);
        if (!volume.isValid() || !volume.isReady() || volume.bytesAvailable() < 0)
            return std::nullopt;
        return static_cast<uint64_t>(volume.bytesAvailable());
    };
}

ControlManager::~ControlManager()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void ControlManager::windowDidLoad()
{
    m_view.setTitle(ViewItem::RecStop, tr("Recording Complete"), kBigButtonPointSize);
    m_view.setTitle(ViewItem::FileSave, tr("Write to Files  "), kBigButtonPointSize);
    m_view.setTitle(ViewItem::FileSaveCancel, tr("Cancel"));
    m_view.setTitle(ViewItem::FileSaveCancelLabel, tr("Cancel"));
    m_view.setTitle(ViewItem::Gain, QStringLiteral("0 dB"));

    CartovaController::sharedInstance().Init();

    m_previewController = std::make_unique<PreviewController>();
    m_previewController->setControlManager(this);
    m_settingManager = std::make_unique<SettingManager>();
    m_settingManager->RecognizeDevice();
    m_recManager = std::make_unique<RecordManager>(*this, m_app);
    m_updateChecker = std::make_unique<UpdateChecker>();
    m_updateChecker->setDialog(&m_dialogs);

    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, kNotifyErrorProc, [this](const Notification& n) { onNotifyError(n); });
    center.addObserver(this, kNotifyOperationProc, [this](const Notification& n) { onOperation(n); });

    connect(&Mtm(), &ModeTimeManager::statusChanged, this, &ControlManager::onStatusChanged);
    connect(&Mtm(), &ModeTimeManager::currentTimeChanged, this, &ControlManager::onCurrentTimeChanged);
}

// ---- observation ----------------------------------------------------------------------

void ControlManager::onStatusChanged(uint32_t status)
{
    m_flags = FlagsForStatus(status);
    Update(m_flags, m_view.isZoom());
}

void ControlManager::onCurrentTimeChanged(double)
{
    if (m_flags.edit && !m_flags.run)
        Update_MarkerButton();
}

void ControlManager::Update(const ModeFlags& f, bool zoom)
{
    const bool e = f.edit, r = f.run, p = f.pause, w = f.wait;
    Update_Button(f, zoom);

    m_view.setModeText(e ? tr("Edit Mode") : tr("Record Mode"));
    QString icon;
    if (e)
        icon = r ? QStringLiteral("icon_play") : (p ? QStringLiteral("icon_pause") : QString());
    else
        icon = r ? QStringLiteral("icon_rec") : (p ? QStringLiteral("icon_recpause") : QString());
    m_view.setModeIcon(icon);

    m_view.setTimeIndicatorLayout(e ? kTimeLeadingEdit : kTimeLeadingRecord, e ? kTimeTopEdit : kTimeTopRecord, !e);

    m_view.setHidden(ViewItem::GainIndicator, !e);
    m_view.setEnabled(ViewItem::GainIndicator, e && !r);
    m_view.setHidden(ViewItem::GainLabel, !e);
    m_view.setHidden(ViewItem::MarkerIndicator, !e);
    m_view.setEnabled(ViewItem::SettingIndicator, !r && !e && !p && !w);

    m_view.setMenuItemEnabled(MenuItemId::Gain, e && !r);
    validateAllMenuItems();
}

void ControlManager::Update_Button(const ModeFlags& f, bool zoom)
{
    for (ButtonId button : kTableButtons) {
        const ButtonState state = ButtonStateFor(button, f, zoom);
        const ViewItem item = ViewItemForButton(button);
        m_view.setHidden(item, state.hidden);
        if (state.enabled)
            m_view.setEnabled(item, *state.enabled);
    }
    m_view.setHidden(ViewItem::Gain, !f.edit);
    Update_MarkerButton();
}

void ControlManager::Update_MarkerButton()
{
    const MarkerManager* markers = getMarkerManager();
    const bool e = m_flags.edit, r = m_flags.run;
    const bool canAdd = markers && markers->CanAddToPosition(Mtm().currentTime());
    const bool movable = IsSelectedMarkerMovable(markers);
    m_view.setEnabled(ViewItem::MarkerAdd, canAdd && e && !r);
    m_view.setEnabled(ViewItem::MarkerMoveBackward, movable && e && !r);
    m_view.setEnabled(ViewItem::MarkerMoveForward, movable && e && !r);
}

void ControlManager::updateScrollerEnabling()
{
    const bool e = m_flags.edit, r = m_flags.run, z = m_view.isZoom();
    m_view.setWaveScrolling(e && z && !r);
    if (m_view.pageState().pageCount < 2) {
        m_view.setEnabled(ViewItem::PageSelector, false);
        m_view.setHidden(ViewItem::PageSelector, true);
    } else {
        m_view.setEnabled(ViewItem::PageSelector, e && !z && !r);
        m_view.setHidden(ViewItem::PageSelector, !e || z);
    }
}

// ---- menus --------------------------------------------------------------------------

MenuContext ControlManager::menuContext() const
{
    MenuContext c;
    c.mainWindowIsKey = m_view.isMainWindowKey();
    c.flags = m_flags;
    c.zoom = m_view.isZoom();
    if (const MarkerManager* markers = getMarkerManager()) {
        c.hasMarkerManager = true;
        c.selectedMarkerMovable = IsSelectedMarkerMovable(markers);
        c.canAddMarkerAtCurrentTime = markers->CanAddToPosition(Mtm().currentTime());
        c.markerCount = markers->count();
        c.canUndoTrackGaps = m_trackGapMarkers.canUndo();
    }
    const PageState pages = m_view.pageState();
    c.onFirstPage = pages.showingPage == pages.firstPage;
    c.onLastPage = pages.showingPage == pages.lastPage;
    return c;
}

bool ControlManager::validateMenuItem(MenuItemId item)
{
    const MenuContext context = menuContext();
    if (context.mainWindowIsKey)
        m_view.setAutoGainTitle(AutoGainMenuTitle(Mtm().autoGain()));
    return IsMenuItemEnabled(item, context);
}

void ControlManager::validateAllMenuItems()
{
    const MenuContext context = menuContext();
    if (context.mainWindowIsKey)
        m_view.setAutoGainTitle(AutoGainMenuTitle(Mtm().autoGain()));
    for (MenuItemId item : kMenuItems)
        m_view.setMenuItemEnabled(item, IsMenuItemEnabled(item, context));
}

// ---- commands -------------------------------------------------------------------------

void ControlManager::Exit(CommandSender)
{
    if (m_app)
        m_app->terminate();
}

void ControlManager::RecStart(CommandSender)
{
    m_isDSDGainAccepted = false;
    const uint32_t status = Mtm().status();
    if (status == ModeStatusRecordPaused) {
        m_recManager->resume();
        m_view.setLevelMeterHoldTime(kLevelHoldRecording);
        return;
    }
    if (status != ModeStatusReady)
        return;
    m_settingManager->RecognizeDevice();
    if (m_app && !m_app->isDeviceExist()) {
        // The reason, when the framework knows it, goes under the message.
        m_dialogs.OkAlertWithMessage(tr("No device found."), CartovaController::sharedInstance().DeviceProblem());
        return;
    }
    if (!checkTemporaryDirectory(false, true))
        return;
    m_view.setLevelMeterPlayController(m_previewController.get());
    if (m_settingManager->FetchSettingToToolkit() != TkErrorSuccess) {
        m_dialogs.OkAlertWithMessage(tr("No device found."));
        return;
    }
    WaveImageManager* images = getWaveImageManager();
    if (m_settingManager->GetRecType() != RecTypePcm) {
        if (images) {
            images->setFrequency(m_settingManager->GetDsdFreq() / kDsdPreviewDivider);
            images->setAmplification(kDsdWaveAmplification);
        }
        m_view.setLevelMeterAmp(kDsdLevelMeterAmplification);
    } else {
        if (images) {
            images->setFrequency(m_settingManager->GetPcmFreq());
            images->setAmplification(1.0);
        }
        m_view.setLevelMeterAmp(1.0f);
    }
    // A refused pre-recording leaves the status ready; the user can press the button again.
    if (!m_recManager->startPreRecording()) {
        m_dialogs.OkAlertWithMessage(tr("No device found."));
        return;
    }
    if (!m_previewController->BeginRecordPreview()) {
        m_dialogs.OkAlertWithMessage(tr(kAudioDeviceProblem));
        m_recManager->stopWithoutNotification();
        Mtm().setStatus(ModeStatusReady);
        return;
    }
    m_view.setLevelMeterHoldTime(kLevelHoldRecording);
}

void ControlManager::RecPause(CommandSender)
{
    m_recManager->pause();
    m_view.setLevelMeterHoldTime(kLevelHoldStopped);
}

void ControlManager::RecStop(CommandSender sender)
{
    m_recManager->stop(StopKindFor(sender));
    m_previewController->Stop();
}

void ControlManager::FileNew(CommandSender)
{
    if (!m_dialogs.OkCancelAlertWithMessage(tr("Are you sure you want to record newly?")))
        return;
    if (Mtm().status() == ModeStatusRecordPaused)
        m_recManager->stopWithoutNotification();
    m_previewController->Stop();
    m_previewController->setGain(1.0f);
    if (m_app)
        m_app->onFileNew();
}

void ControlManager::FileSave(CommandSender)
{
    if (!checkTemporaryDirectory(true, false))
        return;
    if (MarkerManager* markers = getMarkerManager())
        RunFileSave(m_dialogs, *markers, {m_settingManager->GetRecType(), Mtm().gain()});
}

void ControlManager::Play(CommandSender)
{
    if (m_previewController->GetStatus() != PreviewController::StatusIdle)
        return;
    Mtm().setStatus(ModeStatusEditPlaying);
    const float g = static_cast<float>(Mtm().gain());
    m_previewController->setGain(std::pow(10.0f, g / 20.0f));
    if (!m_previewController->Play(Mtm().currentTime()) &&
        m_previewController->lastStartFailure() == PreviewController::StartFailure::Playback) {
        // Nothing plays: back to stopped, and say why (a failed folder check has already
        // told the user and reset the document).
        Mtm().setStatus(ModeStatusEditStopped);
        m_dialogs.OkAlertWithMessage(tr(kAudioDeviceProblem));
    }
    updateScrollerEnabling();
}

void ControlManager::Pause(CommandSender)
{
    Mtm().setStatus(ModeStatusEditStopped);
    m_previewController->Stop();
    updateScrollerEnabling();
}

void ControlManager::TogglePlayback()
{
    const uint32_t status = Mtm().status();
    if (status == ModeStatusEditStopped)
        Play();
    else if (status == ModeStatusEditPlaying)
        Pause();
}

void ControlManager::Marker_Next(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (!markers)
        return;
    const bool playing = Mtm().status() == ModeStatusEditPlaying;
    if (playing)
        m_previewController->Stop();
    const double t = Mtm().currentTime();
    if (t == markers->GetMarkerPositionFromId(markers->GetEndMarkerId())) {
        markers->setSelectedMarker(markers->GetEndMarkerId());
        return;
    }
    if (const auto target = NextMarkerAfter(*markers, t)) {
        Mtm().setCurrentTime(target->position);
        markers->setSelectedMarker(target->id);
        if (playing)
            m_previewController->Play(target->position);
    }
    Update_MarkerButton();
}

void ControlManager::Marker_Prev(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (!markers)
        return;
    const bool playing = Mtm().status() == ModeStatusEditPlaying;
    if (playing)
        m_previewController->Stop();
    const double t = Mtm().currentTime();
    const int32_t startId = markers->GetStartMarkerId();
    if (t == markers->GetMarkerPositionFromId(startId)) {
        markers->setSelectedMarker(startId);
        if (playing)
            m_previewController->Play(t);
    }
    if (const auto target = PreviousMarkerBefore(*markers, t, playing)) {
        Mtm().setCurrentTime(target->position);
        markers->setSelectedMarker(target->id);
        if (playing)
            m_previewController->Play(target->position);
    }
    Update_MarkerButton();
}

void ControlManager::Marker_Add(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    const int32_t id = markers->AddWithPosition(Mtm().currentTime());
    if (id > 0)
        markers->setSelectedMarker(id);
    Update_MarkerButton();
}

void ControlManager::Marker_MoveBackward(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    markers->MoveSelectedMarkerToPosition(markers->GetMarkerPositionFromId(markers->SelectedMarker()) - kMarkerMoveStep);
    m_view.redrawWave();
}

void ControlManager::Marker_MoveForward(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    markers->MoveSelectedMarkerToPosition(markers->GetMarkerPositionFromId(markers->SelectedMarker()) + kMarkerMoveStep);
    m_view.redrawWave();
}

void ControlManager::Marker_Remove(CommandSender sender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    if (sender != CommandSender::WaveView &&
        !m_dialogs.YesNoAlertWithMessage(tr("Do you want to delete the selected marker?")))
        return;
    const double p = markers->GetMarkerPositionFromId(markers->SelectedMarker());
    if (markers->DeleteWithMarkerId(markers->SelectedMarker()))
        markers->setSelectedMarker(markers->GetMarkerIdFromPosition(p));
}

void ControlManager::Marker_RemoveAll(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    if (m_dialogs.YesNoAlertWithMessage(tr("Do you want to remove all markers?")))
        markers->ResetWithTotalTime(Mtm().totalTime());
}

void ControlManager::FindTrackGaps(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (Mtm().status() != ModeStatusEditStopped || !markers)
        return;
    std::vector<double> boundaries;
    if (CartovaController::sharedInstance().FindTrackGaps(boundaries) != TkErrorSuccess) {
        m_dialogs.OkAlertWithMessage(tr("Failed to find the gaps between tracks."));
        return;
    }
    if (boundaries.empty()) {
        m_dialogs.OkAlertWithMessage(tr("No gaps between tracks were found."));
        return;
    }
    const TrackGapMarkers::Outcome outcome = m_trackGapMarkers.addSuggestions(*markers, boundaries);
    if (outcome.added == 0 && !outcome.limitReached)
        m_dialogs.OkAlertWithMessage(tr("Every gap between tracks already has a marker."));
    Update_MarkerButton();
    m_view.redrawWave();
}

void ControlManager::Undo(CommandSender)
{
    if (Mtm().status() != ModeStatusEditStopped)
        return;
    m_trackGapMarkers.undo();
    Update_MarkerButton();
    m_view.redrawWave();
}

void ControlManager::ZoomIn(CommandSender)
{
    m_view.setIsZoom(true);
    m_view.redrawWave();
    updateScrollerEnabling();
    Update(m_flags, m_view.isZoom());
}

void ControlManager::ZoomOut(CommandSender)
{
    m_view.setIsZoom(false);
    m_view.redrawWave();
    updateScrollerEnabling();
    Update(m_flags, m_view.isZoom());
}

void ControlManager::WideNextPage(CommandSender)
{
    m_view.setShowingPage(m_view.pageState().showingPage + 1);
}

void ControlManager::WidePreviousPage(CommandSender)
{
    m_view.setShowingPage(m_view.pageState().showingPage - 1);
}

void ControlManager::OpenSetting(CommandSender)
{
    SettingManager& settings = *m_settingManager;
    settings.RecognizeDevice();
    settings.FetchDriverInfo();
    SettingValues values;
    values.isRecModeDsd = settings.GetRecType() == RecTypeDsd;
    values.dsdSamplingRate = settings.GetDsdFreq();
    values.pcmSamplingRate = settings.GetPcmFreq();
    values.pcmBitDepth = settings.GetBits();
    values.temporaryDirectory = settings.GetTempDirectory();
    values.defaultDirectory = SettingManager::GetDefaultTempDirectory();
    if (!m_dialogs.runSettingDialog(values, settings))
        return;
    settings.SetRecType(values.isRecModeDsd ? RecTypeDsd : RecTypePcm);
    settings.SetDsdFreq(values.dsdSamplingRate);
    settings.SetPcmFreq(values.pcmSamplingRate);
    settings.SetBits(values.pcmBitDepth);
    settings.SetTempDirectory(values.temporaryDirectory);
    LoadRecordSettings();
}

void ControlManager::ShowHelp(CommandSender)
{
    m_dialogs.openUrl(QStringLiteral(SILLARO_HELP_URL));
}

void ControlManager::ShowAbout(CommandSender)
{
    m_dialogs.showAbout();
}

void ControlManager::selectGainFromMenu(int tag)
{
    if (const auto choice = GainChoiceForTag(tag, Mtm().autoGain()))
        setGain(choice->dB, choice->isAuto);
}

void ControlManager::OnClickGainButton(CommandSender)
{
    m_view.openGainPanel(AutoGainMenuTitle(Mtm().autoGain()));
}

void ControlManager::CheckForUpdate(CommandSender)
{
    // The check runs in the background; its result is reported when it arrives.
    m_updateChecker->checkUpdate([this](int result) {
        if (result == UpdateCheckFailed)
            m_dialogs.OkAlertWithMessage(tr("Failed to obtain version info."));
        else if (result == UpdateCheckUpToDate)
            m_dialogs.OkAlertWithMessage(QStringLiteral("%1 %2 %3").arg(tr("This Sillaro"),
                                                                        m_updateChecker->versionString(),
                                                                        tr("is up to date.")));
    });
}

// ---- callbacks ------------------------------------------------------------------------

void ControlManager::setGain(double dB, bool isAuto)
{
    if (!m_isDSDGainAccepted && m_settingManager && m_settingManager->GetRecType() == RecTypeDsd && dB > 0.0) {
        if (!m_dialogs.OkCancelAlertWithMessage(tr("Increasing the gain will result in a longer time in writing to files.")))
            return;
        m_isDSDGainAccepted = true;
    }
    Mtm().setIsAutoGain(isAuto);
    Mtm().setGain(dB);
}

void ControlManager::PreviewPlayFinish()
{
    Pause();
    Mtm().setCurrentTime(m_previewController->currentTime());
}

void ControlManager::PreviewPlayError(int)
{
    const int status = m_previewController->GetStatus();
    if (status == PreviewController::StatusPlaying) {
        Pause();
        if (checkTemporaryDirectory(true, false))
            m_dialogs.OkAlertWithMessage(tr(kAudioDeviceProblem));
    } else if (status == PreviewController::StatusMonitoring) {
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
    if (!m_settingManager)
        return;
    const SettingManager& s = *m_settingManager;
    if (s.GetRecType() == RecTypeDsd)
        m_view.setRecordFormat(QStringLiteral("DSD"), s.GetDsdFreq(), 1);
    else if (s.GetRecType() == RecTypePcm)
        m_view.setRecordFormat(QStringLiteral("PCM"), s.GetPcmFreq(), static_cast<uint16_t>(s.GetBits()));
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
    m_dialogs.OkAlertWithMessage(tr("Failed to use the folder specified as the temporary file storage."));
    if (resetOnFailure && m_app)
        m_app->onFileNew();
    return false;
}

double ControlManager::calculateMaxRecordTime()
{
    if (!m_settingManager)
        return 0.0;
    const std::optional<uint64_t> freeBytes = m_freeSpace(m_settingManager->GetTempDirectory());
    if (!freeBytes)
        return 0.0;
    AudioDeviceInfo info;
    CartovaController::sharedInstance().GetAudioDeviceInfo(info);
    const int32_t type = m_settingManager->GetRecType();
    const uint64_t frequency = type == RecTypeDsd ? m_settingManager->GetDsdFreq() : m_settingManager->GetPcmFreq();
    return MaxRecordMinutes(*freeBytes, type, frequency, info.PCM_record_bits, info.i_ch);
}

MarkerManager* ControlManager::getMarkerManager() const
{
    return m_app ? m_app->markerManager() : nullptr;
}

WaveImageManager* ControlManager::getWaveImageManager() const
{
    return m_app ? m_app->waveImageManager() : nullptr;
}

// ---- framework notifications ----------------------------------------------------------

void ControlManager::onOperation(const Notification& notification)
{
    const int32_t operation = notification.object.toInt();
    if (operation == TkRecOperationStopped) {
        m_view.setLevelMeterHoldTime(kLevelHoldStopped);
        m_view.clearLevelMeter();
    } else if (operation == TkRecOperationCaptureStarted && Mtm().status() == ModeStatusPreRecording) {
        onCaptureStarted();
    }
}

void ControlManager::onCaptureStarted()
{
    Mtm().setStatus(ModeStatusStartRequested);
    const AlertRequest request = StartRecordingAlert(calculateMaxRecordTime(), m_settingManager->GetTempDirectory());
    // Notifications that arrive while the dialog is open are handled inside its loop.
    const int answer = m_dialogs.runAlert(request);
    m_settingManager->RecognizeDevice();
    if (m_app && !m_app->isDeviceExist())
        return;
    // The device was lost or the folder failed while the dialog was open: nothing to start.
    if (Mtm().status() != ModeStatusStartRequested)
        return;
    if (answer == kStartRecordingButton) {
        m_view.clearLevelMeter();
        m_recManager->start();
    } else {
        m_previewController->Stop();
        m_recManager->stopWithoutNotification();
        Mtm().setStatus(ModeStatusReady);
    }
}

void ControlManager::showAfterRecStop(const QString& message, bool checkFolderFirst)
{
    QPointer<ControlManager> self(this);
    Mtm().DispatchAfterRecStop([self, message, checkFolderFirst]() {
        if (!self)
            return;
        if (checkFolderFirst && !self->checkTemporaryDirectory(true, true))
            return;
        self->m_dialogs.OkAlertWithMessage(message);
    });
}

void ControlManager::onNotifyError(const Notification& notification)
{
    const int32_t code = notification.object.toInt();
    const QString message = notification.userInfo.value(kNotifyMessageKey).toString();
    const uint32_t status = Mtm().status();
    const bool recordingRuns = status >= ModeStatusPreRecording && status <= ModeStatusStopping;
    switch (code) {
    case TkNotifyDeviceLost:
        if (status == ModeStatusPreRecording || status == ModeStatusStartRequested) {
            m_recManager->stopWithoutNotification();
            m_previewController->Stop();
            Mtm().setStatus(ModeStatusReady);
            m_dialogs.OkAlertWithMessage(tr("Disconnected from the device."));
        } else if (status >= ModeStatusRecording && status <= ModeStatusStopping) {
            RecStop(CommandSender::User);
            showAfterRecStop(tr("Disconnected from the device."), false);
        }
        break;
    case TkNotifyRecordingLimit:
        // Only a recording in progress can reach the limit; a stop without one would
        // leave the status waiting for a stop that never comes.
        if (status == ModeStatusRecording || status == ModeStatusRecordPaused || status == ModeStatusStopping) {
            RecStop(CommandSender::User);
            showAfterRecStop(tr("Stopped recording because the limit of recording time has been reached."), true);
        }
        break;
    case TkNotifySaveAborted: {
        const SaveAbortedAlert alert = SaveAbortedAlertFor(message);
        m_dialogs.OkAlertWithMessage(alert.message, alert.information);
        break;
    }
    case TkNotifyFileSkipped:
        m_dialogs.OkAlertWithMessage(tr("Failed to save the file."), message);
        break;
    case TkNotifyTempFolderUnusable:
        if (m_previewController->GetStatus() != PreviewController::StatusIdle)
            m_previewController->Stop();
        if (recordingRuns)
            m_recManager->stopWithoutNotification();
        m_dialogs.OkAlertWithMessage(tr("Failed to use the folder specified as the temporary file storage."));
        if (m_app)
            m_app->onFileNew();
        break;
    default: // queue overflows are reported by the recording manager when the recording ends
        break;
    }
}
