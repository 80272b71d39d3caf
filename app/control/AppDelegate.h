// The application delegate: owns the main window's shared objects (control manager,
// wave image manager, marker manager), runs the start-up sequence, resets to an empty
// recording, checks for the device, and asks before quitting.
#pragma once

#include <QObject>
#include <memory>

class ControlManager;
class DialogService;
class IdleSleepInhibitor;
class MainView;
class MainWindow;
class MarkerManager;
class QtDialogService;
class WaveImageManager;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // Builds the Qt main window and its dialog service, then runs the start-up steps.
    void launch();
    // Runs the start-up steps on a given view and dialog service (not owned; they must
    // outlive this object). Tests use it with a fake view or with their own MainWindow
    // and scripted dialogs.
    void launch(MainView& view, DialogService& dialogs);

    void awakeFromNib();
    void applicationDidFinishLaunching();
    bool applicationShouldTerminate();
    void applicationWillTerminate();
    bool windowShouldClose();
    void windowWillClose();

    bool askAppExit();
    void onFileNew();
    bool isDeviceExist();
    // Quit as the Quit command does: confirm, save the settings, leave the event loop.
    void terminate();

    // The Qt main window when launched with launch(); null otherwise.
    MainWindow* window() const { return m_window.get(); }
    MainView* view() const { return m_view; }
    DialogService* dialogs() const { return m_dialogs; }
    ControlManager* controlManager() const { return m_controlManager.get(); }
    MarkerManager* markerManager() const { return m_markerManager.get(); }
    void setMarkerManager(std::unique_ptr<MarkerManager> manager);
    WaveImageManager* waveImageManager() const { return m_waveImageManager.get(); }
    bool terminateByWindowClose() const { return m_terminate_by_window_close; }

private:
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QtDialogService> m_qtDialogs;
    MainView* m_view = nullptr;
    DialogService* m_dialogs = nullptr;
    std::unique_ptr<ControlManager> m_controlManager;
    std::unique_ptr<WaveImageManager> m_waveImageManager;
    std::unique_ptr<MarkerManager> m_markerManager;
    std::unique_ptr<IdleSleepInhibitor> m_assertion;
    bool m_terminate_by_window_close = false;
    bool m_terminated = false;
};
