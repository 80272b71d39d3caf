#include "ProgramWindows.h"

#include <QElapsedTimer>
#include <QProcess>

int NamedWindowCount(const QString& name)
{
    QProcess list;
    list.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    list.waitForFinished(5000);
    // A window of the program's own carries its class after the name; the toolkit's
    // helper windows of the same name carry none.
    return QString::fromLocal8Bit(list.readAllStandardOutput()).count(QLatin1Char('"') + name + QStringLiteral("\": (\""));
}

bool WaitForNamedWindows(QProcess& program, const QString& name, int count, int patienceMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < patienceMs) {
        if (NamedWindowCount(name) >= count)
            return true;
        if (program.waitForFinished(200))
            return false;
    }
    return false;
}
