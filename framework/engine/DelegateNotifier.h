// Delivers the engine's notifications to the application's delegate. Each
// notification is copied into a task that is handed to the delegate's
// post_to_main_queue callback; the task calls the notification callback when
// the application runs it on its main thread. No callback is ever called on
// the posting thread.
#pragma once

#include "interface/cartova.h"

#include <mutex>
#include <string>

class DelegateNotifier {
public:
    // Keeps a copy of the delegate. False when one is set already.
    bool SetDelegate(const ICartovaDelegate& delegate);
    bool HasDelegate();
    // Posts nothing from now on (the engine is going away with the process,
    // and the application's main queue with it).
    void Close();

    void PostOperation(TkRecOperation operation);
    void PostStreamPos(double seconds);
    void PostConvertPos(double seconds);
    // A null message is sent as "".
    void PostErrorMessage(TkNotifyError code, const char* message);

private:
    struct Task;
    static void RunTask(void* context);
    // Posts under the lock, so tasks reach the main queue in posting order
    // also when several engine threads post at once.
    void Post(Task* task);

    std::mutex m_lock;
    bool m_set = false;
    bool m_closed = false;
    ICartovaDelegate m_delegate{};
};
