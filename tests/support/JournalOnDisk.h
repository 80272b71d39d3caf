// The recovery journal a recording's owner last wrote into a temporary folder, read
// without taking its lock: for tests that kill a recording program at a chosen state of
// its journal. Needs cartova_recovery.
#pragma once

#include "recovery/JournalFile.h"
#include "recovery/JournalFormat.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

inline std::optional<JournalContents> ReadJournal(const std::filesystem::path& folder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::string id;
        if (!ParseJournalFileName(entry.path().filename().string(), id))
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        JournalContents contents;
        if (DecodeJournal(bytes, contents) == JournalProblem::None)
            return contents;
    }
    return std::nullopt;
}

// Samples of one channel on disk at the journal's last update.
inline uint64_t SyncedSamples(const JournalContents& journal)
{
    return journal.bitsPerSample == 0 ? 0 : journal.syncedBytes * 8 / journal.bitsPerSample;
}
