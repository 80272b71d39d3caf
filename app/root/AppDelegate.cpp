// Building the program's objects, start-up and shutdown.
#include "root/AppDelegate.h"

#include "bridge/CartovaController.h"
#include "control/ControlManager.h"
#include "control/DialogService.h"
#include "control/MainView.h"
#include "control/QuitFlow.h"
#include "document/Document.h"
#include "playback/PreviewController.h"
#include "root/IdleSleepInhibitor.h"
#include "root/LocalManual.h"
#include "state/ModeTimeManager.h"
#include "update/UpdateChecker.h"
#include "window/MainWindow.h"
#include "window/QtDialogService.h"

#include <QCoreApplication>
#include <QTimer>

AppDelegate::AppDelegate()
    : m_bridge(CartovaController::sharedInstance()), m_state(ModeTimeManager::sharedInstance()),
      m_document(std::make_unique<Document>())
{
}

AppDelegate::~AppDelegate()
{
    // The control objects refer to the view, the dialogs and the document; they go first.
    m_quitFlow.reset();
    m_controlManager.reset();
    m_qtDialogs.reset();
    m_window.reset();
}

void AppDelegate::launch()
{
    m_window = std::make_unique<MainWindow>();
    m_qtDialogs = std::make_unique<QtDialogService>(m_window.get());
    launch(*m_window, *m_qtDialogs);
}

void AppDelegate::launch(MainView& view, DialogService& dialogs)
{
    m_view = &view;
    m_dialogs = &dialogs;
    m_controlManager = std::make_unique<ControlManager>(view, dialogs, *m_document, m_bridge, m_state);
    m_controlManager->setHelpUrl(LocalManualUrl());
    m_quitFlow = std::make_unique<QuitFlow>(*m_controlManager, view, dialogs, m_state);
    connect(m_quitFlow.get(), &QuitFlow::willTerminate, this, [this]() { m_assertion.reset(); });
    // A Qt main window (ours or a test's) sends its commands and intents to the control manager.
    if (auto* window = dynamic_cast<MainWindow*>(&view))
        window->bindCommands(*m_controlManager, *m_quitFlow);
    view.localizeMenus();
    view.setTitle(ViewItem::GainLabel, tr("Gain:"));
    m_controlManager->windowDidLoad();
    applicationDidFinishLaunching();
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_assertion = std::make_unique<IdleSleepInhibitor>(QStringLiteral("Audio Playing"));
    // The automatic check at start-up runs in the background and reports nothing itself:
    // only an offered update shows the checker's own dialog (the user's "Check for
    // Update" shows the results).
    if (UpdateChecker* checker = m_controlManager->updateChecker())
        checker->checkUpdate();
    if (!m_controlManager->isDeviceExist())
        m_dialogs->OkAlertWithMessage(tr("No device found."), m_bridge.DeviceProblem());
    m_controlManager->resetDocument();
    m_controlManager->LoadRecordSettings();
    m_view->showWindow();
    QTimer::singleShot(0, this, [this]() {
        if (m_view)
            m_view->scrollWaveToOrigin();
        // Over the window: a recording an earlier run left unwritten.
        if (m_controlManager)
            m_controlManager->offerRecovery();
    });
}

MarkerManager* AppDelegate::markerManager() const
{
    return m_document->markers();
}

WaveImageManager* AppDelegate::waveImageManager() const
{
    return m_document->peaks();
}

void AppDelegate::shutdown()
{
    if (m_controlManager) {
        // A write still running is cancelled and its unfinished file removed (without
        // one this does nothing).
        m_bridge.SaveFileCancel(true);
        const uint32_t status = m_state.status();
        if (status >= ModeStatusPreRecording && status <= ModeStatusStopping)
            m_bridge.Stop(true);
        if (PreviewController* preview = m_controlManager->previewController())
            preview->Stop();
        // A user who quit is done with the recording; after a termination from outside
        // it stays to be recovered.
        if (m_quitFlow && m_quitFlow->closesRecording())
            m_bridge.New();
    }
    // Without receivers, the posted notifications are delivered to nobody and freed.
    m_quitFlow.reset();
    m_controlManager.reset();
    m_document = std::make_unique<Document>();
    QCoreApplication::sendPostedEvents(&m_bridge, 0);
}
