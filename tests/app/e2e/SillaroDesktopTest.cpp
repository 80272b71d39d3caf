// The complete program on the simulated turntable under Xvfb: start-up in the ready
// state, a screenshot, the single-instance rule, and the quit confirmation.
#include "ScriptedDialogs.h"
#include "control/AppDelegate.h"
#include "control/ControlManager.h"
#include "control/ModeTimeManager.h"
#include "control/SettingManager.h"
#include "control/SimulateOption.h"
#include "control/SingleInstance.h"
#include "window/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(SillaroDesktop, StartsReadyKeepsOneInstanceAndAsksBeforeQuitting)
{
    auto instance = std::make_unique<SingleInstance>(QStringLiteral("sillaro.lock"));
    ASSERT_TRUE(instance->isFirst());

    ScriptedDialogs dialogs;
    auto app = std::make_unique<AppDelegate>();
    auto window = std::make_unique<MainWindow>(app.get());
    app->launch(*window, dialogs);
    Spin(1500);

    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE(dialogs.messages().contains("No device found."));
    EXPECT_EQ(ModeTimeManager::sharedInstance().status(), ModeStatusReady);
    const MainWindowControls& c = window->controls();
    EXPECT_TRUE(c.button_rec_start->isVisible());
    EXPECT_TRUE(c.button_rec_start->isEnabled());
    EXPECT_FALSE(c.button_rec_pause->isEnabled());
    EXPECT_FALSE(c.button_rec_stop->isEnabled());
    for (QAbstractButton* b : {c.button_edit_play, c.button_edit_pause, c.button_marker_add, c.button_file_save})
        EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();

    const QString outputDir = QStringLiteral(CARTOVA_SOURCE_DIR "/tests/output");
    QDir().mkpath(outputDir);
    const QString shot = outputDir + "/sillaro-ready.png";
    EXPECT_TRUE(window->grab().save(shot));
    EXPECT_GT(QFile(shot).size(), 0);

    // A second launch ends at once, successfully, while this one runs.
    QProcess second;
    second.start(QStringLiteral(SILLARO_BINARY), {QStringLiteral("--simulate")});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // Quitting asks, and "OK" persists the settings.
    dialogs.clear();
    app->controlManager()->settingManager()->SetPcmFreq(96000);
    EXPECT_TRUE(app->applicationShouldTerminate());
    EXPECT_EQ(dialogs.messages(), QStringList{"Are you sure you want to exit?"});
    EXPECT_EQ(QSettings().value(kKeyPcmFreq).toULongLong(), 96000u);
    app->applicationWillTerminate();
    app.reset();
    window.reset();
    instance.reset();

    // The program itself starts and keeps running with its window until told to stop.
    QProcess first;
    first.start(QStringLiteral(SILLARO_BINARY), {QStringLiteral("--simulate")});
    ASSERT_TRUE(first.waitForStarted(5000));
    // On a loaded machine the window may take a while to be mapped: look for
    // it for up to 30 seconds, as long as the program keeps running.
    bool windowShown = false;
    for (int attempt = 0; attempt < 30 && !windowShown; ++attempt) {
        if (first.waitForFinished(1000))
            break;
        QProcess list;
        list.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
        list.waitForFinished(5000);
        windowShown = QString::fromLocal8Bit(list.readAllStandardOutput()).contains("\"Sillaro\"");
    }
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(windowShown);
    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

int main(int argc, char** argv)
{
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", (scratch.path() + "/config").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (scratch.path() + "/cache").toLocal8Bit());
    const QString runtime = scratch.path() + "/runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    ApplySimulateOption({QStringLiteral("--simulate")});
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sillaro"));
    QApplication::setOrganizationName(QStringLiteral("Sillaro"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
