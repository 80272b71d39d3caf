// Serial task queue on one thread.
#include "engine/SerialQueue.h"

#include "platform/Trace.h"

#include <exception>
#include <pthread.h>

SerialQueue::SerialQueue(std::string label)
    : m_label(std::move(label))
    , m_thread([this] { Run(); })
{
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_quit = true;
    }
    m_queued.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void SerialQueue::Async(std::function<void()> task)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_tasks.push_back(std::move(task));
    }
    m_queued.notify_all();
}

void SerialQueue::Sync(std::function<void()> task)
{
    if (IsCurrent()) {
        task();
        return;
    }
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    Async([&] {
        // Signals completion even when the task throws. Notifies under the
        // lock: the waiter owns these objects and may leave once it sees done.
        struct Completion {
            std::mutex& lock;
            std::condition_variable& signal;
            bool& flag;
            ~Completion()
            {
                std::lock_guard<std::mutex> guard(lock);
                flag = true;
                signal.notify_all();
            }
        } completion{doneLock, doneSignal, done};
        task();
    });
    std::unique_lock<std::mutex> guard(doneLock);
    doneSignal.wait(guard, [&] { return done; });
}

bool SerialQueue::IsCurrent() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void SerialQueue::Run()
{
    // Linux limits thread names to 15 characters.
    pthread_setname_np(pthread_self(), m_label.substr(0, 15).c_str());
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            m_queued.wait(guard, [this] { return m_quit || !m_tasks.empty(); });
            if (m_tasks.empty()) {
                return; // quit requested and nothing left to run
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        // A throwing task must not end the queue's thread (and the process).
        try {
            task();
        } catch (const std::exception& e) {
            TRACE("%s: task failed: %s", m_label.c_str(), e.what());
        } catch (...) {
            TRACE("%s: task failed", m_label.c_str());
        }
    }
}
