// Main-queue loop: ordering across posting threads, tasks posted by tasks,
// the runner thread, and the timed and conditional runs.
#include "MainQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Recorder {
    std::vector<int> seen;
    std::thread::id thread;
};

struct Item {
    Recorder* recorder;
    int value;
};

void RecordItem(void* context)
{
    auto* item = static_cast<Item*>(context);
    item->recorder->seen.push_back(item->value);
    item->recorder->thread = std::this_thread::get_id();
    delete item;
}

} // namespace

TEST(MainQueue, RunsTasksOnTheRunningThreadInPostingOrder)
{
    MainQueue queue;
    Recorder recorder;
    std::thread poster([&] {
        for (int i = 0; i < 100; ++i) {
            MainQueue::PostToMainQueue(&queue, RecordItem, new Item{&recorder, i});
        }
    });
    poster.join();
    EXPECT_TRUE(recorder.seen.empty()); // posting never runs a task
    EXPECT_EQ(queue.Pending(), 100u);
    EXPECT_EQ(queue.RunUntilIdle(), 100u);
    ASSERT_EQ(recorder.seen.size(), 100u);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(recorder.seen[i], i);
    }
    EXPECT_EQ(recorder.thread, std::this_thread::get_id());
    EXPECT_EQ(queue.RunnerThread(), std::this_thread::get_id());
    EXPECT_EQ(queue.RunUntilIdle(), 0u);
}

namespace {
struct Chain {
    MainQueue* queue;
    int remaining;
    int ran = 0;
};
void RunChain(void* context)
{
    auto* chain = static_cast<Chain*>(context);
    ++chain->ran;
    if (--chain->remaining > 0) {
        chain->queue->Post(RunChain, chain);
    }
}
} // namespace

TEST(MainQueue, RunUntilIdleAlsoRunsTasksPostedByTasks)
{
    MainQueue queue;
    Chain chain{&queue, 5};
    queue.Post(RunChain, &chain);
    EXPECT_EQ(queue.RunUntilIdle(), 5u);
    EXPECT_EQ(chain.ran, 5);
}

TEST(MainQueue, RunUntilWaitsForTasksFromAnotherThreadAndTimesOut)
{
    MainQueue queue;
    Recorder recorder;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        queue.Post(RecordItem, new Item{&recorder, 7});
    });
    EXPECT_TRUE(queue.RunUntil([&] { return !recorder.seen.empty(); }, std::chrono::seconds(10)));
    poster.join();
    EXPECT_EQ(recorder.seen, std::vector<int>{7});

    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.RunUntil([] { return false; }, std::chrono::milliseconds(50)));
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
}

TEST(MainQueue, RunUntilNoticesAConditionSetWithoutATask)
{
    MainQueue queue;
    std::atomic<bool> flag{false};
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        flag = true;
    });
    EXPECT_TRUE(queue.RunUntil([&] { return flag.load(); }, std::chrono::seconds(10)));
    setter.join();
}

TEST(MainQueue, RunForRunsWhatArrivesDuringThePeriod)
{
    MainQueue queue;
    Recorder recorder;
    queue.Post(RecordItem, new Item{&recorder, 1});
    std::thread poster([&] { queue.Post(RecordItem, new Item{&recorder, 2}); });
    poster.join();
    EXPECT_EQ(queue.RunFor(std::chrono::milliseconds(20)), 2u);
    EXPECT_EQ(recorder.seen, (std::vector<int>{1, 2}));
}

TEST(MainQueue, NullTaskOrQueueIsIgnored)
{
    MainQueue queue;
    queue.Post(nullptr, nullptr);
    MainQueue::PostToMainQueue(nullptr, RecordItem, nullptr);
    EXPECT_EQ(queue.Pending(), 0u);
}
