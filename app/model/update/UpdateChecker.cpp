// The update check.
#include "update/UpdateChecker.h"

#include "update/UpdateServer.h"

#include <QCoreApplication>

namespace {

const char* const kVersionFilePath = "/QT/Sillaro/Mac/VersionInfo_%1.txt";
const char* const kDefaultLanguage = "en";

} // namespace

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent), m_versionString(QStringLiteral(SILLARO_VERSION)), m_transfers(this)
{
}

Version UpdateChecker::GetBundleVersion() const
{
    return Version::initWithString(m_versionString).value_or(Version());
}

QUrl UpdateChecker::server() const
{
    return m_server ? *m_server : UpdateServerAddress();
}

QString UpdateChecker::languageCode()
{
    const QString key = QStringLiteral("CurrentLang");
    const QString value = tr("CurrentLang");
    return value == key || value.isEmpty() ? QString::fromLatin1(kDefaultLanguage) : value;
}

QUrl UpdateChecker::versionFileUrl() const
{
    QUrl url = server();
    url.setPath(QString::fromLatin1(kVersionFilePath).arg(languageCode()));
    return url;
}

void UpdateChecker::FetchVersionFile(std::function<void(std::optional<VersionFile>)> done)
{
    m_transfers.getData(versionFileUrl(), [done = std::move(done)](std::optional<QByteArray> body) {
        done(body ? ParseVersionFile(*body) : std::nullopt);
    });
}

void UpdateChecker::checkUpdate(Done done)
{
    const bool running = isChecking();
    m_waiting.push_back(done ? std::move(done) : Done([](int) {}));
    if (running)
        return;
    FetchVersionFile([this](std::optional<VersionFile> file) {
        // Leave the network reply's handler before a modal panel may run.
        QMetaObject::invokeMethod(this, [this, file]() { onVersionFile(file); }, Qt::QueuedConnection);
    });
}

void UpdateChecker::onVersionFile(const std::optional<VersionFile>& file)
{
    if (!file) {
        finish(UpdateCheckFailed);
        return;
    }
    if (!file->version.isNewerThan(GetBundleVersion())) {
        finish(UpdateCheckUpToDate);
        return;
    }
    finish(offer(*file));
}

int UpdateChecker::offer(const VersionFile& file)
{
    if (!m_offer)
        return UpdateCheckDeclined;
    UpdateOffer offer;
    offer.version = file.version.version_string;
    offer.detail = file.detail;
    offer.url = file.url.toString();
    offer.defaultFileName = file.url.fileName();
    // Closing code 0: the user cancelled; anything else: the package was downloaded.
    return m_offer(offer) != 0 ? UpdateCheckDownloaded : UpdateCheckDeclined;
}

void UpdateChecker::finish(int result)
{
    std::vector<Done> waiting;
    waiting.swap(m_waiting);
    for (Done& done : waiting)
        done(result);
}
