// What the worker threads need of the engine: waking the conversion thread,
// posting notifications to the application, and the temporary folder.
// Workers receive a pointer to it when they are started.
#pragma once

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
    virtual const char* GetTempDirectory() = 0;
    virtual bool IsTempDirectoryExists() = 0;
};
