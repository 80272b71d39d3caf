// The signals a desktop ends a program with (SIGTERM at logout or from a process manager,
// SIGHUP when its session goes, SIGINT from a terminal) turned into a Qt signal on the
// main thread, so that the program can end a recording cleanly instead of dying in it.
// The handler only writes the signal's number to a pipe (async-signal-safe); the main
// thread reads it through a socket notifier. One instance at a time; the previous
// dispositions come back when it is destroyed.
#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Whether the handlers are in place (the pipe could be made).
    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
};
