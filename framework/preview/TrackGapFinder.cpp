// Track boundaries from window levels; the method is described in
// TrackGapFinder.h.
#include "preview/TrackGapFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Percentiles of the smoothed levels that stand for the noise floor and the
// music level.
constexpr double kFloorPercentile = 0.02;
constexpr double kMusicPercentile = 0.90;

float Percentile(std::vector<float> values, double fraction)
{
    const size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

size_t Windows(double seconds)
{
    return static_cast<size_t>(std::llround(seconds / kGapWindowSeconds));
}

// A run of equal classification: windows [begin, end).
struct Run {
    size_t begin;
    size_t end;
    bool quiet;
};

std::vector<Run> Runs(const std::vector<bool>& quiet)
{
    std::vector<Run> runs;
    for (size_t i = 0; i < quiet.size(); ++i) {
        if (runs.empty() || runs.back().quiet != quiet[i]) {
            runs.push_back({i, i + 1, quiet[i]});
        } else {
            runs.back().end = i + 1;
        }
    }
    return runs;
}

// Turns loud runs shorter than `shortest` windows that lie between quiet
// runs into quiet ones, and merges the neighbours.
std::vector<Run> AbsorbShortSounds(std::vector<Run> runs, size_t shortest)
{
    std::vector<Run> merged;
    for (size_t i = 0; i < runs.size(); ++i) {
        Run run = runs[i];
        const bool inner = i > 0 && i + 1 < runs.size();
        if (!run.quiet && inner && run.end - run.begin < shortest) {
            run.quiet = true;
        }
        if (!merged.empty() && merged.back().quiet == run.quiet) {
            merged.back().end = run.end;
        } else {
            merged.push_back(run);
        }
    }
    return merged;
}

} // namespace

bool TrackGapParametersValid(const TrackGapParameters& parameters)
{
    return std::isfinite(parameters.minGapSeconds) && parameters.minGapSeconds > 0.0 &&
           std::isfinite(parameters.thresholdOffsetDb) && std::isfinite(parameters.leadSeconds) &&
           parameters.leadSeconds >= 0.0;
}

std::vector<float> SmoothLevels(const std::vector<float>& levelsDb)
{
    const size_t half = kMedianWindows / 2;
    std::vector<float> smoothed(levelsDb.size());
    std::vector<float> window;
    window.reserve(kMedianWindows);
    for (size_t i = 0; i < levelsDb.size(); ++i) {
        const size_t first = i >= half ? i - half : 0;
        const size_t last = std::min(levelsDb.size(), i + half + 1);
        window.assign(levelsDb.begin() + static_cast<std::ptrdiff_t>(first),
                      levelsDb.begin() + static_cast<std::ptrdiff_t>(last));
        const auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
        std::nth_element(window.begin(), middle, window.end());
        smoothed[i] = *middle;
    }
    return smoothed;
}

std::vector<double> FindTrackBoundaries(const std::vector<float>& levelsDb,
                                        const TrackGapParameters& parameters)
{
    std::vector<double> boundaries;
    if (levelsDb.empty() || !TrackGapParametersValid(parameters)) {
        return boundaries;
    }
    const std::vector<float> smoothed = SmoothLevels(levelsDb);
    const double floorDb = Percentile(smoothed, kFloorPercentile);
    const double musicDb = Percentile(smoothed, kMusicPercentile);
    const double thresholdDb =
        std::min(floorDb + kAboveFloorDb, musicDb - kMinimumDepthDb) + parameters.thresholdOffsetDb;

    std::vector<bool> quiet(smoothed.size());
    for (size_t i = 0; i < smoothed.size(); ++i) {
        quiet[i] = smoothed[i] < thresholdDb;
    }
    const std::vector<Run> runs =
        AbsorbShortSounds(Runs(quiet), std::max<size_t>(Windows(kShortestSoundSeconds), 1));

    const size_t minimumGap = std::max<size_t>(Windows(parameters.minGapSeconds), 1);
    const size_t lead = Windows(parameters.leadSeconds);
    // Only quiet runs with music on both sides: the first and last runs are
    // the lead-in and run-out when quiet, and music when loud.
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
        const Run& run = runs[i];
        if (!run.quiet || run.end - run.begin < minimumGap) {
            continue;
        }
        const size_t boundary = run.end - std::min(lead, run.end - run.begin);
        boundaries.push_back(static_cast<double>(boundary) * kGapWindowSeconds);
    }
    return boundaries;
}
