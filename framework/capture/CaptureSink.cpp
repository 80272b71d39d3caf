// The engine's capture target; see CaptureSink.h.
#include "capture/CaptureSink.h"

#include <utility>

#include "capture/AsioDataQueue.h"
#include "capture/RecThread.h"

CaptureSink::CaptureSink(AsioDataQueue& queue, RecThread& recThread) : m_queue(queue), m_recThread(recThread) {}

TkError CaptureSink::EnqueueCycle(std::vector<std::vector<uint8_t>>&& channels)
{
    return m_queue.EnqueueCycle(std::move(channels));
}

void CaptureSink::RecThread_AddDataNotify()
{
    m_recThread.AddDataNotify();
}

void CaptureSink::InputDropped(uint64_t bytesPerChannel)
{
    m_queue.AddGap(bytesPerChannel);
}
