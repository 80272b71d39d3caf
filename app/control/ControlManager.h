// The application's central controller: target of every button and menu command,
// keeper of the controls' visibility and enabling for the current status, and owner of
// the recording-side managers (recording, settings, preview playback, update check).
// It reaches the window only through MainView and every dialog through DialogService,
// so it runs without a display.
#pragma once

#include "control/ControlTables.h"
#include "control/ControlTypes.h"
#include "control/ModeStatus.h"
#include "marker/TrackGapMarkers.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class AppDelegate;
class DialogService;
class MainView;
class MarkerManager;
class PreviewController;
class RecordManager;
class SettingManager;
class UpdateChecker;
class WaveImageManager;
struct Notification;

class ControlManager : public QObject {
    Q_OBJECT
public:
    // view and dialogs outlive the control manager; app may be null in tests of the tables.
    ControlManager(MainView& view, DialogService& dialogs, AppDelegate* app, QObject* parent = nullptr);
    ~ControlManager() override;

    // Start-up once the window exists: titles, framework Init, managers, observation.
    void windowDidLoad();

    // Free bytes of the file system holding a folder; none when it cannot be read.
    using FreeSpaceQuery = std::function<std::optional<uint64_t>(const QString& folder)>;
    // Replaces the file-system query of the maximum-recording-time estimate (tests).
    void setFreeSpaceQuery(FreeSpaceQuery query) { m_freeSpace = std::move(query); }

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
    // Adds markers at the gaps between tracks that the framework finds; Undo takes them back.
    void FindTrackGaps(CommandSender sender = CommandSender::User);
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
    void selectGainFromMenu(int tag);
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

private:
    void onStatusChanged(uint32_t status);
    void onCurrentTimeChanged(double seconds);
    void onOperation(const Notification& notification);
    void onNotifyError(const Notification& notification);
    void onCaptureStarted();
    void showAfterRecStop(const QString& message, bool checkFolderFirst);
    MenuContext menuContext() const;

    MainView& m_view;
    DialogService& m_dialogs;
    AppDelegate* m_app;
    ModeFlags m_flags;
    TrackGapMarkers m_trackGapMarkers;
    bool m_isDSDGainAccepted = false;
    FreeSpaceQuery m_freeSpace;

    std::unique_ptr<RecordManager> m_recManager;
    std::unique_ptr<SettingManager> m_settingManager;
    std::unique_ptr<PreviewController> m_previewController;
    std::unique_ptr<UpdateChecker> m_updateChecker;
};
