// The engine's capture target: hands the splitters slots of the capture
// queue, records audio the device itself lost as a gap in the queue, and
// wakes the recording thread. A refused cycle is kept by the queue as a gap
// too; the recording thread reports every gap at its place in the recording
// (see RecThread.h). Every call but InputDropped comes from the IO thread.
#pragma once

#include <cstdint>

#include "capture/ICaptureTarget.h"

class AsioDataQueue;
class RecThread;

class CaptureSink : public ICaptureTarget {
public:
    CaptureSink(AsioDataQueue& queue, RecThread& recThread);

    size_t CycleCapacity() override;
    TkError BeginCycle(unsigned short channels, size_t bytesPerChannel,
                       CaptureCycle*& cycle) override;
    void CommitCycle() override;
    void RecThread_AddDataNotify() override;

    // The device lost `bytesPerChannel` bytes of every channel right after
    // the cycles delivered so far.
    void InputDropped(uint64_t bytesPerChannel);

private:
    AsioDataQueue& m_queue;
    RecThread& m_recThread;
};
