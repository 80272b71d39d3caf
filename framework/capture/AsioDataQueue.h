// Per-channel FIFO of captured byte buffers between the device's IO thread
// (producer) and the recording thread (consumer). One mutex guards all
// channels; a channel refuses new buffers once its backlog reaches the limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "interface/cartova.h"

class AsioDataQueue {
public:
    // A buffer is refused when its size times the number of buffers already
    // queued for its channel reaches this many bytes.
    static constexpr uint64_t kQueueLimitBytes = 10485760;  // 0xA00000

    // Drops every queued buffer and creates `channels` empty queues.
    // 0 channels: -2.
    TkError Init(unsigned short channels);

    // Appends a buffer to a channel's queue. Channel out of range: -2.
    // Limit reached: -3 and the buffer is dropped.
    TkError Enqueue(unsigned short channel, const std::vector<uint8_t>& buffer);
    TkError Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer);

    // Moves the oldest buffer of a channel into `out` (emptied when the queue
    // is empty). Channel out of range: -2.
    TkError Dequeue(unsigned short channel, std::vector<uint8_t>& out);

    // Number of buffers waiting on a channel (0 for a channel out of range).
    size_t QueuedCount(unsigned short channel);
    unsigned short GetChannels();

private:
    bool IsFull(const std::deque<std::vector<uint8_t>>& queue, size_t incomingSize) const;

    std::mutex m_lock;
    std::vector<std::deque<std::vector<uint8_t>>> m_queues;
};
