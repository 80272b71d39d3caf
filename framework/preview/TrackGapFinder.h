// Suggests track boundaries in a recorded side: the quiet gaps between the
// tracks of a record, found in the short-term levels of its preview stream.
//
// A gap on a record is not digital silence but surface noise, hiss and
// crackle some 40 to 70 dB below the music, while the music itself has quiet
// passages and fade-outs. So the decision works on levels, in four steps:
//   1. Levels of 10 ms windows are smoothed with a running median over
//      kMedianWindows windows: a click of a few milliseconds touches one or
//      two windows and never reaches the median.
//   2. The record's own noise floor (a low percentile of the smoothed levels)
//      and music level (a high percentile) set the threshold: a little above
//      the floor, and never closer than kMinimumDepthDb below the music, so
//      quiet passages of the music stay music.
//   3. Windows below the threshold are quiet; a loud stretch shorter than
//      kShortestSoundSeconds inside quiet is a burst of crackle, not music.
//      Quiet stretches of at least the minimum gap length with music on both
//      sides are gaps; the lead-in before the first music and the run-out
//      after the last are not.
//   4. Each boundary lies in its gap, `leadSeconds` before the next track's
//      music begins (at the gap's start when the gap is shorter than that).
#pragma once

#include <cstddef>
#include <vector>

struct TrackGapParameters {
    double minGapSeconds = 1.0;     // shortest quiet stretch that separates tracks
    double thresholdOffsetDb = 0.0; // added to the adaptive threshold
    double leadSeconds = 0.2;       // quiet kept before the next track's music
};

// Length of one level window in seconds (10 ms).
constexpr double kGapWindowSeconds = 0.01;
// Windows in the running median (0.31 s).
constexpr size_t kMedianWindows = 31;
// The threshold sits this far above the noise floor...
constexpr double kAboveFloorDb = 12.0;
// ...and at least this far below the music level.
constexpr double kMinimumDepthDb = 30.0;
// Loud stretches shorter than this between quiet ones are not music.
constexpr double kShortestSoundSeconds = 0.5;

// False when a parameter is out of range (negative, not finite, or a minimum
// gap of zero).
bool TrackGapParametersValid(const TrackGapParameters& parameters);

// Boundaries in seconds from the start of the levels, ascending, from levels
// of kGapWindowSeconds windows (as LevelEnvelope makes them).
std::vector<double> FindTrackBoundaries(const std::vector<float>& levelsDb,
                                        const TrackGapParameters& parameters);

// The running median of step 1, exposed for tests: output i is the median of
// the windows within kMedianWindows / 2 of i (fewer at the ends).
std::vector<float> SmoothLevels(const std::vector<float>& levelsDb);
