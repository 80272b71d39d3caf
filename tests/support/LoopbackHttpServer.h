// A small HTTP/1.1 server on 127.0.0.1 for tests of the program's network code.
// It runs on the test's event loop; each path answers as configured: at once, held
// until released, with part of the body and then nothing, byte by byte forever, or
// never.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class LoopbackHttpServer : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        Answer,         // the whole response at once
        Hold,           // nothing until release()
        PartialThenHang, // headers and partialBytes of the body, then nothing
        Trickle,        // headers, then one body byte per trickleIntervalMs, never ending
        Silent,         // never a byte
    };
    struct Response {
        int status = 200;
        QByteArray body;
        Mode mode = Mode::Answer;
        qsizetype partialBytes = 0;
        int trickleIntervalMs = 20;
    };

    explicit LoopbackHttpServer(QObject* parent = nullptr);
    ~LoopbackHttpServer() override;

    // Listens on an ephemeral port of 127.0.0.1; false when that fails.
    bool start();
    // "http://127.0.0.1:<port>"
    QUrl baseUrl() const;
    QUrl url(const QString& path) const;

    // Paths without a response answer 404.
    void setResponse(const QString& path, const Response& response);
    // Sends the held responses.
    void release();

    QStringList requestedPaths() const { return m_requested; }

signals:
    void requestReceived(const QString& path);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QString& path);
    static QByteArray Head(const Response& response);

    QTcpServer m_server;
    QHash<QString, Response> m_responses;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<QPair<QPointer<QTcpSocket>, Response>> m_held;
    QStringList m_requested;
};
