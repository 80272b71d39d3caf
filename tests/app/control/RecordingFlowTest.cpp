// The record mode on a fake view with scripted dialogs and framework: every transition of
// the record-mode table, every row of the error table, the start dialog, the time limit,
// the end of a recording, and the numbers behind them.
#include "ScratchDesktop.h"
#include "FakeCartova.h"
#include "FakeMainView.h"
#include "ScriptedDialogs.h"
#include "WaitFor.h"
#include "ControlHarness.h"
#include "control/QuitFlow.h"
#include "document/Document.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "control/RecordManager.h"
#include "control/RecordingMath.h"
#include "settings/SettingManager.h"
#include "marker/MarkerManager.h"

#include <QSettings>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {

const QString kDisconnected = "Disconnected from the device.";
const QString kLimit = "Stopped recording because the limit of recording time has been reached.";
const QString kFolderFailed = "Failed to use the folder specified as the temporary file storage.";
const QString kStartMessage = "Play the vinyl record on the turntable and click the \"Start Recording\" button.";

constexpr uint64_t kMiB = 1024 * 1024;

class RecordingFlowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        qputenv("SILLARO_AUDIO_OUTPUT", "null");
        ScratchDesktop::ClearSettings();
        app = std::make_unique<ControlHarness>(view, dialogs);
        cm = app->controlManager();
        cm->setFreeSpaceQuery([this](const QString&) { return freeBytes; });
        dialogs.clear();
    }

    void TearDown() override
    {
        WaitFor([] { return ModeTimeManager::sharedInstance().status() != ModeStatusStopping; }, 2000);
        QCoreApplication::processEvents();
        app.reset();
    }

    ModeTimeManager& mtm() { return ModeTimeManager::sharedInstance(); }
    uint32_t status() { return mtm().status(); }

    static void Operation(TkRecOperation op)
    {
        emit CartovaController::sharedInstance().operation(op);
    }
    static void Error(TkNotifyError code, const QString& message = QString())
    {
        emit CartovaController::sharedInstance().frameworkError(code, message);
    }
    static void Stream(double seconds) { emit CartovaController::sharedInstance().streamPosition(seconds); }

    // Record button, start dialog answered with `answer`, and the framework's confirmation.
    void StartRecording()
    {
        cm->RecStart();
        ASSERT_EQ(status(), ModeStatusPreRecording);
        dialogs.alertAnswers = {kStartRecordingButton};
        Operation(TkRecOperationCaptureStarted);
        ASSERT_EQ(status(), ModeStatusStartRequested);
        Operation(TkRecOperationRecordingStarted);
        ASSERT_EQ(status(), ModeStatusRecording);
        dialogs.clear();
    }

    FakeMainView view;
    ScriptedDialogs dialogs;
    std::unique_ptr<ControlHarness> app;
    ControlManager* cm = nullptr;
    std::optional<uint64_t> freeBytes = 1000 * kMiB * 1024;
};

} // namespace

TEST_F(RecordingFlowTest, RecordPauseResumeCompleteAndNew)
{
    const QDate before = QDate::currentDate();
    cm->RecStart();
    EXPECT_EQ(status(), ModeStatusPreRecording);
    EXPECT_EQ(Fake().startPreRecordingCalls, 1);
    EXPECT_TRUE(cm->recManager()->isObserving());
    EXPECT_EQ(view.levelMeterHoldTime, kLevelHoldRecording);
    EXPECT_FALSE(view.isEnabled(ViewItem::RecStart));

    // The start dialog is open in status 2; "Start Recording" asks the framework to start.
    uint32_t statusWhileOpen = 0;
    dialogs.onAlert = [&](const AlertRequest&) {
        statusWhileOpen = status();
        return kStartRecordingButton;
    };
    Operation(TkRecOperationCaptureStarted);
    dialogs.onAlert = nullptr;
    EXPECT_EQ(statusWhileOpen, ModeStatusStartRequested);
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].message, kStartMessage);
    EXPECT_EQ(dialogs.alerts[0].buttons, QStringList({"Start Recording", "Cancel"}));
    EXPECT_EQ(Fake().startCalls, 1);
    EXPECT_EQ(status(), ModeStatusStartRequested);

    Operation(TkRecOperationRecordingStarted);
    EXPECT_EQ(status(), ModeStatusRecording);
    Stream(12.5);
    EXPECT_EQ(mtm().currentTime(), 12.5);

    cm->RecPause();
    EXPECT_EQ(status(), ModeStatusRecordPaused);
    EXPECT_EQ(view.levelMeterHoldTime, kLevelHoldStopped);
    EXPECT_TRUE(view.isEnabled(ViewItem::RecStart));
    EXPECT_TRUE(view.isEnabled(ViewItem::RecStop));

    cm->RecStart(); // resumes without a dialog
    EXPECT_EQ(status(), ModeStatusRecording);
    EXPECT_EQ(Fake().resumeCalls, 1);
    EXPECT_EQ(dialogs.alerts.size(), 1u);

    cm->RecStop();
    EXPECT_EQ(status(), ModeStatusStopping);
    EXPECT_EQ(Fake().stopCalls, std::vector<bool>{false});

    FakePreview().generate(44100 * 30, [](uint64_t, uint16_t) { return int16_t(0); });
    Operation(TkRecOperationStopped);
    EXPECT_EQ(status(), ModeStatusEditStopped);
    EXPECT_EQ(mtm().totalTime(), 30.0);
    EXPECT_EQ(mtm().currentTime(), 0.0);
    EXPECT_EQ(view.modeText, "Edit Mode");
    EXPECT_EQ(view.levelMeterHoldTime, kLevelHoldStopped);
    EXPECT_FALSE(cm->recManager()->isObserving());
    MarkerManager* markers = app->document().markers();
    ASSERT_NE(markers, nullptr);
    EXPECT_EQ(markers->count(), 2);
    EXPECT_EQ(markers->GetMarkerPositionFromId(markers->GetEndMarkerId()), 30.0);
    // The day the framework reported the start, for the tracks' date.
    EXPECT_GE(markers->RecordingDate(), before);
    EXPECT_LE(markers->RecordingDate(), QDate::currentDate());
    EXPECT_EQ(view.pagesTotalTime, 30.0);
    EXPECT_TRUE(view.isHidden(ViewItem::PageSelector));
    EXPECT_FALSE(view.zoom);

    const int newCalls = Fake().newCalls;
    dialogs.alertAnswers = {1}; // "Cancel" keeps the recording
    cm->FileNew();
    EXPECT_EQ(status(), ModeStatusEditStopped);
    cm->FileNew();
    EXPECT_EQ(dialogs.lastAlert().message, "Are you sure you want to record newly?");
    EXPECT_EQ(status(), ModeStatusReady);
    EXPECT_EQ(Fake().newCalls, newCalls + 1);
    EXPECT_EQ(app->document().markers(), nullptr);
    EXPECT_EQ(mtm().totalTime(), 0.0);
}

TEST_F(RecordingFlowTest, CancellingTheStartDialogReturnsToReady)
{
    cm->RecStart();
    dialogs.alertAnswers = {1};
    Operation(TkRecOperationCaptureStarted);
    EXPECT_EQ(status(), ModeStatusReady);
    EXPECT_EQ(Fake().startCalls, 0);
    EXPECT_EQ(Fake().stopCalls, std::vector<bool>{false});
    EXPECT_FALSE(cm->recManager()->isObserving());
    EXPECT_TRUE(view.isEnabled(ViewItem::RecStart));
}

TEST_F(RecordingFlowTest, OperationsOutOfTurnAreIgnored)
{
    Operation(TkRecOperationCaptureStarted); // not pre-recording: no dialog
    EXPECT_TRUE(dialogs.alerts.empty());
    EXPECT_EQ(status(), ModeStatusReady);

    StartRecording();
    cm->RecStop(CommandSender::AppDelegate); // quitting: stopped at once, edit mode
    EXPECT_EQ(status(), ModeStatusEditStopped);
    EXPECT_EQ(Fake().stopCalls.back(), true);
    Operation(TkRecOperationStopped); // the late report changes nothing
    EXPECT_EQ(status(), ModeStatusEditStopped);
    EXPECT_EQ(app->document().markers(), nullptr);

    cm->resetDocument();
    cm->RecStart();
    cm->RecStop(CommandSender::AppDelegate); // nothing recorded yet: ready
    EXPECT_EQ(status(), ModeStatusReady);
    Operation(TkRecOperationStopped);
    EXPECT_EQ(status(), ModeStatusReady);
}

TEST_F(RecordingFlowTest, RefusedCallsChangeNothing)
{
    Fake().devices.clear();
    cm->RecStart();
    EXPECT_EQ(dialogs.messages(), QStringList{"No device found."});
    EXPECT_EQ(dialogs.lastAlert().information, QString());
    EXPECT_EQ(status(), ModeStatusReady);
    // The framework's reason for having no device is shown with the alert.
    Fake().deviceProblem = "the simulated turntable cannot play /m/record.wav: the file holds no samples";
    cm->RecStart();
    EXPECT_EQ(dialogs.lastAlert().message, "No device found.");
    EXPECT_EQ(dialogs.lastAlert().information,
              "the simulated turntable cannot play /m/record.wav: the file holds no samples");
    EXPECT_EQ(status(), ModeStatusReady);

    ResetFake();
    Fake().startPreRecordingResult = TkErrorFailed;
    cm->RecStart();
    EXPECT_EQ(status(), ModeStatusReady);
    EXPECT_FALSE(cm->recManager()->isObserving());

    Fake().startPreRecordingResult = TkErrorSuccess;
    StartRecording();
    Fake().pauseResult = TkErrorFailed;
    cm->RecPause();
    EXPECT_EQ(status(), ModeStatusRecording);
    Fake().pauseResult = TkErrorSuccess;
    cm->RecPause();
    Fake().resumeResult = TkErrorFailed;
    cm->RecStart();
    EXPECT_EQ(status(), ModeStatusRecordPaused);
}

TEST_F(RecordingFlowTest, AnUnusableFolderStopsTheRecordButton)
{
    cm->settingManager()->SetTempDirectory(QStringLiteral("/nonexistent/sillaro"));
    cm->RecStart();
    EXPECT_EQ(dialogs.messages(), QStringList{kFolderFailed});
    EXPECT_EQ(status(), ModeStatusReady);
    EXPECT_EQ(Fake().startPreRecordingCalls, 0);
}

TEST_F(RecordingFlowTest, DeviceLostBeforeRecordingReturnsToReadyAtOnce)
{
    for (uint32_t from : {ModeStatusPreRecording, ModeStatusStartRequested}) {
        SCOPED_TRACE(from);
        cm->resetDocument();
        cm->RecStart();
        mtm().setStatus(from);
        dialogs.clear();
        Error(TkNotifyDeviceLost);
        EXPECT_EQ(status(), ModeStatusReady);
        EXPECT_EQ(dialogs.messages(), QStringList{kDisconnected});
        EXPECT_FALSE(cm->recManager()->isObserving());
    }
    // Lost while the start dialog is open: the answer starts nothing.
    cm->resetDocument();
    cm->RecStart();
    dialogs.onAlert = [](const AlertRequest& r) {
        if (r.message == kStartMessage)
            Error(TkNotifyDeviceLost);
        return kStartRecordingButton;
    };
    Operation(TkRecOperationCaptureStarted);
    EXPECT_EQ(status(), ModeStatusReady);
    EXPECT_EQ(Fake().startCalls, 0);
}

TEST_F(RecordingFlowTest, DeviceLostWhileRecordingStopsAndTellsAfterTheStop)
{
    for (uint32_t from : {ModeStatusRecording, ModeStatusRecordPaused, ModeStatusStopping}) {
        SCOPED_TRACE(from);
        cm->resetDocument();
        StartRecording();
        mtm().setStatus(from);
        Error(TkNotifyDeviceLost);
        EXPECT_EQ(status(), ModeStatusStopping);
        EXPECT_EQ(Fake().stopCalls.back(), false);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dialogs.alerts.empty()); // not before the stop has completed
        Operation(TkRecOperationStopped);
        EXPECT_EQ(status(), ModeStatusEditStopped);
        ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
        EXPECT_EQ(dialogs.messages(), QStringList{kDisconnected});
        dialogs.clear();
    }
}

TEST_F(RecordingFlowTest, ErrorsThatChangeNothing)
{
    for (uint32_t s : {ModeStatusReady, ModeStatusEditStopped, ModeStatusEditPlaying}) {
        mtm().setStatus(s);
        Error(TkNotifyDeviceLost);
        Error(TkNotifyQueueOverflow);
        Error(TkNotifyRecordingLimit);
        Error(static_cast<TkNotifyError>(42));
        EXPECT_EQ(status(), s);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.alerts.empty());
    EXPECT_TRUE(Fake().stopCalls.empty());
}

TEST_F(RecordingFlowTest, WritingErrorsAreReported)
{
    // An aborted write is told by its cause; without one it is not blamed on free space.
    Error(TkNotifySaveAborted, "/music/Album/02.wav");
    Error(TkNotifyFileSkipped, "/music/Album/03.wav");
    ASSERT_EQ(dialogs.alerts.size(), 2u);
    EXPECT_EQ(dialogs.alerts[0].message, "Failed to save the file.");
    EXPECT_EQ(dialogs.alerts[0].information, "/music/Album/02.wav");
    EXPECT_EQ(dialogs.alerts[1].message, "Failed to save the file.");
    EXPECT_EQ(dialogs.alerts[1].information, "/music/Album/03.wav");
}

TEST_F(RecordingFlowTest, FrameworkLimitCompletesTheRecording)
{
    StartRecording();
    Error(TkNotifyRecordingLimit);
    EXPECT_EQ(status(), ModeStatusStopping);
    Operation(TkRecOperationStopped);
    ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
    EXPECT_EQ(dialogs.messages(), QStringList{kLimit});
    EXPECT_EQ(status(), ModeStatusEditStopped);

    // With the folder gone by then, the folder's message and a reset instead.
    cm->resetDocument();
    StartRecording();
    Error(TkNotifyRecordingLimit);
    cm->settingManager()->SetTempDirectory(QStringLiteral("/nonexistent/sillaro"));
    Operation(TkRecOperationStopped);
    ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
    EXPECT_EQ(dialogs.messages(), QStringList{kFolderFailed});
    EXPECT_EQ(status(), ModeStatusReady);
}

TEST_F(RecordingFlowTest, AStoreFailureEndsTheRecordingKeepsItAndSaysWhy)
{
    const QString folder = cm->settingManager()->GetTempDirectory();
    struct Case {
        int cause;
        QString message;
    };
    const Case cases[] = {
        {ENOSPC, "Stopped recording because the temporary file storage is full."},
        {EDQUOT, "Stopped recording because the temporary file storage is full."},
        {EIO, QStringLiteral("Stopped recording because the recording could not be stored: %1.")
                  .arg(QString::fromLocal8Bit(std::strerror(EIO)))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        cm->resetDocument();
        dialogs.clear();
        StartRecording();
        Error(TkNotifyStoreFailed, QString::number(c.cause));
        EXPECT_EQ(status(), ModeStatusStopping);
        Operation(TkRecOperationStopped);
        ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
        EXPECT_EQ(dialogs.lastAlert().message, c.message);
        EXPECT_EQ(dialogs.lastAlert().information, folder); // the folder on the second line
        EXPECT_EQ(status(), ModeStatusEditStopped);         // what was stored is kept
        EXPECT_NE(app->document().markers(), nullptr);
    }
}

TEST_F(RecordingFlowTest, UnusableFolderDiscardsTheRecording)
{
    for (uint32_t from : {ModeStatusPreRecording, ModeStatusRecording, ModeStatusStopping, ModeStatusEditStopped}) {
        SCOPED_TRACE(from);
        cm->resetDocument();
        StartRecording();
        if (from == ModeStatusEditStopped) {
            cm->RecStop();
            Operation(TkRecOperationStopped);
        }
        mtm().setStatus(from);
        const size_t stops = Fake().stopCalls.size();
        const int news = Fake().newCalls;
        Error(TkNotifyTempFolderUnusable);
        EXPECT_EQ(dialogs.messages(), QStringList{kFolderFailed});
        EXPECT_EQ(status(), ModeStatusReady);
        EXPECT_EQ(Fake().newCalls, news + 1);
        EXPECT_EQ(Fake().stopCalls.size(), stops + (from == ModeStatusEditStopped ? 0u : 1u));
        EXPECT_FALSE(cm->recManager()->isObserving());
        dialogs.clear();
    }
}

TEST_F(RecordingFlowTest, TheTimeLimitCompletesOnceAndTellsAfterTheStop)
{
    StartRecording();
    Stream(5999.8);
    EXPECT_EQ(status(), ModeStatusRecording);
    Stream(kRecordingTimeLimit);
    EXPECT_EQ(status(), ModeStatusStopping);
    Stream(6000.0); // later positions do not stop again
    EXPECT_EQ(Fake().stopCalls, std::vector<bool>{false});
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.alerts.empty());
    Operation(TkRecOperationStopped);
    ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
    EXPECT_EQ(dialogs.messages(), QStringList{kLimit});
}

TEST_F(RecordingFlowTest, LostAudioIsReportedOnceWhenTheRecordingEnds)
{
    StartRecording();
    Error(TkNotifyQueueOverflow);
    Error(TkNotifyQueueOverflow);
    EXPECT_EQ(status(), ModeStatusRecording);
    EXPECT_TRUE(dialogs.alerts.empty());
    cm->RecStop();
    Operation(TkRecOperationStopped);
    ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].message, "Some audio was lost while recording: the recording has gaps.");
    EXPECT_EQ(dialogs.alerts[0].information, "The computer could not keep up with the turntable 2 time(s).");

    // The framework's list names each place: recorded time, samples and their duration.
    cm->resetDocument();
    dialogs.clear();
    StartRecording();
    Fake().droppedAudio.assign({{83.456, 4410}, {3599.995, 12}});
    for (int i = 10; i > 0; --i)
        Fake().droppedAudio.push_back({4000.0 + i, 100});
    cm->RecStop();
    Operation(TkRecOperationStopped);
    ASSERT_TRUE(WaitFor([&] { return !dialogs.alerts.empty(); }));
    const QStringList lines = dialogs.alerts[0].information.split('\n');
    ASSERT_EQ(lines.size(), 1 + 8 + 1);
    EXPECT_EQ(lines[0], "The computer could not keep up with the turntable at 12 place(s) of the recording:");
    EXPECT_EQ(lines[1], "01:23.46: 4410 sample(s) lost (100 ms)");
    EXPECT_EQ(lines[2], "60:00.00: 12 sample(s) lost (0.3 ms)");
    EXPECT_EQ(lines[9], "and 4 more.");
    Fake().droppedAudio.clear();

    cm->resetDocument(); // the next recording starts with a clean count
    dialogs.clear();
    StartRecording();
    cm->RecStop();
    Operation(TkRecOperationStopped);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.alerts.empty());
}

TEST_F(RecordingFlowTest, StartDialogShowsTheEstimateAndTheFolder)
{
    const AlertRequest near = StartRecordingAlert(57.9, "/var/tmp/sillaro");
    EXPECT_EQ(near.information, "Maximum recording time: approx. 57 min");
    EXPECT_EQ(near.accessoryText, "Temporary file storage:\n/var/tmp/sillaro");
    EXPECT_EQ(near.disabledButton, -1);

    const AlertRequest plenty = StartRecordingAlert(100.0, "/var/tmp/sillaro");
    EXPECT_TRUE(plenty.information.isEmpty());
    EXPECT_TRUE(plenty.accessoryText.isEmpty());
    EXPECT_EQ(plenty.disabledButton, -1);

    const AlertRequest full = StartRecordingAlert(0.99, "/var/tmp/sillaro");
    EXPECT_EQ(full.information, "Maximum recording time: approx. 0 min");
    EXPECT_EQ(full.disabledButton, kStartRecordingButton);

    // Through the record button: 44.1 kHz PCM on the fake device (2 channels, stored as
    // 32 bits) needs 529,200 bytes a second.
    freeBytes = uint64_t{529200} * 60 * 57 + 529200 * 54; // 57.9 minutes
    cm->RecStart();
    Operation(TkRecOperationCaptureStarted);
    EXPECT_EQ(dialogs.lastAlert().information, "Maximum recording time: approx. 57 min");
    EXPECT_EQ(dialogs.lastAlert().accessoryText,
              "Temporary file storage:\n" + cm->settingManager()->GetTempDirectory());
}

TEST_F(RecordingFlowTest, MaximumRecordingTimeForPcmAndDsd)
{
    SettingManager& s = *cm->settingManager();
    s.SetRecType(RecTypePcm);
    s.SetPcmFreq(96000); // 2 x (192,000 + 384,000) = 1,152,000 bytes a second
    freeBytes = uint64_t{1152000} * 600;
    EXPECT_DOUBLE_EQ(cm->calculateMaxRecordTime(), 10.0);
    s.SetRecType(RecTypeDsd);
    s.SetDsdFreq(2822400); // 2 x (352,800 + 88,200) = 882,000 bytes a second
    freeBytes = uint64_t{882000} * 90;
    EXPECT_DOUBLE_EQ(cm->calculateMaxRecordTime(), 1.0); // whole minutes, as the settings dialog shows them
    freeBytes = std::nullopt;
    EXPECT_EQ(cm->calculateMaxRecordTime(), 0.0);
}

TEST_F(RecordingFlowTest, LessThanAMinuteLeavesOnlyCancel)
{
    freeBytes = 529200 * 59;
    cm->RecStart();
    dialogs.alertAnswers = {1};
    Operation(TkRecOperationCaptureStarted);
    EXPECT_EQ(dialogs.lastAlert().disabledButton, kStartRecordingButton);
    EXPECT_EQ(status(), ModeStatusReady);
}

TEST(AutomaticGainTest, LiftsThePeakToMinusOneDecibelAtMostSix)
{
    EXPECT_NEAR(AutomaticGain(0.5), 20.0 * std::log10(1.7825), 1e-4);
    EXPECT_NEAR(AutomaticGain(0.5), 5.02, 0.005);
    EXPECT_EQ(AutomaticGain(kAutoGainReferenceLevel), 0.0);
    EXPECT_EQ(AutomaticGain(1.0), 0.0);
    EXPECT_EQ(AutomaticGain(0.01), 6.0);
    EXPECT_EQ(AutomaticGain(0.0), 6.0);
    EXPECT_LT(AutomaticGain(0.8), 1.0);
}
