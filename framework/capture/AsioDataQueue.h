// Per-channel FIFO of captured byte buffers between the device's IO thread
// (producer) and the recording thread (consumer). One mutex guards all
// channels. An IO cycle is queued whole (EnqueueCycle): when any channel's
// backlog has reached the limit, the cycle is refused for every channel, so
// that the channels never fall out of step; the refused audio is remembered
// as a gap before the next cycle that is accepted.
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

    // Drops every queued buffer and gap and creates `channels` empty queues.
    // 0 channels: -2.
    TkError Init(unsigned short channels);

    // Queues one IO cycle: one buffer per channel, in channel order. A list
    // whose size is not the channel count: -2. Any channel at the limit: -3,
    // nothing is queued, and the cycle's length (its channel 0 size) is
    // added to the gap before the next accepted cycle.
    TkError EnqueueCycle(std::vector<std::vector<uint8_t>>&& buffers);

    // Appends a buffer to a single channel's queue. Channel out of range: -2.
    // Limit reached: -3 and the buffer is dropped (no gap is recorded: the
    // caller keeps its channels in step itself).
    TkError Enqueue(unsigned short channel, const std::vector<uint8_t>& buffer);
    TkError Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer);

    // Records that `bytesPerChannel` bytes of every channel were lost right
    // after the cycles queued so far (a device overrun, or a refused cycle).
    void AddGap(uint64_t bytesPerChannel);

    // Moves the oldest buffer of a channel into `out` (emptied when the queue
    // is empty). Channel out of range: -2.
    TkError Dequeue(unsigned short channel, std::vector<uint8_t>& out);

    // The bytes per channel lost before the channel-0 buffer number `cycle`
    // (counted from 0 since Init), and any earlier gap not yet taken; 0 when
    // there is none. Each gap is handed out once.
    uint64_t TakeGapBefore(uint64_t cycle);

    // Number of buffers waiting on a channel (0 for a channel out of range).
    size_t QueuedCount(unsigned short channel);
    unsigned short GetChannels();

private:
    struct Gap {
        uint64_t beforeCycle;
        uint64_t bytesPerChannel;
    };

    bool IsFull(const std::deque<std::vector<uint8_t>>& queue, size_t incomingSize) const;
    void AddGapLocked(uint64_t bytesPerChannel);
    void Appended(unsigned short channel);

    std::mutex m_lock;
    std::vector<std::deque<std::vector<uint8_t>>> m_queues;
    // Buffers accepted on channel 0 since Init: the number of the next cycle.
    uint64_t m_acceptedCycles = 0;
    std::deque<Gap> m_gaps;
};
