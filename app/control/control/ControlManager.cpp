// Commands, state tables and notification handling of the control manager.
#include "control/ControlManager.h"

#include "bridge/PreviewFrequency.h"
#include "settings/MaxRecordTime.h"
#include "document/Document.h"
#include "control/ClickRepairFlow.h"
#include "control/RecordingNotesKeeper.h"
#include "control/RecoveryFlow.h"
#include "control/TrackGapFlow.h"
#include "control/DialogService.h"
#include "control/MainView.h"
#include "control/MarkerNavigation.h"
#include "state/ModeTimeManager.h"
#include "control/RecordManager.h"
#include "control/RecordingMath.h"
#include "settings/SettingManager.h"
#include "marker/MarkerManager.h"
#include "playback/PreviewController.h"
#include "save/FileSaveFlow.h"
#include "update/UpdateChecker.h"
#include "wave/WaveImageManager.h"

#include <QPointer>
#include <cmath>
#include <utility>

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
    MenuItemId::EditMarkerPrev, MenuItemId::EditMarkerRemove, MenuItemId::EditMarkerClear, MenuItemId::EditFindTrackGaps, MenuItemId::EditRepairClicks, MenuItemId::EditUndo, MenuItemId::ViewZoomIn,
    MenuItemId::ViewZoomOut,    MenuItemId::ViewNextPage,  MenuItemId::ViewPrevPage,   MenuItemId::HelpHelp,
    MenuItemId::HelpUpdate,     MenuItemId::Gain,          MenuItemId::GainChoice,
};

} // namespace

ControlManager::ControlManager(MainView& view, DialogService& dialogs, Document& document, CartovaController& bridge,
                               ModeTimeManager& state, QObject* parent)
    : QObject(parent), m_view(view), m_dialogs(dialogs), m_document(document), m_bridge(bridge), m_state(state)
{
    m_freeSpace = FolderFreeBytes;
}

ControlManager::~ControlManager()
{
    for (const QMetaObject::Connection& c : m_markerWatches)
        disconnect(c);
}

void ControlManager::windowDidLoad()
{
    m_view.setTitle(ViewItem::RecStop, tr("Recording Complete"), kBigButtonPointSize);
    m_view.setTitle(ViewItem::FileSave, tr("Write to Files  "), kBigButtonPointSize);
    m_view.setTitle(ViewItem::FileSaveCancel, tr("Cancel"));
    m_view.setTitle(ViewItem::FileSaveCancelLabel, tr("Cancel"));
    m_view.setTitle(ViewItem::Gain, QStringLiteral("0 dB"));

    m_bridge.Init();

    m_previewController = std::make_unique<PreviewController>();
    m_previewController->setTemporaryDirectoryCheck([this]() { return checkTemporaryDirectory(true, false); });
    connect(m_previewController.get(), &PreviewController::currentTimeUpdated, this, &ControlManager::UpdateCurrentTime);
    connect(m_previewController.get(), &PreviewController::playFinished, this, &ControlManager::PreviewPlayFinish);
    connect(m_previewController.get(), &PreviewController::playError, this, &ControlManager::PreviewPlayError);
    m_settingManager = std::make_unique<SettingManager>();
    m_settingManager->RecognizeDevice();
    m_recManager = std::make_unique<RecordManager>(m_view, m_dialogs, m_document, m_bridge, m_state);
    connect(m_recManager.get(), &RecordManager::limitReached, this, [this]() { RecStop(CommandSender::RecordManager); });
    m_clickRepair = std::make_unique<ClickRepairFlow>(m_dialogs, m_bridge, m_document);
    m_trackGaps = std::make_unique<TrackGapFlow>(m_dialogs, m_bridge, m_document);
    m_recovery = std::make_unique<RecoveryFlow>(m_dialogs, m_bridge);
    m_notes = std::make_unique<RecordingNotesKeeper>(m_bridge);
    connect(m_recManager.get(), &RecordManager::recordingEnded, this, [this]() {
        if (std::exchange(m_restoreNotes, false) && getMarkerManager())
            m_notes->restore(*getMarkerManager());
    });
    m_updateChecker = std::make_unique<UpdateChecker>();
    m_updateChecker->setOfferHandler([this](const UpdateOffer& offer) { return m_dialogs.runUpdateDialog(offer); });

    // The framework's notifications are received here only, and handed on in onOperation
    // and onFrameworkError.
    connect(&m_bridge, &CartovaController::operation, this, &ControlManager::onOperation);
    connect(&m_bridge, &CartovaController::frameworkError, this, &ControlManager::onFrameworkError);
    connect(&m_bridge, &CartovaController::streamPosition, this, [this](double seconds) {
        if (m_recManager->isObserving())
            m_recManager->onNotifyStream(seconds);
    });

    connect(&m_state, &ModeTimeManager::statusChanged, this, &ControlManager::onStatusChanged);
    connect(&m_state, &ModeTimeManager::currentTimeChanged, this, &ControlManager::onCurrentTimeChanged);
    connect(&m_document, &Document::markersReplaced, this, &ControlManager::onMarkersReplaced);
    connect(&m_document, &Document::suggestedMarkersChanged, this,
            [this] { m_view.showSuggestedMarkers(m_document.suggestedMarkers()); });
    connect(&m_document, &Document::clickMarksChanged, this, [this] { m_view.showClickMarks(&m_document.clickMarks()); });
    connect(&m_document, &Document::peaksReplaced, this, [this](WaveImageManager* peaks) { m_view.resetWave(peaks); });
    m_document.setAlertHandler([this](const QString& message) { m_dialogs.OkAlertWithMessage(message); });
}

void ControlManager::execute(Command command, CommandSender sender)
{
    switch (command) {
    case Command::Exit: Exit(sender); break;
    case Command::FileNew: FileNew(sender); break;
    case Command::FileSave: FileSave(sender); break;
    case Command::OpenSetting: OpenSetting(sender); break;
    case Command::RecStart: RecStart(sender); break;
    case Command::RecPause: RecPause(sender); break;
    case Command::RecStop: RecStop(sender); break;
    case Command::Play: Play(sender); break;
    case Command::Pause: Pause(sender); break;
    case Command::TogglePlayback: TogglePlayback(); break;
    case Command::MarkerNext: Marker_Next(sender); break;
    case Command::MarkerPrev: Marker_Prev(sender); break;
    case Command::MarkerAdd: Marker_Add(sender); break;
    case Command::MarkerMoveBackward: Marker_MoveBackward(sender); break;
    case Command::MarkerMoveForward: Marker_MoveForward(sender); break;
    case Command::MarkerRemove: Marker_Remove(sender); break;
    case Command::MarkerRemoveAll: Marker_RemoveAll(sender); break;
    case Command::FindTrackGaps: FindTrackGaps(sender); break;
    case Command::RepairClicks: RepairClicks(sender); break;
    case Command::Undo: Undo(sender); break;
    case Command::ZoomIn: ZoomIn(sender); break;
    case Command::ZoomOut: ZoomOut(sender); break;
    case Command::NextPage: WideNextPage(sender); break;
    case Command::PreviousPage: WidePreviousPage(sender); break;
    case Command::GainButton: OnClickGainButton(sender); break;
    case Command::ShowHelp: ShowHelp(sender); break;
    case Command::CheckForUpdate: CheckForUpdate(sender); break;
    case Command::ShowAbout: ShowAbout(sender); break;
    }
    refreshCommands();
}

void ControlManager::refreshCommands()
{
    Update_MarkerButton();
    validateAllMenuItems();
}

void ControlManager::onMarkersReplaced(MarkerManager* markers)
{
    for (const QMetaObject::Connection& c : m_markerWatches)
        disconnect(c);
    m_markerWatches.clear();
    m_view.showMarkers(markers);
    if (m_notes)
        m_notes->watch(markers);
    // Every change of the markers or their selection is an input of the command rules.
    if (markers)
        m_markerWatches = WatchMarkerChanges(*markers, this, [this]() { refreshCommands(); });
    refreshCommands();
}

void ControlManager::resetDocument()
{
    m_bridge.New();
    m_document.reset();
    m_state.setCurrentTime(0.0);
    m_state.setTotalTime(0.0);
    m_state.setStatus(ModeStatusReady);
    m_state.setIsAutoGain(false);
    m_state.setGain(0.0);
}

bool ControlManager::isDeviceExist()
{
    QStringList names;
    if (m_bridge.GetAudioDevices(names) != TkErrorSuccess || names.isEmpty())
        return false;
    AudioDeviceInfo info;
    const TkError err = m_bridge.GetAudioDeviceInfo(info);
    if (err == TkErrorSuccess)
        return names.contains(info.device_name);
    if (err == TkErrorInvalidState)
        return m_bridge.SetAudioDevice(names.first()) == TkErrorSuccess;
    return false;
}

void ControlManager::seek(double t)
{
    m_state.setCurrentTime(t);
}

void ControlManager::addMarkerAt(double t)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    const int32_t id = markers->AddWithPosition(t);
    if (id > 0)
        markers->setSelectedMarker(id);
}

void ControlManager::selectMarker(int32_t id)
{
    if (MarkerManager* markers = getMarkerManager())
        markers->setSelectedMarker(id);
}

void ControlManager::moveSelectedMarkerTo(double t)
{
    if (MarkerManager* markers = getMarkerManager())
        markers->MoveSelectedMarkerToPosition(t);
}

void ControlManager::deleteMarker(int32_t id)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    markers->DeleteWithMarkerId(id);
}

// ---- observation ----------------------------------------------------------------------

void ControlManager::onStatusChanged(uint32_t status)
{
    m_flags = FlagsForStatus(status);
    Update(m_flags, m_view.isZoom());
}

void ControlManager::onCurrentTimeChanged(double)
{
    if (m_flags.edit)
        refreshCommands();
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
    const bool canAdd = markers && markers->CanAddToPosition(m_state.currentTime());
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
        c.canAddMarkerAtCurrentTime = markers->CanAddToPosition(m_state.currentTime());
        c.markerCount = markers->count();
        c.undoStep = m_document.lastUndoStep();
    }
    c.recordingIsDsd = m_settingManager && m_settingManager->GetRecType() != RecTypePcm;
    const PageState pages = m_view.pageState();
    c.onFirstPage = pages.showingPage == pages.firstPage;
    c.onLastPage = pages.showingPage == pages.lastPage;
    return c;
}

bool ControlManager::validateMenuItem(MenuItemId item)
{
    const MenuContext context = menuContext();
    if (context.mainWindowIsKey)
        m_view.setAutoGainTitle(AutoGainMenuTitle(m_state.autoGain()));
    return IsMenuItemEnabled(item, context);
}

void ControlManager::validateAllMenuItems()
{
    const MenuContext context = menuContext();
    if (context.mainWindowIsKey)
        m_view.setAutoGainTitle(AutoGainMenuTitle(m_state.autoGain()));
    for (MenuItemId item : kMenuItems)
        m_view.setMenuItemEnabled(item, IsMenuItemEnabled(item, context));
    m_view.setMenuItemTitle(MenuItemId::EditUndo, UndoMenuTitle(context.undoStep));
    m_view.setMenuItemHint(MenuItemId::EditRepairClicks, MenuItemHint(MenuItemId::EditRepairClicks, context));
}

// ---- commands -------------------------------------------------------------------------

void ControlManager::Exit(CommandSender)
{
    emit exitRequested();
}

void ControlManager::RecStart(CommandSender)
{
    m_isDSDGainAccepted = false;
    const uint32_t status = m_state.status();
    if (status == ModeStatusRecordPaused) {
        m_recManager->resume();
        m_view.setLevelMeterHoldTime(kLevelHoldRecording);
        return;
    }
    if (status != ModeStatusReady)
        return;
    m_settingManager->RecognizeDevice();
    if (!isDeviceExist()) {
        // The reason, when the framework knows it, goes under the message.
        m_dialogs.OkAlertWithMessage(tr("No device found."), m_bridge.DeviceProblem());
        return;
    }
    if (!checkTemporaryDirectory(false, true))
        return;
    m_view.setLevelMeterPlayController(m_previewController.get());
    if (m_settingManager->FetchSettingToToolkit() != TkErrorSuccess) {
        m_dialogs.OkAlertWithMessage(tr("No device found."));
        return;
    }
    applyRecordFormat();
    // A refused pre-recording leaves the status ready; the user can press the button again.
    if (!m_recManager->startPreRecording()) {
        m_dialogs.OkAlertWithMessage(tr("No device found."));
        return;
    }
    if (!m_previewController->BeginRecordPreview()) {
        m_dialogs.OkAlertWithMessage(tr(kAudioDeviceProblem));
        m_recManager->stopWithoutNotification();
        m_state.setStatus(ModeStatusReady);
        return;
    }
    m_view.setLevelMeterHoldTime(kLevelHoldRecording);
}

void ControlManager::applyRecordFormat()
{
    WaveImageManager* images = getWaveImageManager();
    if (m_settingManager->GetRecType() != RecTypePcm) {
        if (images) {
            images->setFrequency(PreviewFrequency(true, m_settingManager->GetDsdFreq()));
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
}

void ControlManager::offerRecovery()
{
    if (m_state.status() != ModeStatusReady)
        return;
    if (const std::optional<RecoverableRecording> chosen = m_recovery->ask())
        recover(*chosen);
}

bool ControlManager::recover(const RecoverableRecording& recording)
{
    if (m_state.status() != ModeStatusReady)
        return false;
    // The framework's stop, which ends the opening, arrives through the main queue: after
    // the waveform and the status below are set up.
    const TkError err = m_bridge.OpenRecoverableRecording(recording.id);
    if (err != TkErrorSuccess) {
        m_dialogs.OkAlertWithMessage(tr("The recording could not be recovered."),
                                     err == TkErrorInvalidState
                                         ? tr("Another program is using it.")
                                         : tr("Its temporary files cannot be read."));
        return false;
    }
    m_settingManager->SetRecType(recording.isDsd ? RecTypeDsd : RecTypePcm);
    if (recording.isDsd) {
        m_settingManager->SetDsdFreq(recording.freq);
    } else {
        m_settingManager->SetPcmFreq(recording.freq);
        m_settingManager->SetBits(static_cast<int16_t>(recording.bits));
    }
    LoadRecordSettings();
    applyRecordFormat();
    m_restoreNotes = true;
    m_recManager->adoptRecovered(recording.started.date());
    refreshCommands();
    return true;
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
    if (m_state.status() == ModeStatusRecordPaused)
        m_recManager->stopWithoutNotification();
    m_previewController->Stop();
    m_previewController->setGain(1.0f);
    resetDocument();
}

void ControlManager::FileSave(CommandSender)
{
    if (!checkTemporaryDirectory(true, false))
        return;
    if (MarkerManager* markers = getMarkerManager())
        RunFileSave(m_dialogs, *markers,
                    {m_settingManager->GetRecType(), m_state.gain(), m_settingManager->GetPcmFileFormat()});
}

void ControlManager::Play(CommandSender)
{
    if (m_previewController->GetStatus() != PreviewController::StatusIdle)
        return;
    m_state.setStatus(ModeStatusEditPlaying);
    const float g = static_cast<float>(m_state.gain());
    m_previewController->setGain(std::pow(10.0f, g / 20.0f));
    if (!m_previewController->Play(m_state.currentTime()) &&
        m_previewController->lastStartFailure() == PreviewController::StartFailure::Playback) {
        // Nothing plays: back to stopped, and say why (a failed folder check has already
        // told the user and reset the document).
        m_state.setStatus(ModeStatusEditStopped);
        m_dialogs.OkAlertWithMessage(tr(kAudioDeviceProblem));
    }
    updateScrollerEnabling();
}

void ControlManager::Pause(CommandSender)
{
    m_state.setStatus(ModeStatusEditStopped);
    m_previewController->Stop();
    updateScrollerEnabling();
}

void ControlManager::TogglePlayback()
{
    const uint32_t status = m_state.status();
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
    const bool playing = m_state.status() == ModeStatusEditPlaying;
    if (playing)
        m_previewController->Stop();
    const double t = m_state.currentTime();
    if (t == markers->GetMarkerPositionFromId(markers->GetEndMarkerId())) {
        markers->setSelectedMarker(markers->GetEndMarkerId());
        return;
    }
    if (const auto target = NextMarkerAfter(*markers, t)) {
        m_state.setCurrentTime(target->position);
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
    const bool playing = m_state.status() == ModeStatusEditPlaying;
    if (playing)
        m_previewController->Stop();
    const double t = m_state.currentTime();
    const int32_t startId = markers->GetStartMarkerId();
    if (t == markers->GetMarkerPositionFromId(startId)) {
        markers->setSelectedMarker(startId);
        if (playing)
            m_previewController->Play(t);
    }
    if (const auto target = PreviousMarkerBefore(*markers, t, playing)) {
        m_state.setCurrentTime(target->position);
        markers->setSelectedMarker(target->id);
        if (playing)
            m_previewController->Play(target->position);
    }
    Update_MarkerButton();
}

void ControlManager::Marker_Add(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    const int32_t id = markers->AddWithPosition(m_state.currentTime());
    if (id > 0)
        markers->setSelectedMarker(id);
    Update_MarkerButton();
}

void ControlManager::Marker_MoveBackward(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    markers->MoveSelectedMarkerToPosition(markers->GetMarkerPositionFromId(markers->SelectedMarker()) - kMarkerMoveStep);
    m_view.redrawWave();
}

void ControlManager::Marker_MoveForward(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    markers->MoveSelectedMarkerToPosition(markers->GetMarkerPositionFromId(markers->SelectedMarker()) + kMarkerMoveStep);
    m_view.redrawWave();
}

void ControlManager::Marker_Remove(CommandSender sender)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
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
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    if (m_dialogs.YesNoAlertWithMessage(tr("Do you want to remove all markers?")))
        markers->ResetWithTotalTime(m_state.totalTime());
}

void ControlManager::FindTrackGaps(CommandSender)
{
    MarkerManager* markers = getMarkerManager();
    if (m_state.status() != ModeStatusEditStopped || !markers)
        return;
    if (m_trackGaps->run(*markers, m_state.totalTime()))
        Update_MarkerButton();
    m_view.redrawWave();
}

void ControlManager::RepairClicks(CommandSender)
{
    if (m_state.status() != ModeStatusEditStopped || !getMarkerManager() ||
        m_settingManager->GetRecType() != RecTypePcm)
        return;
    m_clickRepair->run();
    m_view.redrawWave();
}

void ControlManager::Undo(CommandSender)
{
    if (m_state.status() != ModeStatusEditStopped)
        return;
    const UndoStep step = m_document.lastUndoStep();
    switch (step) {
    case UndoStep::TrackGaps: m_document.trackGaps().undo(); break;
    case UndoStep::ClickRepair: m_clickRepair->undo(); break;
    case UndoStep::None: return;
    }
    m_document.undone(step);
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
    values.pcmFileFormat = settings.GetPcmFileFormat();
    values.temporaryDirectory = settings.GetTempDirectory();
    values.defaultDirectory = SettingManager::GetDefaultTempDirectory();
    if (!m_dialogs.runSettingDialog(values, settings))
        return;
    settings.SetRecType(values.isRecModeDsd ? RecTypeDsd : RecTypePcm);
    settings.SetDsdFreq(values.dsdSamplingRate);
    settings.SetPcmFreq(values.pcmSamplingRate);
    settings.SetBits(values.pcmBitDepth);
    settings.SetPcmFileFormat(values.pcmFileFormat);
    settings.SetTempDirectory(values.temporaryDirectory);
    LoadRecordSettings();
}

void ControlManager::ShowHelp(CommandSender)
{
    m_dialogs.openUrl(m_helpUrl);
}

void ControlManager::ShowAbout(CommandSender)
{
    m_dialogs.showAbout();
}

void ControlManager::selectGainFromMenu(int tag)
{
    if (const auto choice = GainChoiceForTag(tag, m_state.autoGain()))
        setGain(choice->dB, choice->isAuto);
}

void ControlManager::OnClickGainButton(CommandSender)
{
    m_view.openGainPanel(AutoGainMenuTitle(m_state.autoGain()));
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
    m_state.setIsAutoGain(isAuto);
    m_state.setGain(dB);
}

void ControlManager::PreviewPlayFinish()
{
    Pause();
    m_state.setCurrentTime(m_previewController->currentTime());
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
    m_state.setCurrentTime(seconds > m_state.totalTime() ? m_state.totalTime() : seconds);
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
    if (resetOnFailure)
        resetDocument();
    return false;
}

double ControlManager::calculateMaxRecordTime()
{
    if (!m_settingManager)
        return 0.0;
    const bool dsd = m_settingManager->GetRecType() == RecTypeDsd;
    const uint64_t rate = dsd ? m_settingManager->GetDsdFreq() : m_settingManager->GetPcmFreq();
    return static_cast<double>(
        m_settingManager->maxRecordMinutes(m_settingManager->GetTempDirectory(), dsd, rate, m_freeSpace).value_or(0));
}

MarkerManager* ControlManager::getMarkerManager() const
{
    return m_document.markers();
}

WaveImageManager* ControlManager::getWaveImageManager() const
{
    return m_document.peaks();
}

// ---- framework notifications ----------------------------------------------------------

// The framework's operations: first the window's own reaction, then the recording in
// progress (which may end it and enter the edit mode). A capture start opens the start
// dialog, whose loop runs the later notifications: the recording manager sees the
// capture start before that.
void ControlManager::onOperation(TkRecOperation operation)
{
    if (operation == TkRecOperationStopped) {
        m_view.setLevelMeterHoldTime(kLevelHoldStopped);
        m_view.clearLevelMeter();
    }
    if (m_recManager->isObserving())
        m_recManager->onOperation(operation);
    if (operation == TkRecOperationCaptureStarted && m_state.status() == ModeStatusPreRecording)
        onCaptureStarted();
}

void ControlManager::onCaptureStarted()
{
    m_state.setStatus(ModeStatusStartRequested);
    const AlertRequest request = StartRecordingAlert(calculateMaxRecordTime(), m_settingManager->GetTempDirectory());
    // Notifications that arrive while the dialog is open are handled inside its loop.
    const int answer = m_dialogs.runAlert(request);
    m_settingManager->RecognizeDevice();
    if (!isDeviceExist())
        return;
    // The device was lost or the folder failed while the dialog was open: nothing to start.
    if (m_state.status() != ModeStatusStartRequested)
        return;
    if (answer == kStartRecordingButton) {
        m_view.clearLevelMeter();
        m_recManager->start();
    } else {
        m_previewController->Stop();
        m_recManager->stopWithoutNotification();
        m_state.setStatus(ModeStatusReady);
    }
}

void ControlManager::showAfterRecStop(const QString& message, bool checkFolderFirst)
{
    AlertRequest alert;
    alert.message = message;
    showAfterRecStop(alert, checkFolderFirst);
}

void ControlManager::showAfterRecStop(const AlertRequest& alert, bool checkFolderFirst)
{
    QPointer<ControlManager> self(this);
    m_state.DispatchAfterRecStop([self, alert, checkFolderFirst]() {
        if (!self)
            return;
        if (checkFolderFirst && !self->checkTemporaryDirectory(true, true))
            return;
        self->m_dialogs.runAlert(alert);
    });
}

// The framework's failures: the settings are saved first (whatever follows, they are not
// lost), then the recording manager counts lost audio, then the user is told.
void ControlManager::onFrameworkError(TkNotifyError code, const QString& message)
{
    m_settingManager->Destructor();
    if (m_recManager->isObserving())
        m_recManager->onNotifyError(code);
    const uint32_t status = m_state.status();
    const bool recordingRuns = status >= ModeStatusPreRecording && status <= ModeStatusStopping;
    switch (code) {
    case TkNotifyDeviceLost:
        if (status == ModeStatusPreRecording || status == ModeStatusStartRequested) {
            m_recManager->stopWithoutNotification();
            m_previewController->Stop();
            m_state.setStatus(ModeStatusReady);
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
    case TkNotifyStoreFailed:
        // What was stored is kept: the recording ends in the edit mode and can be written.
        if (status == ModeStatusRecording || status == ModeStatusRecordPaused || status == ModeStatusStopping) {
            RecStop(CommandSender::User);
            showAfterRecStop(StoreFailedAlert(message.toInt(), m_settingManager->GetTempDirectory()), false);
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
        resetDocument();
        break;
    default: // queue overflows are reported by the recording manager when the recording ends
        break;
    }
}
