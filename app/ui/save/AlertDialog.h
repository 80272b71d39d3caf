// The application's modal alerts: a message, an optional information text under it, an
// optional accessory line, and buttons in order of importance (the first is the default
// and sits rightmost; Escape chooses the last one). The control logic asks for alerts
// through DialogService; this is the Qt dialog behind it.
#pragma once

#include "control/DialogService.h"

#include <QString>

class QWidget;

class AlertDialog {
public:
    // Runs the alert modally over parent; the index of the chosen button. From another
    // thread it runs on the main thread and waits for the answer.
    static int Run(const AlertRequest& request, QWidget* parent = nullptr);

    // The three standard alerts; true when the first button was chosen.
    static void OkAlertWithMessage(const QString& message, const QString& information = QString(),
                                   QWidget* parent = nullptr);
    static bool OkCancelAlertWithMessage(const QString& message, const QString& information = QString(),
                                         QWidget* parent = nullptr);
    static bool YesNoAlertWithMessage(const QString& message, const QString& information = QString(),
                                      QWidget* parent = nullptr);
};
