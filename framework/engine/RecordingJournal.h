// The current recording's recovery journal, as the engine keeps it: started
// with the recording, brought up to date by the recording thread after each
// sync of the temporary files, and when the recording stops; removed when
// the recording is discarded or all its tracks are written; left on disk,
// with the files it names, when the process ends before that. Calls come
// from the engine queue, the recording thread and the save thread; one lock
// serialises them (never taken on the capture thread).
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "recovery/JournalFile.h"
#include "storage/RecordRanges.h"

class RecordData;

class RecordingJournal {
public:
    // Starts the journal of a new recording in folder (what it is: format,
    // channels, chunk size). False with errno when it cannot be written;
    // the recording then goes on without one.
    bool Begin(const std::string& folder, const JournalContents& format);
    // Takes over a claimed journal of a recording found on disk.
    void Adopt(JournalFile&& file, const JournalContents& contents);
    // Records the files and ranges as they are now, syncedBytes of every
    // channel being on disk. Nothing without a journal.
    void Update(RecordData& data, const RecordRangeList& ranges, uint64_t syncedBytes, bool stopped);
    // The user's markers (seconds) and names (album first, then titles).
    bool SetNotes(const std::vector<double>& markers, const std::vector<std::string>& names);
    // The notes kept; false without a journal.
    bool GetNotes(std::vector<double>& markers, std::vector<std::string>& names);
    // Deletes the journal (the files are the caller's).
    void Remove();
    // Closes it, keeping it on disk for a later run.
    void Close();
    bool IsOpen();
    std::string Id();

private:
    std::mutex m_lock;
    JournalFile m_file;
    JournalContents m_contents;
};

// The file names of a channel list of paths: what a journal stores.
std::vector<std::vector<JournalTempFile>> JournalFilesOf(const std::vector<std::vector<std::pair<uint64_t, std::string>>>& starts);
