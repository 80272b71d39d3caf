// The application delegate: owns the main window and its shared objects, runs the
// start-up sequence, resets to an empty recording, checks for the device, and asks
// before quitting.
#pragma once

#include "save/AlertDialog.h"

#include <QObject>
#include <memory>

class ControlManager;
class IdleSleepInhibitor;
class MainWindow;
class MarkerManager;
class WaveImageManager;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // Alerts of the window's controller go through this handler (tests answer them).
    void setAlertHandler(AlertHandler handler) { m_alertHandler = std::move(handler); }

    // Builds the window and the control manager, then runs the start-up steps.
    void launch();

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

    MainWindow* window() const { return m_window.get(); }
    ControlManager* controlManager() const { return m_controlManager.get(); }
    MarkerManager* markerManager() const { return m_markerManager.get(); }
    void setMarkerManager(std::unique_ptr<MarkerManager> manager);
    WaveImageManager* waveImageManager() const { return m_waveImageManager.get(); }
    bool terminateByWindowClose() const { return m_terminate_by_window_close; }

private:
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<ControlManager> m_controlManager;
    std::unique_ptr<WaveImageManager> m_waveImageManager;
    std::unique_ptr<MarkerManager> m_markerManager;
    std::unique_ptr<IdleSleepInhibitor> m_assertion;
    AlertHandler m_alertHandler;
    bool m_terminate_by_window_close = false;
    bool m_terminated = false;
};
