// Qt dialogs behind the dialog service.
#include "window/QtDialogService.h"

#include "save/AlertDialog.h"
#include "save/FileSaveFlow.h"
#include "save/MarkerManagerTracks.h"
#include "save/ProgressDialog.h"
#include "save/SaveDialog.h"
#include "save/UpdateFileNamesDialog.h"
#include "repair/RepairClicksDialog.h"
#include "marker/TrackGapsDialog.h"
#include "settings/SettingDialog.h"
#include "update/UpdateDialog.h"
#include "window/AboutDialog.h"
#include "window/ModalFocus.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QUrl>

QtDialogService::QtDialogService(QWidget* mainWindow) : m_mainWindow(mainWindow)
{
    if (mainWindow)
        new ModalFocus(mainWindow); // owned by the window
}

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

QString QtDialogService::chooseOpenFile(const QString& title, const QString& initialFolder,
                                        const QStringList& nameFilters)
{
    return QFileDialog::getOpenFileName(m_mainWindow, title, initialFolder, nameFilters.join(QStringLiteral(";;")));
}

bool QtDialogService::runSettingDialog(SettingValues& values, SettingManager& manager)
{
    if (!m_settings) {
        m_settings = new SettingDialog(m_mainWindow);
        // Its folder chooser and alerts are this service's, parented to the main window.
        m_settings->setFolderChooser(
            [this](const QString& title, const QString& start) { return chooseFolder(title, start); });
        m_settings->setAlertHandler(alertHandler());
    }
    SettingDialog& dialog = *m_settings;
    dialog.setIsRecModeDsd(values.isRecModeDsd);
    dialog.setDsdSamplingRate(values.dsdSamplingRate);
    dialog.setPcmSamplingRate(values.pcmSamplingRate);
    dialog.setPcmBitDepth(values.pcmBitDepth);
    dialog.setPcmFileFormat(values.pcmFileFormat);
    dialog.setTemporaryDirectory(values.temporaryDirectory);
    dialog.setDefaultDirectory(values.defaultDirectory);
    dialog.setSettingManager(&manager);
    dialog.selectFirstTab();
    if (dialog.exec() == QDialog::Rejected)
        return false;
    values.isRecModeDsd = dialog.isRecModeDsd();
    // A list without a selection (the device offers none of that format) keeps the stored value.
    if (dialog.DsdSamplingRate() > 0)
        values.dsdSamplingRate = static_cast<uint64_t>(dialog.DsdSamplingRate());
    if (dialog.PcmSamplingRate() > 0)
        values.pcmSamplingRate = static_cast<uint64_t>(dialog.PcmSamplingRate());
    if (dialog.PcmBitDepth() > 0)
        values.pcmBitDepth = static_cast<int16_t>(dialog.PcmBitDepth());
    values.pcmFileFormat = dialog.PcmFileFormat();
    values.temporaryDirectory = dialog.temporaryDirectory();
    return true;
}

SaveDialog& QtDialogService::saveDialog()
{
    if (!m_save) {
        m_save = new SaveDialog(m_mainWindow);
        m_save->setPrompts({alertHandler(),
                            [this](const QString& title, const QString& initial) { return chooseFolder(title, initial); },
                            [this] { return runUpdateFileNamesDialog(); },
                            [this](const QString& title, const QString& initial, const QStringList& filters) {
                                return chooseOpenFile(title, initial, filters);
                            }});
    }
    return *m_save;
}

int QtDialogService::runSaveDialog(const QString& extension, MarkerManager& markers, QString& dirName)
{
    SaveDialog& dialog = saveDialog();
    MarkerManagerTracks tracks(markers);
    dialog.setExtension(extension);
    dialog.setTrackFormat(RecordedTrackFormat());
    dialog.setMarkerManager(&tracks);
    dialog.updateTabOrder();
    const int response = dialog.exec();
    dirName = dialog.dir_name();
    dialog.setMarkerManager(nullptr); // the adapter ends here
    return response;
}

void QtDialogService::runProgressDialog(ProgressDelegate& delegate)
{
    if (!m_progress)
        m_progress = new ProgressDialog(m_mainWindow);
    m_progress->setProgressDelegate(&delegate);
    m_progress->start();
    m_progress->runModal();
    m_progress->stop();
    m_progress->setProgressDelegate(nullptr);
}

void QtDialogService::finishProgressDialog()
{
    if (m_progress)
        m_progress->onFinish();
}

bool QtDialogService::runTrackGapsDialog(TrackGapsRequest& request)
{
    TrackGapsDialog dialog(request, m_mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request.trackCount = dialog.trackCount();
    return true;
}

bool QtDialogService::runRepairClicksDialog(TkClickSensitivity& sensitivity)
{
    RepairClicksDialog dialog(m_mainWindow);
    dialog.setSensitivity(sensitivity);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    sensitivity = dialog.sensitivity();
    return true;
}

int QtDialogService::runUpdateFileNamesDialog()
{
    return saveDialog().update_dialog()->exec();
}

int QtDialogService::runUpdateDialog(const UpdateOffer& offer)
{
    UpdateDialog dialog(m_mainWindow);
    dialog.setVersion(offer.version);
    dialog.setDetail(offer.detail);
    dialog.setTarget_URL(QUrl(offer.url));
    dialog.setDefault_file_name(offer.defaultFileName);
    dialog.setDestinationChooser([this](const QString& name) {
        const QDir downloads(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
        return chooseSaveFile(UpdateDialog::tr("Download"), downloads.filePath(name),
                              {UpdateDialog::tr("Debian package (*.deb)")});
    });
    dialog.setAlertHandler(alertHandler());
    return dialog.runModal();
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
