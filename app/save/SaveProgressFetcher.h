// The progress dialog's delegate while tracks are written: asks the framework for the
// progress and cancels writing (deleting the file being written).
#pragma once

#include "save/ProgressDialog.h"

class SaveProgressFetcher : public ProgressDelegate {
public:
    bool progress(int32_t& current, int32_t& total) override;
    void cancel(bool cancel) override;
};
