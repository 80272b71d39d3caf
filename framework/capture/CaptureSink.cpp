// The engine's capture target; see CaptureSink.h.
#include "capture/CaptureSink.h"

#include "capture/AsioDataQueue.h"
#include "capture/RecThread.h"

CaptureSink::CaptureSink(AsioDataQueue& queue, RecThread& recThread) : m_queue(queue), m_recThread(recThread) {}

size_t CaptureSink::CycleCapacity()
{
    return m_queue.CycleBytes();
}

TkError CaptureSink::BeginCycle(unsigned short channels, size_t bytesPerChannel, CaptureCycle*& cycle)
{
    return m_queue.BeginCycle(channels, bytesPerChannel, cycle);
}

void CaptureSink::CommitCycle()
{
    m_queue.CommitCycle();
}

void CaptureSink::RecThread_AddDataNotify()
{
    m_recThread.AddDataNotify();
}

void CaptureSink::InputDropped(uint64_t bytesPerChannel)
{
    m_queue.AddGap(bytesPerChannel);
}
