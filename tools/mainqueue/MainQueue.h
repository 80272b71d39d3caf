// A main-queue loop for callers of libcartova that have no event loop of
// their own (the command-line tool and the tests). Any thread may post a task;
// the thread that runs the loop executes the tasks one by one, in the order
// they were posted.
#pragma once

#include "cartova.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class MainQueue {
public:
    MainQueue() = default;
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    // Queues a task without running it; callable from any thread.
    void Post(TkMainQueueTask task, void* taskContext);

    // Has the shape of ICartovaDelegate::post_to_main_queue; context is a MainQueue*.
    static void PostToMainQueue(void* context, TkMainQueueTask task, void* taskContext);

    // Runs tasks until the queue is empty, including tasks posted by the tasks
    // it runs. Returns the number of tasks run.
    size_t RunUntilIdle();

    // Runs tasks as they arrive for the given time. Returns the number run.
    size_t RunFor(std::chrono::milliseconds duration);

    // Runs tasks as they arrive until condition() holds (checked before
    // waiting and after every task) or the timeout passes. Returns whether the
    // condition held.
    bool RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

    // Number of tasks waiting.
    size_t Pending();

    // The thread that last ran tasks of this queue (default id before any).
    std::thread::id RunnerThread();

private:
    struct Task {
        TkMainQueueTask function;
        void* context;
    };

    // Takes the oldest task, waiting until the deadline for one to arrive.
    bool TakeTask(Task& task, std::chrono::steady_clock::time_point deadline);
    void RunTask(const Task& task);

    std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<Task> m_tasks;
    std::thread::id m_runner;
};
