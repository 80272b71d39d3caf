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

// How far in from the start of `smoothed` the needle drops (step 2). The
// level at the start is that of digital silence, the electrical noise or the
// groove. Where the level first rises kNeedleStepDb above it, the recording
// steps onto something louder; it is the groove, not the music, when the
// level from there to the last window about as loud as that never sinks
// back to within half the step of the start level (gaps between tracks
// would) and what it steps onto is the quietest level there (music without
// gaps has quieter passages than its start; the groove noise is under all
// of it). Silence,
// then electrical noise, then the groove are two such steps: the walk goes
// on from each step's level until the next rise is the music.
size_t WalkToNeedle(const std::vector<float>& smoothed)
{
    const auto rise = static_cast<float>(kNeedleStepDb);
    const auto apart = static_cast<float>(kNeedleStepDb / 2.0);
    size_t at = 0;
    for (;;) {
        const size_t edge = std::min(smoothed.size(), at + kMedianWindows);
        const float levelDb = LevelPercentile(smoothed, at, edge, 0.5);
        const auto louder = [&](float level) { return level >= levelDb + rise; };
        const auto first = std::find_if(smoothed.begin() + static_cast<std::ptrdiff_t>(at), smoothed.end(), louder);
        if (first == smoothed.end()) {
            return at;
        }
        const auto next = static_cast<size_t>(first - smoothed.begin());
        const float nextDb = LevelPercentile(smoothed, next, std::min(smoothed.size(), next + kMedianWindows), 0.5);
        const auto last = static_cast<size_t>(
            std::find_if(smoothed.rbegin(), smoothed.rend(), [&](float level) { return level >= nextDb - apart; })
                .base() -
            smoothed.begin());
        // Past the step itself, which the running median spreads over half
        // its width.
        const size_t end = std::max(next + 1, last);
        const size_t begin = std::min(next + kMedianWindows, end - 1);
        const float innerDb = LevelPercentile(smoothed, begin, end, 0.0);
        if (innerDb < levelDb + apart || nextDb > innerDb + apart) {
            return at;
        }
        at = next;
    }
}

// Needle-down and needle-up windows: the walk from each end.
void FindNeedlePoints(const std::vector<float>& smoothed, size_t& down, size_t& up)
{
    down = WalkToNeedle(smoothed);
    const std::vector<float> reversed(smoothed.rbegin(), smoothed.rend());
    up = std::max(down, smoothed.size() - WalkToNeedle(reversed));
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
    size_t gapWindows; // windows at or below the gap threshold
};

std::vector<Place> FindPlaces(const std::vector<float>& smoothed, size_t musicStart, size_t musicEnd,
                              float floorDb, float gapThresholdDb, size_t minimumGap)
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
        const auto gapWindows = static_cast<size_t>(
            std::count_if(smoothed.begin() + static_cast<std::ptrdiff_t>(run.begin),
                          smoothed.begin() + static_cast<std::ptrdiff_t>(run.end),
                          [gapThresholdDb](float value) { return value <= gapThresholdDb; }));
        Place place{run, std::min(before, after) - level, level - floorDb, 0.0, gapWindows};
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
    // The tracks start and end `leadSeconds` beyond the music, on the groove.
    const size_t lead = Windows(parameters.leadSeconds);
    side.musicStartSeconds = Seconds(std::max(down, musicStart > lead ? musicStart - lead : 0));
    side.musicEndSeconds = Seconds(std::min(up, musicEnd + lead));

    // Steps 5 and 6.
    const auto gapThresholdDb = static_cast<float>(floorDb + kGapAboveFloorDb + parameters.thresholdOffsetDb);
    std::vector<Place> places = FindPlaces(smoothed, musicStart, musicEnd, floorDb, gapThresholdDb, minimumGap);
    side.places = static_cast<size_t>(
        std::count_if(places.begin(), places.end(), [](const Place& place) { return place.strength > 0.0; }));
    std::vector<Place> chosen;
    if (trackCount == 0) {
        for (const Place& place : places) {
            if (place.gapWindows >= minimumGap && place.contrastDb >= kGapContrastDb) {
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
    for (const Place& place : chosen) {
        const size_t boundary = place.run.end - std::min(lead, place.run.end - place.run.begin);
        side.boundaries.push_back({Seconds(boundary), place.strength});
    }
    return side;
}
