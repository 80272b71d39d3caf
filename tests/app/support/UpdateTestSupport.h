// Helpers shared by the update tests: waiting for a state, version file bodies.
#pragma once

#include <QStringEncoder>
#include <QTest>

// Waits (running the event loop) until done() holds; generous bound, not a timing assumption.
template <typename Predicate>
bool WaitUntil(Predicate done)
{
    return QTest::qWaitFor(done, 30'000);
}

inline QByteArray VersionFileBody(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    return encoder.encode(text);
}
