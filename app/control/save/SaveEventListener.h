// Ends the progress dialog when the framework reports that writing has finished.
// Follows the bridge's operations from its creation to its destruction.
#pragma once

#include "bridge/CartovaController.h"

#include <QMetaObject>

class DialogService;

class SaveEventListener {
public:
    // dialogs runs the progress dialog; both must outlive the listener.
    SaveEventListener(DialogService& dialogs, CartovaController& bridge);
    ~SaveEventListener();
    SaveEventListener(const SaveEventListener&) = delete;
    SaveEventListener& operator=(const SaveEventListener&) = delete;

    bool hasFinished() const { return m_finished; }

private:
    DialogService& m_dialogs;
    QMetaObject::Connection m_connection;
    bool m_finished = false;
};
