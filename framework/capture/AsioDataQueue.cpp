// Per-channel FIFO of captured byte buffers; see AsioDataQueue.h.
#include "capture/AsioDataQueue.h"

#include <utility>

TkError AsioDataQueue::Init(unsigned short channels)
{
    if (channels == 0) {
        return TkErrorInvalidArgument;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_queues.clear();
    m_queues.resize(channels);
    return TkErrorSuccess;
}

bool AsioDataQueue::IsFull(const std::deque<std::vector<uint8_t>>& queue, size_t incomingSize) const
{
    // The backlog is estimated from the incoming size: capture buffers of one
    // stream have the same size from cycle to cycle.
    return static_cast<uint64_t>(incomingSize) * queue.size() >= kQueueLimitBytes;
}

TkError AsioDataQueue::Enqueue(unsigned short channel, const std::vector<uint8_t>& buffer)
{
    return Enqueue(channel, std::vector<uint8_t>(buffer));
}

TkError AsioDataQueue::Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (channel >= m_queues.size()) {
        return TkErrorInvalidArgument;
    }
    auto& queue = m_queues[channel];
    if (IsFull(queue, buffer.size())) {
        return TkErrorFailed;
    }
    queue.push_back(std::move(buffer));
    return TkErrorSuccess;
}

TkError AsioDataQueue::Dequeue(unsigned short channel, std::vector<uint8_t>& out)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (channel >= m_queues.size()) {
        return TkErrorInvalidArgument;
    }
    auto& queue = m_queues[channel];
    if (queue.empty()) {
        out.clear();
        return TkErrorSuccess;
    }
    out = std::move(queue.front());
    queue.pop_front();
    return TkErrorSuccess;
}

size_t AsioDataQueue::QueuedCount(unsigned short channel)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return channel < m_queues.size() ? m_queues[channel].size() : 0;
}

unsigned short AsioDataQueue::GetChannels()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<unsigned short>(m_queues.size());
}
