// A dialog service for tests: records every dialog the code under test opens and answers
// it from a script. Alerts are answered by onAlert when set (it may act while the alert
// is "open", as a modal loop would), else by the next queued answer, else by
// defaultAlertAnswer. Other dialogs have one handler each; without one they answer
// "cancelled".
#pragma once

#include "control/DialogService.h"

#include <deque>
#include <functional>
#include <vector>

struct ScriptedDialogs : DialogService {
    std::vector<AlertRequest> alerts;
    std::deque<int> alertAnswers;
    int defaultAlertAnswer = 0;
    std::function<int(const AlertRequest&)> onAlert;

    std::function<QString(const QString& title, const QString& initial)> onChooseFolder;
    std::function<QString(const QString& title, const QString& name, const QStringList& filters)> onChooseSaveFile;
    std::function<QString(const QString& title, const QString& initial, const QStringList& filters)> onChooseOpenFile;
    std::function<bool(SettingValues&, SettingManager&)> onSettingDialog;
    std::function<int(const QString& extension, MarkerManager&, QString& dirName)> onSaveDialog;
    std::function<void(ProgressDelegate&)> onProgressDialog;
    std::function<bool(TkClickSensitivity&)> onRepairClicksDialog;
    std::function<bool(TrackGapsRequest&)> onTrackGapsDialog; // none: accepted as shown
    std::vector<TrackGapsRequest> trackGapsRequests;
    std::function<int()> onUpdateFileNamesDialog;
    std::function<int(const UpdateOffer&)> onUpdateDialog;

    int settingDialogRuns = 0;
    int saveDialogRuns = 0;
    int progressDialogRuns = 0;
    int progressDialogFinishes = 0;
    int aboutShown = 0;
    QStringList openedUrls;

    // The messages of every alert so far, in order.
    QStringList messages() const;
    // The last alert; fails the test when there was none.
    const AlertRequest& lastAlert() const;
    void clear();

    int runAlert(const AlertRequest& request) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    QString chooseSaveFile(const QString& title, const QString& defaultName, const QStringList& filters) override;
    QString chooseOpenFile(const QString& title, const QString& initialFolder, const QStringList& filters) override;
    bool runSettingDialog(SettingValues& values, SettingManager& manager) override;
    int runSaveDialog(const QString& extension, MarkerManager& markers, QString& dirName) override;
    void runProgressDialog(ProgressDelegate& delegate) override;
    void finishProgressDialog() override { ++progressDialogFinishes; }
    bool runRepairClicksDialog(TkClickSensitivity& sensitivity) override;
    bool runTrackGapsDialog(TrackGapsRequest& request) override;
    int runUpdateFileNamesDialog() override;
    int runUpdateDialog(const UpdateOffer& offer) override;
    void showAbout() override { ++aboutShown; }
    void openUrl(const QString& url) override { openedUrls.push_back(url); }
};
