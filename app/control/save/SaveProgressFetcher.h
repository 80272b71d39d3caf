// The progress dialog's delegate while tracks are written: asks the framework for the
// progress and cancels writing (deleting the file being written).
#pragma once

#include "control/DialogService.h"

class SaveProgressFetcher : public ProgressDelegate {
public:
    // Framework results: 0 with progress, an error before the first progress exists.
    int progress(int32_t& item, int32_t& total) override;
    int cancel(bool cancel) override;
};
