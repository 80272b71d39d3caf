// One recording, from pre-recording to the edit mode.
#include "control/RecordManager.h"

#include "control/AppDelegate.h"
#include "control/CartovaController.h"
#include "control/ControlManager.h"
#include "control/DialogService.h"
#include "control/MainView.h"
#include "control/ModeTimeManager.h"
#include "control/NotificationCenter.h"
#include "control/RecordingMath.h"
#include "marker/MarkerManager.h"
#include "wave/WaveImageManager.h"

#include <QPointer>
#include <QTimer>

namespace {

ModeTimeManager& Mtm()
{
    return ModeTimeManager::sharedInstance();
}

} // namespace

RecordManager::RecordManager(ControlManager& controlManager, AppDelegate* app, QObject* parent)
    : QObject(parent), m_controlManager(controlManager), m_app(app)
{
}

RecordManager::~RecordManager()
{
    stopObservation();
}

void RecordManager::startObservation()
{
    if (m_observing)
        return;
    m_observing = true;
    m_limitReached = false;
    m_lostAudioReports = 0;
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, kStreamPosProc, [this](const Notification& n) { onNotifyStream(n.object.toDouble()); });
    center.addObserver(this, kNotifyOperationProc, [this](const Notification& n) { onOperation(n.object.toInt()); });
    center.addObserver(this, kNotifyErrorProc, [this](const Notification& n) { onNotifyError(n.object.toInt()); });
}

void RecordManager::stopObservation()
{
    m_observing = false;
    NotificationCenter::defaultCenter().removeObserver(this);
}

bool RecordManager::startPreRecording()
{
    if (Mtm().status() != ModeStatusReady)
        return false;
    if (CartovaController::sharedInstance().StartPreRecording() != TkErrorSuccess)
        return false;
    startObservation();
    Mtm().setStatus(ModeStatusPreRecording);
    return true;
}

bool RecordManager::start()
{
    return CartovaController::sharedInstance().Start() == TkErrorSuccess;
}

bool RecordManager::pause()
{
    if (CartovaController::sharedInstance().Pause() != TkErrorSuccess)
        return false;
    Mtm().setStatus(ModeStatusRecordPaused);
    return true;
}

bool RecordManager::resume()
{
    if (CartovaController::sharedInstance().Resume() != TkErrorSuccess)
        return false;
    Mtm().setStatus(ModeStatusRecording);
    return true;
}

bool RecordManager::stop(StopKind kind)
{
    const bool immediate = kind == StopKind::Immediate;
    if (immediate) {
        const uint32_t status = Mtm().status();
        const bool recorded = status == ModeStatusRecording || status == ModeStatusRecordPaused;
        Mtm().setStatus(recorded ? ModeStatusEditStopped : ModeStatusReady);
    } else {
        Mtm().setStatus(ModeStatusStopping);
    }
    return CartovaController::sharedInstance().Stop(immediate) == TkErrorSuccess;
}

bool RecordManager::stopWithoutNotification()
{
    stopObservation();
    if (CartovaController::sharedInstance().Stop(false) != TkErrorSuccess)
        return false;
    if (WaveImageManager* images = m_controlManager.getWaveImageManager())
        images->stopWaveGenerate();
    Mtm().setStatus(ModeStatusEditStopped);
    return true;
}

void RecordManager::onNotifyStream(double seconds)
{
    Mtm().setCurrentTime(seconds);
    if (seconds < kRecordingTimeLimit || m_limitReached)
        return;
    // Positions keep arriving until the framework has stopped: complete only once.
    const uint32_t status = Mtm().status();
    if (status != ModeStatusRecording && status != ModeStatusRecordPaused)
        return;
    m_limitReached = true;
    m_controlManager.RecStop(CommandSender::RecordManager);
    QPointer<ControlManager> controlManager(&m_controlManager);
    Mtm().DispatchAfterRecStop([controlManager]() {
        if (controlManager)
            controlManager->dialogs().OkAlertWithMessage(
                tr("Stopped recording because the limit of recording time has been reached."));
    });
}

void RecordManager::onOperation(int32_t operation)
{
    const uint32_t status = Mtm().status();
    if (operation == TkRecOperationRecordingStarted) {
        if (status != ModeStatusStartRequested)
            return;
        if (WaveImageManager* images = m_controlManager.getWaveImageManager())
            images->startWaveGenerate();
        Mtm().setStatus(ModeStatusRecording);
    } else if (operation == TkRecOperationStopped) {
        if (status == ModeStatusStopping || status == ModeStatusRecording)
            endRecording();
    }
}

void RecordManager::onNotifyError(int32_t code)
{
    // Recording goes on after an overflow; the user hears of it when the recording ends.
    if (code == TkNotifyQueueOverflow)
        ++m_lostAudioReports;
}

void RecordManager::endRecording()
{
    WaveImageManager* images = m_controlManager.getWaveImageManager();
    if (images)
        images->stopWaveGenerate();

    uint64_t frames = 0;
    CartovaController::sharedInstance().GetPreviewDataLength(frames);
    const uint64_t frequency = images ? images->frequency() : 0;
    const double total = frequency > 0 ? static_cast<double>(frames) / static_cast<double>(frequency) : 0.0;

    const double peak = images ? static_cast<double>(images->getMaximumSample()) : 0.0;
    Mtm().setAutoGain(AutomaticGain(peak));
    Mtm().setCurrentTime(0.0);

    if (m_app) {
        m_app->setMarkerManager(std::make_unique<MarkerManager>());
        Mtm().setTotalTime(total);
        m_app->markerManager()->ResetWithTotalTime(total);
    } else {
        Mtm().setTotalTime(total);
    }

    MainView& view = m_controlManager.view();
    view.initPages(total);
    view.setHidden(ViewItem::PageSelector, view.pageState().pageCount < 2);
    view.setIsZoom(false);

    Mtm().setStatus(ModeStatusEditStopped);
    stopObservation();
    reportLostAudio();
}

void RecordManager::reportLostAudio()
{
    CartovaController& bridge = CartovaController::sharedInstance();
    std::vector<TkDroppedAudio> places;
    bridge.GetDroppedAudio(places);
    if (places.empty() && m_lostAudioReports == 0)
        return;
    TkRecordSetting setting{};
    bridge.GetRecordSetting(setting);
    const AlertRequest alert = LostAudioAlert(places, setting.freq, m_lostAudioReports);
    // After the edit mode is on screen.
    QTimer::singleShot(0, this, [this, alert]() { m_controlManager.dialogs().runAlert(alert); });
}
