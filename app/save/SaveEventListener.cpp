// The save-finished observer of the progress dialog.
#include "save/SaveEventListener.h"

#include "control/CartovaController.h"
#include "control/NotificationCenter.h"
#include "save/ProgressDialog.h"

SaveEventListener::SaveEventListener(ProgressDialog* dialog) : m_dialog(dialog)
{
    NotificationCenter::defaultCenter().addObserver(this, kNotifyOperationProc, [this](const Notification& n) {
        if (n.object.toInt() == TkRecOperationSaveFinished && m_dialog)
            m_dialog->onFinish();
    });
}

SaveEventListener::~SaveEventListener()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}
