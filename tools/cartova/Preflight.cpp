// Checks before recording; see Preflight.h.
#include "Preflight.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "Terminal.h"

namespace {

// statfs type of FAT (vfat, msdos) volumes.
constexpr long kMsdosSuperMagic = 0x4d44;

bool Exists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

TrackFileLimit TrackFileLimitFor(const RecordOptions& options, const std::string& folder)
{
    TrackFileLimit limit;
    if (options.format == RecordFormat::Pcm && !options.flac) {
        limit.bytes = kWavFileLimitBytes;
        limit.what = "a WAV file";
    }
    struct statfs info {};
    const std::string volume = IsDirectory(folder) ? folder : ParentOf(folder);
    if (statfs(volume.c_str(), &info) == 0 && static_cast<long>(info.f_type) == kMsdosSuperMagic &&
        kFatFileLimitBytes < limit.bytes) {
        limit.bytes = kFatFileLimitBytes;
        limit.what = "a file on this FAT volume";
    }
    struct stat cover {};
    if (limit.bytes != std::numeric_limits<uint64_t>::max() && !options.cover.empty() &&
        stat(options.cover.c_str(), &cover) == 0)
        limit.bytes -= std::min<uint64_t>(limit.bytes, static_cast<uint64_t>(cover.st_size));
    return limit;
}

uint64_t TrackBytesPerSecond(const RecordOptions& options, uint16_t channels)
{
    if (options.format == RecordFormat::Dsd)
        return options.rate / 8 * channels;
    const uint64_t pcm = options.rate * channels * (options.bits / 8u);
    return options.flac ? pcm * kFlacBoundPercent / 100 : pcm;
}

TrackSizeCheck CheckTrackSizes(const RecordOptions& options, uint16_t channels, const TrackFileLimit& limit)
{
    TrackSizeCheck check;
    const uint64_t perSecond = TrackBytesPerSecond(options, channels);
    if (perSecond == 0 || limit.bytes == std::numeric_limits<uint64_t>::max())
        return check;
    auto bytesOf = [&](double seconds) {
        return static_cast<uint64_t>(std::ceil(seconds * static_cast<double>(perSecond))) + kTrackOverheadBytes;
    };
    // Every track that ends at a boundary has a known length.
    double start = 0.0;
    for (size_t i = 0; i <= options.splits.size(); ++i) {
        double end = i < options.splits.size() ? options.splits[i] : -1.0;
        if (end < 0.0 || (options.duration && end > *options.duration)) {
            if (!options.duration)
                break;  // the last track: its end is the end of the recording
            end = *options.duration;
        }
        if (end <= start)
            break;
        const uint64_t bytes = bytesOf(end - start);
        if (bytes > limit.bytes) {
            check.problem = "track " + std::to_string(i + 1) + " (" + FormatTime(start) + " to " + FormatTime(end) +
                            ") would be " + FormatBytes(bytes) + ", more than " + limit.what + " can hold (" +
                            FormatBytes(limit.bytes) + ")";
            return check;
        }
        start = end;
        if (options.duration && end >= *options.duration)
            return check;
    }
    if (!options.duration) {
        // The open last track: stop where it would no longer fit.
        const double room = static_cast<double>(limit.bytes - kTrackOverheadBytes) / static_cast<double>(perSecond);
        check.stopAt = start + std::floor(room * 10.0) / 10.0;
    }
    return check;
}

std::string CheckAlbumFolder(const std::string& folder)
{
    if (!Exists(folder))
        return {};
    if (!IsDirectory(folder))
        return "a file with the album folder's name exists: " + folder;
    // A scratch file tells what the mode bits do not: a read-only mount, or
    // a file system that takes no files.
    std::string probe = folder + "/.cartova-probe-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        return "the album folder " + folder + " is not writable: " + std::strerror(errno);
    close(fd);
    unlink(probe.c_str());
    return {};
}

std::string CheckTrackCollisions(const TrackPlan& plan, bool overwrite)
{
    std::string folders, files;
    for (const PlannedTrack& track : plan.tracks) {
        if (IsDirectory(track.path))
            folders += (folders.empty() ? "" : ", ") + track.path;
        else if (!overwrite && Exists(track.path))
            files += (files.empty() ? "" : ", ") + track.path;
    }
    if (!folders.empty())
        return "folders are in the way of the track files: " + folders;
    if (!files.empty())
        return "the track files exist already (use --overwrite to replace them): " + files;
    return {};
}

std::string FormatBytes(uint64_t bytes)
{
    constexpr double kGiB = 1073741824.0;
    constexpr double kMiB = 1048576.0;
    char text[32];
    if (static_cast<double>(bytes) >= kGiB)
        std::snprintf(text, sizeof text, "%.2f GiB", static_cast<double>(bytes) / kGiB);
    else
        std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / kMiB);
    return text;
}
