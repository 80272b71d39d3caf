// Start-up, reset, device check and quit handling of the application.
#include "control/AppDelegate.h"

#include "control/CartovaController.h"
#include "control/ControlManager.h"
#include "control/IdleSleepInhibitor.h"
#include "control/ModeTimeManager.h"
#include "control/SettingManager.h"
#include "marker/MarkerManager.h"
#include "playback/PreviewController.h"
#include "update/UpdateChecker.h"
#include "wave/PageSelectMatrix.h"
#include "wave/WaveImageManager.h"
#include "wave/WaveView.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

AppDelegate::AppDelegate() = default;

AppDelegate::~AppDelegate()
{
    // The control manager refers to the window's controls; it goes first.
    m_controlManager.reset();
    m_window.reset();
}

void AppDelegate::launch()
{
    m_window = std::make_unique<MainWindow>(this);
    m_controlManager = std::make_unique<ControlManager>(m_window->controls(), this);
    if (m_alertHandler)
        m_controlManager->setAlertHandler(m_alertHandler);
    awakeFromNib();
    m_controlManager->windowDidLoad();
    applicationDidFinishLaunching();
}

void AppDelegate::awakeFromNib()
{
    m_window->localize(m_window->menuBar());
    if (QLabel* gainLabel = m_window->controls().gainLabel)
        gainLabel->setText(tr("Gain:"));
    m_terminate_by_window_close = false;
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_assertion = std::make_unique<IdleSleepInhibitor>(QStringLiteral("Audio Playing"));
    // The automatic check at start-up runs in the background and reports nothing itself:
    // only an offered update shows the checker's own dialog (the user's "Check for
    // Update" shows the results).
    if (UpdateChecker* checker = m_controlManager->updateChecker())
        checker->checkUpdate();
    if (!isDeviceExist())
        m_controlManager->alertHandler()(AlertKind::Ok, tr("No device found."), QString());
    onFileNew();
    m_controlManager->LoadRecordSettings();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    QTimer::singleShot(0, this, [this]() {
        if (QScrollArea* scroll = m_window->controls().waveScrollView) {
            scroll->horizontalScrollBar()->setValue(0);
            scroll->verticalScrollBar()->setValue(0);
        }
    });
}

void AppDelegate::onFileNew()
{
    CartovaController::sharedInstance().New();

    const MainWindowControls& c = m_window->controls();
    auto images = std::make_unique<WaveImageManager>(44100);
    if (c.waveView) {
        c.waveView->setImage_mng(images.get());
        c.waveView->reset();
    }
    m_waveImageManager = std::move(images);
    if (c.pageSelectMatrix) {
        c.pageSelectMatrix->setWaveView(c.waveView);
        c.pageSelectMatrix->setHidden(true);
    }
    if (c.waveScrollView) {
        c.waveScrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        c.waveScrollView->horizontalScrollBar()->setEnabled(false);
    }

    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    mtm.setCurrentTime(0.0);
    mtm.setTotalTime(0.0);
    mtm.setStatus(ModeStatusReady);
    mtm.setIsAutoGain(false);
    mtm.setGain(0.0);

    m_markerManager.reset();
}

bool AppDelegate::isDeviceExist()
{
    CartovaController& bridge = CartovaController::sharedInstance();
    QStringList names;
    if (bridge.GetAudioDevices(names) != TkErrorSuccess || names.isEmpty())
        return false;
    AudioDeviceInfo info;
    const TkError err = bridge.GetAudioDeviceInfo(info);
    if (err == TkErrorSuccess)
        return names.contains(info.device_name);
    if (err == TkErrorInvalidState)
        return bridge.SetAudioDevice(names.first()) == TkErrorSuccess;
    return false;
}

bool AppDelegate::askAppExit()
{
    switch (ModeTimeManager::sharedInstance().status()) {
    case ModeStatusPreRecording:
        m_controlManager->RecStop(this);
        break;
    case ModeStatusRecording:
        m_controlManager->RecPause(this);
        break;
    case ModeStatusEditPlaying:
        m_controlManager->Pause(this);
        break;
    default:
        break;
    }
    return m_controlManager->alertHandler()(AlertKind::OkCancel, tr("Are you sure you want to exit?"), QString());
}

bool AppDelegate::applicationShouldTerminate()
{
    if (!m_terminate_by_window_close && !askAppExit())
        return false;
    m_controlManager->SaveRecordSettings();
    return true;
}

void AppDelegate::applicationWillTerminate()
{
    m_assertion.reset();
    m_markerManager.reset();
}

void AppDelegate::terminate()
{
    if (m_terminated || !applicationShouldTerminate())
        return;
    m_terminated = true;
    applicationWillTerminate();
    if (m_window && m_window->isVisible()) {
        m_window->setCloseConfirmed(true);
        m_window->close();
    }
    QCoreApplication::quit();
}

bool AppDelegate::windowShouldClose()
{
    if (m_terminated)
        return true;
    if (!askAppExit())
        return false;
    m_terminate_by_window_close = true;
    return true;
}

void AppDelegate::windowWillClose()
{
    if (m_terminated)
        return;
    const uint32_t status = ModeTimeManager::sharedInstance().status();
    if (status >= ModeStatusPreRecording && status <= ModeStatusRecordPaused)
        m_controlManager->RecStop(this);
    else if (status == ModeStatusEditPlaying)
        m_controlManager->Pause(this);
    terminate();
}

void AppDelegate::setMarkerManager(std::unique_ptr<MarkerManager> manager)
{
    if (manager) {
        manager->setAlertHandler([this](const QString& message) {
            if (m_controlManager && m_controlManager->alertHandler())
                m_controlManager->alertHandler()(AlertKind::Ok, message, QString());
        });
    }
    m_markerManager = std::move(manager);
}
