// What the worker threads need of the engine: waking the conversion thread,
// posting notifications to the application, reporting lost audio, and the
// temporary folder.
// Workers receive a pointer to it when they are started.
#pragma once

#include <cstdint>

#include "interface/cartova.h"

class IToolkitManager {
public:
    virtual ~IToolkitManager() = default;

    virtual void ConvertThread_AddDataNotify() = 0;
    virtual void NotifyOperationProc(TkRecOperation operation) = 0;
    virtual void NotifyStreamPosProc(double seconds) = 0;
    virtual void NotifyConvertPosProc(double seconds) = 0;
    // message may be null (sent as an empty string).
    virtual void NotifyErrorMessageProc(int code, const char* message) = 0;
    // framesLost samples of every channel are missing from the recording at
    // `seconds` of the recorded stream (called by the recording thread).
    // Engines that keep no record of it ignore it.
    virtual void NotifyDroppedAudio(double seconds, uint64_t framesLost)
    {
        (void)seconds;
        (void)framesLost;
    }
    // After every capture buffer stored for all channels: the recorded and
    // captured lengths in samples of one channel at `rate` samples a second
    // (called by the recording thread). Engines without planned pauses
    // ignore it.
    virtual void RoundStored(uint64_t recorded, uint64_t captured, uint64_t rate)
    {
        (void)recorded;
        (void)captured;
        (void)rate;
    }
    // The recording thread has synced the temporary files: syncedBytes of
    // every channel's recorded stream are on disk (the journal follows).
    virtual void RecordingSynced(uint64_t syncedBytes) { (void)syncedBytes; }
    // The save thread's run has ended; everyFileWritten when every track of
    // it was written whole (none skipped, aborted or cancelled).
    virtual void SaveRunEnded(bool everyFileWritten) { (void)everyFileWritten; }
    virtual const char* GetTempDirectory() = 0;
    virtual bool IsTempDirectoryExists() = 0;
};
