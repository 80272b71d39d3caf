// The recordings a temporary folder holds journals of: what each is, how
// much of it its files still hold, and which temporary files the journals
// name (so that the clean-up of leftovers keeps them).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "recovery/JournalFormat.h"

struct RecoverableRecording {
    std::string id;
    std::string folder;
    JournalContents contents;
    JournalProblem problem = JournalProblem::None;
    bool inUse = false;
    // Bytes of every channel the files hold, whole frames only (0 when refused).
    uint64_t recoverableBytes = 0;
    // What the journal names that is gone or shorter, in words.
    std::vector<std::string> missing;

    // Samples of one channel that can be recovered.
    uint64_t RecoverableSamples() const;
    double RecoverableSeconds() const;
};

// Every journal of folder, newest first (by start time, then id). Journals
// whose owner holds them are listed with inUse and nothing read.
std::vector<RecoverableRecording> ListRecordings(const std::string& folder);

// Measures a journal's files: sets recoverableBytes (the shortest channel's
// contiguous bytes from the start, cut to whole frames) and missing.
void MeasureRecording(RecoverableRecording& recording);

// The "tmpXXXXXX" names the clean-up must keep in folder: those named by
// readable journals. keepAll is set when a journal is held by its owner or
// written by a newer version: its files are then unknown, and the
// clean-up leaves every file alone. A journal whose files hold nothing is
// deleted here, its files left to the clean-up.
std::set<std::string> JournalledTempFileNames(const std::string& folder, bool& keepAll);

// Bytes of one frame of one channel: what a recovered stream is cut to.
uint32_t JournalBytesPerFrame(const JournalContents& contents);
