// Markers suggested at track gaps: skipped near existing markers, stopped at
// the limit with the marker manager's alert, and taken back in one step only
// while nothing else changed the markers.
#include "marker/MarkerManager.h"
#include "marker/TrackGapMarkers.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace {

class TrackGapMarkersTest : public testing::Test {
protected:
    void SetUp() override
    {
        QSettings().remove(kSaveDirectoryKey);
        markers.setAlertHandler([this](const QString& message) { alerts.push_back(message); });
        markers.ResetWithTotalTime(600.0);
    }

    std::vector<double> Positions() const
    {
        std::vector<double> positions;
        for (int32_t id : markers.EnumMarkerId())
            positions.push_back(markers.GetMarkerPositionFromId(id));
        return positions;
    }

    MarkerManager markers;
    TrackGapMarkers gaps;
    std::vector<QString> alerts;
};

} // namespace

TEST_F(TrackGapMarkersTest, AddsOnTheGridAndSkipsSuggestionsNearAMarkerOrOutside)
{
    const int32_t own = markers.AddWithPosition(100.0);
    ASSERT_GT(own, 0);
    const TrackGapMarkers::Outcome outcome =
        gaps.addSuggestions(markers, {0.1, 42.37, 100.15, 250.0, 600.0});
    EXPECT_EQ(outcome.added, 2);
    EXPECT_EQ(outcome.skipped, 3); // at the start, beside the user's marker, at the end
    EXPECT_FALSE(outcome.limitReached);
    const std::vector<double> positions = Positions();
    ASSERT_EQ(positions.size(), 5u);
    EXPECT_NEAR(positions[1], 42.3, 1e-9);
    EXPECT_EQ(positions[2], 100.0);
    EXPECT_EQ(positions[3], 250.0);
    EXPECT_TRUE(alerts.empty());
}

TEST_F(TrackGapMarkersTest, StopsAtTheMarkerLimitWithItsAlert)
{
    for (int i = 1; i <= 58; ++i)
        ASSERT_GT(markers.AddWithPosition(i * 5.0), 0);
    const TrackGapMarkers::Outcome outcome = gaps.addSuggestions(markers, {400.0, 410.0, 420.0, 430.0});
    EXPECT_EQ(outcome.added, 2);
    EXPECT_TRUE(outcome.limitReached);
    EXPECT_EQ(markers.count(), 62);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "Cannot add any more markers.");
}

TEST_F(TrackGapMarkersTest, UndoRemovesExactlyTheMarkersOfTheStepEvenWhenMoved)
{
    const int32_t own = markers.AddWithPosition(10.0);
    gaps.addSuggestions(markers, {100.0, 200.0});
    ASSERT_TRUE(gaps.canUndo());
    const std::vector<int32_t> ids = markers.EnumMarkerId();
    markers.setSelectedMarker(ids[2]);
    ASSERT_TRUE(markers.MoveSelectedMarkerToPosition(120.0));
    ASSERT_TRUE(gaps.canUndo()); // moving keeps the step
    EXPECT_EQ(gaps.undo(), 2);
    EXPECT_FALSE(gaps.canUndo());
    EXPECT_EQ(markers.EnumMarkerId(), (std::vector<int32_t>{0, own, 61}));
}

TEST_F(TrackGapMarkersTest, AnotherChangeOfTheMarkerSetEndsTheStep)
{
    gaps.addSuggestions(markers, {100.0, 200.0});
    const std::vector<int32_t> ids = markers.EnumMarkerId();
    // The user deletes a suggested marker and adds one that takes over its id:
    // undo must not remove the user's marker.
    ASSERT_TRUE(markers.DeleteWithMarkerId(ids[1]));
    EXPECT_FALSE(gaps.canUndo());
    EXPECT_EQ(markers.AddWithPosition(50.0), ids[1]);
    EXPECT_EQ(gaps.undo(), 0);
    EXPECT_EQ(markers.count(), 4);

    gaps.addSuggestions(markers, {300.0});
    markers.ResetWithTotalTime(700.0); // a new recording
    EXPECT_FALSE(gaps.canUndo());
}
