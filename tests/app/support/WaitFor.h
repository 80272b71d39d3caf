// Waiting for a state in tests: runs the event loop until done() holds or a generous
// bound has passed. Never a fixed sleep. done() is asked once per round (it may consume
// what it looks at, as a level read does), and each round yields the processor briefly
// so that the threads under test can run.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

inline bool WaitFor(const std::function<bool()>& done, int patienceMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (done())
            return true;
        if (timer.elapsed() >= patienceMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}
