// Where the IO-callback splitters deliver one cycle's per-channel buffers:
// the engine's capture queue and the wake-up of the recording thread.
#pragma once

#include <cstdint>
#include <vector>

#include "interface/cartova.h"

class ICaptureTarget {
public:
    virtual ~ICaptureTarget() = default;

    // Queues one cycle: one buffer per channel, in channel order, accepted
    // or refused as a whole; the result is the queue's.
    virtual TkError EnqueueCycle(std::vector<std::vector<uint8_t>>&& channels) = 0;
    // Wakes the recording thread after a cycle has been split.
    virtual void RecThread_AddDataNotify() = 0;
};
