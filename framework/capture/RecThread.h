// The recording thread: drains the capture queue into the record data in
// channel order, reports the recorded length every tenth of a second, and
// wakes the preview conversion thread. A failed store is reported once and
// ends the thread; the device keeps running until the engine stops it.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/IToolkitManager.h"
#include "thread/ThreadBase.h"

class AsioDataQueue;
class RecordData;

class RecThread : public ThreadBase {
public:
    RecThread();
    ~RecThread() override;

    // -2 when a pointer is null or channels is 0; -3 when the thread runs
    // already or cannot be created. Runs at priority 1.
    TkError Start(IToolkitManager* engine, AsioDataQueue* queue, RecordData* recordData,
                  unsigned short channels);
    // Sets the stop flag, wakes the thread and joins it; nothing when not running.
    void Stop();
    // Wakes the thread when it runs (called by the IO callback every cycle).
    void AddDataNotify();

protected:
    void ThreadImpl() override;

private:
    // Stores queued buffers round by round; false when a store failed.
    bool DrainQueue();
    // Reports the recorded length when it has moved on by a tenth of a second.
    void ReportStreamPosition();
    void ReportStoreFailure();

    std::atomic<bool> m_stop{false};
    uint64_t m_rate = 0;
    AsioDataQueue* m_queue = nullptr;
    RecordData* m_recordData = nullptr;
    unsigned short m_channels = 0;
    IToolkitManager* m_engine = nullptr;

    // Drain state, kept across wake-ups (thread-local to ThreadImpl).
    unsigned short m_channel = 0;
    uint64_t m_lastTenths = 0;
};
