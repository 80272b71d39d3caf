// The capture queue: slots sized at Init, FIFO order, whole-cycle refusal
// with the loss handed to the next queued cycle, and one producer and one
// consumer running at once.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "capture/AsioDataQueue.h"

namespace {

std::vector<uint8_t> Bytes(size_t size, uint8_t first)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(first + i);
    }
    return bytes;
}

std::vector<uint8_t> ChannelOf(const CaptureCycle& cycle, unsigned short channel)
{
    return std::vector<uint8_t>(cycle.Data(channel), cycle.Data(channel) + cycle.Size(channel));
}

} // namespace

TEST(AsioDataQueue, SlotsAreSizedAtInitAndKeepOrder)
{
    AsioDataQueue queue;
    EXPECT_EQ(queue.Init(0, 64), TkErrorInvalidArgument);
    EXPECT_EQ(queue.Init(2, 0), TkErrorInvalidArgument);
    ASSERT_EQ(queue.Init(2, 62), TkErrorSuccess);
    EXPECT_EQ(queue.CycleBytes(), 64u); // whole 32-bit words
    EXPECT_EQ(queue.SlotCount(), AsioDataQueue::kMaxSlots);
    EXPECT_EQ(queue.Front(), nullptr);

    CaptureCycle* cycle = nullptr;
    EXPECT_EQ(queue.BeginCycle(3, 16, cycle), TkErrorInvalidArgument);
    EXPECT_EQ(queue.BeginCycle(2, 65, cycle), TkErrorInvalidArgument);
    EXPECT_EQ(cycle, nullptr);
    EXPECT_EQ(queue.EnqueueCycle({Bytes(3, 0)}), TkErrorInvalidArgument);

    ASSERT_EQ(queue.EnqueueCycle({Bytes(3, 0), Bytes(3, 100)}), TkErrorSuccess);
    ASSERT_EQ(queue.EnqueueCycle({Bytes(5, 10), Bytes(5, 110)}), TkErrorSuccess);
    EXPECT_EQ(queue.QueuedCount(), 2u);
    const CaptureCycle* front = queue.Front();
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(ChannelOf(*front, 0), Bytes(3, 0));
    EXPECT_EQ(ChannelOf(*front, 1), Bytes(3, 100));
    queue.PopFront();
    front = queue.Front();
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(ChannelOf(*front, 1), Bytes(5, 110));

    // Init drops whatever was queued.
    ASSERT_EQ(queue.Init(3, 1 << 20), TkErrorSuccess);
    EXPECT_EQ(queue.QueuedCount(), 0u);
    EXPECT_EQ(queue.GetChannels(), 3);
    EXPECT_EQ(queue.SlotCount(), 10u); // 10 MiB of backlog per channel
}

TEST(AsioDataQueue, AFullQueueRefusesWholeCyclesAndCountsThemAsOneGap)
{
    AsioDataQueue queue;
    ASSERT_EQ(queue.Init(2, AsioDataQueue::kQueueLimitBytes / 2), TkErrorSuccess);
    ASSERT_EQ(queue.SlotCount(), 2u);
    ASSERT_EQ(queue.EnqueueCycle({Bytes(8, 1), Bytes(8, 1)}), TkErrorSuccess);
    ASSERT_EQ(queue.EnqueueCycle({Bytes(8, 2), Bytes(8, 2)}), TkErrorSuccess);
    CaptureCycle* cycle = nullptr;
    EXPECT_EQ(queue.BeginCycle(2, 8, cycle), TkErrorFailed);
    EXPECT_EQ(cycle, nullptr);
    queue.AddGap(4); // and the device lost 4 bytes per channel
    EXPECT_EQ(queue.EnqueueCycle({Bytes(8, 3), Bytes(8, 3)}), TkErrorFailed);
    EXPECT_EQ(queue.QueuedCount(), 2u);

    queue.PopFront();
    ASSERT_EQ(queue.EnqueueCycle({Bytes(8, 4), Bytes(8, 4)}), TkErrorSuccess);
    ASSERT_EQ(queue.Front()->GapBefore(), 0u);
    queue.PopFront();
    const CaptureCycle* after = queue.Front();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(ChannelOf(*after, 0), Bytes(8, 4));
    EXPECT_EQ(after->GapBefore(), 8u + 4u + 8u);
    queue.PopFront();
    EXPECT_EQ(queue.Front(), nullptr);
    queue.PopFront(); // nothing queued: no effect
    EXPECT_EQ(queue.QueuedCount(), 0u);
}

TEST(AsioDataQueue, OneProducerAndOneConsumerSeeEveryCycleOnceAndInOrder)
{
    // The producer never waits for a slot (what it cannot queue becomes a
    // gap) except for its last cycle, which waits for one so that it carries
    // the last gaps. Every cycle taken must be one the producer
    // wrote, whole and in order, and the gaps must add up to the refusals.
    constexpr uint32_t kCycles = 100000;
    constexpr size_t kWords = 16;
    constexpr size_t kBytes = kWords * 4;
    AsioDataQueue queue;
    ASSERT_EQ(queue.Init(2, AsioDataQueue::kQueueLimitBytes / 8), TkErrorSuccess);
    uint64_t refused = 0; // the producer's until it is joined
    std::thread producer([&] {
        for (uint32_t n = 1; n <= kCycles; ++n) {
            while (n == kCycles && queue.QueuedCount() == queue.SlotCount()) {
                std::this_thread::yield(); // the last cycle waits for a free slot
            }
            CaptureCycle* cycle = nullptr;
            if (queue.BeginCycle(2, kBytes, cycle) != TkErrorSuccess) {
                ++refused;
                continue;
            }
            for (unsigned short c = 0; c < 2; ++c) {
                const uint32_t value = n * 2 + c;
                for (size_t w = 0; w < kWords; ++w) {
                    std::memcpy(cycle->Data(c) + w * 4, &value, 4);
                }
                cycle->SetSize(c, kBytes);
            }
            queue.CommitCycle();
        }
    });

    uint32_t last = 0;
    uint64_t taken = 0;
    uint64_t gapBytes = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (last != kCycles && std::chrono::steady_clock::now() < deadline) {
        const CaptureCycle* cycle = queue.Front();
        if (cycle == nullptr) {
            std::this_thread::yield();
            continue;
        }
        gapBytes += cycle->GapBefore();
        uint32_t first = 0;
        std::memcpy(&first, cycle->Data(0), 4);
        ASSERT_GT(first / 2, last);
        last = first / 2;
        for (unsigned short c = 0; c < 2; ++c) {
            ASSERT_EQ(cycle->Size(c), kBytes);
            for (size_t w = 0; w < kWords; ++w) {
                uint32_t value = 0;
                std::memcpy(&value, cycle->Data(c) + w * 4, 4);
                ASSERT_EQ(value, last * 2 + c);
            }
        }
        queue.PopFront();
        ++taken;
    }
    producer.join();
    ASSERT_EQ(last, kCycles);
    EXPECT_EQ(taken + refused, kCycles);
    EXPECT_EQ(gapBytes, refused * kBytes);
}
