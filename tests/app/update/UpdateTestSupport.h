// Helpers shared by the update tests: version file bodies and a scripted offer panel.
#pragma once

#include "update/UpdateOfferPanel.h"

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

class ScriptedOfferPanel : public UpdateOfferPanel {
public:
    void setVersion(const QString& v) override { version = v; }
    void setDetail(const QString& d) override { detail = d; }
    void setTarget_URL(const QUrl& u) override { url = u; }
    void setDefault_file_name(const QString& n) override { fileName = n; }
    int runModal() override
    {
        ++runs;
        return answer;
    }

    int answer = Cancelled;
    int runs = 0;
    QString version, detail, fileName;
    QUrl url;
};
