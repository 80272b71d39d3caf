// One recording, from pre-recording to the edit mode.
#include "control/RecordManager.h"

#include "bridge/CartovaController.h"
#include "control/DialogService.h"
#include "control/MainView.h"
#include "control/RecordingMath.h"
#include "document/Document.h"
#include "marker/MarkerManager.h"
#include "state/ModeTimeManager.h"
#include "wave/WaveImageManager.h"

#include <QDate>
#include <QPointer>
#include <QTimer>

RecordManager::RecordManager(MainView& view, DialogService& dialogs, Document& document, CartovaController& bridge,
                             ModeTimeManager& state, QObject* parent)
    : QObject(parent), m_view(view), m_dialogs(dialogs), m_document(document), m_bridge(bridge), m_state(state)
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
}

void RecordManager::stopObservation()
{
    m_observing = false;
}

bool RecordManager::startPreRecording()
{
    if (m_state.status() != ModeStatusReady)
        return false;
    if (m_bridge.StartPreRecording() != TkErrorSuccess)
        return false;
    startObservation();
    m_state.setStatus(ModeStatusPreRecording);
    return true;
}

bool RecordManager::start()
{
    return m_bridge.Start() == TkErrorSuccess;
}

bool RecordManager::pause()
{
    if (m_bridge.Pause() != TkErrorSuccess)
        return false;
    m_state.setStatus(ModeStatusRecordPaused);
    return true;
}

bool RecordManager::resume()
{
    if (m_bridge.Resume() != TkErrorSuccess)
        return false;
    m_state.setStatus(ModeStatusRecording);
    return true;
}

bool RecordManager::stop(StopKind kind)
{
    const bool immediate = kind == StopKind::Immediate;
    if (immediate) {
        const uint32_t status = m_state.status();
        const bool recorded = status == ModeStatusRecording || status == ModeStatusRecordPaused;
        m_state.setStatus(recorded ? ModeStatusEditStopped : ModeStatusReady);
    } else {
        m_state.setStatus(ModeStatusStopping);
    }
    return m_bridge.Stop(immediate) == TkErrorSuccess;
}

bool RecordManager::stopWithoutNotification()
{
    stopObservation();
    if (m_bridge.Stop(false) != TkErrorSuccess)
        return false;
    if (WaveImageManager* images = m_document.peaks())
        images->stopWaveGenerate();
    m_state.setStatus(ModeStatusEditStopped);
    return true;
}

void RecordManager::adoptRecovered(QDate startedOn)
{
    startObservation();
    m_startedOn = startedOn;
    if (WaveImageManager* images = m_document.peaks())
        images->startWaveGenerate();
    m_state.setStatus(ModeStatusStopping);
}

void RecordManager::onNotifyStream(double seconds)
{
    m_state.setCurrentTime(seconds);
    if (seconds < kRecordingTimeLimit || m_limitReached)
        return;
    // Positions keep arriving until the framework has stopped: complete only once.
    const uint32_t status = m_state.status();
    if (status != ModeStatusRecording && status != ModeStatusRecordPaused)
        return;
    m_limitReached = true;
    emit limitReached();
    QPointer<RecordManager> self(this);
    m_state.DispatchAfterRecStop([self]() {
        if (self)
            self->m_dialogs.OkAlertWithMessage(tr("Stopped recording because the limit of recording time has been reached."));
    });
}

void RecordManager::onOperation(int32_t operation)
{
    const uint32_t status = m_state.status();
    if (operation == TkRecOperationRecordingStarted) {
        if (status != ModeStatusStartRequested)
            return;
        if (WaveImageManager* images = m_document.peaks())
            images->startWaveGenerate();
        m_startedOn = QDate::currentDate();
        m_state.setStatus(ModeStatusRecording);
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
    WaveImageManager* images = m_document.peaks();
    if (images)
        images->stopWaveGenerate();

    uint64_t frames = 0;
    m_bridge.GetPreviewDataLength(frames);
    const uint64_t frequency = images ? images->frequency() : 0;
    const double total = frequency > 0 ? static_cast<double>(frames) / static_cast<double>(frequency) : 0.0;

    const double peak = images ? static_cast<double>(images->getMaximumSample()) : 0.0;
    m_state.setAutoGain(AutomaticGain(peak));
    m_state.setCurrentTime(0.0);

    m_state.setTotalTime(total);
    m_document.startMarkers(total).setRecordingDate(m_startedOn);

    m_view.initPages(total);
    m_view.setHidden(ViewItem::PageSelector, m_view.pageState().pageCount < 2);
    m_view.setIsZoom(false);

    m_state.setStatus(ModeStatusEditStopped);
    stopObservation();
    emit recordingEnded();
    reportLostAudio();
}

void RecordManager::reportLostAudio()
{
    std::vector<TkDroppedAudio> places;
    m_bridge.GetDroppedAudio(places);
    if (places.empty() && m_lostAudioReports == 0)
        return;
    TkRecordSetting setting{};
    m_bridge.GetRecordSetting(setting);
    const AlertRequest alert = LostAudioAlert(places, setting.freq, m_lostAudioReports);
    // After the edit mode is on screen.
    QTimer::singleShot(0, this, [this, alert]() { m_dialogs.runAlert(alert); });
}
