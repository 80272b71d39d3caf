// Start-up, reset, device check and quit handling of the application.
#include "control/AppDelegate.h"

#include "control/CartovaController.h"
#include "control/ControlManager.h"
#include "control/DialogService.h"
#include "control/IdleSleepInhibitor.h"
#include "control/MainView.h"
#include "control/ModeTimeManager.h"
#include "control/SettingManager.h"
#include "marker/MarkerManager.h"
#include "playback/PreviewController.h"
#include "update/UpdateChecker.h"
#include "wave/WaveImageManager.h"
#include "window/MainWindow.h"
#include "window/QtDialogService.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

// Frequency of the waveform of an empty recording.
constexpr uint64_t kInitialWaveFrequency = 44100;
// How often a retired wave image manager is looked at until its worker has finished.
constexpr int kRetiredPollMs = 50;

} // namespace

AppDelegate::AppDelegate() = default;

AppDelegate::~AppDelegate()
{
    // The control manager refers to the view and the dialogs; it goes first.
    m_controlManager.reset();
    m_qtDialogs.reset();
    m_window.reset();
}

void AppDelegate::launch()
{
    m_window = std::make_unique<MainWindow>(this);
    m_qtDialogs = std::make_unique<QtDialogService>(m_window.get());
    launch(*m_window, *m_qtDialogs);
}

void AppDelegate::launch(MainView& view, DialogService& dialogs)
{
    m_view = &view;
    m_dialogs = &dialogs;
    m_controlManager = std::make_unique<ControlManager>(view, dialogs, this);
    // The Qt main window forwards its controls' actions to the control manager.
    if (auto* window = dynamic_cast<MainWindow*>(&view))
        window->bindCommands(*m_controlManager);
    awakeFromNib();
    m_controlManager->windowDidLoad();
    applicationDidFinishLaunching();
}

void AppDelegate::awakeFromNib()
{
    m_view->localizeMenus();
    m_view->setTitle(ViewItem::GainLabel, tr("Gain:"));
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
        m_dialogs->OkAlertWithMessage(tr("No device found."), CartovaController::sharedInstance().DeviceProblem());
    onFileNew();
    m_controlManager->LoadRecordSettings();
    m_view->showWindow();
    QTimer::singleShot(0, this, [this]() {
        if (m_view)
            m_view->scrollWaveToOrigin();
    });
}

void AppDelegate::onFileNew()
{
    CartovaController::sharedInstance().New();

    auto images = std::make_unique<WaveImageManager>(kInitialWaveFrequency);
    m_view->resetWave(images.get());
    if (m_waveImageManager)
        retire(std::move(m_waveImageManager));
    m_waveImageManager = std::move(images);

    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    mtm.setCurrentTime(0.0);
    mtm.setTotalTime(0.0);
    mtm.setStatus(ModeStatusReady);
    mtm.setIsAutoGain(false);
    mtm.setGain(0.0);

    if (m_view)
        m_view->showMarkers(nullptr);
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
        m_controlManager->RecStop(CommandSender::AppDelegate);
        break;
    case ModeStatusRecording:
        m_controlManager->RecPause(CommandSender::AppDelegate);
        break;
    case ModeStatusEditPlaying:
        m_controlManager->Pause(CommandSender::AppDelegate);
        break;
    default:
        break;
    }
    return m_dialogs->OkCancelAlertWithMessage(tr("Are you sure you want to exit?"));
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
    if (m_view && m_view->isWindowVisible())
        m_view->closeWindow();
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
        m_controlManager->RecStop(CommandSender::AppDelegate);
    else if (status == ModeStatusEditPlaying)
        m_controlManager->Pause(CommandSender::AppDelegate);
    terminate();
}

void AppDelegate::retire(std::unique_ptr<WaveImageManager> images)
{
    // Its worker does one last pass after the stop; the manager must outlive it, and the
    // main thread must not wait for it.
    images->stopWaveGenerate();
    m_retiredWaveImages.push_back(std::move(images));
    releaseFinishedWaveImageManagers();
}

void AppDelegate::releaseFinishedWaveImageManagers()
{
    std::erase_if(m_retiredWaveImages, [](const std::unique_ptr<WaveImageManager>& m) { return !m->isGenerating(); });
    if (!m_retiredWaveImages.empty())
        QTimer::singleShot(kRetiredPollMs, this, &AppDelegate::releaseFinishedWaveImageManagers);
}

void AppDelegate::shutdown()
{
    CartovaController& bridge = CartovaController::sharedInstance();
    if (m_controlManager) {
        // A write still running is cancelled and its unfinished file removed (without
        // one this does nothing).
        bridge.SaveFileCancel(true);
        const uint32_t status = ModeTimeManager::sharedInstance().status();
        if (status >= ModeStatusPreRecording && status <= ModeStatusStopping)
            bridge.Stop(true);
        if (PreviewController* preview = m_controlManager->previewController())
            preview->Stop();
    }
    // Without observers, the posted notifications are delivered to nobody and freed.
    m_controlManager.reset();
    m_markerManager.reset();
    m_waveImageManager.reset();
    m_retiredWaveImages.clear();
    QCoreApplication::sendPostedEvents(&bridge, 0);
}

void AppDelegate::setMarkerManager(std::unique_ptr<MarkerManager> manager)
{
    if (manager) {
        manager->setAlertHandler([this](const QString& message) {
            if (m_dialogs)
                m_dialogs->OkAlertWithMessage(message);
        });
    }
    m_markerManager = std::move(manager);
    if (m_view)
        m_view->showMarkers(m_markerManager.get());
}
