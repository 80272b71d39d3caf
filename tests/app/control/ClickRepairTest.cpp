// Edit > Repair Clicks... on the control manager with a fake framework and scripted
// dialogs: each way the analysis can end, the undo order with Find Track Gaps, and the
// command's rule for DSD recordings.
#include "ControlTest.h"
#include "FakeCartova.h"
#include "control/ControlManager.h"
#include "document/Document.h"
#include "marker/MarkerManager.h"
#include "settings/SettingManager.h"
#include "state/ModeTimeManager.h"

#include <gtest/gtest.h>

namespace {

TkClickPlace Place(double seconds, TkClickKind kind, bool repaired)
{
    return {static_cast<uint64_t>(seconds * 44100.0), 40, 3, 20.0f, kind, repaired ? 1 : 0, nullptr};
}

class ClickRepairTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        auto owned = std::make_unique<MarkerManager>();
        owned->ResetWithTotalTime(300.0);
        markers = owned.get();
        app->document().setMarkers(std::move(owned));
        mtm().setTotalTime(300.0);
        mtm().setStatus(ModeStatusEditStopped);
        // The progress dialog polls its delegate as soon as it opens, as the real one does.
        dialogs.onProgressDialog = [this](ProgressDelegate& delegate) {
            progressLabel = delegate.label();
            int32_t item = 0, total = 0;
            delegate.progress(item, total);
        };
        dialogs.onRepairClicksDialog = [](TkClickSensitivity& sensitivity) {
            sensitivity = TkClickSensitivityHigh;
            return true;
        };
    }

    const ClickMarks& marks() { return app->document().clickMarks(); }
    bool undoEnabled()
    {
        cm->validateAllMenuItems();
        return view.isMenuEnabled(MenuItemId::EditUndo);
    }

    MarkerManager* markers = nullptr;
    QString progressLabel;
};

} // namespace

TEST_F(ClickRepairTest, EachEndOfTheAnalysis)
{
    const std::vector<TkClickPlace> found = {Place(1.0, TkClickKindClick, true), Place(2.0, TkClickKindPop, true),
                                             Place(3.0, TkClickKindPop, false)};
    const struct {
        const char* name;
        bool declined, cancelled;
        TkError startResult;
        TkClickAnalysisState end;
        std::vector<TkClickPlace> places;
        QString message; // empty: no alert
        size_t marks;
    } cases[] = {
        {"declined", true, false, TkErrorSuccess, TkClickAnalysisFinished, found, "", 0},
        {"repaired", false, false, TkErrorSuccess, TkClickAnalysisFinished, found, "Clicks repaired: 2", 3},
        {"none found", false, false, TkErrorSuccess, TkClickAnalysisFinished, {}, "No clicks were found.", 0},
        {"refused", false, false, TkErrorInvalidState, TkClickAnalysisFinished, found, "Failed to find the clicks.", 0},
        {"unreadable", false, false, TkErrorSuccess, TkClickAnalysisFailed, found, "Failed to find the clicks.", 0},
        {"cancelled", false, true, TkErrorSuccess, TkClickAnalysisFinished, found, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        // An earlier repair is there: a new analysis that does not finish leaves none.
        app->document().setClickMarks({ClickPlace{0.5, 0.001, 3, TkClickKindClick, true}});
        app->document().done(UndoStep::ClickRepair);
        if (c.declined)
            dialogs.onRepairClicksDialog = nullptr;
        Fake().findClicksResult = c.startResult;
        Fake().clickAnalysisEnd = c.end;
        Fake().clickAnalysisWaitsForCancel = c.cancelled;
        Fake().clickPlaces = c.places;
        if (c.cancelled) {
            dialogs.onProgressDialog = [](ProgressDelegate& delegate) {
                int32_t item = 0, total = 0;
                delegate.progress(item, total); // still running
                delegate.cancel(true);
                delegate.progress(item, total); // ended as cancelled
            };
        }

        cm->execute(Command::RepairClicks);

        EXPECT_EQ(dialogs.messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(marks().places().size(), c.declined ? 1u : c.marks);
        EXPECT_EQ(view.clickMarksShown, static_cast<int>(marks().places().size()));
        EXPECT_EQ(Fake().findClicksCalls, c.declined ? 0 : 1);
        EXPECT_EQ(Fake().findClicksCancels, c.cancelled ? 1 : 0);
        const bool repaired = c.marks > 0;
        EXPECT_EQ(Fake().clickRepair, std::make_pair(repaired, repaired)) << "listening and writing use the repair";
        EXPECT_EQ(undoEnabled(), repaired || c.declined);
    }
}

TEST_F(ClickRepairTest, UndoTakesBackTheLatestStepFirst)
{
    Fake().trackGaps = {62.5, 181.0};
    cm->execute(Command::FindTrackGaps); // accepted
    ASSERT_EQ(markers->count(), 4);
    Fake().clickPlaces = {Place(1.0, TkClickKindClick, true), Place(2.0, TkClickKindCrackle, true),
                          Place(3.0, TkClickKindPop, false)};
    cm->execute(Command::RepairClicks);
    ASSERT_EQ(marks().places().size(), 3u);
    EXPECT_EQ(Fake().clickSensitivity, TkClickSensitivityHigh);
    EXPECT_EQ(progressLabel, "Finding clicks…");
    EXPECT_TRUE(dialogs.lastAlert().information.startsWith(
        "Clicks: 1, pops: 0, crackle: 1.\nCould not be rebuilt, left as recorded: 1.\n"))
        << dialogs.lastAlert().information.toStdString();
    cm->validateAllMenuItems();
    EXPECT_EQ(view.menuTitle[MenuItemId::EditUndo], "Undo Repair Clicks");

    cm->execute(Command::Undo);
    EXPECT_TRUE(marks().empty());
    EXPECT_EQ(Fake().clearClickPlacesCalls, 1);
    EXPECT_EQ(Fake().clickRepair, std::make_pair(false, false));
    EXPECT_EQ(markers->count(), 4);
    EXPECT_EQ(view.menuTitle[MenuItemId::EditUndo], "Undo Find Track Gaps");

    cm->execute(Command::Undo);
    EXPECT_EQ(markers->count(), 2);
    EXPECT_FALSE(undoEnabled());

    // The sensitivity chosen last is offered again. A new recording has no repair to take back.
    TkClickSensitivity offered = -1;
    dialogs.onRepairClicksDialog = [&](TkClickSensitivity& sensitivity) { return (offered = sensitivity), true; };
    cm->execute(Command::RepairClicks);
    EXPECT_EQ(offered, TkClickSensitivityHigh);
    EXPECT_TRUE(undoEnabled());
    app->document().startMarkers(10.0);
    EXPECT_TRUE(marks().empty());
    EXPECT_FALSE(undoEnabled());
}

TEST_F(ClickRepairTest, DsdRecordingsCannotBeRepairedAndTheMenuSaysWhy)
{
    cm->validateAllMenuItems();
    EXPECT_TRUE(view.isMenuEnabled(MenuItemId::EditRepairClicks));
    EXPECT_EQ(view.menuHint[MenuItemId::EditRepairClicks], "");

    cm->settingManager()->SetRecType(RecTypeDsd);
    cm->validateAllMenuItems();
    EXPECT_FALSE(view.isMenuEnabled(MenuItemId::EditRepairClicks));
    EXPECT_EQ(view.menuHint[MenuItemId::EditRepairClicks], "Click repair works on PCM recordings.");
    cm->execute(Command::RepairClicks); // a key press that reaches the command anyway
    EXPECT_EQ(Fake().findClicksCalls, 0);
}
