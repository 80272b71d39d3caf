// The scratch desktop of Sillaro's test programs.
#include "ScratchDesktop.h"

#include "update/UpdateServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

ScratchDesktop::ScratchDesktop(const QString& applicationName)
{
    qputenv("XDG_CONFIG_HOME", (path() + "/config").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (path() + "/cache").toLocal8Bit());
    // The runtime folder must be private to its owner, or Qt refuses it.
    const QString runtime = path() + "/runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "");
    // Playback goes to the silent output: tests never need or touch a sound server.
    qputenv("SILLARO_AUDIO_OUTPUT", "null");

    QCoreApplication::setOrganizationName(applicationName);
    QCoreApplication::setApplicationName(applicationName);
    ClearSettings();
}

void ScratchDesktop::ClearSettings()
{
    QSettings settings;
    settings.clear();
    // A plain-http address off this machine: the checker refuses it before any network
    // code runs, so a check fails at once and starts no network thread.
    settings.setValue(kKeyUpdateServer, QStringLiteral("http://updates.invalid"));
    settings.sync();
}
