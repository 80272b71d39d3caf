// ThreadBase: auto-reset event semantics, the create/join life cycle and
// concurrent joins.
#include "thread/ThreadBase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

// A worker whose body is supplied by the test.
class LambdaThread : public ThreadBase {
public:
    explicit LambdaThread(std::function<void(LambdaThread&)> body, unsigned events = 1)
        : ThreadBase(events), m_body(std::move(body))
    {
    }
    ~LambdaThread() override { Join(); }

    using ThreadBase::WaitEvent;

protected:
    void ThreadImpl() override { m_body(*this); }

private:
    std::function<void(LambdaThread&)> m_body;
};

// Counts wake-ups of event 0 until told to stop.
class CountingThread : public ThreadBase {
public:
    ~CountingThread() override { Stop(); }

    void Stop()
    {
        if (!Joinable()) {
            return;
        }
        RequestStop();
        Join();
    }

    // Sets the stop flag and wakes the thread, without joining.
    void RequestStop()
    {
        m_stop = true;
        SetEvent();
    }

    std::atomic<int> wakeUps {0};

protected:
    void ThreadImpl() override
    {
        for (;;) {
            WaitEvent();
            if (m_stop) {
                return;
            }
            ++wakeUps;
        }
    }

private:
    std::atomic<bool> m_stop {false};
};

void WaitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 2000 && !condition(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

TEST(ThreadBase, SetBeforeWaitIsNotLostAndTwoSetsWakeOnce)
{
    std::atomic<bool> firstWaitDone {false};
    std::atomic<bool> secondWaitDone {false};
    std::atomic<bool> proceed {false};
    LambdaThread thread([&](LambdaThread& self) {
        while (!proceed) {
            std::this_thread::yield();
        }
        self.WaitEvent(1);
        firstWaitDone = true;
        self.WaitEvent(1);
        secondWaitDone = true;
    }, 2);
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityNormal));
    // Both sets happen before the thread waits at all.
    thread.SetEvent(1);
    thread.SetEvent(1);
    proceed = true;
    WaitUntil([&] { return firstWaitDone.load(); });
    EXPECT_TRUE(firstWaitDone);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(secondWaitDone) << "two sets were counted as two wake-ups";
    thread.SetEvent(1);
    thread.Join();
    EXPECT_TRUE(secondWaitDone);
}

TEST(ThreadBase, ResetEventClearsAPendingSignal)
{
    CountingThread thread;
    thread.ResetEvent();
    thread.SetEvent();
    thread.ResetEvent();
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityHigh));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(thread.wakeUps, 0);
    thread.SetEvent();
    WaitUntil([&] { return thread.wakeUps == 1; });
    EXPECT_EQ(thread.wakeUps, 1);
    thread.Stop();
    EXPECT_FALSE(thread.Joinable());
}

TEST(ThreadBase, CreateFailsUntilAFinishedThreadIsJoined)
{
    std::atomic<int> runs {0};
    LambdaThread thread([&](LambdaThread&) { ++runs; });
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityNormal));
    WaitUntil([&] { return runs == 1; });
    EXPECT_TRUE(thread.Joinable());
    EXPECT_FALSE(thread.Create(ThreadBase::PriorityNormal));
    thread.Join();
    EXPECT_FALSE(thread.Joinable());
    ASSERT_TRUE(thread.Create(static_cast<ThreadBase::Priority>(7)));
    thread.Join();
    EXPECT_EQ(runs, 2);
}

TEST(ThreadBase, DetachLetsANewThreadBeCreated)
{
    std::atomic<bool> release {false};
    std::atomic<int> finished {0};
    LambdaThread thread([&](LambdaThread&) {
        while (!release) {
            std::this_thread::yield();
        }
        ++finished;
    });
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityHighest));
    thread.Detach();
    EXPECT_FALSE(thread.Joinable());
    release = true;
    WaitUntil([&] { return finished == 1; });
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityNormal));
    thread.Join();
    EXPECT_EQ(finished, 2);
}

TEST(ThreadBase, ConcurrentJoinsJoinOnce)
{
    for (int round = 0; round < 20; ++round) {
        CountingThread thread;
        ASSERT_TRUE(thread.Create(ThreadBase::PriorityNormal));
        std::atomic<bool> go {false};
        auto joiner = [&] {
            while (!go) {
                std::this_thread::yield();
            }
            thread.Join();
        };
        std::thread a(joiner), b(joiner);
        // The stop is requested before the joins race: a joiner that takes
        // the thread object first would otherwise make Stop() see nothing
        // joinable and return without stopping the worker.
        thread.RequestStop();
        go = true;
        thread.Join(); // three joins at once
        a.join();
        b.join();
        EXPECT_FALSE(thread.Joinable());
    }
}

TEST(ThreadBase, JoinFromInsideTheThreadDoesNotDeadlock)
{
    std::atomic<bool> done {false};
    LambdaThread thread([&](LambdaThread& self) {
        self.Join();
        done = true;
    });
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityNormal));
    WaitUntil([&] { return done.load(); });
    EXPECT_TRUE(done);
    EXPECT_FALSE(thread.Joinable());
    // The detached thread still has to return from its body before the
    // object goes away.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

TEST(ThreadBase, ResetEventNumReplacesEvents)
{
    CountingThread thread;
    thread.SetEvent();
    EXPECT_EQ(thread.ResetEventNum(0), 1u);
    EXPECT_EQ(thread.ResetEventNum(3), 3u);
    // The pending signal went with the old events.
    ASSERT_TRUE(thread.Create(ThreadBase::PriorityNormal));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(thread.wakeUps, 0);
    thread.Stop();
}
