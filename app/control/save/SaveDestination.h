// Checks made on the destination before the first track file is written: the album
// folder can be created or written into, and its volume has room for every track.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Format of the recording the tracks are cut from.
struct TrackFormat {
    bool dsd = false;
    uint64_t rate = 0;   // Hz; for DSD the one-bit rate
    int bits = 16;       // PCM sample size of the written files
    int channels = 2;
    bool flac = false;   // PCM written as FLAC
};

// Size in bytes of a track file from start to end seconds, headers and room for tags
// included (a cover excepted). For FLAC it is the most the file can take, as the
// framework counts before it writes a track, not what compression will make of it.
uint64_t EstimatedTrackBytes(const TrackFormat& format, double start, double end);

// a + b, or the largest value when that overflows.
uint64_t SaturatingSum(uint64_t a, uint64_t b);

// Why writing into a destination cannot start: a message of the application's alerts and
// the cause under it.
struct DestinationProblem {
    QString message;
    QString information;
};

// Checks that albumFolder (created by the writing when missing) can take bytes of new files.
std::optional<DestinationProblem> CheckDestination(const QString& albumFolder, uint64_t bytes);

// a / b, without doubling a trailing "/" of a.
QString JoinPath(const QString& a, const QString& b);
