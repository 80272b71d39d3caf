// A track file written under a temporary name in its destination folder and
// given its final name only once it is complete: no partial file ever stands
// under the final name, and a file that had the name before stays as it was
// until the rename replaces it. Every failure keeps its errno for the user.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

//
// A final path that exists and is not a regular file (a device, a pipe, a
// folder) is opened and written in place: renaming over it would replace it.
class PendingTrackFile {
public:
    PendingTrackFile() = default;
    PendingTrackFile(const PendingTrackFile&) = delete;
    PendingTrackFile& operator=(const PendingTrackFile&) = delete;
    // An uncommitted file is discarded.
    ~PendingTrackFile();

    // Creates the temporary file beside finalPath (a hidden name made of the
    // final one, the process and a counter), with a stdio buffer of
    // bufferBytes. False with Error() set when it cannot be created.
    bool Create(const std::string& finalPath, size_t bufferBytes);

    // False on a short write; Error() tells why.
    bool Write(const void* bytes, size_t count);
    bool Seek(uint64_t offset);
    bool Tell(uint64_t& offset);

    // Syncs and closes the file and renames it to the final path (the data
    // is on disk before the name is: a power cut never leaves a named track
    // without its samples). False with Error()
    // set when the data could not be flushed or the rename failed; the
    // temporary file is then removed. Once the track has its name, the
    // temporary files of the same name that writers which died left behind
    // are removed too.
    bool Commit();
    // Closes and removes the temporary file.
    void Discard();

    // The open stream, for writers that take a FILE* (tags).
    FILE* Handle() { return m_file; }
    // errno of the first failure; 0 when there was none.
    int Error() const { return m_error; }
    const std::string& TemporaryPath() const { return m_temporaryPath; }

private:
    bool Fail();

    FILE* m_file = nullptr;
    std::vector<char> m_buffer;
    std::string m_finalPath;
    std::string m_temporaryPath;
    // Written in place (see above): nothing to rename or remove.
    bool m_inPlace = false;
    int m_error = 0;
};
