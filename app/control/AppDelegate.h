// The application delegate: owns the main window's shared objects (control manager,
// wave image manager, marker manager), runs the start-up sequence, resets to an empty
// recording, checks for the device, and asks before quitting.
#pragma once

#include <QObject>
#include <memory>
#include <vector>

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
    // After the event loop has ended: cancels a running write, stops the framework,
    // releases the managers and runs the framework's posted tasks dry, so that nothing
    // it posted is left undelivered (and unfreed) at exit.
    void shutdown();

    // The Qt main window when launched with launch(); null otherwise.
    MainWindow* window() const { return m_window.get(); }
    MainView* view() const { return m_view; }
    DialogService* dialogs() const { return m_dialogs; }
    ControlManager* controlManager() const { return m_controlManager.get(); }
    MarkerManager* markerManager() const { return m_markerManager.get(); }
    void setMarkerManager(std::unique_ptr<MarkerManager> manager);
    WaveImageManager* waveImageManager() const { return m_waveImageManager.get(); }
    bool terminateByWindowClose() const { return m_terminate_by_window_close; }

    // Wave image managers replaced by a reset whose worker is still finishing its last pass.
    size_t retiredWaveImageManagers() const { return m_retiredWaveImages.size(); }

private:
    void retire(std::unique_ptr<WaveImageManager> images);
    void releaseFinishedWaveImageManagers();

    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QtDialogService> m_qtDialogs;
    MainView* m_view = nullptr;
    DialogService* m_dialogs = nullptr;
    std::unique_ptr<ControlManager> m_controlManager;
    std::unique_ptr<WaveImageManager> m_waveImageManager;
    std::vector<std::unique_ptr<WaveImageManager>> m_retiredWaveImages;
    std::unique_ptr<MarkerManager> m_markerManager;
    std::unique_ptr<IdleSleepInhibitor> m_assertion;
    bool m_terminate_by_window_close = false;
    bool m_terminated = false;
};
