// A recording an earlier run left unwritten, on the control manager with a fake framework
// and scripted dialogs: the question at start and its answers, the recording opened into
// the edit mode with the markers and names of its journal, the notes kept as the user
// changes them, and a termination from outside that leaves the recording to be recovered.
#include "ControlTest.h"
#include "FakeCartova.h"
#include "WaitFor.h"
#include "control/ControlManager.h"
#include "control/QuitFlow.h"
#include "control/RecordingNotesKeeper.h"
#include "control/RecoveryFlow.h"
#include "document/Document.h"
#include "marker/MarkerManager.h"
#include "save/TrackMarkers.h"
#include "settings/SettingManager.h"
#include "state/ModeTimeManager.h"

#include <gtest/gtest.h>

namespace {

enum Answer { kRecover = 0, kDiscard = 1, kLater = 2, kConfirm = 0, kKeep = 1 };

FakeCartova::Recoverable Recording(const char* id, double seconds, bool dsd, TkRecoverableState state)
{
    FakeCartova::Recoverable r;
    r.id = id;
    r.started = 1796000000;
    r.info.rec_type = dsd ? 1 : 0;
    r.info.freq = dsd ? 5644800 : 96000;
    r.info.channels = 2;
    r.info.bits = dsd ? 1 : 24;
    r.info.seconds = seconds;
    r.info.state = state;
    return r;
}

class RecoveryTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        Fake().recoverable = {Recording("newest", 125.4, false, TkRecoverableReady),
                              Recording("older", 30.0, true, TkRecoverableReady)};
    }
    // The framework has rebuilt the preview of a recording of `seconds` at 96 kHz.
    void PreviewRebuilt(double seconds)
    {
        FakePreview().generate(uint64_t(seconds * 96000), [](uint64_t, uint16_t) { return int16_t(0); });
        emit CartovaController::sharedInstance().operation(TkRecOperationStopped);
    }
    QString Title(MarkerManager& m, int32_t id) { return m.GetMarkerTagFromMarkerId(id).value_or(MarkerTags()).value(kMarkerTagTitle); }
};

} // namespace

TEST_F(RecoveryTest, TheQuestionAndItsAnswers)
{
    const struct {
        const char* name;
        std::vector<int> answers;
        TkRecoverableState newestState;
        TkError openResult;
        std::vector<std::string> opened, discarded;
        int questions;      // the recovery question, asked this many times
        QString lastReason; // under "The recording could not be recovered."; empty: no such alert
    } cases[] = {
        {"later keeps both", {kLater}, TkRecoverableReady, TkErrorSuccess, {}, {}, 1, ""},
        {"recover the newest", {kRecover}, TkRecoverableReady, TkErrorSuccess, {"newest"}, {}, 1, ""},
        {"discard, then later", {kDiscard, kConfirm, kLater}, TkRecoverableReady, TkErrorSuccess, {}, {"newest"}, 2, ""},
        {"discard declined", {kDiscard, kKeep, kRecover}, TkRecoverableReady, TkErrorSuccess, {"newest"}, {}, 2, ""},
        {"one in use is not offered", {kRecover}, TkRecoverableInUse, TkErrorSuccess, {"older"}, {}, 1, ""},
        {"a torn one is not offered", {kLater}, TkRecoverableDamaged, TkErrorSuccess, {}, {}, 1, ""},
        {"taken meanwhile", {kRecover}, TkRecoverableReady, TkErrorInvalidState, {"newest"}, {}, 1, "Another program is using it."},
        {"unreadable", {kRecover}, TkRecoverableReady, TkErrorFailed, {"newest"}, {}, 1, "Its temporary files cannot be read."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Fake().recoverable[0].info.state = c.newestState;
        Fake().openRecoverableResult = c.openResult;
        dialogs.alertAnswers = {c.answers.begin(), c.answers.end()};
        cm->offerRecovery();
        EXPECT_EQ(Fake().opened, c.opened);
        EXPECT_EQ(Fake().discarded, c.discarded);
        int questions = 0;
        for (const AlertRequest& alert : dialogs.alerts)
            questions += alert.message.endsWith(" was not written to files. Recover it?") ? 1 : 0;
        EXPECT_EQ(questions, c.questions);
        const bool opened = !c.opened.empty() && c.openResult == TkErrorSuccess;
        EXPECT_EQ(mtm().status(), opened ? ModeStatusStopping : ModeStatusReady);
        if (!c.lastReason.isEmpty()) {
            EXPECT_EQ(dialogs.lastAlert().information, c.lastReason);
            EXPECT_EQ(cm->settingManager()->GetPcmFreq(), 44100u) << "a refused recording leaves the format chosen";
        }
    }
    // The question's words, buttons and details.
    SetUp();
    Fake().recoverable[1].missing = "tmpAbc123 is gone";
    dialogs.alertAnswers = {kDiscard, kConfirm, kLater};
    cm->offerRecovery();
    ASSERT_EQ(dialogs.alerts.size(), 3u);
    EXPECT_TRUE(dialogs.alerts[0].message.startsWith("A recording of 02:05 from ")) << dialogs.alerts[0].message.toStdString();
    EXPECT_EQ(dialogs.alerts[0].buttons, QStringList({"Recover", "Discard", "Later"}));
    EXPECT_EQ(dialogs.alerts[0].information, "PCM 96 kHz, 24-bit");
    EXPECT_EQ(dialogs.alerts[1].message, "Discard the recording of 02:05? It cannot be recovered afterwards.");
    EXPECT_EQ(dialogs.alerts[2].information, "DSD 5.6 MHz\nOnly what is left can be recovered: tmpAbc123 is gone");
}

TEST_F(RecoveryTest, RecoveredIntoTheEditModeWithItsNotes)
{
    Fake().notesMarkers = {10.0, 20.0};
    Fake().notesNames = {"Side A", "One", "", "Three"};
    dialogs.alertAnswers = {kRecover};
    cm->offerRecovery();
    // Shown and written in its own format.
    EXPECT_EQ(cm->settingManager()->GetRecType(), RecTypePcm);
    EXPECT_EQ(cm->settingManager()->GetPcmFreq(), 96000u);
    EXPECT_EQ(cm->settingManager()->GetBits(), 24);
    EXPECT_EQ(view.recordBits, 24u);

    PreviewRebuilt(40.0);
    ASSERT_EQ(mtm().status(), ModeStatusEditStopped);
    EXPECT_EQ(mtm().totalTime(), 40.0);
    MarkerManager& m = *app->document().markers();
    const std::vector<int32_t> ids = m.EnumMarkerId();
    ASSERT_EQ(ids.size(), 4u);
    EXPECT_EQ(m.GetMarkerPositionFromId(ids[1]), 10.0);
    EXPECT_EQ(m.GetMarkerPositionFromId(ids[2]), 20.0);
    EXPECT_EQ(m.Album(), "Side A");
    EXPECT_EQ(Title(m, ids[0]), "One");
    EXPECT_EQ(Title(m, ids[1]), "");
    EXPECT_EQ(Title(m, ids[2]), "Three");

    // What came from the journal is not written back; a change is, once gathered.
    QCoreApplication::processEvents();
    EXPECT_EQ(Fake().setNotesCalls, 0);
    m.AddWithPosition(30.0);
    m.setAlbum("Side B");
    m.setSelectedMarker(m.SelectedMarker()); // as the write dialog does after its names
    ASSERT_TRUE(WaitFor([] { return Fake().setNotesCalls > 0; }));
    EXPECT_EQ(Fake().setNotesCalls, 1);
    EXPECT_EQ(Fake().notesMarkers, std::vector<double>({10.0, 20.0, 30.0}));
    EXPECT_EQ(Fake().notesNames, std::vector<std::string>({"Side B", "One", "", "Three", ""}));
}

TEST_F(RecoveryTest, ATerminationFromOutsideEndsTheRecordingAndKeepsIt)
{
    mtm().setStatus(ModeStatusRecording);
    app->quit().terminateFromOutside();
    EXPECT_TRUE(dialogs.alerts.empty());
    EXPECT_EQ(Fake().stopCalls, std::vector<bool>{true});
    EXPECT_TRUE(app->quit().hasTerminated());
    EXPECT_FALSE(app->quit().closesRecording());

    SetUp();
    dialogs.alertAnswers = {0};
    app->quit().terminate();
    EXPECT_TRUE(app->quit().closesRecording());
}
