// The engine's capture target; see CaptureSink.h.
#include "capture/CaptureSink.h"

#include <utility>

#include "capture/AsioDataQueue.h"
#include "capture/RecThread.h"

CaptureSink::CaptureSink(AsioDataQueue& queue, RecThread& recThread) : m_queue(queue), m_recThread(recThread) {}

void CaptureSink::SetEngine(IToolkitManager* engine)
{
    m_engine = engine;
}

void CaptureSink::ResetOverflowReported()
{
    m_overflowReported = false;
}

bool CaptureSink::OverflowReported() const
{
    return m_overflowReported;
}

TkError CaptureSink::Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer)
{
    const TkError result = m_queue.Enqueue(channel, std::move(buffer));
    if (result == TkErrorFailed && !m_overflowReported.exchange(true)) {
        if (IToolkitManager* engine = m_engine.load()) {
            engine->NotifyErrorMessageProc(TkNotifyQueueOverflow, nullptr);
        }
    }
    return result;
}

void CaptureSink::RecThread_AddDataNotify()
{
    m_recThread.AddDataNotify();
}
