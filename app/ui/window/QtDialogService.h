// The dialogs of the program as real Qt dialogs, each parented to the main window so that
// it is modal over it and centred on it. Dialogs built once (about, settings) are created
// on first use and kept.
#pragma once

#include "control/DialogService.h"

#include <QPointer>

class AboutDialog;
class ProgressDialog;
class QWidget;
class SaveDialog;
class SettingDialog;

class QtDialogService : public DialogService {
public:
    explicit QtDialogService(QWidget* mainWindow);
    ~QtDialogService() override;

    int runAlert(const AlertRequest& request) override;
    QString chooseFolder(const QString& title, const QString& initialFolder) override;
    QString chooseSaveFile(const QString& title, const QString& defaultName, const QStringList& nameFilters) override;
    QString chooseOpenFile(const QString& title, const QString& initialFolder, const QStringList& nameFilters) override;
    bool runSettingDialog(SettingValues& values, SettingManager& manager) override;
    int runSaveDialog(const QString& extension, MarkerManager& markers, QString& dirName) override;
    void runProgressDialog(ProgressDelegate& delegate) override;
    void finishProgressDialog() override;
    bool runRepairClicksDialog(TkClickSensitivity& sensitivity) override;
    bool runTrackGapsDialog(TrackGapsRequest& request) override;
    int runUpdateFileNamesDialog() override;
    int runUpdateDialog(const UpdateOffer& offer) override;
    void showAbout() override;
    void openUrl(const QString& url) override;

private:
    SaveDialog& saveDialog();

    QWidget* m_mainWindow;
    QPointer<SaveDialog> m_save;
    QPointer<ProgressDialog> m_progress;
    QPointer<AboutDialog> m_about;
    QPointer<SettingDialog> m_settings;
};
