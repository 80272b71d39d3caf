// Command-line options of the cartova tool and their parsing.
// Parsing never touches the framework: a usage error is found before any
// device is opened or anything is recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A pause in the recording: at `at` seconds of recorded time, for `length`
// seconds of captured time.
struct PauseSpan {
    double at = 0.0;
    double length = 0.0;
};

struct GlobalOptions {
    bool simulate = false;
    std::string simulateSource; // empty: the demo album
    double speed = 1.0;
    std::string device;         // empty: the first device found
    std::string tempDirectory;  // empty: the user's cache folder
};

enum class RecordFormat { Pcm, Dsd };

// How readily --repair-clicks takes a disturbance for damage.
enum class ClickRepairLevel { Low, Normal, High };

struct RecordOptions {
    RecordFormat format = RecordFormat::Pcm;
    uint64_t rate = 96000;   // PCM rate in Hz, or DSD bit rate
    uint16_t bits = 24;      // PCM bit depth of the files
    bool flac = false;       // PCM tracks as FLAC files instead of WAV
    std::optional<uint32_t> compression; // FLAC compression level 0 to 8; none: 5
    std::string cover;       // FLAC front cover picture (PNG or JPEG); empty: none
    std::optional<double> duration; // seconds of recorded time; none: until Ctrl-C
    double preRecord = 0.0;  // seconds of pre-recording before the recording starts
    std::vector<PauseSpan> pauses;
    std::vector<double> splits; // track boundaries in seconds, ascending
    bool autoTracks = false;    // split at the gaps found in the recording
    uint32_t trackCount = 0;    // with autoTracks, the side's tracks (auto=N); 0: as the gaps say
    std::optional<double> minGap; // shortest gap between tracks for autoTracks
    // Where the first track starts and the last ends: the music found by
    // autoTracks, without the lead-in before it and the run-out after it.
    double firstTrackStart = 0.0;
    std::optional<double> lastTrackEnd;
    std::string album;
    std::string albumArtist;
    std::vector<std::string> titles;
    std::vector<std::string> artists;
    std::vector<std::string> names; // file names per track
    std::string folderName;         // album folder name; default: album or date
    double gain = 0.0;
    std::string destination = "."; // folder that receives the album folder
    bool overwrite = false;         // replace existing track files
    std::optional<ClickRepairLevel> repairClicks; // repair the tracks written (PCM only)
};

// Reads "low", "normal" or "high".
std::optional<ClickRepairLevel> ParseClickRepairLevel(const std::string& text);

// The outcome of parsing: success, a request for help, or a usage error.
struct ParseResult {
    bool ok = true;
    bool help = false;
    std::string error;

    static ParseResult Error(std::string message) { return {false, false, std::move(message)}; }
};

// Reads a number of seconds: "90", "1.5", "2:30" or "1:02:03".
std::optional<double> ParseSeconds(const std::string& text);
// Reads "AT+LENGTH" (each in the forms of ParseSeconds).
std::optional<PauseSpan> ParsePause(const std::string& text);
// Reads "T1,T2,..." track boundaries; they must be positive and ascend.
std::optional<std::vector<double>> ParseSplits(const std::string& text);
// What follows "auto" in --tracks: nothing (0: as the gaps say) or "=N", N
// from 1 to 99.
std::optional<uint32_t> ParseTrackCount(const std::string& text);
// Reads "64", "128", "256" or a DSD bit rate in Hz.
std::optional<uint64_t> ParseDsdRate(const std::string& text);

// Parses the arguments after the sub-command (global options are accepted
// there too).
ParseResult ParseDevicesOptions(const std::vector<std::string>& args, GlobalOptions& global);
ParseResult ParseRecordOptions(const std::vector<std::string>& args, GlobalOptions& global,
                               RecordOptions& options);

// Parses the global options in front of the sub-command; stops at the first
// argument that is not one and returns its index in `next`.
ParseResult ParseLeadingGlobalOptions(const std::vector<std::string>& args, GlobalOptions& global,
                                      size_t& next);
