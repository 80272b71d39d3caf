// The application's modal alerts: a message, an optional information text under it,
// and one of three button sets. Callers that need to be tested take an AlertHandler
// instead of calling the class operations directly.
#pragma once

#include <QString>
#include <functional>

enum class AlertKind { Ok, OkCancel, YesNo };

// Shows an alert and returns whether the first button was chosen.
using AlertHandler = std::function<bool(AlertKind kind, const QString& message, const QString& information)>;

class AlertDialog {
public:
    static void OkAlertWithMessage(const QString& message, const QString& information = QString());
    // Buttons "OK", "Cancel"; Escape chooses "Cancel". True for "OK".
    static bool OkCancelAlertWithMessage(const QString& message, const QString& information = QString());
    // Buttons "Yes", "No"; Escape chooses "No". True for "Yes".
    static bool YesNoAlertWithMessage(const QString& message, const QString& information = QString());

    // Runs the alert of the given kind; from another thread it runs on the main thread
    // and waits for the answer.
    static bool Run(AlertKind kind, const QString& message, const QString& information);

    // The handler that shows real alerts.
    static AlertHandler systemHandler();
};
