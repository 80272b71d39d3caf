// The "Write to Files" command after the temporary-folder check.
#include "save/FileSaveFlow.h"

#include "control/CartovaController.h"
#include "save/ProgressDialog.h"
#include "save/SaveDialog.h"
#include "save/SaveEventListener.h"
#include "save/SaveJobBuilder.h"
#include "save/SaveProgressFetcher.h"

#include <QCoreApplication>

namespace {

constexpr int32_t kRecTypePcm = 0;
constexpr int32_t kRecTypeDsd = 1;

} // namespace

QString SaveFileRefusedText(TkError error)
{
    switch (error) {
    case TkErrorNotInitialized:
        return QCoreApplication::translate("SaveDialog", "The recording engine is not ready.");
    case TkErrorInvalidArgument:
        return QCoreApplication::translate("SaveDialog", "The list of tracks was refused.");
    case TkErrorFailed:
        return QCoreApplication::translate("SaveDialog", "Earlier tracks are still being written.");
    default:
        return QCoreApplication::translate("SaveDialog", "Error %1.").arg(error);
    }
}

int RunFileSave(SaveDialog& dialog, ProgressDialog& progress, const FileSaveRequest& request, const FileSaveUi& ui)
{
    QString extension;
    if (request.recType == kRecTypeDsd)
        extension = QStringLiteral("dsf");
    else if (request.recType == kRecTypePcm)
        extension = QStringLiteral("wav");
    else
        return 0;
    if (!request.markers || !ui.runModal)
        return 0;

    dialog.setExtension(extension);
    dialog.setTrackFormat(request.format);
    dialog.setMarkerManager(request.markers);
    dialog.updateTabOrder();
    if (ui.runModal(dialog) != SaveDialog::kResponseWrite)
        return 0;

    const std::vector<SaveSetting> list =
        BuildSaveSettings(*request.markers, dialog.dir_name(), extension, request.gain, ui.alert);
    if (list.empty())
        return 0;

    SaveEventListener listener(&progress);
    SaveProgressFetcher fetcher;
    progress.setProgressDelegate(&fetcher);
    const TkError result = CartovaController::sharedInstance().SaveFile(list);
    if (result != TkErrorSuccess) {
        // No save-finished notification follows a refused list: the progress dialog is never shown.
        progress.setProgressDelegate(nullptr);
        if (ui.alert)
            ui.alert(AlertKind::Ok, QCoreApplication::translate("SaveDialog", "Failed to save the file."),
                     SaveFileRefusedText(result));
        return 0;
    }
    progress.start();
    if (!progress.isFinished())
        ui.runModal(progress);
    progress.stop();
    progress.setProgressDelegate(nullptr);
    return static_cast<int>(list.size());
}
