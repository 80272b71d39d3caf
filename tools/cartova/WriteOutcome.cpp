// Classifying the track files of a write run.
#include "WriteOutcome.h"

#include <algorithm>
#include <sys/stat.h>

FileStamp StampOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    return {true, info.st_ino, info.st_size,
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

bool WrittenSince(const FileStamp& before, const FileStamp& after)
{
    if (!after.exists)
        return false;
    return !before.exists || before.inode != after.inode || before.size != after.size ||
           before.mtimeNs != after.mtimeNs;
}

std::vector<TrackOutcome> ClassifyTracks(const std::vector<TrackFile>& tracks, const WriteRunEnd& end)
{
    std::vector<TrackOutcome> outcomes;
    for (const TrackFile& track : tracks) {
        const bool skipped = std::find(end.skipped.begin(), end.skipped.end(), track.path) != end.skipped.end();
        outcomes.push_back(track.changed && !skipped ? TrackOutcome::Written : TrackOutcome::NotWritten);
    }
    if (!end.aborted)
        return outcomes;

    // The failing track: the one named, else the last one the run touched
    // (tracks are written one after the other).
    size_t failing = tracks.size();
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (end.abortedPath.empty() ? outcomes[i] == TrackOutcome::Written : tracks[i].path == end.abortedPath)
            failing = i;
    }
    if (failing < tracks.size() && tracks[failing].changed)
        outcomes[failing] = TrackOutcome::Incomplete;
    return outcomes;
}
