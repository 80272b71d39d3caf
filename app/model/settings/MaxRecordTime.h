// Estimate of how many minutes can be recorded into a temporary folder, from its free
// space and the bytes the framework stores per second for the chosen format.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

struct RecordSpaceFormat {
    bool dsd = false;
    uint64_t rate = 0;        // DSD bit rate or PCM sampling frequency, Hz
    uint32_t channels = 2;
    uint32_t recordBits = 32; // PCM container bits
};

// Bytes per second for all channels: DSD bits plus a 16-bit preview at rate / 64, or
// PCM samples plus a 16-bit preview at the full rate.
uint64_t RecordBytesPerSecond(const RecordSpaceFormat& format);

// Whole minutes of free space at that rate; 0 when nothing is stored per second.
int64_t MinutesForSpace(uint64_t freeBytes, uint64_t bytesPerSecond);

// True for the framework's own temporary file names: "tmp" and six letters or digits.
bool IsFrameworkLeftoverName(const QString& name);

// Deletes the framework's leftover temporary files in the folder (regular files only;
// failures ignored). Other files, even those whose names begin with "tmp", stay.
void DeleteFrameworkLeftovers(const QString& folder);

// Free space of the folder's file system, or none (with errno set) when it cannot be read.
std::optional<uint64_t> FolderFreeBytes(const QString& folder);

// "Maximum recording time : approx. 40 min" with the localised words.
QString MaxRecordTimeText(int64_t minutes);
