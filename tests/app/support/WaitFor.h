// Waiting for a state in tests: runs the event loop until done() holds or a generous
// bound has passed. Never a fixed sleep.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

inline bool WaitFor(const std::function<bool()>& done, int patienceMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < patienceMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}
