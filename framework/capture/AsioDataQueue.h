// The capture queue between the device's IO thread (the one producer) and
// the recording thread (the one consumer): a ring of cycle slots allocated
// by Init, each with room for one IO cycle of every channel. The IO thread
// writes a cycle straight into a free slot and publishes it; the recording
// thread stores the oldest published slot and hands it back. Neither side
// allocates, locks or waits, so the IO thread can never be held up by the
// recording thread's file writes.
//
// Threads and invariants:
// - Init runs only while neither side is active (before the device and the
//   recording thread start, after both have stopped).
// - Producer calls (BeginCycle, CommitCycle, EnqueueCycle) come from one
//   thread at a time; consumer calls (Front, PopFront) from one other thread.
// - The slots are shared through two counters only: m_written (cycles
//   published; stored by the producer with release, loaded by the consumer
//   with acquire) and m_taken (slots handed back; stored by the consumer with
//   release, loaded by the producer with acquire). A slot between m_taken and
//   m_written belongs to the consumer, every other slot to the producer.
// - Every cycle is queued or refused whole, for all channels together, so the
//   channels never fall out of step. Audio that did not reach the queue (a
//   refused cycle, a device overrun: AddGap, from any thread) is kept in an
//   atomic counter and handed to the next published cycle as its GapBefore.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "interface/cartova.h"

class AsioDataQueue;

// One queued IO cycle: per channel a byte buffer with room for Capacity()
// bytes, of which Size() are used. Channels are numbered from 0.
class CaptureCycle {
public:
    unsigned short Channels() const { return m_channels; }
    size_t Capacity() const { return m_capacity; }
    uint8_t* Data(unsigned short channel) { return m_data + channel * m_capacity; }
    const uint8_t* Data(unsigned short channel) const { return m_data + channel * m_capacity; }
    size_t Size(unsigned short channel) const { return m_sizes[channel]; }
    // Bytes beyond the capacity are not kept: the size is clamped to it.
    void SetSize(unsigned short channel, size_t bytes)
    {
        m_sizes[channel] = bytes < m_capacity ? bytes : m_capacity;
    }
    // Bytes per channel lost between the previous queued cycle and this one.
    uint64_t GapBefore() const { return m_gapBefore; }

private:
    friend class AsioDataQueue;
    uint8_t* m_data = nullptr;
    size_t* m_sizes = nullptr;
    size_t m_capacity = 0;
    unsigned short m_channels = 0;
    uint64_t m_gapBefore = 0;
};

class AsioDataQueue {
public:
    // The backlog a queue may hold per channel: the number of slots is this
    // divided by the cycle size (within kMinSlots and kMaxSlots).
    static constexpr uint64_t kQueueLimitBytes = 10485760; // 0xA00000
    static constexpr size_t kMinSlots = 2;
    static constexpr size_t kMaxSlots = 1024;

    AsioDataQueue() = default;
    AsioDataQueue(const AsioDataQueue&) = delete;
    AsioDataQueue& operator=(const AsioDataQueue&) = delete;

    // Allocates (and touches, so the IO thread takes no page faults) the
    // slots for `channels` channels of at most `cycleBytes` bytes each
    // (rounded up to whole 32-bit words) and drops whatever was queued.
    // `slots` is left at 0 (from the backlog limit) except by tests.
    // 0 channels or 0 bytes: -2, nothing changed.
    TkError Init(unsigned short channels, size_t cycleBytes, size_t slots = 0);

    unsigned short GetChannels() const { return m_channels; }
    // Room per channel in one slot (0 before Init).
    size_t CycleBytes() const { return m_cycleBytes; }
    size_t SlotCount() const { return m_slots.size(); }

    // ---- Producer (the IO thread) ----

    // A free slot for one cycle of `channels` channels whose longest channel
    // has `bytesPerChannel` bytes, every size set to 0. -2 when the channel
    // count is not the queue's or the cycle is larger than a slot; -3 when
    // every slot is queued: the cycle is refused for all channels and its
    // length becomes part of the gap before the next queued cycle.
    TkError BeginCycle(unsigned short channels, size_t bytesPerChannel, CaptureCycle*& cycle);
    // Publishes the slot of the last successful BeginCycle.
    void CommitCycle();
    // BeginCycle, copy and CommitCycle for whole byte vectors (one per
    // channel, in channel order); for tests and simple producers.
    TkError EnqueueCycle(const std::vector<std::vector<uint8_t>>& buffers);

    // ---- Any thread ----

    // Records that `bytesPerChannel` bytes of every channel were lost right
    // after the cycles queued so far (a device overrun).
    void AddGap(uint64_t bytesPerChannel);
    // Cycles waiting for the consumer.
    size_t QueuedCount() const;

    // ---- Consumer (the recording thread) ----

    // The oldest queued cycle, or null when none waits. It stays valid and
    // unchanged until PopFront.
    const CaptureCycle* Front();
    // Hands the oldest queued cycle's slot back to the producer.
    void PopFront();

private:
    std::vector<uint8_t> m_storage;
    std::vector<size_t> m_sizes;
    std::vector<CaptureCycle> m_slots;
    unsigned short m_channels = 0;
    size_t m_cycleBytes = 0;
    // Producer-owned: whether BeginCycle handed out the slot at m_written.
    bool m_begun = false;
    std::atomic<uint64_t> m_written{0};
    std::atomic<uint64_t> m_taken{0};
    std::atomic<uint64_t> m_pendingGap{0};
};
