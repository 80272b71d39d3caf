// The folder that holds the recording's temporary files: remembers the path,
// answers the worker threads, and removes the framework's own leftovers from
// the previous folder when the folder is set or changed.
#pragma once

#include "interface/cartova.h"

#include <deque>
#include <mutex>
#include <string>

// True for names the framework's temporary files are created with: "tmp"
// followed by exactly six letters or digits (the unique-name template).
bool IsFrameworkTempFileName(const std::string& name);

// Deletes the regular files of folder whose names IsFrameworkTempFileName
// accepts, except those a recovery journal names (and every one while a
// journal is held by a running program or written by a newer version).
// Other entries (subfolders, links, foreign files) stay; errors while
// listing or deleting are ignored. Returns the number deleted.
size_t DeleteFrameworkTempFiles(const std::string& folder);

class TempDirectory {
public:
    // null: -2. A path that is not an existing directory: -2, and it is
    // remembered when no folder was set before (so Exists() is false).
    // Otherwise cleans the previous folder (the new one on the first call)
    // of leftovers, remembers the path and returns 0.
    TkError Set(const char* path);

    // The current path, "" until first set. The pointer stays valid for the
    // life of this object, also after the path changes, so a worker thread
    // may keep using it.
    const char* Get();

    // Whether the current path is an existing directory.
    bool Exists();

private:
    void Remember(const std::string& path);

    std::mutex m_lock;
    bool m_set = false;
    // Every path ever remembered, the current one last; kept so that
    // pointers handed out by Get() never dangle.
    std::deque<std::string> m_paths{std::string()};
};
