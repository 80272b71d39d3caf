// The control manager and application delegate on an offscreen main window: controls
// follow the status, the DSD gain warning, time clamping, device check and quitting.
#include "FakeCartova.h"
#include "control/AppDelegate.h"
#include "control/ControlManager.h"
#include "control/ModeTimeManager.h"
#include "control/SettingManager.h"
#include "marker/MarkerManager.h"
#include "indicator/Indicator_Setting.h"
#include "window/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

struct AskedAlert {
    AlertKind kind;
    QString message;
};

class ControlManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        QSettings().clear();
        QSettings().sync();
        app = std::make_unique<AppDelegate>();
        app->setAlertHandler([this](AlertKind kind, const QString& message, const QString&) {
            asked.push_back({kind, message});
            return answer;
        });
        app->launch();
        cm = app->controlManager();
        cm->setKeyWindowQuery([] { return true; });
        asked.clear();
    }

    void TearDown() override
    {
        app.reset();
    }

    const MainWindowControls& c() const { return cm->controls(); }
    ModeTimeManager& mtm() { return ModeTimeManager::sharedInstance(); }

    std::unique_ptr<AppDelegate> app;
    ControlManager* cm = nullptr;
    std::vector<AskedAlert> asked;
    bool answer = true;
};

} // namespace

TEST_F(ControlManagerTest, StartsReadyWithOnlyTheRecordButtonEnabled)
{
    EXPECT_EQ(mtm().status(), ModeStatusReady);
    EXPECT_GE(Fake().newCalls, 1);
    EXPECT_FALSE(c().button_rec_start->isHidden());
    EXPECT_TRUE(c().button_rec_start->isEnabled());
    EXPECT_FALSE(c().button_rec_pause->isEnabled());
    EXPECT_FALSE(c().button_rec_stop->isEnabled());
    EXPECT_TRUE(c().button_edit_play->isHidden());
    EXPECT_TRUE(c().button_file_save->isHidden());
    EXPECT_TRUE(c().indicatorSetting->isEnabled());
    EXPECT_EQ(c().button_rec_stop->text(), "Recording Complete");
    EXPECT_EQ(c().button_file_save->text(), "Write to Files  ");
    EXPECT_EQ(c().indicatorSetting->text(), "PCM  44.1 kHz  16 bit");
}

TEST_F(ControlManagerTest, ControlsFollowEveryStatus)
{
    const std::pair<QAbstractButton*, ButtonId> buttons[] = {
        {c().button_rec_start, ButtonId::RecStart},   {c().button_rec_pause, ButtonId::RecPause},
        {c().button_rec_stop, ButtonId::RecStop},     {c().button_edit_play, ButtonId::EditPlay},
        {c().button_edit_pause, ButtonId::EditPause}, {c().button_marker_next, ButtonId::MarkerNext},
        {c().button_view_zoom_in, ButtonId::ViewZoomIn}, {c().button_view_zoom_out, ButtonId::ViewZoomOut},
        {c().button_file_save, ButtonId::FileSave},
    };
    const std::pair<QAction*, MenuItemId> fixedItems[] = {
        {c().menu_about, MenuItemId::About},           {c().menu_preferences, MenuItemId::Preferences},
        {c().menu_exit, MenuItemId::Exit},             {c().menu_file_new, MenuItemId::FileNew},
        {c().menu_file_save, MenuItemId::FileSave},    {c().menu_rec_start, MenuItemId::RecStart},
        {c().menu_rec_pause, MenuItemId::RecPause},    {c().menu_rec_complete, MenuItemId::RecComplete},
        {c().menu_help_help, MenuItemId::HelpHelp},    {c().menu_help_update, MenuItemId::HelpUpdate},
        {c().menu_edit_play, MenuItemId::EditPlay},    {c().menu_edit_pause, MenuItemId::EditPause},
        {c().menu_view_zoom_in, MenuItemId::ViewZoomIn},
    };
    for (uint32_t status = 0; status <= 8; ++status) {
        SCOPED_TRACE(status);
        mtm().setStatus(status);
        const ModeFlags f = FlagsForStatus(status);
        for (const auto& [button, id] : buttons) {
            const ButtonState expected = ButtonStateFor(id, f, false);
            EXPECT_EQ(button->isHidden(), expected.hidden) << button->objectName().toStdString();
            if (expected.enabled) {
                EXPECT_EQ(button->isEnabled(), *expected.enabled) << button->objectName().toStdString();
            }
        }
        MenuContext context;
        context.flags = f;
        for (const auto& [action, id] : fixedItems)
            EXPECT_EQ(action->isEnabled(), IsMenuItemEnabled(id, context)) << action->objectName().toStdString();
        EXPECT_EQ(c().menu_gain->isEnabled(), f.edit && !f.run);
        EXPECT_EQ(c().indicatorSetting->isEnabled(), status == 0 || status > 7);
    }
    cm->setKeyWindowQuery([] { return false; });
    cm->validateAllMenuItems();
    EXPECT_FALSE(c().menu_exit->isEnabled());
    EXPECT_FALSE(c().menu_help_help->isEnabled());
}

TEST_F(ControlManagerTest, AutoGainTitleIsSetWhenMenusAreValidated)
{
    mtm().setAutoGain(2.34);
    cm->validateAllMenuItems();
    EXPECT_EQ(c().menu_gain->menu()->actions().at(1)->text(), "Auto +2.3 dB");
}

TEST_F(ControlManagerTest, DsdGainWarningIsAskedAtMostOnceBetweenRecordPresses)
{
    const QString warning = "Increasing the gain will result in a longer time in writing to files.";
    cm->settingManager()->SetRecType(1);
    mtm().setStatus(ModeStatusEditStopped);

    cm->setGain(0.0, false); // no gain never asks
    EXPECT_TRUE(asked.empty());

    answer = false; // "Cancel" changes nothing
    cm->setGain(2.0, false);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, AlertKind::OkCancel);
    EXPECT_EQ(asked[0].message, warning);
    EXPECT_EQ(mtm().gain(), 0.0);
    EXPECT_FALSE(cm->isDSDGainAccepted());

    answer = true;
    cm->setGain(3.0, false);
    cm->setGain(4.5, true);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(mtm().gain(), 4.5);
    EXPECT_TRUE(mtm().isAutoGain());

    mtm().setStatus(ModeStatusRecording);
    cm->RecStart(nullptr); // a press of the record button clears the acceptance
    EXPECT_FALSE(cm->isDSDGainAccepted());
    cm->setGain(1.0, false);
    EXPECT_EQ(asked.size(), 3u);

    cm->settingManager()->SetRecType(0);
    cm->RecStart(nullptr);
    cm->setGain(5.0, false); // PCM never asks
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(mtm().gain(), 5.0);
}

TEST_F(ControlManagerTest, GainMenuChoicesGoThroughSetGain)
{
    mtm().setAutoGain(3.3);
    const QList<QAction*> choices0 = c().menu_gain->menu()->actions();
    choices0.at(1)->trigger(); // disabled in record mode
    EXPECT_FALSE(mtm().isAutoGain());
    mtm().setStatus(ModeStatusEditStopped);
    const QList<QAction*> choices = c().menu_gain->menu()->actions();
    choices.at(1)->trigger();
    EXPECT_EQ(mtm().gain(), 3.3);
    EXPECT_TRUE(mtm().isAutoGain());
    choices.at(7)->trigger();
    EXPECT_EQ(mtm().gain(), 6.0);
    EXPECT_FALSE(mtm().isAutoGain());
}

TEST_F(ControlManagerTest, UpdateCurrentTimeClampsToTheRecording)
{
    mtm().setTotalTime(100.0);
    mtm().setCurrentTime(10.0);
    cm->UpdateCurrentTime(-0.1);
    EXPECT_EQ(mtm().currentTime(), 10.0);
    cm->UpdateCurrentTime(42.5);
    EXPECT_EQ(mtm().currentTime(), 42.5);
    cm->UpdateCurrentTime(100.1);
    EXPECT_EQ(mtm().currentTime(), 100.0);
}

TEST_F(ControlManagerTest, DeviceCheckSelectsTheFirstDeviceWhenNoneIsSelected)
{
    Fake().devices = {"QT-LV200", "QT-LV200"};
    Fake().selected.clear();
    EXPECT_TRUE(app->isDeviceExist());
    EXPECT_EQ(Fake().selected, "QT-LV200");
    Fake().devices.clear();
    EXPECT_FALSE(app->isDeviceExist());
    Fake().devices = {"Other"};
    Fake().selected = "QT-LV200"; // selected device is gone
    EXPECT_FALSE(app->isDeviceExist());
}

TEST_F(ControlManagerTest, QuitAsksAndOkPersistsTheSettings)
{
    answer = false;
    EXPECT_FALSE(app->applicationShouldTerminate());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Are you sure you want to exit?");
    EXPECT_FALSE(QSettings().contains(kKeyRecordFormat));

    answer = true;
    cm->settingManager()->SetRecType(1);
    EXPECT_TRUE(app->applicationShouldTerminate());
    EXPECT_EQ(QSettings().value(kKeyRecordFormat).toString(), "DSF");
}

TEST_F(ControlManagerTest, QuitWhileRecordingPausesAndCancelLeavesItPaused)
{
    mtm().setStatus(ModeStatusRecording);
    answer = false;
    EXPECT_FALSE(app->askAppExit());
    EXPECT_EQ(mtm().status(), ModeStatusRecordPaused);
    EXPECT_EQ(Fake().pauseCalls, 1);

    mtm().setStatus(ModeStatusPreRecording); // stopped at once, whatever the answer
    EXPECT_FALSE(app->askAppExit());
    EXPECT_EQ(mtm().status(), ModeStatusReady);
    ASSERT_FALSE(Fake().stopCalls.empty());
    EXPECT_TRUE(Fake().stopCalls.back());
}

TEST_F(ControlManagerTest, ConfirmedWindowCloseDoesNotAskAgain)
{
    answer = true;
    EXPECT_TRUE(app->windowShouldClose());
    EXPECT_TRUE(app->terminateByWindowClose());
    EXPECT_TRUE(app->applicationShouldTerminate());
    EXPECT_EQ(asked.size(), 1u);
}

TEST_F(ControlManagerTest, MarkerCommandsWalkTheMarkers)
{
    auto markers = std::make_unique<MarkerManager>();
    markers->ResetWithTotalTime(60.0);
    MarkerManager* m = markers.get();
    app->setMarkerManager(std::move(markers));
    mtm().setTotalTime(60.0);
    mtm().setStatus(ModeStatusEditStopped);
    mtm().setCurrentTime(20.0);
    cm->Marker_Add(nullptr);
    EXPECT_EQ(m->count(), 3);
    EXPECT_TRUE(c().button_marker_move_forward->isEnabled());

    mtm().setCurrentTime(60.0); // exactly on the end marker: only selects it
    cm->Marker_Next(nullptr);
    EXPECT_EQ(m->SelectedMarker(), m->GetEndMarkerId());
    EXPECT_EQ(mtm().currentTime(), 60.0);

    cm->Marker_Prev(nullptr);
    EXPECT_EQ(mtm().currentTime(), 20.0);
    cm->Marker_Prev(nullptr);
    EXPECT_EQ(mtm().currentTime(), 0.0);
    EXPECT_EQ(m->SelectedMarker(), m->GetStartMarkerId());
    EXPECT_FALSE(c().button_marker_move_forward->isEnabled());
}

TEST_F(ControlManagerTest, MarkerAddBeyondSixtyAlertsAndRemoveSelectsTheNearest)
{
    app->setMarkerManager(std::make_unique<MarkerManager>());
    MarkerManager* m = app->markerManager();
    m->ResetWithTotalTime(600.0);
    mtm().setTotalTime(600.0);
    mtm().setStatus(ModeStatusEditStopped);
    for (int i = 1; i <= 60; ++i) {
        mtm().setCurrentTime(i * 5.0);
        cm->Marker_Add(nullptr);
    }
    EXPECT_EQ(m->SelectedMarker(), 60);
    asked.clear();
    mtm().setCurrentTime(400.0);
    cm->Marker_Add(nullptr);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, QStringLiteral("Cannot add any more markers."));
    EXPECT_EQ(m->SelectedMarker(), 60);

    // Delete marker 2 (at 10 s), confirmed: the nearest to 10 s is then marker 1 (5 s)
    // or 3 (15 s); on a tie the later one.
    m->setSelectedMarker(2);
    answer = true;
    cm->Marker_Remove(nullptr);
    EXPECT_EQ(m->SelectedMarker(), 3);
    EXPECT_EQ(m->GetMarkerPositionFromId(2), -1.0);
}
