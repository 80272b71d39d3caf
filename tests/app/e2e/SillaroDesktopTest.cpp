// The complete program on the simulated turntable under Xvfb: start-up in the ready
// state, the single-instance rule and the quit confirmation; a whole recording through the
// real window and dialogs (record, start dialog, pause, resume, complete, edit mode,
// File > New, quit), with screenshots in tests/output/.
#include "ProgramWindows.h"
#include "ScratchDesktop.h"
#include "AlertClicker.h"
#include "ScriptedDialogs.h"
#include "root/AppDelegate.h"
#include "control/QuitFlow.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "settings/SettingManager.h"
#include "root/SimulateOption.h"
#include "root/SingleInstance.h"
#include "WaitFor.h"
#include "bridge/CartovaController.h"
#include "control/RecordingMath.h"
#include "indicator/Indicator_Gain.h"
#include "marker/MarkerManager.h"
#include "wave/WaveImageManager.h"
#include "window/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kOutputDir = QStringLiteral(CARTOVA_SOURCE_DIR "/tests/output");

uint64_t CapturedFrames()
{
    uint64_t frames = 0;
    CartovaController::sharedInstance().GetRecordingPreviewDataLength(frames);
    return frames;
}

} // namespace

TEST(SillaroDesktop, StartsReadyKeepsOneInstanceAndAsksBeforeQuitting)
{
    auto instance = std::make_unique<SingleInstance>(QStringLiteral("sillaro.lock"));
    ASSERT_TRUE(instance->isFirst());

    ScriptedDialogs dialogs;
    auto app = std::make_unique<AppDelegate>();
    auto window = std::make_unique<MainWindow>();
    app->launch(*window, dialogs);
    // Ready once the device list has been read; on a loaded machine that can take a while.
    ASSERT_TRUE(WaitFor([&] { return window->isVisible() && ModeTimeManager::sharedInstance().status() == ModeStatusReady; }, 60000));
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
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // Quitting asks, and "OK" persists the settings.
    dialogs.clear();
    app->controlManager()->settingManager()->SetPcmFreq(96000);
    EXPECT_TRUE(app->quitFlow()->applicationShouldTerminate());
    EXPECT_EQ(dialogs.messages(), QStringList{"Are you sure you want to exit?"});
    EXPECT_EQ(QSettings().value(kKeyPcmFreq).toULongLong(), 96000u);
    app.reset();
    window.reset();
    instance.reset();

    // The program itself starts and keeps running with its window until told to stop.
    QProcess first;
    first.start(QStringLiteral(SILLARO_BINARY), {QStringLiteral("--simulate")});
    ASSERT_TRUE(first.waitForStarted(30000));
    const bool windowShown = WaitForNamedWindows(first, QStringLiteral("Sillaro"), 1, 90000);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(windowShown);
    first.terminate();
    if (!first.waitForFinished(5000)) {
        first.kill();
        first.waitForFinished(5000);
    }
}

TEST(SillaroDesktop, RecordsPausesResumesAndCompletesIntoTheEditMode)
{
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    QDir().mkpath(kOutputDir);
    AlertClicker clicker(kOutputDir);
    const QString startMessage =
        "Play the vinyl record on the turntable and click the \"Start Recording\" button.";
    clicker.answer(startMessage, "Start Recording");
    clicker.screenshot(startMessage, "sillaro-start-dialog.png");

    auto app = std::make_unique<AppDelegate>();
    app->launch(); // the real window and dialogs
    MainWindow* window = app->window();
    ASSERT_TRUE(WaitFor([&] { return window->isVisible(); }));
    const MainWindowControls& c = window->controls();
    ASSERT_EQ(mtm.status(), ModeStatusReady);

    // Record: the start dialog opens once the device runs and is confirmed by a click.
    QTest::mouseClick(c.button_rec_start, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return mtm.status() == ModeStatusRecording; }));
    ASSERT_TRUE(clicker.hasSeen(startMessage));
    EXPECT_TRUE(c.button_rec_pause->isEnabled());
    EXPECT_FALSE(c.button_rec_start->isEnabled());

    ASSERT_TRUE(WaitFor([&] { return mtm.currentTime() >= 3.0; }, 60000));
    EXPECT_TRUE(window->grab().save(kOutputDir + "/sillaro-recording.png"));

    // Pause: the device runs on, but nothing is recorded until the resume.
    QTest::mouseClick(c.button_rec_pause, Qt::LeftButton);
    ASSERT_EQ(mtm.status(), ModeStatusRecordPaused);
    EXPECT_TRUE(c.button_rec_start->isEnabled());
    const uint64_t pausedAt = CapturedFrames();
    const double pausedTime = mtm.currentTime();
    ASSERT_TRUE(WaitFor([&] { return CapturedFrames() >= pausedAt + 2 * 44100; }, 60000));
    const double pausedSeconds = static_cast<double>(CapturedFrames() - pausedAt) / 44100.0;

    QTest::mouseClick(c.button_rec_start, Qt::LeftButton); // resume, no dialog
    ASSERT_EQ(mtm.status(), ModeStatusRecording);
    ASSERT_TRUE(WaitFor([&] { return mtm.currentTime() >= pausedTime + 2.0; }, 60000));

    QTest::mouseClick(c.button_rec_stop, Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return mtm.status() == ModeStatusEditStopped; }, 60000));
    const double captured = static_cast<double>(CapturedFrames()) / 44100.0;

    // The edit mode: the recorded length without the paused stretch, start and end markers,
    // the automatic gain of the recording's peak.
    const double total = mtm.totalTime();
    EXPECT_GE(total, pausedTime + 2.0);
    EXPECT_LE(total, captured - pausedSeconds + 0.5);
    EXPECT_EQ(mtm.currentTime(), 0.0);
    MarkerManager* markers = app->markerManager();
    ASSERT_NE(markers, nullptr);
    EXPECT_EQ(markers->count(), 2);
    EXPECT_EQ(markers->GetMarkerPositionFromId(markers->GetStartMarkerId()), 0.0);
    EXPECT_EQ(markers->GetMarkerPositionFromId(markers->GetEndMarkerId()), total);
    const double peak = app->waveImageManager()->getMaximumSample();
    EXPECT_DOUBLE_EQ(mtm.autoGain(), AutomaticGain(peak));
    EXPECT_GE(mtm.autoGain(), 0.0);
    EXPECT_LE(mtm.autoGain(), kAutoGainCeiling);
    EXPECT_TRUE(c.button_edit_play->isVisible());
    EXPECT_TRUE(c.button_file_save->isVisible());
    EXPECT_FALSE(c.button_rec_start->isVisible());
    EXPECT_TRUE(c.indicatorGain->isVisible());
    QTest::qWait(0);
    EXPECT_TRUE(window->grab().save(kOutputDir + "/sillaro-edit.png"));

    // File > New (its shortcut), confirmed: back to the record mode.
    clicker.answer("Are you sure you want to record newly?", "OK");
    window->activateWindow();
    if (QTest::qWaitForWindowActive(window, 5000)) {
        app->controlManager()->validateAllMenuItems();
        ASSERT_TRUE(c.menu_file_new->isEnabled());
        QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    } else {
        app->controlManager()->FileNew(); // no window manager to make the window active
    }
    ASSERT_TRUE(WaitFor([&] { return mtm.status() == ModeStatusReady; }));
    EXPECT_TRUE(clicker.hasSeen("Are you sure you want to record newly?"));
    EXPECT_EQ(app->markerManager(), nullptr);
    EXPECT_EQ(mtm.totalTime(), 0.0);
    EXPECT_TRUE(c.button_rec_start->isVisible());
    EXPECT_TRUE(c.button_rec_start->isEnabled());

    app->dialogs()->showAbout();
    QWidget* about = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "about_dialog" && w->isVisible())
                about = w;
        return about != nullptr;
    }));
    EXPECT_TRUE(about->grab().save(kOutputDir + "/sillaro-about.png"));
    // It has the dark look of the program's dialogs, with light text on it.
    const QLabel* version = about->findChild<QLabel*>("label_version");
    ASSERT_NE(version, nullptr);
    const int background = about->palette().color(QPalette::Window).lightness();
    EXPECT_LT(background, 64);
    EXPECT_GT(version->palette().color(QPalette::WindowText).lightness() - background, 128);
    about->close();

    // Quit, confirmed by a click; then the framework is stopped and drained.
    clicker.answer("Are you sure you want to exit?", "OK");
    app->quitFlow()->terminate();
    EXPECT_TRUE(clicker.hasSeen("Are you sure you want to exit?"));
    EXPECT_FALSE(window->isVisible());
    app->shutdown();
    app.reset();
}

int main(int argc, char** argv)
{
    ScratchDesktop scratch(QStringLiteral("Sillaro"));
    ApplySimulateOption({QStringLiteral("--simulate")});
    // The simulated turntable runs faster than real time.
    qputenv("CARTOVA_SIM_SPEED", "4");
    QApplication qapp(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
