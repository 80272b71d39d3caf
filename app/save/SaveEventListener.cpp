// The save-finished observer of the progress dialog.
#include "save/SaveEventListener.h"

#include "control/CartovaController.h"
#include "control/DialogService.h"
#include "control/NotificationCenter.h"

SaveEventListener::SaveEventListener(DialogService& dialogs) : m_dialogs(dialogs)
{
    NotificationCenter::defaultCenter().addObserver(this, kNotifyOperationProc, [this](const Notification& n) {
        if (n.object.toInt() != TkRecOperationSaveFinished || m_finished)
            return;
        m_finished = true;
        m_dialogs.finishProgressDialog();
    });
}

SaveEventListener::~SaveEventListener()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}
