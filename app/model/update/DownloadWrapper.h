// The update check's transfers over Qt Network: fetching the small version file
// into memory, and downloading a package into a file the user chose, with progress
// in thousandths and cancel. Everything runs on the thread that owns the object
// (the main thread); results arrive as callbacks and signals there.
#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QSaveFile;

struct TransferLimits {
    // A fetch fails when no data moves for this long...
    std::chrono::milliseconds requestTimeout{10'000};
    // ...or when it has not ended after this long in all.
    std::chrono::milliseconds overallTimeout{30'000};
    // A download fails when no data moves for this long.
    std::chrono::milliseconds downloadIdleTimeout{60'000};
    // A version file is a few lines; anything larger is not one.
    qint64 maxFetchBytes = 1 << 20;
};

class DownloadWrapper : public QObject {
    Q_OBJECT
public:
    // Codes of downloadDidFinish.
    enum Result { Success = 0, Failure = 1, Cancelled = 2 };
    static constexpr int kProgressScale = 1000;

    explicit DownloadWrapper(QObject* parent = nullptr);
    ~DownloadWrapper() override;

    void setLimits(const TransferLimits& limits) { m_limits = limits; }
    const TransferLimits& limits() const { return m_limits; }

    // GETs url, bypassing caches; done gets the body when the transfer worked and
    // the status was 200, else none. Refuses (none, at once) an address that
    // UrlPolicy does not allow.
    void getData(const QUrl& url, std::function<void(std::optional<QByteArray>)> done);

    // Starts downloading source into the file destination; true when started.
    // The data goes to a temporary file beside the destination, which replaces an
    // existing file there only once everything has arrived. Ends with
    // downloadDidFinish.
    bool downloadFileFrom(const QUrl& source, const QString& destination);

    // Progress delegate of the progress panel: both outputs get received ÷ expected
    // × 1000 (0 while the expected size is unknown). Result 0.
    int progress(int& progress, int& total) const;
    // Stops the download and reports Cancelled. Result 0.
    int cancel();

    bool isDownloading() const { return m_download != nullptr; }
    // Why the last download failed, for the user.
    QString errorString() const { return m_error; }

signals:
    void downloadDidFinish(int code);

private:
    void onDownloadReadyRead();
    void onDownloadFinished();
    void finishDownload(Result result, const QString& error = QString());

    QNetworkAccessManager* m_network;
    TransferLimits m_limits;

    QPointer<QNetworkReply> m_download;
    std::unique_ptr<QSaveFile> m_file;
    qint64 m_received = 0;
    qint64 m_expected = -1;
    bool m_cancelled = false;
    QString m_error;
};
