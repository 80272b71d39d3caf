// The questions and steps of quitting.
#include "control/QuitFlow.h"

#include "control/ControlManager.h"
#include "control/DialogService.h"
#include "control/MainView.h"
#include "state/ModeTimeManager.h"

#include <QCoreApplication>

QuitFlow::QuitFlow(ControlManager& control, MainView& view, DialogService& dialogs, ModeTimeManager& state,
                   QObject* parent)
    : QObject(parent), m_control(control), m_view(view), m_dialogs(dialogs), m_state(state)
{
    connect(&control, &ControlManager::exitRequested, this, &QuitFlow::terminate);
}

bool QuitFlow::askAppExit()
{
    switch (m_state.status()) {
    case ModeStatusPreRecording:
        m_control.RecStop(CommandSender::AppDelegate);
        break;
    case ModeStatusRecording:
        m_control.RecPause(CommandSender::AppDelegate);
        break;
    case ModeStatusEditPlaying:
        m_control.Pause(CommandSender::AppDelegate);
        break;
    default:
        break;
    }
    return m_dialogs.OkCancelAlertWithMessage(tr("Are you sure you want to exit?"));
}

bool QuitFlow::applicationShouldTerminate()
{
    if (!m_terminateByWindowClose && !askAppExit())
        return false;
    m_control.SaveRecordSettings();
    return true;
}

void QuitFlow::terminate()
{
    if (m_terminated || !applicationShouldTerminate())
        return;
    m_terminated = true;
    emit willTerminate();
    if (m_view.isWindowVisible())
        m_view.closeWindow();
    QCoreApplication::quit();
}

void QuitFlow::stopWhatRuns()
{
    const uint32_t status = m_state.status();
    if (status >= ModeStatusPreRecording && status <= ModeStatusRecordPaused)
        m_control.RecStop(CommandSender::AppDelegate);
    else if (status == ModeStatusEditPlaying)
        m_control.Pause(CommandSender::AppDelegate);
}

void QuitFlow::terminateFromOutside()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_fromOutside = true;
    stopWhatRuns();
    m_control.SaveRecordSettings();
    emit willTerminate();
    // Every event loop ends, an open dialog's too.
    QCoreApplication::exit(0);
}

bool QuitFlow::windowShouldClose()
{
    if (m_terminated)
        return true;
    if (!askAppExit())
        return false;
    m_terminateByWindowClose = true;
    return true;
}

void QuitFlow::windowWillClose()
{
    if (m_terminated)
        return;
    stopWhatRuns();
    terminate();
}
