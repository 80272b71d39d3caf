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
    m_acceptedCycles = 0;
    m_gaps.clear();
    return TkErrorSuccess;
}

bool AsioDataQueue::IsFull(const std::deque<std::vector<uint8_t>>& queue, size_t incomingSize) const
{
    // The backlog is estimated from the incoming size: capture buffers of one
    // stream have the same size from cycle to cycle.
    return static_cast<uint64_t>(incomingSize) * queue.size() >= kQueueLimitBytes;
}

void AsioDataQueue::Appended(unsigned short channel)
{
    if (channel == 0) {
        ++m_acceptedCycles;
    }
}

void AsioDataQueue::AddGapLocked(uint64_t bytesPerChannel)
{
    if (bytesPerChannel == 0) {
        return;
    }
    // Consecutive losses with no accepted cycle between them are one gap.
    if (!m_gaps.empty() && m_gaps.back().beforeCycle == m_acceptedCycles) {
        m_gaps.back().bytesPerChannel += bytesPerChannel;
        return;
    }
    m_gaps.push_back(Gap{m_acceptedCycles, bytesPerChannel});
}

TkError AsioDataQueue::EnqueueCycle(std::vector<std::vector<uint8_t>>&& buffers)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (buffers.size() != m_queues.size() || buffers.empty()) {
        return TkErrorInvalidArgument;
    }
    for (size_t c = 0; c < buffers.size(); ++c) {
        if (IsFull(m_queues[c], buffers[c].size())) {
            AddGapLocked(buffers[0].size());
            return TkErrorFailed;
        }
    }
    for (size_t c = 0; c < buffers.size(); ++c) {
        m_queues[c].push_back(std::move(buffers[c]));
    }
    Appended(0);
    return TkErrorSuccess;
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
    Appended(channel);
    return TkErrorSuccess;
}

void AsioDataQueue::AddGap(uint64_t bytesPerChannel)
{
    std::lock_guard<std::mutex> guard(m_lock);
    AddGapLocked(bytesPerChannel);
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

uint64_t AsioDataQueue::TakeGapBefore(uint64_t cycle)
{
    std::lock_guard<std::mutex> guard(m_lock);
    uint64_t bytes = 0;
    while (!m_gaps.empty() && m_gaps.front().beforeCycle <= cycle) {
        bytes += m_gaps.front().bytesPerChannel;
        m_gaps.pop_front();
    }
    return bytes;
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
