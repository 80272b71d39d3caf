// Notifications posted as main-queue tasks.
#include "engine/DelegateNotifier.h"

#include <memory>

struct DelegateNotifier::Task {
    enum class Kind { Operation, StreamPos, ConvertPos, ErrorMessage };
    Kind kind;
    ICartovaDelegate delegate;
    int32_t code = 0;
    double seconds = 0.0;
    std::string message;
};

bool DelegateNotifier::SetDelegate(const ICartovaDelegate& delegate)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_set) {
        return false;
    }
    m_delegate = delegate;
    m_set = true;
    return true;
}

bool DelegateNotifier::HasDelegate()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_set;
}

void DelegateNotifier::Close()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_closed = true;
}

void DelegateNotifier::PostOperation(TkRecOperation operation)
{
    Post(new Task{Task::Kind::Operation, {}, operation, 0.0, {}});
}

void DelegateNotifier::PostStreamPos(double seconds)
{
    Post(new Task{Task::Kind::StreamPos, {}, 0, seconds, {}});
}

void DelegateNotifier::PostConvertPos(double seconds)
{
    Post(new Task{Task::Kind::ConvertPos, {}, 0, seconds, {}});
}

void DelegateNotifier::PostErrorMessage(TkNotifyError code, const char* message)
{
    Post(new Task{Task::Kind::ErrorMessage, {}, code, 0.0, message ? message : ""});
}

void DelegateNotifier::Post(Task* task)
{
    std::unique_ptr<Task> owned(task);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_set || m_closed || m_delegate.post_to_main_queue == nullptr) {
        return; // nobody to tell yet
    }
    owned->delegate = m_delegate;
    m_delegate.post_to_main_queue(m_delegate.context, RunTask, owned.release());
}

void DelegateNotifier::RunTask(void* context)
{
    std::unique_ptr<Task> task(static_cast<Task*>(context));
    if (!task) {
        return;
    }
    const ICartovaDelegate& d = task->delegate;
    switch (task->kind) {
    case Task::Kind::Operation:
        if (d.NotifyOperationProc) {
            d.NotifyOperationProc(d.context, task->code);
        }
        break;
    case Task::Kind::StreamPos:
        if (d.NotifyStreamPosProc) {
            d.NotifyStreamPosProc(d.context, task->seconds);
        }
        break;
    case Task::Kind::ConvertPos:
        if (d.NotifyConvertPosProc) {
            d.NotifyConvertPosProc(d.context, task->seconds);
        }
        break;
    case Task::Kind::ErrorMessage:
        if (d.NotifyErrorMessageProc) {
            d.NotifyErrorMessageProc(d.context, task->code, task->message.c_str());
        }
        break;
    }
}
