// The driver of one recording: asks the framework to pre-record, start, pause, resume and
// stop, follows the recorded length (and completes the recording at the time limit), and
// turns the framework's stop into the edit mode: total time, automatic gain, fresh
// markers (with the day the recording started), pages and the wide scale. The control
// manager hands it the framework's notifications while it observes: from a successful
// pre-recording start until the recording has ended.
#pragma once

#include "state/ControlTypes.h"

#include <QDate>
#include <QObject>
#include <cstdint>

class CartovaController;
class DialogService;
class Document;
class MainView;
class ModeTimeManager;

class RecordManager : public QObject {
    Q_OBJECT
public:
    // Everything passed in outlives the recording manager.
    RecordManager(MainView& view, DialogService& dialogs, Document& document, CartovaController& bridge,
                  ModeTimeManager& state, QObject* parent = nullptr);
    ~RecordManager() override;

    // Only in the ready state: the framework's pre-recording; on success observation
    // starts and the status becomes "pre-recording".
    bool startPreRecording();
    // The framework's start; the status follows when the framework reports it.
    bool start();
    bool pause();
    bool resume();
    // Background: status "stopping", the framework reports the stop. Immediate: the status
    // becomes the edit mode when something was recorded, else ready.
    bool stop(StopKind kind);
    // Abandons the recording: no end-of-recording processing follows.
    bool stopWithoutNotification();
    // A recording the framework is opening again after an earlier run ended before its
    // tracks were written (started on startedOn): the waveform follows its preview as it
    // is rebuilt, the status is "stopping", and the framework's stop ends it as a
    // recording just made.
    void adoptRecovered(QDate startedOn);

    void onNotifyStream(double seconds);
    void onOperation(int32_t operation);
    void onNotifyError(int32_t code);

    bool isObserving() const { return m_observing; }
    // Audio-queue overflows the framework reported during the current recording.
    int lostAudioReports() const { return m_lostAudioReports; }

signals:
    // The recorded length reached the time limit: the recording is to be completed.
    void limitReached();
    // The recording has ended in the edit mode, its markers fresh.
    void recordingEnded();

private:
    void startObservation();
    void stopObservation();
    void endRecording();
    void reportLostAudio();

    MainView& m_view;
    DialogService& m_dialogs;
    Document& m_document;
    CartovaController& m_bridge;
    ModeTimeManager& m_state;
    bool m_observing = false;
    bool m_limitReached = false;
    int m_lostAudioReports = 0;
    QDate m_startedOn; // the day the framework reported the recording's start
};
