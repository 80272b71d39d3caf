// Where the IO-callback splitters deliver one cycle's per-channel buffers:
// the engine's capture queue (with its overflow reporting) and the wake-up of
// the recording thread.
#pragma once

#include <cstdint>
#include <vector>

#include "interface/cartova.h"

class ICaptureTarget {
public:
    virtual ~ICaptureTarget() = default;

    // Queues one channel's buffer of this cycle; the result is the queue's.
    virtual TkError Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer) = 0;
    // Wakes the recording thread after a cycle has been split.
    virtual void RecThread_AddDataNotify() = 0;
};
