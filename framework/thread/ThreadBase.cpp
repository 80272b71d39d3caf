// ThreadBase: the worker thread with numbered auto-reset events.
//
// Priorities on Linux: the three levels are mapped onto the thread's nice
// value relative to the value it inherits: 0 keeps it, 1 lowers it by 5 and
// 2 by 10 (a lower nice value means more CPU share). Raising priority needs
// CAP_SYS_NICE; without it the thread simply keeps its inherited value, since
// a worker must still run when the system does not allow the boost.
#include "thread/ThreadBase.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

int NiceDeltaFor(ThreadBase::Priority priority)
{
    switch (priority) {
    case ThreadBase::PriorityHigh:
        return -5;
    case ThreadBase::PriorityHighest:
        return -10;
    default:
        return 0;
    }
}

// Applies the priority to the calling thread; failures are ignored on purpose.
void ApplyPriorityToCurrentThread(ThreadBase::Priority priority)
{
    const int delta = NiceDeltaFor(priority);
    if (delta == 0) {
        return;
    }
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, tid);
    if (current == -1 && errno != 0) {
        return;
    }
    const int wanted = current + delta < -20 ? -20 : current + delta;
    setpriority(PRIO_PROCESS, tid, wanted);
}

} // namespace

ThreadBase::ThreadBase() : ThreadBase(1) {}

ThreadBase::ThreadBase(unsigned count)
{
    ResetEventNum(count);
}

ThreadBase::~ThreadBase()
{
    Join();
}

unsigned ThreadBase::ResetEventNum(unsigned count)
{
    if (count == 0) {
        count = 1;
    }
    m_eventCount = count;
    m_mutexes.clear();
    m_conditions.clear();
    m_flags.clear();
    for (unsigned i = 0; i < count; ++i) {
        m_mutexes.push_back(std::make_shared<std::mutex>());
        m_conditions.push_back(std::make_shared<std::condition_variable>());
        m_flags.push_back(std::make_shared<bool>(false));
    }
    return m_eventCount;
}

bool ThreadBase::Create(Priority priority)
{
    std::lock_guard<std::mutex> lock(*m_mutexes[0]);
    if (m_thread && m_thread->joinable()) {
        return false;
    }
    if (priority != PriorityHigh && priority != PriorityHighest) {
        priority = PriorityNormal;
    }
    m_priority = priority;
    try {
        m_thread = std::make_unique<std::thread>(&ThreadBase::ThreadProc, this);
    } catch (const std::exception&) {
        m_thread.reset();
        return false;
    }
    return true;
}

void ThreadBase::ThreadProc(ThreadBase* self)
{
    Priority priority;
    {
        std::lock_guard<std::mutex> lock(*self->m_mutexes[0]);
        priority = self->m_priority;
    }
    ApplyPriorityToCurrentThread(priority);
    self->ThreadImpl();
}

bool ThreadBase::Joinable()
{
    std::lock_guard<std::mutex> lock(*m_mutexes[0]);
    return m_thread && m_thread->joinable();
}

void ThreadBase::Join()
{
    std::unique_ptr<std::thread> thread;
    {
        std::lock_guard<std::mutex> lock(*m_mutexes[0]);
        thread = std::move(m_thread);
    }
    if (!thread || !thread->joinable()) {
        return;
    }
    // A thread that joins itself would deadlock (std::thread throws); it is
    // detached instead and ends on its own.
    if (thread->get_id() == std::this_thread::get_id()) {
        thread->detach();
        return;
    }
    thread->join();
}

void ThreadBase::Detach()
{
    std::lock_guard<std::mutex> lock(*m_mutexes[0]);
    if (m_thread && m_thread->joinable()) {
        m_thread->detach();
        m_thread.reset();
    }
}

void ThreadBase::SetEvent(unsigned index)
{
    std::lock_guard<std::mutex> lock(*m_mutexes[index]);
    *m_flags[index] = true;
    m_conditions[index]->notify_one();
}

void ThreadBase::ResetEvent(unsigned index)
{
    std::lock_guard<std::mutex> lock(*m_mutexes[index]);
    *m_flags[index] = false;
}

void ThreadBase::WaitEvent(unsigned index)
{
    std::unique_lock<std::mutex> lock(*m_mutexes[index]);
    m_conditions[index]->wait(lock, [&] { return *m_flags[index]; });
    *m_flags[index] = false;
}
