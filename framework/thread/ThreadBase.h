// Base of every framework worker thread: one operating-system thread and a
// small array of numbered auto-reset events. A derived class supplies
// ThreadImpl(); it is woken by SetEvent and stopped by a flag of its own,
// SetEvent() and Join().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ThreadBase {
public:
    // 0 runs at normal priority, 1 above it, 2 highest; other values count as 0.
    enum Priority : uint32_t { PriorityNormal = 0, PriorityHigh = 1, PriorityHighest = 2 };

    ThreadBase();
    explicit ThreadBase(unsigned count);
    virtual ~ThreadBase();

    ThreadBase(const ThreadBase&) = delete;
    ThreadBase& operator=(const ThreadBase&) = delete;

    // Replaces every event with a fresh, unsignalled one; 0 is taken as 1.
    // Only called while the thread is not running. Returns the new count.
    unsigned ResetEventNum(unsigned count);

    // False when a joinable thread exists; else starts ThreadImpl on a new thread.
    bool Create(Priority priority);
    bool Joinable();
    void Join();
    void Detach();

    void SetEvent(unsigned index = 0);
    void ResetEvent(unsigned index = 0);
    void WaitEvent(unsigned index = 0);

protected:
    virtual void ThreadImpl() = 0;

private:
    static void ThreadProc(ThreadBase* self);

    unsigned m_eventCount = 1;
    std::unique_ptr<std::thread> m_thread;
    std::vector<std::shared_ptr<std::mutex>> m_mutexes;
    std::vector<std::shared_ptr<std::condition_variable>> m_conditions;
    std::vector<std::shared_ptr<bool>> m_flags;
    Priority m_priority = PriorityNormal;
};
