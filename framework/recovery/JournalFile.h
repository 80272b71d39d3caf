// One recording's recovery journal on disk, "cartova-<id>.journal" in the
// temporary folder (a name the clean-up rule for "tmpXXXXXX" files never
// matches), held by the one program that owns the recording.
//
// Invariants:
// - The owner holds an exclusive flock on every version of the journal from
//   before it is visible under the journal's name until the owner closes
//   it, so no second program can claim the recording meanwhile.
// - An update writes a new copy ("....journal.new"), syncs it, locks it,
//   renames it over the old one and syncs the folder: the name always holds
//   a whole journal, the old one or the new one.
// Every failure keeps errno for the caller.
#pragma once

#include <string>
#include <utility>

#include "recovery/JournalFormat.h"

std::string JournalFileName(const std::string& id);
// True for "cartova-<id>.journal", with the id.
bool ParseJournalFileName(const std::string& name, std::string& id);

enum class ClaimResult {
    Claimed,
    Missing, // no journal of that id
    InUse,   // another program holds it
    Refused, // torn, foreign or newer: left alone
};

class JournalFile {
public:
    JournalFile() = default;
    ~JournalFile();
    JournalFile(const JournalTempFile&) = delete;
    JournalFile& operator=(const JournalTempFile&) = delete;
    JournalFile(JournalFile&& other) noexcept { *this = std::move(other); }
    JournalFile& operator=(JournalFile&& other) noexcept;

    // Starts a journal with a new id (from the start time and the process)
    // in folder and writes contents to it. False when it cannot be written.
    bool Create(const std::string& folder, const JournalContents& contents);
    // Takes over the journal `id` of folder: locks it and reads it.
    // problem says why a journal was refused.
    ClaimResult Claim(const std::string& folder, const std::string& id, JournalContents& contents,
                      JournalProblem& problem);
    bool Update(const JournalContents& contents);
    // Deletes the journal (its files are the caller's) and closes it.
    bool Remove();
    // Releases the lock and keeps the journal for a later run.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    const std::string& Id() const { return m_id; }
    const std::string& Folder() const { return m_folder; }
    std::string Path() const;

private:
    bool WriteVersion(const std::string& path, const JournalContents& contents);

    std::string m_folder;
    std::string m_id;
    int m_fd = -1;
};

// Reads the journal at path without claiming it: false with inUse when its
// owner holds it, false when it cannot be read; problem when it is refused.
bool PeekJournal(const std::string& path, JournalContents& contents, JournalProblem& problem, bool& inUse);
