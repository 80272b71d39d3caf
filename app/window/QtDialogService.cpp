// Qt dialogs behind the dialog service.
#include "window/QtDialogService.h"

#include "save/AlertDialog.h"
#include "settings/SettingDialog.h"
#include "window/AboutDialog.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

QtDialogService::QtDialogService(QWidget* mainWindow) : m_mainWindow(mainWindow) {}

QtDialogService::~QtDialogService() = default;

int QtDialogService::runAlert(const AlertRequest& request)
{
    return AlertDialog::Run(request, m_mainWindow);
}

QString QtDialogService::chooseFolder(const QString& title, const QString& initialFolder)
{
    return QFileDialog::getExistingDirectory(m_mainWindow, title, initialFolder, QFileDialog::ShowDirsOnly);
}

QString QtDialogService::chooseSaveFile(const QString& title, const QString& defaultName,
                                        const QStringList& nameFilters)
{
    return QFileDialog::getSaveFileName(m_mainWindow, title, defaultName, nameFilters.join(QStringLiteral(";;")));
}

bool QtDialogService::runSettingDialog(SettingValues& values, SettingManager& manager)
{
    if (!m_settings)
        m_settings = new SettingDialog(m_mainWindow);
    SettingDialog& dialog = *m_settings;
    dialog.setIsRecModeDsd(values.isRecModeDsd);
    dialog.setDsdSamplingRate(values.dsdSamplingRate);
    dialog.setPcmSamplingRate(values.pcmSamplingRate);
    dialog.setPcmBitDepth(values.pcmBitDepth);
    dialog.setTemporaryDirectory(values.temporaryDirectory);
    dialog.setDefaultDirectory(values.defaultDirectory);
    dialog.setSettingManager(&manager);
    dialog.selectFirstTab();
    if (dialog.exec() == QDialog::Rejected)
        return false;
    values.isRecModeDsd = dialog.isRecModeDsd();
    values.dsdSamplingRate = dialog.DsdSamplingRate();
    values.pcmSamplingRate = dialog.PcmSamplingRate();
    values.pcmBitDepth = dialog.PcmBitDepth();
    values.temporaryDirectory = dialog.temporaryDirectory();
    return true;
}

int QtDialogService::runSaveDialog(const QString&, MarkerManager&, QString&)
{
    // The write-to-files dialog plugs in here; until then writing is never started.
    return 0;
}

void QtDialogService::runProgressDialog(ProgressDelegate&)
{
    // The progress dialog plugs in here: modal, polling the delegate every 0.1 s until
    // finishProgressDialog().
}

void QtDialogService::finishProgressDialog() {}

int QtDialogService::runUpdateFileNamesDialog()
{
    // The file-name update dialog plugs in here.
    return -1;
}

int QtDialogService::runUpdateDialog(const UpdateOffer&)
{
    // The update offer plugs in here.
    return 0;
}

void QtDialogService::showAbout()
{
    if (!m_about)
        m_about = new AboutDialog(m_mainWindow);
    AboutDialog* about = m_about;
    about->adjustSize();
    if (m_mainWindow) {
        QRect frame = about->frameGeometry();
        frame.moveCenter(m_mainWindow->frameGeometry().center());
        about->move(frame.topLeft());
    }
    about->show();
    about->raise();
    about->activateWindow();
}

void QtDialogService::openUrl(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
