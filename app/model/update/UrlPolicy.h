// Which addresses the update check may fetch from. A version file or a package
// fetched in clear text could be replaced on its way, so only https is used;
// plain http is accepted for the loopback interface alone, whose traffic never
// leaves the machine (a local mirror, the tests).
#pragma once

#include <QUrl>

bool IsLoopbackHost(const QString& host);
bool IsAllowedUpdateUrl(const QUrl& url);
