// The one estimate of how many minutes can be recorded into a temporary folder, from its
// free space and the bytes the framework stores per second for the chosen format. The
// start dialog and the settings dialog both use it.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct AudioDeviceInfo;

struct RecordSpaceFormat {
    bool dsd = false;
    uint64_t rate = 0;        // DSD bit rate or PCM sampling frequency, Hz
    uint32_t channels = 2;
    uint32_t recordBits = 32; // PCM container bits
};

// The format of a recording on a device: its input channels and PCM container bits, 2
// and 32 where the device is unknown (null) or does not say.
RecordSpaceFormat RecordSpaceFormatFor(bool dsd, uint64_t rate, const AudioDeviceInfo* device);

// Bytes per second for all channels: DSD bits plus a 16-bit preview at rate / 64, or
// PCM samples plus a 16-bit preview at the full rate.
uint64_t RecordBytesPerSecond(const RecordSpaceFormat& format);

// Whole minutes of free space at that rate; 0 when nothing is stored per second.
int64_t MinutesForSpace(uint64_t freeBytes, uint64_t bytesPerSecond);

// Free space of the folder's file system, or none (with errno set) when it cannot be read.
std::optional<uint64_t> FolderFreeBytes(const QString& folder);
using FreeSpaceQuery = std::function<std::optional<uint64_t>(const QString& folder)>;

// Whole minutes of the format that fit into the folder; none when its free space cannot
// be read.
std::optional<int64_t> MaxRecordMinutes(const QString& folder, const RecordSpaceFormat& format,
                                        const FreeSpaceQuery& freeSpace = FolderFreeBytes);

// "Maximum recording time : approx. 40 min" with the localised words.
QString MaxRecordTimeText(int64_t minutes);
