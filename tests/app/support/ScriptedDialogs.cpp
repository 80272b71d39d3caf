// Scripted answers to the program's dialogs.
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

QStringList ScriptedDialogs::messages() const
{
    QStringList result;
    for (const AlertRequest& a : alerts)
        result.push_back(a.message);
    return result;
}

const AlertRequest& ScriptedDialogs::lastAlert() const
{
    static const AlertRequest none;
    EXPECT_FALSE(alerts.empty()) << "no alert was shown";
    return alerts.empty() ? none : alerts.back();
}

void ScriptedDialogs::clear()
{
    alerts.clear();
    alertAnswers.clear();
}

int ScriptedDialogs::runAlert(const AlertRequest& request)
{
    alerts.push_back(request);
    if (onAlert)
        return onAlert(request);
    if (!alertAnswers.empty()) {
        const int answer = alertAnswers.front();
        alertAnswers.pop_front();
        return answer;
    }
    return defaultAlertAnswer;
}

QString ScriptedDialogs::chooseFolder(const QString& title, const QString& initialFolder)
{
    return onChooseFolder ? onChooseFolder(title, initialFolder) : QString();
}

QString ScriptedDialogs::chooseSaveFile(const QString& title, const QString& defaultName, const QStringList& filters)
{
    return onChooseSaveFile ? onChooseSaveFile(title, defaultName, filters) : QString();
}

QString ScriptedDialogs::chooseOpenFile(const QString& title, const QString& initialFolder, const QStringList& filters)
{
    return onChooseOpenFile ? onChooseOpenFile(title, initialFolder, filters) : QString();
}

bool ScriptedDialogs::runSettingDialog(SettingValues& values, SettingManager& manager)
{
    ++settingDialogRuns;
    return onSettingDialog ? onSettingDialog(values, manager) : false;
}

int ScriptedDialogs::runSaveDialog(const QString& extension, MarkerManager& markers, QString& dirName)
{
    ++saveDialogRuns;
    return onSaveDialog ? onSaveDialog(extension, markers, dirName) : 0;
}

void ScriptedDialogs::runProgressDialog(ProgressDelegate& delegate)
{
    ++progressDialogRuns;
    if (onProgressDialog)
        onProgressDialog(delegate);
}

bool ScriptedDialogs::runTrackGapsDialog(TrackGapsRequest& request)
{
    trackGapsRequests.push_back(request);
    return !onTrackGapsDialog || onTrackGapsDialog(request);
}

bool ScriptedDialogs::runRepairClicksDialog(TkClickSensitivity& sensitivity)
{
    return onRepairClicksDialog && onRepairClicksDialog(sensitivity);
}

int ScriptedDialogs::runUpdateFileNamesDialog()
{
    return onUpdateFileNamesDialog ? onUpdateFileNamesDialog() : -1;
}

int ScriptedDialogs::runUpdateDialog(const UpdateOffer& offer)
{
    return onUpdateDialog ? onUpdateDialog(offer) : 0;
}
