// Writes one track of a DSD recording as a DSF file: the 92-byte header
// written once with its final sizes, the one-bit samples in 4,096-byte blocks
// per channel (earliest sample in the least significant bit, last blocks
// zero-filled), then the ID3v2 tag the header's metadata pointer points to.
// A gain other than 0 dB re-modulates every channel on its own worker thread.
#pragma once

#include <cstdint>
#include <string>

#include "interface/cartova.h"
#include "save/TkSaveSettingInternal.h"

class RecordData;
class RepairedPlaces;

// What the DSF writer needs of the save thread that runs it: the samples, the
// progress and cancel state that the application polls, the checks made
// before a file is opened, and the skip notification. SaveThread implements
// it; tests implement it with stand-ins.
class IDsfWriterHost {
public:
    virtual ~IDsfWriterHost() = default;

    // Source of the samples; null makes the writer fail with -3.
    virtual RecordData* GetRecordData() = 0;
    // 0 none, 1 abort now and delete the file, 2 stop after the current file.
    // Read once per block from the writing thread.
    virtual uint32_t GetCancelMode() = 0;

    // fileDone and fileSamples of the current job, in one-bit samples.
    virtual void SetFileProgress(uint64_t fileDone, uint64_t fileSamples) = 0;
    // Adds to totalDone (samples of all jobs accounted for).
    virtual void AddTotalDone(uint64_t samples) = 0;

    // The checks made before a file is opened, in this order.
    virtual TkError SaveCreateDirectory(const std::string& path) = 0;
    virtual bool CheckDiskSpace(const std::string& path, uint64_t bytes) = 0;
    virtual bool CheckFileSystemFileSizeLimit(const std::string& path, uint64_t bytes) = 0;

    // Sends TkNotifyFileSkipped with the path.
    virtual void NotifyFileSkipped(const std::string& path) = 0;

    // The click repairs to lay over the samples written (PCM writers), or
    // null for the recording as it is.
    virtual const RepairedPlaces* GetRepairs() { return nullptr; }

    // Why the current file failed ("write failed: No space left on device"),
    // said where the failure happens so that errno is still the cause's.
    // The save thread puts it in front of the path of its abort message.
    virtual void SetFailureCause(const std::string& cause) { (void)cause; }
};

// The cause of a run stopped by the free-space check.
inline constexpr const char* kNotEnoughSpaceCause = "not enough free space";

// "what: strerror(error)" for SetFailureCause ("what" alone for error 0).
std::string FailureWithErrno(const char* what, int error);

// Writes job as a DSF file from host's record data.
// 0: written, or skipped (file system too small for it, or the file cannot
//    be created; NotifyFileSkipped sent and its samples counted as done).
// -2: null job or end before start.
// -3: no record data or sample type, not enough disk space, read or write error.
// The error of SaveCreateDirectory.
// -100 (TkErrorCancelled): a cancellation was pending when it returned, also
//    after a file that it completed.
TkError SaveDsfFile(IDsfWriterHost& host, const TkSaveSettingInternal* job);
