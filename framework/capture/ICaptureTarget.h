// Where the IO-callback splitters deliver a cycle: slots of the engine's
// capture queue (written in place, so the IO thread never allocates) and the
// wake-up of the recording thread. Called on the IO thread only.
#pragma once

#include <cstddef>

#include "capture/AsioDataQueue.h"
#include "interface/cartova.h"

class ICaptureTarget {
public:
    virtual ~ICaptureTarget() = default;

    // Room per channel of one cycle slot; a longer IO cycle is queued as
    // several consecutive cycles of at most this many bytes.
    virtual size_t CycleCapacity() = 0;
    // A slot for one cycle, queued or refused for every channel together;
    // the result is the capture queue's (AsioDataQueue::BeginCycle).
    virtual TkError BeginCycle(unsigned short channels, size_t bytesPerChannel,
                               CaptureCycle*& cycle) = 0;
    // Queues the slot of the last successful BeginCycle.
    virtual void CommitCycle() = 0;
    // Wakes the recording thread after a cycle has been split.
    virtual void RecThread_AddDataNotify() = 0;
};
