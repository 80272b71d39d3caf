// Turns the recorded length and the user's track options into the list of
// track files to write: boundaries, folder and file names, tags. Names follow
// the application's rules: a two-digit track number, the date and the
// extension by default; "/", ":" and control characters are refused.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "Options.h"

struct PlannedTrack {
    std::string path; // destination / folder / name
    std::string name; // file name with extension
    double start = 0.0;
    double end = 0.0;
    std::string title;
    std::string artist;
};

struct TrackPlan {
    std::string folder; // full path of the album folder
    std::vector<PlannedTrack> tracks;
    std::vector<std::string> warnings;
};

// The current local time as "yyyyMMddHHmmss".
std::string CurrentDateString();
// The same for a time in seconds since 1970.
std::string DateString(std::time_t when);

// True when text holds "/", ":" or a control character (below U+0020,
// U+007F, U+0080 to U+009F).
bool ContainsInvalidChar(const std::string& text);

// Checks the names the user gave before anything is recorded: the folder
// name, every file name (refused characters, duplicates ignoring case,
// lengths). Returns an error message, or an empty string when all is well.
std::string ValidateNames(const RecordOptions& options, const std::string& extension);

// Plans the tracks of a recording of `recorded` seconds, from the options'
// first track start to their last track end (or the end of the recording).
// Boundaries at or beyond the end are dropped with a warning. `date` stands
// in the default names.
TrackPlan PlanTracks(const RecordOptions& options, double recorded, const std::string& extension,
                     const std::string& date);
