// A serial task queue on one std::thread: tasks run one after another in the
// order they were queued. The engine runs its start and stop on one of these
// so that the calling thread never waits for the device.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    // Runs the tasks still queued, then ends the thread.
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Queues the task and returns at once.
    void Async(std::function<void()> task);

    // Queues the task and returns after it has run. Called from a task of this
    // queue, it runs the task at once (waiting would never end).
    void Sync(std::function<void()> task);

    // True on the queue's own thread.
    bool IsCurrent() const;

    const std::string& Label() const { return m_label; }

private:
    void Run();

    const std::string m_label;
    std::mutex m_lock;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
    std::thread m_thread; // last member: started once everything above exists
};
