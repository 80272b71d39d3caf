// The application's central controller: target of every button and menu command,
// keeper of the controls' visibility and enabling for the current status, and owner of
// the recording-side managers (recording, settings, preview playback, update check).
// It reaches the window only through MainView and every dialog through DialogService,
// so it runs without a display. It is the one receiver of the framework's notifications
// and hands each to the other managers in a stated order (see onOperation, onFrameworkError).
//
// The enabled state of every command is kept current: it is recomputed whenever an input
// of its rule changes (status, current time, markers and their selection, the undo step,
// zoom and page, the key window), so a shortcut works exactly when its menu item is enabled.
#pragma once

#include "bridge/CartovaController.h"
#include "control/Command.h"
#include "control/ControlTables.h"
#include "state/ControlTypes.h"
#include "settings/MaxRecordTime.h"
#include "state/ModeStatus.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ClickRepairFlow;
class RecordingNotesKeeper;
class RecoveryFlow;
class TrackGapFlow;
class DialogService;
struct AlertRequest;
class Document;
class MainView;
class MarkerManager;
class ModeTimeManager;
class PreviewController;
class RecordManager;
class SettingManager;
class UpdateChecker;
class WaveImageManager;

class ControlManager : public QObject, public CommandSink {
    Q_OBJECT
public:
    // Everything passed in outlives the control manager.
    ControlManager(MainView& view, DialogService& dialogs, Document& document, CartovaController& bridge,
                   ModeTimeManager& state, QObject* parent = nullptr);
    ~ControlManager() override;

    // CommandSink: every command of the menus, buttons and keys; afterwards the enabled
    // state of every command is brought up to date.
    void execute(Command command, CommandSender sender = CommandSender::User) override;
    void refreshCommands() override;

    // A new, empty recording: the framework's, the document's and the state's.
    void resetDocument();
    // Whether the chosen device is among the framework's devices (chooses the first
    // when none is chosen yet).
    bool isDeviceExist();

    // Start-up once the window exists: titles, framework Init, managers, observation.
    void windowDidLoad();
    // At start: offers the recordings an earlier run left before their tracks were
    // written, and opens the one the user chooses to recover.
    void offerRecovery();
    // Opens a recording left by an earlier run as the current one, in its own format
    // (which becomes the chosen format): the status is "stopping" while its preview is
    // rebuilt, then the edit mode with the markers and names kept in its journal.
    // Only in the ready state; false (the user told why) when it cannot be opened.
    bool recover(const RecoverableRecording& recording);

    // Free bytes of the file system holding a folder; none when it cannot be read.
    using FreeSpaceQuery = std::function<std::optional<uint64_t>(const QString& folder)>;
    // Minutes the start dialog offers, from the one estimate (0 when unknown).    // Replaces the file-system query of the maximum-recording-time estimate (tests).
    void setFreeSpaceQuery(FreeSpaceQuery query) { m_freeSpace = std::move(query); }
    // The address Help opens (the local manual).
    void setHelpUrl(const QString& url) { m_helpUrl = url; }

    // Commands; each takes who issued it.
    void Exit(CommandSender sender = CommandSender::User);
    void RecStart(CommandSender sender = CommandSender::User);
    void RecPause(CommandSender sender = CommandSender::User);
    void RecStop(CommandSender sender = CommandSender::User);
    void FileNew(CommandSender sender = CommandSender::User);
    void FileSave(CommandSender sender = CommandSender::User);
    void Play(CommandSender sender = CommandSender::User);
    void Pause(CommandSender sender = CommandSender::User);
    void Marker_Next(CommandSender sender = CommandSender::User);
    void Marker_Prev(CommandSender sender = CommandSender::User);
    void Marker_Add(CommandSender sender = CommandSender::User);
    void Marker_MoveBackward(CommandSender sender = CommandSender::User);
    void Marker_MoveForward(CommandSender sender = CommandSender::User);
    void Marker_Remove(CommandSender sender = CommandSender::User);
    void Marker_RemoveAll(CommandSender sender = CommandSender::User);
    // Adds markers at the gaps between tracks that the framework finds (and at the music's
    // start and end after a lead-in or before a run-out); Undo takes them back.
    void FindTrackGaps(CommandSender sender = CommandSender::User);
    // Repairs the clicks of a PCM recording for listening and writing; Undo takes it back.
    void RepairClicks(CommandSender sender = CommandSender::User);
    void Undo(CommandSender sender = CommandSender::User);
    void ZoomIn(CommandSender sender = CommandSender::User);
    void ZoomOut(CommandSender sender = CommandSender::User);
    void WideNextPage(CommandSender sender = CommandSender::User);
    void WidePreviousPage(CommandSender sender = CommandSender::User);
    void OpenSetting(CommandSender sender = CommandSender::User);
    void ShowHelp(CommandSender sender = CommandSender::User);
    void ShowAbout(CommandSender sender = CommandSender::User);
    void OnClickGainButton(CommandSender sender = CommandSender::User);
    void CheckForUpdate(CommandSender sender = CommandSender::User);
    // A gain choice of the submenu (its tag) or of the gain panel (its row).
    void selectGainFromMenu(int tag) override;
    // Space in the edit mode: play when stopped, pause when playing.
    void TogglePlayback();

    // Callbacks and internal operations.
    void setGain(double dB, bool isAuto);
    void PreviewPlayFinish();
    void PreviewPlayError(int code);
    void UpdateCurrentTime(double seconds);
    void LoadRecordSettings();
    void SaveRecordSettings();
    bool checkTemporaryDirectory(bool resetOnFailure, bool requireWritable);
    // Minutes the start dialog offers, from the one estimate (0 when unknown).
    double calculateMaxRecordTime();
    void Update(const ModeFlags& flags, bool zoom);
    void Update_Button(const ModeFlags& flags, bool zoom);
    void Update_MarkerButton();
    void updateScrollerEnabling();
    bool validateMenuItem(MenuItemId item);
    void validateAllMenuItems();

    bool isDSDGainAccepted() const { return m_isDSDGainAccepted; }
    ModeFlags flags() const { return m_flags; }

    RecordManager* recManager() const { return m_recManager.get(); }
    SettingManager* settingManager() const { return m_settingManager.get(); }
    PreviewController* previewController() const { return m_previewController.get(); }
    UpdateChecker* updateChecker() const { return m_updateChecker.get(); }
    MainView& view() const { return m_view; }
    DialogService& dialogs() const { return m_dialogs; }

    MarkerManager* getMarkerManager() const;
    WaveImageManager* getWaveImageManager() const;
    Document& document() const { return m_document; }

    // Intents of the waveform view: the current time, a marker added at t and selected,
    // another marker selected, the selected marker dragged to t, a marker deleted.
    void seek(double t);
    void addMarkerAt(double t);
    void selectMarker(int32_t id);
    void moveSelectedMarkerTo(double t);
    void deleteMarker(int32_t id);

signals:
    // The Exit command: the application asks and quits.
    void exitRequested();

private:
    void onStatusChanged(uint32_t status);
    void onCurrentTimeChanged(double seconds);
    void onMarkersReplaced(MarkerManager* markers);
    void onOperation(TkRecOperation operation);
    void onFrameworkError(TkNotifyError code, const QString& message);
    void onCaptureStarted();
    // The waveform's frequency and scale and the level meter's for the chosen format.
    void applyRecordFormat();
    void showAfterRecStop(const QString& message, bool checkFolderFirst);
    void showAfterRecStop(const AlertRequest& alert, bool checkFolderFirst);
    MenuContext menuContext() const;

    MainView& m_view;
    DialogService& m_dialogs;
    Document& m_document;
    CartovaController& m_bridge;
    ModeTimeManager& m_state;
    ModeFlags m_flags;
    bool m_isDSDGainAccepted = false;
    FreeSpaceQuery m_freeSpace;
    QString m_helpUrl;
    std::vector<QMetaObject::Connection> m_markerWatches;

    std::unique_ptr<RecordManager> m_recManager;
    std::unique_ptr<SettingManager> m_settingManager;
    std::unique_ptr<PreviewController> m_previewController;
    std::unique_ptr<UpdateChecker> m_updateChecker;
    std::unique_ptr<ClickRepairFlow> m_clickRepair;
    std::unique_ptr<TrackGapFlow> m_trackGaps;
    std::unique_ptr<RecoveryFlow> m_recovery;
    std::unique_ptr<RecordingNotesKeeper> m_notes;
    bool m_restoreNotes = false; // the recording being recovered gets its journal's notes
};
