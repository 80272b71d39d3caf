// Checks for a newer version of the program: fetches the version file for the
// user's language from the update server, compares its version with the program's
// own and, when it is newer, offers it through the offer handler (the update dialog). The check never
// blocks the event loop; its result (an UpdateCheckResult) arrives through a callback.
#pragma once

#include "state/ControlTypes.h"
#include "update/DownloadWrapper.h"
#include "update/UpdateOffer.h"
#include "update/Version.h"
#include "update/VersionFile.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(int result)>;
    // Shows an offer modally; 0 when cancelled, anything else when the package was downloaded.
    using OfferHandler = std::function<int(const UpdateOffer& offer)>;

    explicit UpdateChecker(QObject* parent = nullptr);

    // Where an offer is shown; without one a newer version counts as declined.
    void setOfferHandler(OfferHandler handler) { m_offer = std::move(handler); }

    // The program's own version text (from the build), and as a Version; a text
    // that does not parse counts as 0.0.0.
    QString versionString() const { return m_versionString; }
    void setVersionString(const QString& text) { m_versionString = text; }
    Version GetBundleVersion() const;

    // The update server; by default the "Update Server" setting.
    QUrl server() const;
    void setServer(const QUrl& server) { m_server = server; }
    // "CurrentLang" of the translation in use, "en" without one.
    static QString languageCode();
    QUrl versionFileUrl() const;

    DownloadWrapper& transfers() { return m_transfers; }

    // Fetches and parses the version file; done gets none on any failure.
    void FetchVersionFile(std::function<void(std::optional<VersionFile>)> done);

    // Runs a check; done (may be empty) gets the result. A check asked for while
    // another runs shares that one's result.
    void checkUpdate(Done done = {});
    bool isChecking() const { return !m_waiting.empty(); }

private:
    void onVersionFile(const std::optional<VersionFile>& file);
    int offer(const VersionFile& file);
    void finish(int result);

    OfferHandler m_offer;
    QString m_versionString;
    std::optional<QUrl> m_server;
    DownloadWrapper m_transfers;
    std::vector<Done> m_waiting;
};
