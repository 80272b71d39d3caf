// The engine's capture target: queues each channel buffer of an IO cycle,
// reports a full queue once per start (TkNotifyQueueOverflow, the buffer is
// dropped and capture goes on), and wakes the recording thread.
#pragma once

#include <atomic>

#include "capture/ICaptureTarget.h"
#include "engine/IToolkitManager.h"

class AsioDataQueue;
class RecThread;

class CaptureSink : public ICaptureTarget {
public:
    CaptureSink(AsioDataQueue& queue, RecThread& recThread);

    // The engine that receives the overflow notification; null sends none.
    void SetEngine(IToolkitManager* engine);
    // Re-arms the overflow notification; called with every start request.
    void ResetOverflowReported();
    bool OverflowReported() const;

    TkError Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer) override;
    void RecThread_AddDataNotify() override;

private:
    AsioDataQueue& m_queue;
    RecThread& m_recThread;
    std::atomic<IToolkitManager*> m_engine{nullptr};
    std::atomic<bool> m_overflowReported{false};
};
