// The recording thread: the capture queue's one consumer. It stores each
// queued cycle into the record data, every channel in order, hands the slot
// back to the IO thread, reports the recorded length every tenth of a second,
// and wakes the preview conversion thread. All file writes of a recording
// happen here, never on the IO thread. A failed store is reported once and
// ends the thread; the device keeps running until the engine stops it.
//
// Audio lost before a cycle (a refused cycle, a device overrun) is reported
// to the engine with its place in the recorded stream, when it lies in the
// recording: the cycle after it, or the one before it, added recorded samples.
// Losses during pre-recording or a pause are not part of the recording.
//
// Durability: after every second of captured audio, and once more when it
// ends, the thread syncs the record data to disk and tells the engine, which
// brings the recovery journal up to date; a power cut then loses at most the
// last second or two. A failed sync is traced and retried a second later
// (the flushes of full chunks report lasting failures).
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
    // Wakes the thread when it runs (called by the IO callback every cycle;
    // takes only the wake-up event's mutex, never held across a file write).
    void AddDataNotify();

protected:
    void ThreadImpl() override;

private:
    // Stores queued cycles one by one; false when a store failed.
    bool DrainQueue();
    // Called when a cycle of every channel has been stored.
    void RoundStored();
    // Reports the recorded length when it has moved on by a tenth of a second.
    void ReportStreamPosition(uint64_t recordedSamples);
    // Syncs the record data and tells the engine (the journal follows).
    void SyncToDisk();
    // cause: the errno of the failed write or file creation.
    void ReportStoreFailure(int cause);

    std::atomic<bool> m_stop{false};
    // Set from Start to Stop: lets the IO thread skip waking a stopped thread
    // without asking the thread object (whose check takes a lock).
    std::atomic<bool> m_running{false};
    uint64_t m_rate = 0;
    AsioDataQueue* m_queue = nullptr;
    RecordData* m_recordData = nullptr;
    unsigned short m_channels = 0;
    IToolkitManager* m_engine = nullptr;

    // Drain state, kept across wake-ups (thread-local to ThreadImpl).
    uint64_t m_lastTenths = 0;
    uint16_t m_bitsPerSample = 0;
    // Recorded length after the last whole round, and whether that round added to it.
    uint64_t m_recordedSamples = 0;
    bool m_lastRoundRecorded = false;
    // Samples per channel lost before the current round (0: none).
    uint64_t m_gapSamples = 0;
    // Captured length (samples of one channel) at the last sync.
    uint64_t m_syncedCaptured = 0;
};
