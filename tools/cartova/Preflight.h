// Checks made before the first sample is captured: everything about the
// destination that can be known then, so that a recording is never lost to a
// folder that cannot be written, a file that already exists or a track too
// large for its file.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "Options.h"
#include "TrackPlan.h"

// Largest WAV file: its RIFF sizes are 32-bit.
inline constexpr uint64_t kWavFileLimitBytes = 4294967295ULL;
// Largest file on a FAT volume (32-bit file sizes).
inline constexpr uint64_t kFatFileLimitBytes = 4294967295ULL;
// Room kept for the header and the tags of a track file.
inline constexpr uint64_t kTrackOverheadBytes = 65536;

// How big a track file may be, and why.
struct TrackFileLimit {
    uint64_t bytes = std::numeric_limits<uint64_t>::max();
    std::string what;  // "a WAV file", "a file on this FAT volume"
};

// A FLAC track is checked against the framework's bound of its size, which
// is at most this many percent above the WAV bytes of its samples.
inline constexpr uint64_t kFlacBoundPercent = 104;

// The limit for a track of the options' format written into `folder` (or,
// when it does not exist yet, into its parent). A FLAC file has no limit of
// its own; the room its cover takes is not the samples'.
TrackFileLimit TrackFileLimitFor(const RecordOptions& options, const std::string& folder);

// Bytes of the samples of one second of a track (for FLAC, of its bound).
uint64_t TrackBytesPerSecond(const RecordOptions& options, uint16_t channels);

// What the sizes allow: a problem (a track that will not fit whatever
// happens), or the recorded time at which the recording must stop so that
// its last track still fits (infinity when there is no such point).
struct TrackSizeCheck {
    std::string problem;
    double stopAt = std::numeric_limits<double>::infinity();
};
TrackSizeCheck CheckTrackSizes(const RecordOptions& options, uint16_t channels, const TrackFileLimit& limit);

// The album folder: not a file, and able to take a new file when it exists
// (tried with a scratch file that is removed at once).
std::string CheckAlbumFolder(const std::string& folder);

// Track files of the plan that are in the way: a folder of that name, or a
// file without --overwrite. Empty when there is none.
std::string CheckTrackCollisions(const TrackPlan& plan, bool overwrite);

// A size in words: "4.00 GiB", "512.0 MiB".
std::string FormatBytes(uint64_t bytes);
