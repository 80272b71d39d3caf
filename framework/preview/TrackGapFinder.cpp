// Tracks of a recorded side from window levels; the method is described in
// TrackGapFinder.h.
#include "preview/TrackGapFinder.h"

#include "preview/LevelStatistics.h"

#include <algorithm>
#include <cmath>

namespace {

// The music level beside a place is the kLocalPercentile of this much of
// the music before and after it.
constexpr double kBesideSeconds = 5.0;
// A place kStrongContrastDb below the music beside it has full strength for
// its contrast; one kFloorToleranceDb above the groove floor or closer has
// full strength for its depth, one as loud as music (kMusicAboveFloorDb
// above the floor) none.
constexpr double kStrongContrastDb = 50.0;
constexpr double kFloorToleranceDb = 3.0;

size_t Windows(double seconds)
{
    return static_cast<size_t>(std::llround(seconds / kGapWindowSeconds));
}

double Seconds(size_t window) { return static_cast<double>(window) * kGapWindowSeconds; }

double Clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

// A run of equal classification: windows [begin, end).
struct Run {
    size_t begin;
    size_t end;
    bool quiet;
};

std::vector<Run> Runs(const std::vector<bool>& quiet, size_t offset)
{
    std::vector<Run> runs;
    for (size_t i = 0; i < quiet.size(); ++i) {
        if (runs.empty() || runs.back().quiet != quiet[i]) {
            runs.push_back({offset + i, offset + i + 1, quiet[i]});
        } else {
            runs.back().end = offset + i + 1;
        }
    }
    return runs;
}

// Turns loud runs shorter than `shortest` windows that lie between quiet
// runs into quiet ones, and merges the neighbours.
std::vector<Run> AbsorbShortSounds(const std::vector<Run>& runs, size_t shortest)
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

// Needle-down and needle-up windows (step 2). The level at each end of the
// recording is that of the electrical noise, of digital silence or of the
// groove; the first window kNeedleStepDb above the start level and the last
// one above the end level are where the needle drops and lifts if the
// groove beyond them never comes back to that level. When it does (the
// recording starts or ends on the groove, and the gaps are as quiet), the
// needle was down already, or still is.
void FindNeedlePoints(const std::vector<float>& smoothed, size_t& down, size_t& up)
{
    const size_t count = smoothed.size();
    const size_t edge = std::min(count, kMedianWindows);
    const float startDb = LevelPercentile(smoothed, 0, edge, 0.5);
    const float endDb = LevelPercentile(smoothed, count - edge, count, 0.5);
    const auto rise = static_cast<float>(kNeedleStepDb);
    const auto first = std::find_if(smoothed.begin(), smoothed.end(),
                                    [&](float level) { return level >= startDb + rise; });
    const auto last = std::find_if(smoothed.rbegin(), smoothed.rend(),
                                   [&](float level) { return level >= endDb + rise; });
    down = 0;
    up = count;
    const auto rising = static_cast<size_t>(first - smoothed.begin());
    const size_t falling = count - static_cast<size_t>(last - smoothed.rbegin());
    if (rising >= falling) {
        return; // no level of the recording stands out from its ends
    }
    const float grooveDb = *std::min_element(first, smoothed.begin() + static_cast<std::ptrdiff_t>(falling));
    const auto apart = static_cast<float>(kNeedleStepDb / 2.0);
    if (grooveDb >= startDb + apart) {
        down = rising;
    }
    if (grooveDb >= endDb + apart) {
        up = falling;
    }
}

// The lowest smoothed level between the needle points, away from the
// steps themselves (step 3).
float GrooveFloor(const std::vector<float>& smoothed, size_t down, size_t up)
{
    size_t begin = down + kMedianWindows;
    size_t end = up >= kMedianWindows ? up - kMedianWindows : 0;
    if (end <= begin) {
        begin = down;
        end = up;
    }
    return *std::min_element(smoothed.begin() + static_cast<std::ptrdiff_t>(begin),
                             smoothed.begin() + static_cast<std::ptrdiff_t>(end));
}

// A candidate place between tracks (step 5).
struct Place {
    Run run;
    double contrastDb;
    double aboveFloorDb;
    double strength;
};

std::vector<Place> FindPlaces(const std::vector<float>& smoothed, size_t musicStart, size_t musicEnd,
                              float floorDb, size_t minimumGap)
{
    const std::vector<float> local = RunningPercentile(smoothed, musicStart, musicEnd, Windows(kLocalSeconds),
                                                       Windows(0.5), kLocalPercentile);
    std::vector<bool> quiet(musicEnd - musicStart);
    for (size_t i = musicStart; i < musicEnd; ++i) {
        quiet[i - musicStart] = smoothed[i] < local[i] - static_cast<float>(kDipDb);
    }
    const std::vector<Run> runs = AbsorbShortSounds(Runs(quiet, musicStart), Windows(kShortestSoundSeconds));
    const size_t beside = Windows(kBesideSeconds);
    std::vector<Place> places;
    // The first and last runs have no music on one side.
    for (size_t i = 1; i + 1 < runs.size(); ++i) {
        const Run& run = runs[i];
        if (!run.quiet) {
            continue;
        }
        // The place's level is that of its quietest minimum-gap windows (of
        // its quieter half when it is shorter): a fade-out before the gap or
        // a fade-in after it belongs to the run but does not make the gap
        // louder.
        const size_t windows = run.end - run.begin;
        const auto rank = static_cast<double>(std::max<size_t>(std::min(windows / 2, minimumGap), 1) - 1);
        const double level =
            LevelPercentile(smoothed, run.begin, run.end, windows > 1 ? rank / static_cast<double>(windows - 1) : 0.0);
        const double before =
            LevelPercentile(smoothed, run.begin > musicStart + beside ? run.begin - beside : musicStart, run.begin,
                            kLocalPercentile);
        const double after =
            LevelPercentile(smoothed, run.end, std::min(musicEnd, run.end + beside), kLocalPercentile);
        Place place{run, std::min(before, after) - level, level - floorDb, 0.0};
        const double contrast = Clamp01((place.contrastDb - kDipDb) / (kStrongContrastDb - kDipDb));
        const double depth =
            Clamp01((kMusicAboveFloorDb - place.aboveFloorDb) / (kMusicAboveFloorDb - kFloorToleranceDb));
        const double length =
            static_cast<double>(windows) / static_cast<double>(windows + minimumGap);
        place.strength = contrast * depth * length;
        places.push_back(place);
    }
    return places;
}

} // namespace

bool TrackGapParametersValid(const TrackGapParameters& parameters)
{
    return std::isfinite(parameters.minGapSeconds) && parameters.minGapSeconds > 0.0 &&
           std::isfinite(parameters.thresholdOffsetDb) && std::isfinite(parameters.leadSeconds) &&
           parameters.leadSeconds >= 0.0;
}

SideAnalysis AnalyseSide(const std::vector<float>& levelsDb, const TrackGapParameters& parameters,
                         size_t trackCount)
{
    SideAnalysis side;
    const size_t minimumGap = std::max<size_t>(Windows(parameters.minGapSeconds), 1);
    if (levelsDb.size() < minimumGap || levelsDb.empty()) {
        side.problem = SideProblem::TooShort;
        return side;
    }
    const std::vector<float> smoothed = RunningMedian(levelsDb, kMedianWindows / 2);
    size_t down = 0;
    size_t up = 0;
    FindNeedlePoints(smoothed, down, up);
    side.needleDownSeconds = Seconds(down);
    side.needleUpSeconds = Seconds(up);
    const float floorDb = GrooveFloor(smoothed, down, up);
    side.grooveFloorDb = floorDb;

    // Step 4: the music, from the first to the last loud stretch.
    std::vector<bool> quiet(up - down);
    for (size_t i = down; i < up; ++i) {
        quiet[i - down] = smoothed[i] < floorDb + static_cast<float>(kMusicAboveFloorDb);
    }
    const size_t shortest = Windows(kShortestSoundSeconds);
    size_t musicStart = up;
    size_t musicEnd = down;
    for (const Run& run : Runs(quiet, down)) {
        if (!run.quiet && run.end - run.begin >= shortest) {
            musicStart = std::min(musicStart, run.begin);
            musicEnd = std::max(musicEnd, run.end);
        }
    }
    if (musicEnd <= musicStart) {
        side.problem = SideProblem::NoMusic;
        return side;
    }
    side.musicStartSeconds = Seconds(musicStart);
    side.musicEndSeconds = Seconds(musicEnd);

    // Steps 5 and 6.
    std::vector<Place> places = FindPlaces(smoothed, musicStart, musicEnd, floorDb, minimumGap);
    side.places = static_cast<size_t>(
        std::count_if(places.begin(), places.end(), [](const Place& place) { return place.strength > 0.0; }));
    std::vector<Place> chosen;
    if (trackCount == 0) {
        for (const Place& place : places) {
            if (place.run.end - place.run.begin >= minimumGap &&
                place.aboveFloorDb <= kGapAboveFloorDb + parameters.thresholdOffsetDb &&
                place.contrastDb >= kGapContrastDb) {
                chosen.push_back(place);
            }
        }
    } else if (trackCount - 1 > side.places) {
        side.problem = SideProblem::TooManyTracks;
        return side;
    } else {
        std::stable_sort(places.begin(), places.end(),
                         [](const Place& a, const Place& b) { return a.strength > b.strength; });
        chosen.assign(places.begin(), places.begin() + static_cast<std::ptrdiff_t>(trackCount - 1));
        std::sort(chosen.begin(), chosen.end(),
                  [](const Place& a, const Place& b) { return a.run.begin < b.run.begin; });
    }

    // Step 7.
    const size_t lead = Windows(parameters.leadSeconds);
    for (const Place& place : chosen) {
        const size_t boundary = place.run.end - std::min(lead, place.run.end - place.run.begin);
        side.boundaries.push_back({Seconds(boundary), place.strength});
    }
    return side;
}

std::vector<double> FindTrackBoundaries(const std::vector<float>& levelsDb,
                                        const TrackGapParameters& parameters)
{
    std::vector<double> boundaries;
    if (!TrackGapParametersValid(parameters)) {
        return boundaries;
    }
    for (const SuggestedBoundary& boundary : AnalyseSide(levelsDb, parameters).boundaries) {
        boundaries.push_back(boundary.seconds);
    }
    return boundaries;
}
