// The composition root: builds the model, control and ui objects once, resolves the
// shared instances (the framework bridge and the application state) and injects them by
// reference, runs the start-up sequence and, after the event loop, the shutdown.
#pragma once

#include <QObject>
#include <memory>

class CartovaController;
class ControlManager;
class DialogService;
class Document;
class IdleSleepInhibitor;
class MainView;
class MainWindow;
class MarkerManager;
class ModeTimeManager;
class QtDialogService;
class QuitFlow;
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

    // After the event loop has ended: cancels a running write, stops the framework,
    // releases the managers and runs the framework's posted tasks dry, so that nothing
    // it posted is left undelivered (and unfreed) at exit.
    void shutdown();

    // The Qt main window when launched with launch(); null otherwise.
    MainWindow* window() const { return m_window.get(); }
    MainView* view() const { return m_view; }
    DialogService* dialogs() const { return m_dialogs; }
    ControlManager* controlManager() const { return m_controlManager.get(); }
    QuitFlow* quitFlow() const { return m_quitFlow.get(); }
    Document& document() const { return *m_document; }
    MarkerManager* markerManager() const;
    WaveImageManager* waveImageManager() const;

private:
    void applicationDidFinishLaunching();

    CartovaController& m_bridge;
    ModeTimeManager& m_state;
    std::unique_ptr<Document> m_document;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QtDialogService> m_qtDialogs;
    MainView* m_view = nullptr;
    DialogService* m_dialogs = nullptr;
    std::unique_ptr<ControlManager> m_controlManager;
    std::unique_ptr<QuitFlow> m_quitFlow;
    std::unique_ptr<IdleSleepInhibitor> m_assertion;
};
