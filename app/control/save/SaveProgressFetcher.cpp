// Progress and cancel of writing through the bridge.
#include "save/SaveProgressFetcher.h"

#include "bridge/CartovaController.h"

int SaveProgressFetcher::progress(int32_t& item, int32_t& total)
{
    return CartovaController::sharedInstance().SaveFileProgress(item, total);
}

int SaveProgressFetcher::cancel(bool cancel)
{
    return cancel ? CartovaController::sharedInstance().SaveFileCancel(true) : TkErrorSuccess;
}
