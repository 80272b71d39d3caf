// Generated records that sound like a side of vinyl to a level analysis:
// tracks of music-like signal (overlapping notes with attack and decay, a
// quiet passage, a fade-out) separated by gaps of surface noise with
// crackles, after a lead-in and before a run-out of the same noise. Surface
// noise runs under the music too. Everything is generated from a seed, so a
// test can regenerate exactly what it played.
#pragma once

#include "support/SourceWav.h"

#include <cstdint>
#include <vector>

struct VinylRecordPlan {
    uint32_t rate = 44100;
    double leadInSeconds = 1.5;
    double runOutSeconds = 2.0;
    std::vector<double> trackSeconds{20.0, 15.0, 18.0};
    std::vector<double> gapSeconds{1.5, 4.0}; // one fewer than the tracks
    double musicDb = -18.0;         // RMS level of the music
    double quietPassageDb = -40.0;  // RMS level of a 3 s passage inside each track
    double noiseDb = -60.0;         // RMS level of the surface noise
    double crackleDb = -30.0;       // peak level of a crackle
    double fadeOutSeconds = 2.0;
    bool continuousMusic = false;   // no gaps: the tracks run into each other
    bool noiseOnly = false;         // no music at all
    uint32_t seed = 1;
};

struct VinylRecord {
    SourceSignal signal;              // stereo, 24-bit values
    std::vector<double> trackStarts;  // seconds at which each track's music begins
    std::vector<double> gapStarts;    // seconds at which each gap between tracks begins
};

VinylRecord MakeVinylRecord(const VinylRecordPlan& plan);
