// The capture queue: channel checks, FIFO order and the backlog limit.
#include <gtest/gtest.h>

#include <vector>

#include "capture/AsioDataQueue.h"

TEST(AsioDataQueue, ChecksChannelsAndKeepsOrder)
{
    AsioDataQueue queue;
    EXPECT_EQ(queue.Init(0), TkErrorInvalidArgument);
    ASSERT_EQ(queue.Init(2), TkErrorSuccess);
    std::vector<uint8_t> out{9};
    EXPECT_EQ(queue.Enqueue(2, std::vector<uint8_t>{1}), TkErrorInvalidArgument);
    EXPECT_EQ(queue.Dequeue(2, out), TkErrorInvalidArgument);

    EXPECT_EQ(queue.Dequeue(1, out), TkErrorSuccess);
    EXPECT_TRUE(out.empty());

    const std::vector<uint8_t> first{1, 2};
    EXPECT_EQ(queue.Enqueue(1, first), TkErrorSuccess);
    EXPECT_EQ(queue.Enqueue(1, std::vector<uint8_t>{3}), TkErrorSuccess);
    EXPECT_EQ(queue.Dequeue(1, out), TkErrorSuccess);
    EXPECT_EQ(out, first);
    EXPECT_EQ(queue.Dequeue(1, out), TkErrorSuccess);
    EXPECT_EQ(out, std::vector<uint8_t>{3});
    EXPECT_EQ(queue.QueuedCount(0), 0u);

    // Init drops whatever was queued.
    EXPECT_EQ(queue.Enqueue(0, first), TkErrorSuccess);
    ASSERT_EQ(queue.Init(3), TkErrorSuccess);
    EXPECT_EQ(queue.QueuedCount(0), 0u);
    EXPECT_EQ(queue.GetChannels(), 3);
}

TEST(AsioDataQueue, FullChannelRefusesBuffers)
{
    AsioDataQueue queue;
    ASSERT_EQ(queue.Init(2), TkErrorSuccess);
    const std::vector<uint8_t> buffer(1 << 20);  // ten of them reach the limit
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(queue.Enqueue(0, buffer), TkErrorSuccess) << i;
    }
    EXPECT_EQ(queue.Enqueue(0, buffer), TkErrorFailed);
    EXPECT_EQ(queue.QueuedCount(0), 10u);
    // The other channel is not affected, and draining one makes room again.
    EXPECT_EQ(queue.Enqueue(1, buffer), TkErrorSuccess);
    std::vector<uint8_t> out;
    ASSERT_EQ(queue.Dequeue(0, out), TkErrorSuccess);
    EXPECT_EQ(queue.Enqueue(0, buffer), TkErrorSuccess);
}
