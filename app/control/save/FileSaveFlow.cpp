// The "Write to Files" command after the temporary-folder check.
#include "save/FileSaveFlow.h"

#include "bridge/CartovaController.h"
#include "state/ControlTypes.h"
#include "control/DialogService.h"
#include "save/MarkerManagerTracks.h"
#include "save/SaveEventListener.h"
#include "save/SaveJobBuilder.h"
#include "save/SaveProgressFetcher.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

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

SaveAbortedAlert SaveAbortedAlertFor(const QString& frameworkText)
{
    const QString noSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
    if (frameworkText.contains(noSpace, Qt::CaseInsensitive) || frameworkText.contains(QLatin1String("free space")))
        return {QCoreApplication::translate("SaveDialog", "Insufficient free space in the destination."), frameworkText};
    return {QCoreApplication::translate("SaveDialog", "Failed to save the file."), frameworkText};
}

TrackFormat RecordedTrackFormat()
{
    CartovaController& bridge = CartovaController::sharedInstance();
    TrackFormat format;
    TkRecordSetting setting{};
    if (bridge.GetRecordSetting(setting) != TkErrorSuccess)
        return format; // rate 0: no estimate
    format.dsd = setting.rec_type == RecTypeDsd;
    format.rate = setting.freq;
    format.bits = setting.bits;
    AudioDeviceInfo device;
    if (bridge.GetAudioDeviceInfo(device) == TkErrorSuccess && device.i_ch > 0)
        format.channels = device.i_ch;
    return format;
}

QString TrackFileExtension(int32_t recType, TkPcmFileFormat pcmFileFormat)
{
    if (recType == RecTypeDsd)
        return QStringLiteral("dsf");
    if (recType != RecTypePcm)
        return QString();
    return pcmFileFormat == TkPcmFileFormatFlac ? QStringLiteral("flac") : QStringLiteral("wav");
}

int RunFileSave(DialogService& dialogs, MarkerManager& markers, const FileSaveRequest& request)
{
    const QString extension = TrackFileExtension(request.recType, request.pcmFileFormat);
    if (extension.isEmpty())
        return 0;

    QString dirName;
    if (dialogs.runSaveDialog(extension, markers, dirName) != kSaveDialogResponseWrite)
        return 0;

    const MarkerManagerTracks tracks(markers);
    const std::vector<SaveSetting> list = BuildSaveSettings(tracks, dirName, extension, request.gain,
                                                            dialogs.alertHandler());
    if (list.empty())
        return 0;

    SaveEventListener listener(dialogs, CartovaController::sharedInstance());
    SaveProgressFetcher fetcher;
    const TkError result = CartovaController::sharedInstance().SaveFile(list);
    if (result != TkErrorSuccess) {
        // No save-finished notification follows a refused list, so no progress dialog is shown.
        dialogs.OkAlertWithMessage(QCoreApplication::translate("SaveDialog", "Failed to save the file."),
                                   SaveFileRefusedText(result));
        return 0;
    }
    if (!listener.hasFinished())
        dialogs.runProgressDialog(fetcher);
    return static_cast<int>(list.size());
}
