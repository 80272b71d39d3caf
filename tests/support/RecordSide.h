// Generated record sides as people record them, with the truth known: the
// turntable's electrical noise (or digital silence) before the needle drops,
// the thump of the drop, the lead-in groove, tracks of music-like signal
// (overlapping decaying notes, a quiet passage, a fade-out) separated by
// gaps of groove noise with crackle, the run-out groove with its click once
// a turn, the lift, and electrical noise or silence again. Groove noise and
// crackle run under the music too. Everything comes from a seed, and a side
// is rendered as the 16-bit preview stream the engine analyses: for PCM the
// signal itself, for DSD the signal through the one-bit modulator of the
// simulated turntable and the engine's own DSD preview decimator.
//
// The track finder works on 10 ms levels whatever the rate, so sides are
// rendered at a low preview rate to keep them quick to make; a DSD side's
// bit rate is 64 times its preview rate, as for the real formats.
#pragma once

#include "support/SourceWav.h"

#include <cstdint>
#include <vector>

enum class SideFormat { Pcm, Dsd };

struct SidePlan {
    SideFormat format = SideFormat::Pcm;
    uint32_t previewRate = 8000;
    double leadInSeconds = 4.0;       // recorded before the needle drops
    double runOutSeconds = 6.0;       // recorded after the arm lifts
    double silentStartSeconds = 0.0;  // digital silence before the lead-in, as a turntable starting up gives
    bool silentLeadIn = false;        // digital silence instead of electrical noise
    bool silentRunOut = false;
    double leadInGrooveSeconds = 1.5; // groove before the first track
    double runOutGrooveSeconds = 4.0; // groove after the last track
    std::vector<double> trackSeconds{20.0, 15.0, 18.0};
    std::vector<double> gapSeconds{1.5, 3.0}; // one fewer than the tracks
    double musicDb = -18.0;           // RMS of the music
    double quietPassageBelowDb = 20.0; // a passage inside each track of 12 s or more
    double quietPassageSeconds = 3.0;
    double grooveDb = -60.0;          // RMS of the groove noise
    double electricalBelowGrooveDb = 25.0;
    double cracklePerSecond = 5.0;    // ticks 20 to 35 dB above the groove noise
    double fadeOutSeconds = 1.5;
    bool continuousMusic = false;     // the tracks run into each other
    bool noMusic = false;             // groove only
    uint32_t seed = 1;
};

// Seconds from the start of the recording.
struct SideTruth {
    double needleDown = 0.0;
    double needleUp = 0.0;
    std::vector<double> trackStarts; // where each track's music begins
    std::vector<double> trackEnds;   // where it ends (the end of its fade-out)
};

struct RecordSide {
    uint32_t rate = 0;             // preview frames per second
    std::vector<int16_t> preview;  // interleaved stereo
    SideTruth truth;
};

// A side in the plan's format.
RecordSide MakeRecordSide(const SidePlan& plan);

// A varied side of the kind people record: 3 to 12 tracks of 10 s to 8
// minutes (at most 30 minutes in all), gaps of 0.8 to 4 s, lead-in and
// run-out of 2 to 20 s of electrical noise 20 to 30 dB below the groove
// noise or of digital silence, music and groove levels, crackle and quiet
// passages drawn from the seed; a quarter of the sides DSD.
SidePlan VariedSidePlan(uint32_t seed, uint32_t previewRate);

// A short side for end-to-end runs on the simulated turntable (about 27 s): three tracks of 4 to
// 5 s, gaps of 1.5 and 2.5 s, 3 s of electrical noise before the needle drops and after it lifts.
SidePlan ShortSidePlan();

// The 10 ms window levels of the side's preview, as the engine makes them.
std::vector<float> SideLevels(const RecordSide& side);

// The side as a 24-bit stereo signal at `rate` for the simulated turntable
// to play (the plan's format is ignored: the turntable makes its own DSD).
SourceSignal SideSignal(const SidePlan& plan, uint32_t rate, SideTruth& truth);
