// Reads the update server setting.
#include "update/UpdateServer.h"

#include <QSettings>

QUrl UpdateServerAddress()
{
    const QString value = QSettings().value(kKeyUpdateServer).toString().trimmed();
    if (!value.isEmpty())
        return QUrl(value);
    return QUrl(QStringLiteral(SILLARO_UPDATE_SERVER));
}
