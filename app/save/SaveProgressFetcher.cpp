// Progress and cancel of writing through the bridge.
#include "save/SaveProgressFetcher.h"

#include "control/CartovaController.h"

bool SaveProgressFetcher::progress(int32_t& current, int32_t& total)
{
    return CartovaController::sharedInstance().SaveFileProgress(current, total) == TkErrorSuccess;
}

void SaveProgressFetcher::cancel(bool cancel)
{
    if (cancel)
        CartovaController::sharedInstance().SaveFileCancel(true);
}
