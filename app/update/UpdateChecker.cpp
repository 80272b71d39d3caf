// The update check.
#include "update/UpdateChecker.h"

#include "update/UpdateOfferPanel.h"
#include "update/UpdateServer.h"

#include <QCoreApplication>
#include <QDialog>

namespace {

const char* const kVersionFilePath = "/QT/Sillaro/Mac/VersionInfo_%1.txt";
const char* const kDefaultLanguage = "en";

} // namespace

UpdateChecker::UpdateChecker(QObject* parent)
    : QObject(parent), m_versionString(QStringLiteral(SILLARO_VERSION)), m_transfers(this)
{
}

void UpdateChecker::setDialog(QDialog* dialog)
{
    m_panel = dynamic_cast<UpdateOfferPanel*>(dialog);
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
        finish(NoVersionInfo);
        return;
    }
    if (!file->version.isNewerThan(GetBundleVersion())) {
        finish(UpToDate);
        return;
    }
    finish(offer(*file));
}

int UpdateChecker::offer(const VersionFile& file)
{
    if (!m_panel)
        return Declined;
    m_panel->setVersion(file.version.version_string);
    m_panel->setDetail(file.detail);
    m_panel->setTarget_URL(file.url);
    m_panel->setDefault_file_name(file.url.fileName());
    return m_panel->runModal() != UpdateOfferPanel::Cancelled ? Downloaded : Declined;
}

void UpdateChecker::finish(int result)
{
    std::vector<Done> waiting;
    waiting.swap(m_waiting);
    for (Done& done : waiting)
        done(result);
}
