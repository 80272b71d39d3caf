// The save-finished observer of the progress dialog.
#include "save/SaveEventListener.h"

#include "control/DialogService.h"

SaveEventListener::SaveEventListener(DialogService& dialogs, CartovaController& bridge) : m_dialogs(dialogs)
{
    m_connection = QObject::connect(&bridge, &CartovaController::operation, [this](TkRecOperation operation) {
        if (operation != TkRecOperationSaveFinished || m_finished)
            return;
        m_finished = true;
        m_dialogs.finishProgressDialog();
    });
}

SaveEventListener::~SaveEventListener()
{
    QObject::disconnect(m_connection);
}
