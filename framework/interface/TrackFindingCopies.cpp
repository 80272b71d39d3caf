// The track finder's records in the C layout; see TrackFindingCopies.h.
#include "TrackFindingCopies.h"

#include <cstdlib>

TrackGapParameters GapParameters(const TkTrackGapSetting* setting)
{
    TrackGapParameters parameters;
    if (setting != nullptr) {
        parameters.minGapSeconds = setting->min_gap_seconds;
        parameters.thresholdOffsetDb = setting->threshold_offset_db;
        parameters.leadSeconds = setting->lead_seconds;
    }
    return parameters;
}

TkTrackFinding* CopyTrackFinding(const SideAnalysis& side)
{
    auto* finding = static_cast<TkTrackFinding*>(std::calloc(1, sizeof(TkTrackFinding)));
    if (finding == nullptr) {
        return nullptr;
    }
    switch (side.problem) {
    case SideProblem::None: finding->problem = TkSideProblemNone; break;
    case SideProblem::TooShort: finding->problem = TkSideProblemTooShort; return finding;
    case SideProblem::NoMusic: finding->problem = TkSideProblemNoMusic; return finding;
    case SideProblem::TooManyTracks: finding->problem = TkSideProblemTooManyTracks; break;
    }
    finding->needle_down_seconds = side.needleDownSeconds;
    finding->needle_up_seconds = side.needleUpSeconds;
    finding->music_start_seconds = side.musicStartSeconds;
    finding->music_end_seconds = side.musicEndSeconds;
    finding->places = side.places;
    if (side.problem != SideProblem::None || side.boundaries.empty()) {
        return finding;
    }
    finding->boundaries = static_cast<double*>(std::calloc(side.boundaries.size(), sizeof(double)));
    finding->strengths = static_cast<double*>(std::calloc(side.boundaries.size(), sizeof(double)));
    if (finding->boundaries == nullptr || finding->strengths == nullptr) {
        FreeTrackFinding(finding);
        return nullptr;
    }
    for (size_t i = 0; i < side.boundaries.size(); ++i) {
        finding->boundaries[i] = side.boundaries[i].seconds;
        finding->strengths[i] = side.boundaries[i].strength;
    }
    finding->count = side.boundaries.size();
    return finding;
}

void FreeTrackFinding(TkTrackFinding* finding)
{
    if (finding == nullptr) {
        return;
    }
    std::free(finding->boundaries);
    std::free(finding->strengths);
    std::free(finding);
}
