// The driver of one recording: asks the framework to pre-record, start, pause, resume and
// stop, follows the recorded length (and completes the recording at the time limit), and
// turns the framework's stop into the edit mode: total time, automatic gain, fresh
// markers, pages and the wide scale. It observes the bridge's notifications from a
// successful pre-recording start until the recording has ended.
#pragma once

#include "control/ControlTypes.h"

#include <QObject>
#include <cstdint>

class AppDelegate;
class ControlManager;
struct Notification;

class RecordManager : public QObject {
    Q_OBJECT
public:
    RecordManager(ControlManager& controlManager, AppDelegate* app, QObject* parent = nullptr);
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

    void onNotifyStream(double seconds);
    void onOperation(int32_t operation);
    void onNotifyError(int32_t code);

    bool isObserving() const { return m_observing; }
    // Audio-queue overflows the framework reported during the current recording.
    int lostAudioReports() const { return m_lostAudioReports; }

private:
    void startObservation();
    void stopObservation();
    void endRecording();
    void reportLostAudio();

    ControlManager& m_controlManager;
    AppDelegate* m_app;
    bool m_observing = false;
    bool m_limitReached = false;
    int m_lostAudioReports = 0;
};
