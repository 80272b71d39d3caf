// Track boundaries, names and tags of the files the tool writes.
#include "TrackPlan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <set>

namespace {

constexpr size_t kMaxNameBytes = 254;
constexpr size_t kMaxPathBytes = 1023;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The lower-cased extension of a file name, without the dot; empty if none.
std::string LowerExtension(const std::string& name)
{
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    return Lower(name.substr(dot + 1));
}

// Adds ".ext" unless the name already ends in that extension (any case).
std::string WithExtension(const std::string& name, const std::string& extension)
{
    if (LowerExtension(name) == extension)
        return name;
    if (!name.empty() && name.back() == '.')
        return name + extension;
    return name + "." + extension;
}

std::string DefaultName(size_t number, const std::string& date, const std::string& extension)
{
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "%02zu_", number);
    return prefix + date + "." + extension;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string FolderName(const RecordOptions& options, const std::string& date)
{
    if (!options.folderName.empty())
        return options.folderName;
    if (!options.album.empty())
        return options.album;
    return date;
}

} // namespace

std::string CurrentDateString()
{
    return DateString(std::time(nullptr));
}

std::string DateString(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

bool ContainsInvalidChar(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '/' || c == ':' || c < 0x20 || c == 0x7F)
            return true;
        // U+0080 to U+009F are encoded in UTF-8 as C2 80 to C2 9F.
        if (c == 0xC2 && i + 1 < text.size()) {
            unsigned char next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F)
                return true;
        }
    }
    return false;
}

std::string ValidateNames(const RecordOptions& options, const std::string& extension)
{
    std::string folder = FolderName(options, "20000101000000");
    if (ContainsInvalidChar(folder))
        return "the album folder name '" + folder + "' contains a refused character (\"/\", \":\" or a control character)";
    if (folder == "." || folder == "..")
        return "the album folder name '" + folder + "' is not a usable name";
    if (folder.size() > kMaxNameBytes)
        return "the album folder name is longer than 254 bytes";

    std::set<std::string> seen;
    for (const std::string& given : options.names) {
        if (given.empty() || given[0] == '.')
            return "file name '" + given + "' is empty or begins with \".\"";
        std::string name = WithExtension(given, extension);
        if (ContainsInvalidChar(name))
            return "file name '" + name + "' contains a refused character (\"/\", \":\" or a control character)";
        if (name.size() > kMaxNameBytes)
            return "file name '" + name + "' is longer than 254 bytes";
        if (!seen.insert(Lower(name)).second)
            return "file name '" + name + "' is given twice";
    }

    // The longest path: the longest given name, or a default name with a
    // three-digit track number.
    size_t longestName = std::string("100_20000101000000.").size() + extension.size();
    for (const std::string& given : options.names)
        longestName = std::max(longestName, WithExtension(given, extension).size());
    if (JoinPath(options.destination, folder).size() + 1 + longestName > kMaxPathBytes)
        return "the destination path is too long (a track's full path would exceed 1023 bytes)";
    return {};
}

TrackPlan PlanTracks(const RecordOptions& options, double recorded, const std::string& extension,
                     const std::string& date)
{
    TrackPlan plan;
    plan.folder = JoinPath(options.destination, FolderName(options, date));

    // Invariant: the bounds ascend from the first track's start to the last one's end.
    const double end = std::min(recorded, options.lastTrackEnd.value_or(recorded));
    std::vector<double> bounds{std::min(options.firstTrackStart, end)};
    for (double split : options.splits) {
        if (split <= bounds.front())
            continue;
        if (split >= end) {
            plan.warnings.push_back("track boundary at " + std::to_string(split) +
                                    " s lies beyond the recording and was ignored");
            continue;
        }
        bounds.push_back(split);
    }
    bounds.push_back(end);

    size_t count = bounds.size() - 1;
    if (options.names.size() > count || options.titles.size() > count || options.artists.size() > count)
        plan.warnings.push_back("more names, titles or artists were given than there are tracks; the extra ones are unused");

    for (size_t i = 0; i < count; ++i) {
        PlannedTrack track;
        track.start = bounds[i];
        track.end = bounds[i + 1];
        track.name = i < options.names.size() ? WithExtension(options.names[i], extension)
                                              : DefaultName(i + 1, date, extension);
        track.path = JoinPath(plan.folder, track.name);
        if (track.path.size() > kMaxPathBytes)
            plan.warnings.push_back("path of track " + std::to_string(i + 1) + " is longer than 1023 bytes");
        if (i < options.titles.size())
            track.title = options.titles[i];
        if (i < options.artists.size())
            track.artist = options.artists[i];
        plan.tracks.push_back(track);
    }
    return plan;
}
