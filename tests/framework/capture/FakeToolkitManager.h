// Engine stand-in for worker-thread tests: records every call made through
// IToolkitManager and serves a temporary folder.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <sys/stat.h>
#include <vector>

#include "engine/IToolkitManager.h"

class FakeToolkitManager : public IToolkitManager {
public:
    explicit FakeToolkitManager(std::string tempDirectory = {}) : m_tempDirectory(std::move(tempDirectory)) {}

    void ConvertThread_AddDataNotify() override
    {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            ++convertWakeUps;
            hook = onConvertWakeUp;
        }
        if (hook) {
            hook();
        }
        m_changed.notify_all();
    }
    void NotifyOperationProc(TkRecOperation operation) override { Record(operations, operation); }
    void NotifyStreamPosProc(double seconds) override { Record(streamPositions, seconds); }
    void NotifyConvertPosProc(double seconds) override { Record(convertPositions, seconds); }
    void NotifyErrorMessageProc(int code, const char* message) override
    {
        Record(errors, code);
        std::lock_guard<std::mutex> guard(m_lock);
        errorMessages.push_back(message != nullptr ? message : "");
    }
    void NotifyDroppedAudio(double seconds, uint64_t framesLost) override
    {
        Record(droppedAudio, std::make_pair(seconds, framesLost));
    }
    const char* GetTempDirectory() override { return m_tempDirectory.c_str(); }
    bool IsTempDirectoryExists() override
    {
        if (claimTempDirectoryExists) {
            return true;
        }
        struct stat info {};
        return !m_tempDirectory.empty() && stat(m_tempDirectory.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }

    // Waits until pred() holds under the lock (false after the timeout).
    template <class Pred>
    bool WaitFor(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_changed.wait_for(guard, timeout, pred);
    }

    template <class T>
    std::vector<T> Snapshot(const std::vector<T>& values)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return values;
    }

    // Guarded by the lock; read them through Snapshot or inside WaitFor.
    std::vector<TkRecOperation> operations;
    std::vector<double> streamPositions;
    std::vector<double> convertPositions;
    std::vector<int> errors;
    std::vector<std::string> errorMessages;
    std::vector<std::pair<double, uint64_t>> droppedAudio;
    int convertWakeUps = 0;
    // Answers IsTempDirectoryExists with true whatever the folder is, to
    // simulate a store that fails while the folder is still there.
    bool claimTempDirectoryExists = false;
    // Called (outside the lock) on every conversion wake-up.
    std::function<void()> onConvertWakeUp;

private:
    template <class T, class V>
    void Record(std::vector<T>& list, V value)
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            list.push_back(static_cast<T>(value));
        }
        m_changed.notify_all();
    }

    std::string m_tempDirectory;
    std::mutex m_lock;
    std::condition_variable m_changed;
};
