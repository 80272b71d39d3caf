// Joins the damaged runs that the channels found into places. A click on a
// record hits every channel within a few samples, often much weaker in one
// than in the other: a run confirmed in one channel takes along the weaker
// runs the other channels show within the join distance. Places that
// almost touch are one place (one interpolation, with the samples between
// them known), up to a span limit. A pop is a train of impacts that the
// detection may find as several runs with damaged samples between them:
// runs and places near a strong, long one are bridged over a longer
// distance, and so are trains of places that together span a pop, so that
// the pop is interpolated whole.
#pragma once

#include "restore/ClickDetector.h"
#include "restore/RestoreSettings.h"

#include <cstdint>
#include <vector>

struct DamagedPlace {
    uint64_t start = 0; // union of the runs
    uint64_t end = 0;
    uint32_t channelMask = 0;
    double peakSigmas = 0.0;
    std::vector<ChannelRegion> runs; // by channel, then position; not overlapping
};

// regions: every channel's runs (any order). Returns the places in order.
std::vector<DamagedPlace> JoinPlaces(std::vector<ChannelRegion> regions, const RestoreSettings& settings);
