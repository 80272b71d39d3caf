// Quitting: the Quit command and the window's close button both ask "Are you sure you
// want to exit?" (after pausing what runs), save the settings and leave the event loop;
// a recording in progress is stopped at once, playback paused. The recording is closed on
// the way out. A termination from outside (a logout, SIGTERM) asks nothing: it ends a
// recording in progress and leaves it to be recovered at the next start.
#pragma once

#include "control/Command.h"

#include <QObject>

class ControlManager;
class DialogService;
class MainView;
class ModeTimeManager;

class QuitFlow : public QObject, public WindowCloseHandler {
    Q_OBJECT
public:
    // Everything passed in outlives the flow.
    QuitFlow(ControlManager& control, MainView& view, DialogService& dialogs, ModeTimeManager& state,
             QObject* parent = nullptr);

    // Pauses what runs, then asks; true when the user confirmed.
    bool askAppExit();
    // Confirms (unless the window's close already did) and saves the settings.
    bool applicationShouldTerminate();
    // Quit as the Quit command does: confirm, save the settings, leave the event loop.
    void terminate();
    // Quit without a question: a recording in progress ends, the settings are saved and
    // the event loop (with any dialog's) is left.
    void terminateFromOutside();

    bool windowShouldClose() override;
    void windowWillClose() override;

    bool terminateByWindowClose() const { return m_terminateByWindowClose; }
    bool hasTerminated() const { return m_terminated; }
    // Whether the recording is closed on the way out: only when the user quit.
    bool closesRecording() const { return m_terminated && !m_fromOutside; }

signals:
    // Quitting was confirmed; sent before the event loop is left.
    void willTerminate();

private:
    // A recording in progress ends at once (kept), playback pauses.
    void stopWhatRuns();

    ControlManager& m_control;
    MainView& m_view;
    DialogService& m_dialogs;
    ModeTimeManager& m_state;
    bool m_terminateByWindowClose = false;
    bool m_terminated = false;
    bool m_fromOutside = false;
};
