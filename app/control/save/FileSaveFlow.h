// "Write to Files" after the temporary-folder check: the dialog over the markers, the job
// list, the framework call and the progress dialog until writing has finished. Every
// dialog goes through the dialog service.
#pragma once

#include "cartova.h"
#include "save/SaveDestination.h"

#include <QString>
#include <cstdint>

class DialogService;
class MarkerManager;

struct FileSaveRequest {
    int32_t recType = -1; // RecTypeDsd or RecTypePcm; anything else writes nothing
    double gain = 0.0;    // dB, the same for every track
    TkPcmFileFormat pcmFileFormat = TkPcmFileFormatWav; // the framework's, for PCM tracks
};

// Extension of the track files (without the dot): "dsf" for DSD recordings, "wav" or
// "flac" for PCM ones as pcmFileFormat says; empty for anything else.
QString TrackFileExtension(int32_t recType, TkPcmFileFormat pcmFileFormat);

// What the user is told under "Failed to save the file." when the framework refuses the job list.
QString SaveFileRefusedText(TkError error);

// The alert for an aborted write: the framework's text names the failed file and, when it
// knows it, the cause. Running out of space is told as such; any other cause as a failed save.
struct SaveAbortedAlert {
    QString message;
    QString information;
};
SaveAbortedAlert SaveAbortedAlertFor(const QString& frameworkText);

// Format of the recording held by the framework, for the free-space check of the dialog.
TrackFormat RecordedTrackFormat();

// Runs the command; returns the number of tracks handed to the framework.
int RunFileSave(DialogService& dialogs, MarkerManager& markers, const FileSaveRequest& request);
