// Address policy of the update check.
#include "update/UrlPolicy.h"

#include <QHostAddress>

bool IsLoopbackHost(const QString& host)
{
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool IsAllowedUpdateUrl(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QStringLiteral("https"))
        return true;
    return scheme == QStringLiteral("http") && IsLoopbackHost(url.host());
}
