// The scratch desktop of Sillaro's test programs.
#include "ScratchDesktop.h"

#include <QDir>
#include <QFile>

ScratchDesktop::ScratchDesktop()
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
}
