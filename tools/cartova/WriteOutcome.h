// Which track files a write run really produced. The framework names a
// skipped file and the file of an aborted run in its error notifications; the
// files themselves tell whether this run wrote them (a file that existed
// before is only counted when it changed). The file being written when a run
// aborts is incomplete.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What stat() says of a path, enough to see whether it changed.
struct FileStamp {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeNs = 0;
};

FileStamp StampOf(const std::string& path);
// True when `after` is a file that was created or rewritten since `before`.
bool WrittenSince(const FileStamp& before, const FileStamp& after);

enum class TrackOutcome { Written, NotWritten, Incomplete };

struct TrackFile {
    std::string path;
    bool changed = false; // WrittenSince(before the run, after the run)
};

// How a run ended, from its error notifications.
struct WriteRunEnd {
    bool aborted = false;              // save aborted, or the temporary folder failed
    std::string abortedPath;           // the failing track's path, when named
    std::vector<std::string> skipped;  // paths of skipped tracks
};

// One outcome per track, in the order of the run. On an abort the named
// track, or else the last changed one, is incomplete when it changed.
std::vector<TrackOutcome> ClassifyTracks(const std::vector<TrackFile>& tracks, const WriteRunEnd& end);
