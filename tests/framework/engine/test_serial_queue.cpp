// The engine's serial queue: order, Sync waiting for its task, Sync from a
// task of the queue itself, a throwing task, and draining at destruction.
#include "engine/SerialQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

TEST(SerialQueue, RunsTasksInOrderOnItsOwnThread)
{
    SerialQueue queue("RecHelperQueue");
    std::mutex lock;
    std::vector<int> order;
    std::atomic<bool> offCaller{true};
    const auto caller = std::this_thread::get_id();
    for (int i = 0; i < 50; ++i) {
        queue.Async([&, i] {
            if (std::this_thread::get_id() == caller) {
                offCaller = false;
            }
            // The first task is slow: later ones must still wait for it.
            if (i == 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            std::lock_guard<std::mutex> guard(lock);
            order.push_back(i);
        });
    }
    queue.Sync([] {});
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(order.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(order[i], i);
    }
    EXPECT_TRUE(offCaller);
    EXPECT_EQ(queue.Label(), "RecHelperQueue");
}

TEST(SerialQueue, SyncReturnsOnlyAfterItsTaskRan)
{
    SerialQueue queue("q");
    bool ran = false; // plain bool: Sync must give a happens-before edge
    queue.Async([] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); });
    queue.Sync([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(SerialQueue, SyncFromATaskOfTheQueueRunsInline)
{
    SerialQueue queue("q");
    int depth = 0;
    queue.Sync([&] {
        EXPECT_TRUE(queue.IsCurrent());
        queue.Sync([&] { depth = 2; });
    });
    EXPECT_EQ(depth, 2);
    EXPECT_FALSE(queue.IsCurrent());
}

TEST(SerialQueue, AThrowingTaskNeitherEndsTheQueueNorBlocksSync)
{
    SerialQueue queue("q");
    queue.Async([] { throw std::runtime_error("boom"); });
    queue.Sync([] { throw std::runtime_error("boom"); });
    bool ran = false;
    queue.Sync([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(SerialQueue, DestructionRunsTheTasksStillQueued)
{
    std::atomic<int> count{0};
    {
        SerialQueue queue("q");
        for (int i = 0; i < 10; ++i) {
            queue.Async([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                ++count;
            });
        }
    }
    EXPECT_EQ(count.load(), 10);
}
