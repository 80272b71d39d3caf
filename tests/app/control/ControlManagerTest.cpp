// The control manager and application delegate on a fake main view with scripted
// dialogs: controls follow the status, the DSD gain warning, time clamping, device check,
// quitting and marker walking; and the real main window follows the same tables.
#include "ScratchDesktop.h"
#include "FakeCartova.h"
#include "FakeMainView.h"
#include "ScriptedDialogs.h"
#include "WaitFor.h"
#include "ControlTest.h"
#include "root/AppDelegate.h"
#include "control/QuitFlow.h"
#include "document/Document.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "settings/SettingManager.h"
#include "marker/MarkerManager.h"
#include "wave/WaveImageManager.h"
#include "indicator/Indicator_Gain.h"
#include "indicator/Indicator_Setting.h"
#include "window/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QUrl>
#include <gtest/gtest.h>

using ControlManagerTest = ControlTest;

// The program's start-up and shutdown, through its composition root.
class AppDelegateTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        ScratchDesktop::ClearSettings();
        app.launch(view, dialogs);
    }
    ModeTimeManager& mtm() { return ModeTimeManager::sharedInstance(); }

    FakeMainView view;
    ScriptedDialogs dialogs;
    AppDelegate app;
};

TEST_F(AppDelegateTest, StartsReadyWithOnlyTheRecordButtonEnabled)
{
    EXPECT_EQ(mtm().status(), ModeStatusReady);
    EXPECT_GE(Fake().newCalls, 1);
    EXPECT_FALSE(view.isHidden(ViewItem::RecStart));
    EXPECT_TRUE(view.isEnabled(ViewItem::RecStart));
    EXPECT_FALSE(view.isEnabled(ViewItem::RecPause));
    EXPECT_FALSE(view.isEnabled(ViewItem::RecStop));
    EXPECT_TRUE(view.isHidden(ViewItem::EditPlay));
    EXPECT_TRUE(view.isHidden(ViewItem::FileSave));
    EXPECT_TRUE(view.isEnabled(ViewItem::SettingIndicator));
    EXPECT_EQ(view.titles[ViewItem::RecStop], "Recording Complete");
    EXPECT_EQ(view.titles[ViewItem::FileSave], "Write to Files  ");
    EXPECT_EQ(view.titles[ViewItem::GainLabel], "Gain:");
    EXPECT_EQ(view.recordFormat, "PCM");
    EXPECT_EQ(view.recordSampleRate, 44100u);
    EXPECT_EQ(view.recordBits, 16u);
    EXPECT_EQ(view.modeText, "Record Mode");
    EXPECT_TRUE(view.windowVisible);
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST_F(ControlManagerTest, IndicatorsAndLayoutFollowTheMode)
{
    mtm().setStatus(ModeStatusRecording);
    EXPECT_EQ(view.modeIcon, "icon_rec");
    EXPECT_EQ(view.timeLeading, 70);
    EXPECT_EQ(view.timeTop, 33);
    EXPECT_TRUE(view.hideTotalTime);
    EXPECT_TRUE(view.isHidden(ViewItem::GainIndicator));
    EXPECT_FALSE(view.isEnabled(ViewItem::SettingIndicator));
    mtm().setStatus(ModeStatusRecordPaused);
    EXPECT_EQ(view.modeIcon, "icon_recpause");
    mtm().setStatus(ModeStatusEditStopped);
    EXPECT_EQ(view.modeText, "Edit Mode");
    EXPECT_EQ(view.modeIcon, "icon_pause");
    EXPECT_EQ(view.timeLeading, 72);
    EXPECT_EQ(view.timeTop, 24);
    EXPECT_FALSE(view.hideTotalTime);
    EXPECT_FALSE(view.isHidden(ViewItem::GainIndicator));
    EXPECT_TRUE(view.isEnabled(ViewItem::GainIndicator));
    EXPECT_FALSE(view.isHidden(ViewItem::MarkerIndicator));
    EXPECT_FALSE(view.isHidden(ViewItem::Gain));
    mtm().setStatus(ModeStatusEditPlaying);
    EXPECT_EQ(view.modeIcon, "icon_play");
    EXPECT_FALSE(view.isEnabled(ViewItem::GainIndicator));
    mtm().setStatus(ModeStatusReady);
    EXPECT_EQ(view.modeIcon, "");
}

TEST_F(ControlManagerTest, MenusFollowEveryStatusAndNeedTheKeyWindow)
{
    for (uint32_t status = 0; status <= 8; ++status) {
        SCOPED_TRACE(status);
        mtm().setStatus(status);
        MenuContext context;
        context.flags = FlagsForStatus(status);
        for (MenuItemId id : {MenuItemId::About, MenuItemId::Preferences, MenuItemId::Exit, MenuItemId::FileNew,
                              MenuItemId::FileSave, MenuItemId::RecStart, MenuItemId::RecPause,
                              MenuItemId::RecComplete, MenuItemId::EditPlay, MenuItemId::EditPause,
                              MenuItemId::HelpUpdate, MenuItemId::ViewZoomIn, MenuItemId::GainChoice})
            EXPECT_EQ(view.isMenuEnabled(id), IsMenuItemEnabled(id, context)) << static_cast<int>(id);
    }
    view.mainWindowIsKey = false;
    cm->validateAllMenuItems();
    EXPECT_FALSE(view.isMenuEnabled(MenuItemId::Exit));
    EXPECT_FALSE(view.isMenuEnabled(MenuItemId::HelpHelp));
}

TEST_F(ControlManagerTest, AutoGainTitleIsSetWhenMenusAreValidated)
{
    mtm().setAutoGain(2.34);
    cm->validateAllMenuItems();
    EXPECT_EQ(view.autoGainTitle, "Auto +2.3 dB");
    cm->OnClickGainButton();
    EXPECT_EQ(view.gainPanelOpens, 1);
    EXPECT_EQ(view.gainPanelTitle, "Auto +2.3 dB");
}

TEST_F(ControlManagerTest, DsdGainWarningIsAskedAtMostOnceBetweenRecordPresses)
{
    const QString warning = "Increasing the gain will result in a longer time in writing to files.";
    cm->settingManager()->SetRecType(RecTypeDsd);
    mtm().setStatus(ModeStatusEditStopped);

    cm->setGain(0.0, false); // no gain never asks
    EXPECT_TRUE(dialogs.alerts.empty());

    dialogs.alertAnswers = {1}; // "Cancel" changes nothing
    cm->setGain(2.0, false);
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].message, warning);
    EXPECT_EQ(dialogs.alerts[0].buttons, QStringList({"OK", "Cancel"}));
    EXPECT_EQ(mtm().gain(), 0.0);
    EXPECT_FALSE(cm->isDSDGainAccepted());

    cm->setGain(3.0, false);
    cm->setGain(4.5, true);
    EXPECT_EQ(dialogs.alerts.size(), 2u);
    EXPECT_EQ(mtm().gain(), 4.5);
    EXPECT_TRUE(mtm().isAutoGain());

    mtm().setStatus(ModeStatusRecording);
    cm->RecStart(); // a press of the record button clears the acceptance
    EXPECT_FALSE(cm->isDSDGainAccepted());
    cm->setGain(1.0, false);
    EXPECT_EQ(dialogs.alerts.size(), 3u);

    cm->settingManager()->SetRecType(RecTypePcm);
    cm->RecStart();
    cm->setGain(5.0, false); // PCM never asks
    EXPECT_EQ(dialogs.alerts.size(), 3u);
    EXPECT_EQ(mtm().gain(), 5.0);
}

TEST_F(ControlManagerTest, GainChoicesGoThroughSetGain)
{
    mtm().setAutoGain(3.3);
    mtm().setStatus(ModeStatusEditStopped);
    cm->selectGainFromMenu(1);
    EXPECT_EQ(mtm().gain(), 3.3);
    EXPECT_TRUE(mtm().isAutoGain());
    cm->selectGainFromMenu(7);
    EXPECT_EQ(mtm().gain(), 6.0);
    EXPECT_FALSE(mtm().isAutoGain());
    cm->selectGainFromMenu(8); // no such choice
    EXPECT_EQ(mtm().gain(), 6.0);
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
    EXPECT_TRUE(cm->isDeviceExist());
    EXPECT_EQ(Fake().selected, "QT-LV200");
    Fake().devices.clear();
    EXPECT_FALSE(cm->isDeviceExist());
    Fake().devices = {"Other"};
    Fake().selected = "QT-LV200"; // selected device is gone
    EXPECT_FALSE(cm->isDeviceExist());
}

TEST_F(ControlManagerTest, SettingsDialogWritesBackOnlyOnOk)
{
    EXPECT_EQ(Fake().compressionLevel, 5); // the stored format was handed over at start
    cm->OpenSetting();
    EXPECT_EQ(dialogs.settingDialogRuns, 1);
    EXPECT_EQ(cm->settingManager()->GetRecType(), RecTypePcm);

    dialogs.onSettingDialog = [](SettingValues& v, SettingManager&) {
        EXPECT_FALSE(v.isRecModeDsd);
        EXPECT_EQ(v.pcmSamplingRate, 44100u);
        EXPECT_EQ(v.pcmFileFormat, TkPcmFileFormatWav);
        v.isRecModeDsd = true;
        v.dsdSamplingRate = 5644800;
        v.pcmFileFormat = TkPcmFileFormatFlac;
        return true;
    };
    cm->OpenSetting();
    EXPECT_EQ(cm->settingManager()->GetRecType(), RecTypeDsd);
    EXPECT_EQ(cm->settingManager()->GetDsdFreq(), 5644800u);
    EXPECT_EQ(cm->settingManager()->GetPcmFileFormat(), TkPcmFileFormatFlac);
    EXPECT_EQ(Fake().pcmFileFormat, TkPcmFileFormatFlac); // the framework follows at once
    EXPECT_EQ(view.recordFormat, "DSD");
    EXPECT_EQ(view.recordBits, 1u);
}

TEST_F(ControlManagerTest, QuitAsksAndOkPersistsTheSettings)
{
    dialogs.alertAnswers = {1};
    EXPECT_FALSE(app->quit().applicationShouldTerminate());
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].message, "Are you sure you want to exit?");
    EXPECT_FALSE(QSettings().contains(kKeyRecordFormat));

    cm->settingManager()->SetRecType(RecTypeDsd);
    EXPECT_TRUE(app->quit().applicationShouldTerminate());
    EXPECT_EQ(QSettings().value(kKeyRecordFormat).toString(), "DSF");
}

TEST_F(ControlManagerTest, QuitWhileRecordingPausesAndCancelLeavesItPaused)
{
    mtm().setStatus(ModeStatusRecording);
    dialogs.defaultAlertAnswer = 1;
    EXPECT_FALSE(app->quit().askAppExit());
    EXPECT_EQ(mtm().status(), ModeStatusRecordPaused);
    EXPECT_EQ(Fake().pauseCalls, 1);

    mtm().setStatus(ModeStatusPreRecording); // stopped at once, whatever the answer
    EXPECT_FALSE(app->quit().askAppExit());
    EXPECT_EQ(mtm().status(), ModeStatusReady);
    ASSERT_FALSE(Fake().stopCalls.empty());
    EXPECT_TRUE(Fake().stopCalls.back());
}

TEST_F(ControlManagerTest, ConfirmedWindowCloseDoesNotAskAgain)
{
    EXPECT_TRUE(app->quit().windowShouldClose());
    EXPECT_TRUE(app->quit().terminateByWindowClose());
    EXPECT_TRUE(app->quit().applicationShouldTerminate());
    EXPECT_EQ(dialogs.alerts.size(), 1u);
}

TEST_F(ControlManagerTest, MarkerCommandsWalkTheMarkers)
{
    auto markers = std::make_unique<MarkerManager>();
    markers->ResetWithTotalTime(60.0);
    MarkerManager* m = markers.get();
    app->document().setMarkers(std::move(markers));
    mtm().setTotalTime(60.0);
    mtm().setStatus(ModeStatusEditStopped);
    mtm().setCurrentTime(20.0);
    cm->Marker_Add();
    EXPECT_EQ(m->count(), 3);
    EXPECT_TRUE(view.isEnabled(ViewItem::MarkerMoveForward));

    mtm().setCurrentTime(60.0); // exactly on the end marker: only selects it
    cm->Marker_Next();
    EXPECT_EQ(m->SelectedMarker(), m->GetEndMarkerId());
    EXPECT_EQ(mtm().currentTime(), 60.0);

    cm->Marker_Prev();
    EXPECT_EQ(mtm().currentTime(), 20.0);
    cm->Marker_Prev();
    EXPECT_EQ(mtm().currentTime(), 0.0);
    EXPECT_EQ(m->SelectedMarker(), m->GetStartMarkerId());
    EXPECT_FALSE(view.isEnabled(ViewItem::MarkerMoveForward));
}

TEST_F(ControlManagerTest, MarkerRemovalAsksUnlessFromTheWaveView)
{
    auto markers = std::make_unique<MarkerManager>();
    markers->ResetWithTotalTime(60.0);
    MarkerManager* m = markers.get();
    app->document().setMarkers(std::move(markers));
    mtm().setStatus(ModeStatusEditStopped);
    mtm().setCurrentTime(20.0);
    cm->Marker_Add();
    mtm().setCurrentTime(40.0);
    cm->Marker_Add();
    ASSERT_EQ(m->count(), 4);

    dialogs.alertAnswers = {1}; // "No"
    cm->Marker_Remove();
    EXPECT_EQ(m->count(), 4);
    EXPECT_EQ(dialogs.lastAlert().message, "Do you want to delete the selected marker?");
    EXPECT_EQ(dialogs.lastAlert().buttons, QStringList({"Yes", "No"}));

    cm->Marker_Remove(CommandSender::WaveView);
    EXPECT_EQ(m->count(), 3);
    EXPECT_EQ(dialogs.alerts.size(), 1u);

    cm->Marker_RemoveAll();
    EXPECT_EQ(m->count(), 2);
}

TEST_F(ControlManagerTest, AResetKeepsTheOldWaveformUntilItsWorkerHasFinished)
{
    WaveImageManager* old = app->document().peaks();
    old->createImageWithView(nullptr, 200, 200, 40, 10);
    old->startWaveGenerate();
    ASSERT_TRUE(old->isGenerating());
    cm->resetDocument();
    EXPECT_NE(app->document().peaks(), old);
    EXPECT_EQ(view.waveImages, app->document().peaks());
    EXPECT_TRUE(WaitFor([&] { return app->document().retiredPeakModels() == 0; }));
}

TEST_F(AppDelegateTest, HelpOpensTheLocalManual)
{
    app.controlManager()->execute(Command::ShowHelp);
    ASSERT_EQ(dialogs.openedUrls.size(), 1u);
    // Not installed: the manual of the source tree the program was built from.
    const QUrl opened(dialogs.openedUrls.front());
    ASSERT_TRUE(opened.isLocalFile());
    EXPECT_EQ(QFileInfo(opened.toLocalFile()).canonicalFilePath(),
              QFileInfo(QStringLiteral(CARTOVA_SOURCE_DIR "/app/manual/index.html")).canonicalFilePath());
}

TEST_F(AppDelegateTest, ShutdownCancelsWritingAndStopsARecordingAtOnce)
{
    mtm().setStatus(ModeStatusRecordPaused);
    app.shutdown();
    EXPECT_EQ(Fake().saveCancels, std::vector<bool>{true});
    ASSERT_FALSE(Fake().stopCalls.empty());
    EXPECT_TRUE(Fake().stopCalls.back());
    EXPECT_EQ(app.controlManager(), nullptr);
    mtm().setStatus(ModeStatusReady); // nothing observes the state any more
}

// The real window binds the same tables to its widgets.
TEST(MainWindowViewTest, WidgetsFollowTheStatusTables)
{
    ResetFake();
    ScriptedDialogs dialogs;
    AppDelegate app;
    MainWindow window;
    app.launch(window, dialogs);
    const MainWindowControls& c = window.controls();
    EXPECT_EQ(c.button_rec_stop->text(), "Recording Complete");
    EXPECT_EQ(c.indicatorSetting->text(), "PCM44.1 kHz16 bit"); // parts kept apart by kerning
    EXPECT_EQ(c.button_gain, static_cast<QAbstractButton*>(c.indicatorGain)); // one gain control, which opens the pop-up

    const std::pair<QAbstractButton*, ButtonId> buttons[] = {
        {c.button_rec_start, ButtonId::RecStart},   {c.button_rec_pause, ButtonId::RecPause},
        {c.button_rec_stop, ButtonId::RecStop},     {c.button_edit_play, ButtonId::EditPlay},
        {c.button_edit_pause, ButtonId::EditPause}, {c.button_view_zoom_in, ButtonId::ViewZoomIn},
        {c.button_file_save, ButtonId::FileSave},
    };
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    for (uint32_t status = 0; status <= 7; ++status) {
        SCOPED_TRACE(status);
        mtm.setStatus(status);
        const ModeFlags f = FlagsForStatus(status);
        for (const auto& [button, id] : buttons) {
            const ButtonState expected = ButtonStateFor(id, f, window.isZoom());
            EXPECT_EQ(button->isHidden(), expected.hidden) << button->objectName().toStdString();
            if (expected.enabled) {
                EXPECT_EQ(button->isEnabled(), *expected.enabled) << button->objectName().toStdString();
            }
        }
        EXPECT_EQ(c.indicatorSetting->isEnabled(), status == 0);
        EXPECT_EQ(c.gainLabel->isHidden(), !f.edit);
    }
    // An offscreen window is never the key window: every menu item is disabled.
    EXPECT_FALSE(c.menu_exit->isEnabled());

    // Commands arrive from the widgets.
    mtm.setStatus(ModeStatusEditStopped);
    c.button_view_zoom_in->click();
    EXPECT_TRUE(window.isZoom());
    EXPECT_TRUE(c.button_view_zoom_in->isHidden());
    EXPECT_FALSE(c.button_view_zoom_out->isHidden());
    mtm.setStatus(ModeStatusReady);
}

TEST_F(ControlManagerTest, MarkerAddBeyondSixtyAlertsAndRemoveSelectsTheNearest)
{
    app->document().setMarkers(std::make_unique<MarkerManager>());
    MarkerManager* m = app->document().markers();
    m->ResetWithTotalTime(600.0);
    mtm().setTotalTime(600.0);
    mtm().setStatus(ModeStatusEditStopped);
    for (int i = 1; i <= 60; ++i) {
        mtm().setCurrentTime(i * 5.0);
        cm->Marker_Add();
    }
    EXPECT_EQ(m->SelectedMarker(), 60);
    dialogs.clear();
    mtm().setCurrentTime(400.0);
    cm->Marker_Add();
    EXPECT_EQ(dialogs.messages(), QStringList{"Cannot add any more markers."});
    EXPECT_EQ(m->SelectedMarker(), 60);

    // Delete marker 2 (at 10 s), confirmed: the nearest to 10 s is then marker 1 (5 s)
    // or 3 (15 s); on a tie the later one.
    m->setSelectedMarker(2);
    cm->Marker_Remove();
    EXPECT_EQ(m->SelectedMarker(), 3);
    EXPECT_EQ(m->GetMarkerPositionFromId(2), -1.0);
}

TEST_F(ControlManagerTest, FindTrackGapsAddsMarkersThatOneUndoTakesBack)
{
    auto markers = std::make_unique<MarkerManager>();
    markers->ResetWithTotalTime(300.0);
    MarkerManager* m = markers.get();
    app->document().setMarkers(std::move(markers));
    mtm().setTotalTime(300.0);
    mtm().setStatus(ModeStatusEditStopped);
    mtm().setCurrentTime(100.0);
    cm->Marker_Add();
    cm->validateAllMenuItems();
    EXPECT_TRUE(view.isMenuEnabled(MenuItemId::EditFindTrackGaps));
    EXPECT_FALSE(view.isMenuEnabled(MenuItemId::EditUndo));

    Fake().trackGaps = {62.48, 100.1, 181.0};
    dialogs.onTrackGapsDialog = [&](TrackGapsRequest&) {
        EXPECT_EQ(view.suggestedMarkers, Fake().trackGaps) << "shown in their own colour while asked";
        return false; // "Cancel" adds nothing
    };
    cm->FindTrackGaps();
    ASSERT_EQ(dialogs.trackGapsRequests.size(), 1u);
    EXPECT_EQ(dialogs.trackGapsRequests[0].message, "Gaps between tracks found: 2"); // the one beside the user's marker is not new
    EXPECT_EQ(dialogs.trackGapsRequests[0].trackCount, 4);
    EXPECT_TRUE(view.suggestedMarkers.empty());
    EXPECT_EQ(m->count(), 3);
    dialogs.onTrackGapsDialog = nullptr;
    cm->FindTrackGaps(); // accepted (the default button)
    EXPECT_EQ(m->count(), 5);
    cm->validateAllMenuItems();
    EXPECT_TRUE(view.isMenuEnabled(MenuItemId::EditUndo));

    cm->Undo();
    EXPECT_EQ(m->count(), 3);
    EXPECT_EQ(m->GetMarkerPositionFromId(m->EnumMarkerId()[1]), 100.0);
    cm->validateAllMenuItems();
    EXPECT_FALSE(view.isMenuEnabled(MenuItemId::EditUndo));

    Fake().trackGaps.clear();
    cm->FindTrackGaps();
    EXPECT_EQ(dialogs.lastAlert().message, "No gaps between tracks were found.");
    Fake().findTracksResult = TkErrorInvalidState;
    cm->FindTrackGaps();
    EXPECT_EQ(dialogs.lastAlert().message, "Failed to find the gaps between tracks.");
    EXPECT_EQ(m->count(), 3);

    mtm().setStatus(ModeStatusRecording);
    cm->validateAllMenuItems();
    EXPECT_FALSE(view.isMenuEnabled(MenuItemId::EditFindTrackGaps));
}

TEST_F(ControlManagerTest, FindTrackGapsLeavesTheLeadInAndRunOutUncheckedAndTakesATrackCount)
{
    MarkerManager& m = app->document().startMarkers(300.0);
    mtm().setTotalTime(300.0);
    mtm().setStatus(ModeStatusEditStopped);
    Fake().trackGaps = {60.0, 120.0, 180.0};
    Fake().musicStart = 8.0;
    Fake().musicEnd = 290.0;
    dialogs.onTrackGapsDialog = [](TrackGapsRequest& request) {
        request.trackCount = request.trackCount == 4 ? 3 : request.trackCount; // "this side has 3 tracks"
        return true;
    };
    cm->FindTrackGaps();
    ASSERT_EQ(dialogs.trackGapsRequests.size(), 2u) << "the new count's suggestions are shown first";
    EXPECT_EQ(dialogs.trackGapsRequests[1].message, "Gaps between tracks found: 2");
    EXPECT_EQ(dialogs.trackGapsRequests[1].maxTrackCount, 4);
    const std::vector<int32_t> ids = m.EnumMarkerId(); // S, 8, 60, 120, 290, E
    ASSERT_EQ(ids.size(), 6u);
    EXPECT_EQ(m.GetMarkerPositionFromId(ids[1]), 8.0);
    EXPECT_EQ(m.GetMarkerPositionFromId(ids[4]), 290.0);
    const std::vector<bool> rows = {false, true, true, true, false}; // lead-in, three tracks, run-out
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(m.IsMarkerCheckedFromId(ids[i]), rows[i]) << i;
    cm->Undo();
    EXPECT_EQ(m.count(), 2);
    EXPECT_TRUE(m.IsMarkerCheckedFromId(m.GetStartMarkerId())) << "the rows as they were";

    const struct {
        TkSideProblem problem;
        int askedTracks; // 0: as found
        QString message;
    } problems[] = {
        {TkSideProblemNoMusic, 0, "No music was found in the recording."},
        {TkSideProblemTooShort, 0, "The recording is shorter than the shortest gap between tracks."},
        {TkSideProblemNone, 9, "This side cannot have that many tracks: there are places for at most 4."},
    };
    for (const auto& c : problems) {
        Fake().sideProblem = c.problem;
        dialogs.onTrackGapsDialog = [&](TrackGapsRequest& request) {
            request.trackCount = c.askedTracks ? c.askedTracks : request.trackCount;
            return true;
        };
        cm->FindTrackGaps();
        EXPECT_EQ(dialogs.lastAlert().message, c.message);
        EXPECT_EQ(m.count(), 2) << "no markers changed";
    }
}
