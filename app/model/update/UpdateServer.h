// The update server the version file and packages come from: one setting,
// "Update Server" (scheme and host, optionally a port), defaulting to the
// project's own server.
#pragma once

#include <QString>
#include <QUrl>

inline const QString kKeyUpdateServer = QStringLiteral("Update Server");

QUrl UpdateServerAddress();
