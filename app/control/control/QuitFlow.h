// Quitting: the Quit command and the window's close button both ask "Are you sure you
// want to exit?" (after pausing what runs), save the settings and leave the event loop;
// a recording in progress is stopped at once, playback paused.
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

    bool windowShouldClose() override;
    void windowWillClose() override;

    bool terminateByWindowClose() const { return m_terminateByWindowClose; }
    bool hasTerminated() const { return m_terminated; }

signals:
    // Quitting was confirmed; sent before the event loop is left.
    void willTerminate();

private:
    ControlManager& m_control;
    MainView& m_view;
    DialogService& m_dialogs;
    ModeTimeManager& m_state;
    bool m_terminateByWindowClose = false;
    bool m_terminated = false;
};
