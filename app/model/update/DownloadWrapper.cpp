// Transfers of the update check.
#include "update/DownloadWrapper.h"

#include "update/UrlPolicy.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int kHttpOk = 200;

QNetworkRequest UncachedRequest(const QUrl& url, std::chrono::milliseconds idleTimeout)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Redirects are followed only to addresses the policy allows (see FollowAllowedRedirects).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(idleTimeout.count()));
    return request;
}

void FollowAllowedRedirects(QNetworkReply* reply)
{
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& target) {
        if (IsAllowedUpdateUrl(target))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
}

int HttpStatus(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace

DownloadWrapper::DownloadWrapper(QObject* parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
}

DownloadWrapper::~DownloadWrapper()
{
    if (m_download) {
        m_download->disconnect(this);
        m_download->abort();
    }
    if (m_file)
        m_file->cancelWriting();
}

void DownloadWrapper::getData(const QUrl& url, std::function<void(std::optional<QByteArray>)> done)
{
    if (!IsAllowedUpdateUrl(url)) {
        done(std::nullopt);
        return;
    }
    QNetworkReply* reply = m_network->get(UncachedRequest(url, m_limits.requestTimeout));
    FollowAllowedRedirects(reply);

    auto* overall = new QTimer(reply);
    overall->setSingleShot(true);
    connect(overall, &QTimer::timeout, reply, &QNetworkReply::abort);
    overall->start(m_limits.overallTimeout);

    const qint64 maxBytes = m_limits.maxFetchBytes;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, maxBytes](qint64 received, qint64) {
        if (received > maxBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [reply, done = std::move(done)]() {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError || HttpStatus(reply) != kHttpOk) {
            done(std::nullopt);
            return;
        }
        done(reply->readAll());
    });
}

bool DownloadWrapper::downloadFileFrom(const QUrl& source, const QString& destination)
{
    m_error.clear();
    if (m_download) {
        m_error = tr("A download is already running.");
        return false;
    }
    if (!IsAllowedUpdateUrl(source)) {
        m_error = tr("The download address is not a secure (https) address.");
        return false;
    }
    auto file = std::make_unique<QSaveFile>(destination);
    if (!file->open(QIODevice::WriteOnly)) {
        m_error = file->errorString();
        return false;
    }
    m_file = std::move(file);
    m_received = 0;
    m_expected = -1;
    m_cancelled = false;

    m_download = m_network->get(UncachedRequest(source, m_limits.downloadIdleTimeout));
    FollowAllowedRedirects(m_download);
    connect(m_download, &QNetworkReply::readyRead, this, &DownloadWrapper::onDownloadReadyRead);
    connect(m_download, &QNetworkReply::finished, this, &DownloadWrapper::onDownloadFinished);
    return true;
}

void DownloadWrapper::onDownloadReadyRead()
{
    if (!m_download || !m_file)
        return;
    // An error page is not written into the user's file.
    const int status = HttpStatus(m_download);
    if (status != 0 && status != kHttpOk)
        return;
    // Progress counts what has been written (the reply's own progress signal is
    // rate-limited and can miss the last bytes before a stall).
    const QVariant length = m_download->header(QNetworkRequest::ContentLengthHeader);
    m_expected = length.isValid() ? length.toLongLong() : -1;
    const QByteArray data = m_download->readAll();
    m_received += data.size();
    if (m_file->write(data) != data.size()) {
        m_error = m_file->errorString();
        m_download->abort();
    }
}

void DownloadWrapper::onDownloadFinished()
{
    QNetworkReply* reply = m_download;
    if (!reply)
        return;
    if (m_cancelled) {
        finishDownload(Cancelled);
        return;
    }
    if (!m_error.isEmpty()) {
        finishDownload(Failure, m_error);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        finishDownload(Failure, reply->errorString());
        return;
    }
    const int status = HttpStatus(reply);
    if (status != kHttpOk) {
        finishDownload(Failure, tr("The server answered with status %1.").arg(status));
        return;
    }
    onDownloadReadyRead();
    if (!m_error.isEmpty()) {
        finishDownload(Failure, m_error);
        return;
    }
    if (!m_file->commit()) {
        finishDownload(Failure, m_file->errorString());
        return;
    }
    m_file.reset();
    finishDownload(Success);
}

void DownloadWrapper::finishDownload(Result result, const QString& error)
{
    if (m_file) {
        m_file->cancelWriting(); // removes the temporary file
        m_file.reset();
    }
    if (m_download) {
        m_download->disconnect(this);
        m_download->deleteLater();
        m_download = nullptr;
    }
    m_error = error;
    // Delivered from the event loop, never from inside the caller of cancel().
    QMetaObject::invokeMethod(this, [this, result]() { emit downloadDidFinish(result); }, Qt::QueuedConnection);
}

int DownloadWrapper::progress(int& progress, int& total) const
{
    int value = 0;
    if (m_expected > 0)
        value = static_cast<int>(std::clamp<qint64>(m_received * kProgressScale / m_expected, 0, kProgressScale));
    progress = value;
    total = value;
    return 0;
}

int DownloadWrapper::cancel()
{
    if (!m_download)
        return 0;
    m_cancelled = true;
    m_download->abort();
    // abort() normally emits finished at once; make sure the result is reported anyway.
    if (m_download)
        finishDownload(Cancelled);
    return 0;
}
