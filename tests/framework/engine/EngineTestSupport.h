// Shared pieces of the engine tests: an engine on the stand-in back-end, a
// delegate that records every notification and checks that it arrives on the
// main-queue thread, and helpers to wait for notifications.
#pragma once

#include "FakeAudioBackend.h"
#include "MainQueue.h"
#include "engine/ToolkitManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

struct Notification {
    enum Kind { Operation, StreamPos, ConvertPos, Error } kind;
    int code = 0;
    double seconds = 0.0;
    std::string message;
};

class RecordingDelegate {
public:
    explicit RecordingDelegate(MainQueue& queue) : m_queue(queue) {}

    ICartovaDelegate Delegate()
    {
        return ICartovaDelegate{this, OnOperation, OnStream, OnConvert, OnError, OnPost};
    }

    std::vector<Notification> received;
    // Every callback ran on this thread (the one running the main queue).
    std::thread::id mainThread = std::this_thread::get_id();
    bool wrongThread = false;

    // Runs the main queue until an operation (or error) with this code arrived.
    bool WaitForOperation(int code, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool WaitForError(int code, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::vector<int> Operations() const;
    std::vector<int> Errors() const;

private:
    static RecordingDelegate& Self(void* c) { return *static_cast<RecordingDelegate*>(c); }
    void Record(Notification n);
    static void OnOperation(void* c, TkRecOperation op) { Self(c).Record({Notification::Operation, op, 0.0, {}}); }
    static void OnStream(void* c, double s) { Self(c).Record({Notification::StreamPos, 0, s, {}}); }
    static void OnConvert(void* c, double s) { Self(c).Record({Notification::ConvertPos, 0, s, {}}); }
    static void OnError(void* c, TkNotifyError code, const char* m)
    {
        Self(c).Record({Notification::Error, code, 0.0, m ? m : "<null>"});
    }
    static void OnPost(void* c, TkMainQueueTask task, void* taskContext)
    {
        Self(c).m_queue.Post(task, taskContext);
    }
    bool Has(Notification::Kind kind, int code) const;

    MainQueue& m_queue;
};

// An engine on the fake back-end, initialised with the recording delegate.
class EngineTest : public ::testing::Test {
protected:
    FakeBackend backend;
    MainQueue queue;
    RecordingDelegate delegate{queue};
    std::unique_ptr<ToolkitManager> engine = std::make_unique<ToolkitManager>(backend.Backend());

    // Removes the scratch temporary folder after the engine is gone.
    void TearDown() override;
    // Init, with a scratch temporary folder set.
    void InitEngine();
    std::string tempFolder;
    // Init, then open the turntable: DeviceReady.
    void OpenDevice();
    // Runs IO cycles from another thread until the engine's state changed
    // to `state` or the time is up.
    bool WaitForState(EngineState state, std::chrono::milliseconds timeout = std::chrono::seconds(10));
};
