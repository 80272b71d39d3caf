// "Write to Files" from the opened dialog to the end of writing: the dialog, the job list
// from the markers, the framework call and the progress dialog until writing has finished.
// The control manager runs it after its temporary-folder check.
#pragma once

#include "cartova.h"
#include "save/AlertDialog.h"
#include "save/SaveDestination.h"

#include <functional>

class ProgressDialog;
class QDialog;
class SaveDialog;
class TrackMarkers;

struct FileSaveRequest {
    int32_t recType = -1; // 1 DSD (".dsf"), 0 PCM (".wav"); anything else writes nothing
    TrackFormat format;
    double gain = 0.0;    // dB, the same for every track
    TrackMarkers* markers = nullptr;
};

struct FileSaveUi {
    AlertHandler alert;
    // Runs a dialog modally and returns its response.
    std::function<int(QDialog& dialog)> runModal;
};

// What the user is told when the framework refuses the job list.
QString SaveFileRefusedText(TkError error);

// Runs the whole command; returns the number of tracks handed to the framework.
int RunFileSave(SaveDialog& dialog, ProgressDialog& progress, const FileSaveRequest& request, const FileSaveUi& ui);
