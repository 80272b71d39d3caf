// Test entry: an offscreen QApplication with scratch settings and cache folders.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", (scratch.path() + "/config").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (scratch.path() + "/cache").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (scratch.path() + "/runtime").toLocal8Bit());
    QDir().mkpath(scratch.path() + "/runtime");
    QFile::setPermissions(scratch.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "");
    // Playback goes to the silent output: tests never need or touch a sound server.
    qputenv("SILLARO_AUDIO_OUTPUT", "null");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SillaroTest"));
    QApplication::setOrganizationName(QStringLiteral("SillaroTest"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
