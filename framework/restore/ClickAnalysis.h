// A whole click analysis: the recording is cut into segments of a fixed
// number of blocks; each segment is read with margins wide enough for its
// detection and repairs, and analysed on its own (detection per channel,
// joining, repair), so the segments run on every core in any order. The
// segments are fixed by the recording alone and a segment keeps only the
// places that start inside it, so the result is the same on any number of
// cores. A recording shorter than one block is left as it is.
#pragma once

#include "restore/RepairedPlaces.h"
#include "restore/RestoreSettings.h"
#include "restore/SampleSource.h"

#include <atomic>
#include <cstdint>

enum class AnalysisStatus { Finished, Cancelled, ReadFailed };

struct AnalysisControl {
    // Set to stop the analysis at the next segment.
    std::atomic<bool> cancel{false};
    // Thousandths of the recording analysed.
    std::atomic<int32_t> progress{0};
};

struct AnalysisOutcome {
    AnalysisStatus status = AnalysisStatus::Finished;
    RepairedPlaces places;
};

// Analyses and repairs source. threads 0: one per core.
AnalysisOutcome AnalyseClicks(ISampleSource& source, ClickSensitivity sensitivity, AnalysisControl& control,
                              unsigned threads = 0);
