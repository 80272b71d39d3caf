// Thread-safe task queue run by the caller's main thread.
#include "MainQueue.h"

#include <algorithm>

void MainQueue::Post(TkMainQueueTask task, void* taskContext)
{
    if (task == nullptr) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_tasks.push_back(Task{task, taskContext});
    }
    m_posted.notify_all();
}

void MainQueue::PostToMainQueue(void* context, TkMainQueueTask task, void* taskContext)
{
    if (context == nullptr) {
        return;
    }
    static_cast<MainQueue*>(context)->Post(task, taskContext);
}

bool MainQueue::TakeTask(Task& task, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock<std::mutex> guard(m_lock);
    if (!m_posted.wait_until(guard, deadline, [this] { return !m_tasks.empty(); })) {
        return false;
    }
    task = m_tasks.front();
    m_tasks.pop_front();
    m_runner = std::this_thread::get_id();
    return true;
}

void MainQueue::RunTask(const Task& task)
{
    task.function(task.context);
}

size_t MainQueue::RunUntilIdle()
{
    size_t count = 0;
    Task task{};
    // A deadline of now makes TakeTask return at once when the queue is empty.
    while (TakeTask(task, std::chrono::steady_clock::now())) {
        RunTask(task);
        ++count;
    }
    return count;
}

size_t MainQueue::RunFor(std::chrono::milliseconds duration)
{
    const auto deadline = std::chrono::steady_clock::now() + duration;
    size_t count = 0;
    Task task{};
    while (TakeTask(task, deadline)) {
        RunTask(task);
        ++count;
    }
    return count;
}

bool MainQueue::RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Task task{};
    // Waits in short slices so that a condition changed by another thread
    // without posting a task is noticed too.
    const auto slice = std::chrono::milliseconds(10);
    while (!condition()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        if (TakeTask(task, std::min(deadline, now + slice))) {
            RunTask(task);
        }
    }
    return true;
}

size_t MainQueue::Pending()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_tasks.size();
}

std::thread::id MainQueue::RunnerThread()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_runner;
}
