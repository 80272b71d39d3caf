// Finds the tracks of a recorded side in the short-term levels of its
// preview stream (10 ms windows, as LevelEnvelope makes them).
//
// A side as people record it: a few seconds of the turntable's electrical
// noise (or digital silence) before the needle drops, the lead-in groove,
// the tracks with gaps of groove noise and crackle between them, the run-out
// groove, and more electrical noise or silence after the arm lifts. Groove
// noise lies some 40 to 70 dB below the music, electrical noise well below
// the groove noise. The analysis:
//   1. Smooths the levels with a running median over kMedianWindows windows
//      (Tukey's median smoothing, "Exploratory Data Analysis", 1977, ch. 7),
//      so clicks and crackle (a few milliseconds) do not count.
//   2. Finds the needle-down and needle-up points by walking in from each
//      end of the recording over every step of at least kNeedleStepDb up
//      (digital silence to electrical noise, electrical noise to the groove)
//      that leads onto the quietest level before the other end and from
//      which the level never sinks back to near the level below the step.
//      The step onto the music fails that: the gaps between tracks come back
//      down to the groove, and music without gaps has quieter passages than
//      its start. A recording that starts or ends on the groove has no such
//      step at that end.
//   3. Takes the groove floor as the lowest smoothed level between them: no
//      music is quieter than the groove noise it is played over.
//   4. Music starts at the first and ends at the last loud stretch between
//      the needle points (kMusicAboveFloorDb above the floor, at least
//      kShortestSoundSeconds long). A side without such music has no tracks.
//   5. Places: stretches kDipDb below the local music level (a running
//      percentile over kLocalSeconds on each side), loud stretches shorter
//      than kShortestSoundSeconds inside them counting as crackle. A place's
//      level is that of its quietest minimum-gap windows; its contrast is
//      how far that lies below the music on both of its sides. Its strength
//      (0 to 1) grows with the contrast, with the depth below music towards
//      the groove floor, and with its length (half at the minimum gap).
//   6. Gaps: places with at least the minimum gap of windows no more than
//      kGapAboveFloorDb (plus the threshold offset) above the groove floor
//      and a contrast of at least kGapContrastDb. With a track count N
//      given instead, the N - 1 strongest places, whatever those thresholds
//      say.
//   7. Each boundary lies in its gap, `leadSeconds` before the next track's
//      music begins (at the gap's start when the gap is shorter than that);
//      the first track starts `leadSeconds` before the music and the last
//      ends as much after it, on the groove.
#pragma once

#include <cstddef>
#include <vector>

struct TrackGapParameters {
    double minGapSeconds = 0.6;     // shortest quiet stretch that separates tracks
    double thresholdOffsetDb = 0.0; // added to the gap threshold above the groove floor
    double leadSeconds = 0.2;       // quiet kept before the next track's music
};

// Length of one level window in seconds (10 ms).
constexpr double kGapWindowSeconds = 0.01;
// Windows in the running median (0.31 s).
constexpr size_t kMedianWindows = 31;
// Smallest step of the level at which the needle drops or lifts.
constexpr double kNeedleStepDb = 12.0;
// Music is at least this far above the groove floor...
constexpr double kMusicAboveFloorDb = 12.0;
// ...and loud stretches shorter than this between quiet ones are not music.
constexpr double kShortestSoundSeconds = 0.5;
// A place is this far below the local music level...
constexpr double kDipDb = 10.0;
// ...which is the kLocalPercentile of the levels within kLocalSeconds.
constexpr double kLocalSeconds = 10.0;
constexpr double kLocalPercentile = 0.8;
// A gap is no more than this above the groove floor...
constexpr double kGapAboveFloorDb = 8.0;
// ...and at least this far below the music on both of its sides.
constexpr double kGapContrastDb = 20.0;

enum class SideProblem {
    None,
    TooShort,      // the recording is shorter than the minimum gap
    NoMusic,       // nothing between the needle points is louder than the groove
    TooManyTracks, // fewer places than the track count asks for
};

struct SuggestedBoundary {
    double seconds = 0.0;
    double strength = 0.0; // 0 to 1: how gap-like the place is
};

struct SideAnalysis {
    SideProblem problem = SideProblem::None;
    // Seconds from the start of the levels. Without a needle drop in the
    // recording, needleDown is 0; without a lift, needleUp is its length.
    double needleDownSeconds = 0.0;
    double needleUpSeconds = 0.0;
    double musicStartSeconds = 0.0; // where the first track starts
    double musicEndSeconds = 0.0;   // where the last track ends
    double grooveFloorDb = 0.0;
    std::vector<SuggestedBoundary> boundaries; // ascending; empty with a problem
    size_t places = 0;                          // places with a strength above 0
};

// False when a parameter is out of range (negative, not finite, or a minimum
// gap of zero).
bool TrackGapParametersValid(const TrackGapParameters& parameters);

// The analysis of steps 1 to 7; trackCount 0 decides by the thresholds,
// N >= 1 asks for N tracks (N - 1 boundaries).
SideAnalysis AnalyseSide(const std::vector<float>& levelsDb, const TrackGapParameters& parameters,
                         size_t trackCount = 0);
