// Screenshots of the main window in record and edit mode, of the gain pop-up and of the
// settings dialog, written to tests/output/ for a person to review (at the display scale
// the run was started with: QT_SCALE_FACTOR=2 gives the 200 % pictures).
#include "FakeCartova.h"
#include "ScriptedDialogs.h"
#include "root/AppDelegate.h"
#include "document/Document.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "settings/SettingManager.h"
#include "controls/CustomMenu.h"
#include "indicator/Indicator_LevelMeter.h"
#include "marker/MarkerManager.h"
#include "settings/SettingDialog.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString OutputPath(const QString& name)
{
    const QString dir = QStringLiteral(SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const qreal scale = qApp->primaryScreen() ? qApp->primaryScreen()->devicePixelRatio() : 1.0;
    return QStringLiteral("%1/%2_%3x.png").arg(dir, name).arg(qRound(scale));
}

void Save(QWidget* widget, const QString& name)
{
    QApplication::processEvents();
    const QPixmap shot = widget->grab();
    ASSERT_FALSE(shot.isNull());
    ASSERT_TRUE(shot.save(OutputPath(name))) << OutputPath(name).toStdString();
}

class Screenshots : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        Fake().dsdFreq = {2822400, 5644800, 11289600};
        Fake().pcmFreq = {44100, 48000, 96000, 192000, 384000};
        QSettings().clear();
        app = std::make_unique<AppDelegate>();
        window = new MainWindow;
        app->launch(*window, dialogs);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }

    void TearDown() override
    {
        ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
        mtm.setStatus(0);
        mtm.setCurrentTime(0.0);
        mtm.setTotalTime(0.0);
        mtm.setGain(0.0);
        mtm.setIsAutoGain(false);
        delete window; // before the delegate, as in the program
        app.reset();
    }

    const MainWindowControls& c() const { return window->controls(); }

    ScriptedDialogs dialogs;
    std::unique_ptr<AppDelegate> app;
    MainWindow* window = nullptr;
};

} // namespace

TEST_F(Screenshots, RecordModeWhileRecording)
{
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    mtm.setStatus(3);
    mtm.setCurrentTime(754.36);
    Indicator_LevelMeter* meter = c().indicatorLevelMeter;
    meter->setHoldTime(-1);
    float loud[2] = {1.0f, 0.8f};
    meter->setLevelSource([&](float* levels, int count) {
        for (int i = 0; i < count && i < 2; ++i)
            levels[i] = loud[i];
    });
    meter->onTimer(); // left reaches 0 dB: peak and over held while recording
    loud[0] = 0.35f;
    loud[1] = 0.25f;
    meter->onTimer();
    EXPECT_TRUE(meter->state().channel(0).over);
    EXPECT_EQ(meter->state().channel(0).level, -10);
    meter->setLevelSource(nullptr);
    Save(window, QStringLiteral("main_record"));
}

TEST_F(Screenshots, EditModeWithMarkers)
{
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    auto markers = std::make_unique<MarkerManager>();
    markers->ResetWithTotalTime(2700.0);
    for (double at : {312.5, 655.0, 1010.2, 1404.8})
        markers->AddWithPosition(at);
    markers->setSelectedMarker(markers->GetMarkerIdFromPosition(655.0));
    app->document().setMarkers(std::move(markers));
    mtm.setTotalTime(2700.0);
    mtm.setAutoGain(2.5);
    mtm.setIsAutoGain(true);
    mtm.setGain(2.5);
    mtm.setStatus(6);
    mtm.setCurrentTime(754.36);
    Save(window, QStringLiteral("main_edit"));

    // The wide scale of the 45 minutes: two pages, the second on screen and marked.
    window->initPages(2700.0);
    window->setIsZoom(false);
    QCoreApplication::processEvents(); // the view settles on the current time's page first
    app->controlManager()->execute(Command::NextPage);
    EXPECT_EQ(window->pageState().showingPage, 1);
    Save(window, QStringLiteral("main_edit_wide"));
    app->controlManager()->execute(Command::ZoomIn);

    CustomMenu panel(window);
    panel.setAutoGain(2.5);
    panel.move(window->mapToGlobal(QPoint(window->width() - panel.width() - 20, 60)));
    panel.show();
    panel.view()->model().setSelectedIdx(1);
    Save(&panel, QStringLiteral("gain_popup"));
    panel.close();
}

TEST_F(Screenshots, SettingsDialogBothPages)
{
    auto* dialog = new SettingDialog(window);
    SettingManager& settings = *app->controlManager()->settingManager();
    settings.RecognizeDevice();
    settings.FetchDriverInfo();
    dialog->setIsRecModeDsd(true);
    dialog->setDsdSamplingRate(2822400);
    dialog->setPcmSamplingRate(96000);
    dialog->setPcmBitDepth(24);
    dialog->setTemporaryDirectory(settings.GetTempDirectory());
    dialog->setDefaultDirectory(SettingManager::GetDefaultTempDirectory());
    dialog->setSettingManager(&settings);
    dialog->selectFirstTab();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(dialog->deviceNameText(), "QT-LV200");
    Save(dialog, QStringLiteral("settings_format"));
    dialog->selectTemporaryTab();
    Save(dialog, QStringLiteral("settings_temporary"));
    dialog->hide();
    delete dialog;
}
