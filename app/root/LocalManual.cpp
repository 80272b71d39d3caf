// Finding the installed manual, or the source tree's before installing.
#include "root/LocalManual.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

QString LocalManualUrl()
{
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/" SILLARO_MANUAL_FROM_BINARY "/index.html");
    const QString source = QStringLiteral(SILLARO_MANUAL_SOURCE_DIR "/index.html");
    for (const QString& candidate : {installed, source}) {
        const QFileInfo page(candidate);
        if (page.isFile())
            return QUrl::fromLocalFile(page.canonicalFilePath()).toString();
    }
    return QString();
}
