// The application's central controller: target of every button and menu command,
// keeper of the controls' visibility and enabling for the current status, and owner of
// the recording-side managers (settings, preview playback, update check).
#pragma once

#include "control/ControlTables.h"
#include "control/MainWindowControls.h"
#include "control/ModeStatus.h"
#include "save/AlertDialog.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>

class AppDelegate;
class MarkerManager;
class PreviewController;
class SettingManager;
class UpdateChecker;
struct Notification;

class ControlManager : public QObject {
    Q_OBJECT
public:
    ControlManager(const MainWindowControls& controls, AppDelegate* app, QObject* parent = nullptr);
    ~ControlManager() override;

    // Start-up once the window exists: titles, framework Init, managers, observation.
    void windowDidLoad();

    // Alerts go through this handler; tests replace it.
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }
    const AlertHandler& alertHandler() const { return m_alert; }
    // Whether the main window is the key (active) window; tests replace it.
    void setKeyWindowQuery(std::function<bool()> query) { m_isKeyWindow = std::move(query); }

    // Commands; each takes its sender.
    void Exit(QObject* sender);
    void RecStart(QObject* sender);
    void RecPause(QObject* sender);
    void RecStop(QObject* sender);
    void FileNew(QObject* sender);
    void FileSave(QObject* sender);
    void Play(QObject* sender);
    void Pause(QObject* sender);
    void Marker_Next(QObject* sender);
    void Marker_Prev(QObject* sender);
    void Marker_Add(QObject* sender);
    void Marker_MoveBackward(QObject* sender);
    void Marker_MoveForward(QObject* sender);
    void Marker_Remove(QObject* sender);
    void Marker_RemoveAll(QObject* sender);
    void ZoomIn(QObject* sender);
    void ZoomOut(QObject* sender);
    void WideNextPage(QObject* sender);
    void WidePreviousPage(QObject* sender);
    void OpenSetting(QObject* sender);
    void ShowHelp(QObject* sender);
    void ShowAbout(QObject* sender);
    void selectGainFromMenu(QObject* sender);
    void OnClickGainButton(QObject* sender);
    void CheckForUpdate(QObject* sender);

    // Callbacks and internal operations.
    void setGain(double dB, bool isAuto);
    void PreviewPlayFinish();
    void PreviewPlayError(int code);
    void UpdateCurrentTime(double seconds);
    void LoadRecordSettings();
    void SaveRecordSettings();
    bool checkTemporaryDirectory(bool resetOnFailure, bool requireWritable);
    void Update(bool e, bool r, bool p, bool z, bool w);
    void Update_Button(bool e, bool r, bool p, bool z, bool w);
    void Update_MarkerButton();
    void updateScrollerEnabling();
    bool validateMenuItem(QAction* item);
    void validateAllMenuItems();

    bool isDSDGainAccepted() const { return m_isDSDGainAccepted; }
    ModeFlags flags() const { return m_flags; }

    SettingManager* settingManager() const { return m_settingManager.get(); }
    PreviewController* previewController() const { return m_previewController.get(); }
    UpdateChecker* updateChecker() const { return m_updateChecker.get(); }
    const MainWindowControls& controls() const { return m_controls; }

    MarkerManager* getMarkerManager() const;
    QScrollArea* getWaveScrollView() const { return m_controls.waveScrollView; }
    WaveView* getWaveView() const { return m_controls.waveView; }
    PageSelectMatrix* getPageSelectMatrix() const { return m_controls.pageSelectMatrix; }
    Indicator_Time* getIndicatorTime() const { return m_controls.indicatorTime; }
    Indicator_Mode* getIndicatorMode() const { return m_controls.indicatorMode; }
    Indicator_LevelMeter* getIndicatorLevelMeter() const { return m_controls.indicatorLevelMeter; }

private:
    void connectCommands();
    void registerMenuItems();
    void onStatusChanged(uint32_t status);
    void onCurrentTimeChanged(double seconds);
    void onOperation(const Notification& notification);
    void onNotifyError(const Notification& notification);
    MenuContext menuContext() const;
    bool isZoom() const;
    bool showAlert(AlertKind kind, const QString& message, const QString& information = QString()) const;

    MainWindowControls m_controls;
    AppDelegate* m_app;
    AlertHandler m_alert;
    std::function<bool()> m_isKeyWindow;
    ModeFlags m_flags;
    bool m_isDSDGainAccepted = false;
    int m_indicatorTimeConstraintTop = 33;
    int m_indicatorTimeConstraintLeading = 70;
    QHash<QAction*, MenuItemId> m_menuItems;

    std::unique_ptr<SettingManager> m_settingManager;
    std::unique_ptr<PreviewController> m_previewController;
    std::unique_ptr<UpdateChecker> m_updateChecker;
};
