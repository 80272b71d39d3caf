// Every dialog the control logic opens, as a toolkit-free interface: alerts with any
// buttons, choosers, and the program's own modal dialogs. The Qt implementation
// (window/QtDialogService) shows real dialogs parented to the main window; tests use a
// scripted fake that records each request and answers it.
#pragma once

#include "cartova.h"
#include "update/UpdateOffer.h"

#include <QString>
#include <QStringList>
#include <cstdint>

#include <functional>

class MarkerManager;
class SettingManager;

// The three standard alerts: "OK"; "OK" and "Cancel"; "Yes" and "No".
enum class AlertKind { Ok, OkCancel, YesNo };

// Shows a standard alert and returns whether the first button was chosen. Models that
// are tested without dialogs take one of these (DialogService::alertHandler() gives one).
using AlertHandler = std::function<bool(AlertKind kind, const QString& message, const QString& information)>;

// A modal alert. The answer is the index of the chosen button.
struct AlertRequest {
    QString message;
    QString information;   // informative text under the message; empty: none
    QStringList buttons;   // in order, the first is the default; empty: one "OK"
    int disabledButton = -1; // index of a button shown but not clickable; -1: none
    // One extra line under the texts (small font, not editable, cut at the tail);
    // it may hold "\n" for a second line. Empty: none.
    QString accessoryText;
};

// Values the settings dialog shows and, after "OK", hands back.
struct SettingValues {
    bool isRecModeDsd = false;
    uint64_t dsdSamplingRate = 2822400;
    uint64_t pcmSamplingRate = 44100;
    int16_t pcmBitDepth = 16;
    TkPcmFileFormat pcmFileFormat = TkPcmFileFormatWav;
    QString temporaryDirectory;
    QString defaultDirectory; // shown by the dialog's "default" choice; not handed back
};

// The result of Find Track Gaps, shown with the side's track count, which the user may change.
struct TrackGapsRequest {
    QString message;
    QString information;
    int trackCount = 1;    // shown and, on "Add Markers", the user's choice
    int maxTrackCount = 1; // the most the recording's places allow
};

// Source of a progress dialog: polled every 0.1 s while the dialog is open.
class ProgressDelegate {
public:
    virtual ~ProgressDelegate() = default;
    // Progress of the current item and of the whole job, each 0..1000 (tenths of a percent).
    virtual int progress(int32_t& item, int32_t& total) = 0;
    // "Cancel" was clicked (sent once; the dialog stays open until finished).
    virtual int cancel(bool cancel) = 0;
    // The dialog's title and what it says the job is; empty: writing tracks
    // ("Write to Files", "Saving…").
    virtual QString title() const { return QString(); }
    virtual QString label() const { return QString(); }
};


class DialogService {
public:
    virtual ~DialogService() = default;

    // ---- alerts ----
    // Runs the alert modally; the index of the chosen button (Escape chooses the last
    // button when there are two or more).
    virtual int runAlert(const AlertRequest& request) = 0;

    // The three standard alerts; true when the first button was chosen.
    void OkAlertWithMessage(const QString& message, const QString& information = QString());
    bool OkCancelAlertWithMessage(const QString& message, const QString& information = QString());
    bool YesNoAlertWithMessage(const QString& message, const QString& information = QString());
    bool alert(AlertKind kind, const QString& message, const QString& information = QString());
    // A handler that shows its alerts through this service (which must outlive it).
    AlertHandler alertHandler();

    // ---- choosers ----
    // A folder, or empty when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& initialFolder) = 0;
    // A file name to save to, or empty when cancelled. nameFilters as "Package (*.pkg)".
    virtual QString chooseSaveFile(const QString& title, const QString& defaultName,
                                   const QStringList& nameFilters) = 0;
    // An existing file to open, starting in initialFolder, or empty when cancelled.
    virtual QString chooseOpenFile(const QString& title, const QString& initialFolder,
                                   const QStringList& nameFilters) = 0;

    // ---- the program's dialogs ----
    // Settings dialog, modal. values are shown and, on "OK" (true), replaced by the
    // user's choices; manager answers the dialog's device queries.
    virtual bool runSettingDialog(SettingValues& values, SettingManager& manager) = 0;
    // Write-to-files dialog, modal, over the markers (their names and tags are edited in
    // place). Returns the modal response: 1 "Write to Files", anything else cancelled.
    // On 1, dirName is the folder to create in the marker manager's destination.
    virtual int runSaveDialog(const QString& extension, MarkerManager& markers, QString& dirName) = 0;
    // Progress dialog, modal until finishProgressDialog() is called (from a notification
    // handled inside its loop); delegate is polled every 0.1 s.
    virtual void runProgressDialog(ProgressDelegate& delegate) = 0;
    virtual void finishProgressDialog() = 0;
    // Find Track Gaps result, modal: true on "Add Markers" (the default button), with the
    // track count chosen in request.trackCount.
    virtual bool runTrackGapsDialog(TrackGapsRequest& request) = 0;
    // Repair Clicks dialog, modal: the sensitivity is shown and, on "Repair" (true),
    // replaced by the user's choice.
    virtual bool runRepairClicksDialog(TkClickSensitivity& sensitivity) = 0;
    // File-name update dialog, modal: the number of the first checked track (at least 1)
    // on "OK", -1 otherwise.
    virtual int runUpdateFileNamesDialog() = 0;
    // Update offer, modal: closing code 0 when cancelled, 1 when the package was downloaded.
    virtual int runUpdateDialog(const UpdateOffer& offer) = 0;
    // About dialog, without modality, centred on the main window and made key.
    virtual void showAbout() = 0;
    // Opens an address in the default web browser.
    virtual void openUrl(const QString& url) = 0;
};
