// Test HTTP server on the loopback interface.
#include "LoopbackHttpServer.h"

#include <QHostAddress>
#include <QTimer>

LoopbackHttpServer::LoopbackHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::onNewConnection);
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_server.close();
}

bool LoopbackHttpServer::start()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LoopbackHttpServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

QUrl LoopbackHttpServer::url(const QString& path) const
{
    QUrl u = baseUrl();
    u.setPath(path);
    return u;
}

void LoopbackHttpServer::setResponse(const QString& path, const Response& response)
{
    m_responses.insert(path, response);
}

void LoopbackHttpServer::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket]() { m_buffers.remove(socket); });
    }
}

void LoopbackHttpServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    buffer.clear();
    const QString path = requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
    m_requested.append(path);
    emit requestReceived(path);
    answer(socket, path);
}

QByteArray LoopbackHttpServer::Head(const Response& response)
{
    const QByteArray reason = response.status == 200 ? "OK" : response.status == 404 ? "Not Found" : "Status";
    return "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\nContent-Type: application/octet-stream"
           + "\r\nContent-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n";
}

void LoopbackHttpServer::answer(QTcpSocket* socket, const QString& path)
{
    Response response;
    if (auto it = m_responses.constFind(path); it != m_responses.constEnd()) {
        response = *it;
    } else {
        response.status = 404;
        response.body = "not found";
    }
    switch (response.mode) {
    case Mode::Answer:
        socket->write(Head(response) + response.body);
        socket->disconnectFromHost();
        break;
    case Mode::Hold:
        m_held.append({socket, response});
        break;
    case Mode::PartialThenHang:
        socket->write(Head(response) + response.body.left(response.partialBytes));
        break;
    case Mode::Trickle: {
        socket->write(Head(response));
        auto* timer = new QTimer(socket);
        qsizetype* sent = new qsizetype(0);
        connect(timer, &QObject::destroyed, [sent]() { delete sent; });
        connect(timer, &QTimer::timeout, socket, [socket, response, sent]() {
            if (*sent + 1 < response.body.size())
                socket->write(response.body.mid((*sent)++, 1));
        });
        timer->start(response.trickleIntervalMs);
        break;
    }
    case Mode::Silent:
        break;
    }
}

void LoopbackHttpServer::release()
{
    const auto held = std::exchange(m_held, {});
    for (const auto& [socket, response] : held) {
        if (!socket)
            continue;
        socket->write(Head(response) + response.body);
        socket->disconnectFromHost();
    }
}
