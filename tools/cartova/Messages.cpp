// Words for the framework's result and notification codes.
#include "Messages.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Terminal.h"

std::string DescribeError(TkError error)
{
    switch (error) {
    case TkErrorSuccess: return "success";
    case TkErrorNotInitialized: return "the framework is not initialised";
    case TkErrorInvalidArgument: return "invalid argument";
    case TkErrorFailed: return "the operation failed";
    case TkErrorDeviceNotFound: return "device not found or gone";
    case TkErrorAlreadyInitialized: return "the framework is already initialised";
    case TkErrorInvalidState: return "not possible in the current state";
    case TkErrorNotSupported: return "not supported";
    default: return "error " + std::to_string(error);
    }
}

std::string DescribeNotifyError(TkNotifyError code, const std::string& message)
{
    switch (code) {
    case TkNotifyDeviceLost:
        return "the turntable was lost (unplugged, or it could not be started)";
    case TkNotifyQueueOverflow:
        // The framework says where and how much; older messages were empty.
        return message.empty() ? "audio was dropped: the recording could not keep up with the device"
                               : message + " (the recording could not keep up with the device)";
    case TkNotifyRecordingLimit:
        return "the recording could not be stored (is the disk of the temporary folder full?)";
    case TkNotifySaveAborted:
        // "cause: path" from the framework, or the path alone.
        if (message.empty() || message[0] == '/')
            return "writing stopped: " + (message.empty() ? std::string("a track") : message) +
                   " could not be written (insufficient free space or a write error)";
        return "writing stopped: " + message;
    case TkNotifyFileSkipped:
        return "skipped " + message + ": the file could not be created or is too large for the destination";
    case TkNotifyTempFolderUnusable:
        return "the temporary folder is gone or unusable";
    case TkNotifyStoreFailed: {
        // The message is the failed write's errno.
        const int cause = std::atoi(message.c_str());
        if (cause == ENOSPC || cause == EDQUOT)
            return "the recording stopped: the temporary file storage is full";
        return "the recording stopped: it could not be stored: " +
               (cause > 0 ? std::string(std::strerror(cause)) : std::string("unknown cause"));
    }
    default:
        return "notification " + std::to_string(code) + (message.empty() ? "" : ": " + message);
    }
}

std::string DescribeOperation(TkRecOperation operation)
{
    switch (operation) {
    case TkRecOperationRecordingStarted: return "recording started";
    case TkRecOperationCaptureStarted: return "capture started";
    case TkRecOperationStopped: return "recording stopped";
    case TkRecOperationSaveFinished: return "writing finished";
    default: return "operation " + std::to_string(operation);
    }
}

std::vector<std::string> DescribeDroppedAudio(const TkDroppedAudio* gaps, size_t count)
{
    std::vector<std::string> lines;
    if (gaps == nullptr || count == 0)
        return lines;
    uint64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        char line[160];
        std::snprintf(line, sizeof line, "audio was lost at %s (%.3f s) of the recording: %llu samples per channel",
                      FormatTime(gaps[i].position_seconds).c_str(), gaps[i].position_seconds,
                      static_cast<unsigned long long>(gaps[i].frames_lost));
        lines.emplace_back(line);
        total += gaps[i].frames_lost;
    }
    lines.push_back("the recording has " + std::to_string(count) + (count == 1 ? " gap" : " gaps") + " (" +
                    std::to_string(total) + " samples per channel in all); the tracks are written with them");
    return lines;
}
