// The recovery journal's contents and their byte layout. A journal says what
// a recording is and where its samples are, so that another run of the
// program can open it after this one died.
//
// Layout (every number little-endian, written byte by byte):
//   "CRTVJRNL"            8 bytes
//   version               u32 (kJournalVersion)
//   payload length        u32
//   payload               see EncodeJournal
//   CRC-32 of all above   u32
// Invariants: a journal is trusted only when the magic, the version, the
// length and the checksum all agree; anything else is refused whole, never
// partly read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kJournalVersion = 1;

// One temporary file of a channel: its name in the temporary folder and the
// position of its first byte in the channel's recorded stream.
struct JournalTempFile {
    uint64_t start = 0;
    std::string name;
};

struct JournalContents {
    int64_t startedUnix = 0;       // when the recording started (seconds since 1970, UTC)
    int64_t sampleType = 0;        // the engine's sample type of the capture
    bool isDsd = false;
    uint16_t channels = 0;
    uint64_t sampleRate = 0;       // samples of one channel per second
    uint16_t bitsPerSample = 0;    // storage bits of one stored sample (1 for DSD)
    uint16_t fileBits = 0;         // bits of the PCM track files chosen for the recording
    uint64_t chunkBytes = 0;       // the channel streams' chunk size
    uint64_t syncedBytes = 0;      // bytes of every channel on disk at the last update
    bool stopped = false;          // the recording has ended (its files no longer grow)
    // Recorded ranges in preview frames (samples for PCM, 64 samples for DSD), pauses left out.
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    std::vector<std::vector<JournalTempFile>> files; // per channel, in stream order
    std::vector<double> markers;                 // track boundaries in seconds of the recording
    std::vector<std::string> names;              // album first, then track titles
};

enum class JournalProblem {
    None,
    Torn,    // cut short, or its checksum does not match
    Foreign, // not a journal of this program
    Newer,   // a journal of a later version than this one reads
};

std::vector<uint8_t> EncodeJournal(const JournalContents& contents);
// Refuses anything that is not a whole, checked journal of this version.
JournalProblem DecodeJournal(const std::vector<uint8_t>& bytes, JournalContents& contents);
