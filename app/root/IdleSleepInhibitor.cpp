// Idle-sleep inhibition over D-Bus.
#include "root/IdleSleepInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace {

constexpr int kCallTimeoutMs = 1000;

bool SessionBusConfigured()
{
    // Without an address libdbus may try to auto-launch a bus; we only use one that exists.
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
}

} // namespace

IdleSleepInhibitor::IdleSleepInhibitor(const QString& reason)
{
    if (!SessionBusConfigured())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    const QString app = QCoreApplication::applicationName();
    const std::pair<QString, QString> candidates[] = {
        {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver")},
        {QStringLiteral("org.freedesktop.PowerManagement"), QStringLiteral("/org/freedesktop/PowerManagement/Inhibit")},
    };
    for (const auto& [service, path] : candidates) {
        const QString interface = service == QLatin1String("org.freedesktop.PowerManagement")
                                      ? QStringLiteral("org.freedesktop.PowerManagement.Inhibit")
                                      : service;
        QDBusInterface iface(service, path, interface, bus);
        if (!iface.isValid())
            continue;
        iface.setTimeout(kCallTimeoutMs);
        const QDBusReply<uint32_t> reply = iface.call(QStringLiteral("Inhibit"), app, reason);
        if (reply.isValid() && reply.value() != 0) {
            m_service = service;
            m_path = path;
            m_cookie = reply.value();
            return;
        }
    }
}

IdleSleepInhibitor::~IdleSleepInhibitor()
{
    if (m_cookie == 0)
        return;
    const QString interface = m_service == QLatin1String("org.freedesktop.PowerManagement")
                                  ? QStringLiteral("org.freedesktop.PowerManagement.Inhibit")
                                  : m_service;
    QDBusInterface iface(m_service, m_path, interface, QDBusConnection::sessionBus());
    iface.setTimeout(kCallTimeoutMs);
    iface.call(QStringLiteral("UnInhibit"), m_cookie);
}
