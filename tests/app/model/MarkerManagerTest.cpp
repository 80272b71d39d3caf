// Marker rules: fixed start and end markers, ids reused smallest first, the 0.2 s spacing,
// the 60-marker limit, move clamping, the nearest marker, selection and the stored
// destination folder.
#include "indicator/Indicator_Marker.h"
#include "marker/MarkerManager.h"

#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class MarkerManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        QSettings().remove(kSaveDirectoryKey);
        markers = std::make_unique<MarkerManager>();
        markers->setAlertHandler([this](const QString& message) { alerts.push_back(message); });
        markers->ResetWithTotalTime(600.0);
    }

    std::vector<QString> Captions() const
    {
        std::vector<QString> captions;
        for (int32_t id : markers->EnumMarkerId())
            captions.push_back(MarkerCaption(id));
        return captions;
    }

    std::unique_ptr<MarkerManager> markers;
    std::vector<QString> alerts;
};

} // namespace

TEST_F(MarkerManagerTest, ResetLeavesStartAndEndMarkersWithTheStartSelected)
{
    EXPECT_EQ(markers->EnumMarkerId(), (std::vector<int32_t>{0, 61}));
    EXPECT_EQ(markers->SelectedMarker(), 0);
    EXPECT_EQ(markers->GetMarkerPositionFromId(61), 600.0);
    EXPECT_FALSE(markers->IsMarkerEdited());
    EXPECT_EQ(markers->GetMarkerPositionFromId(5), -1.0);
    EXPECT_EQ(markers->FindUnusedId(), 1);
}

TEST_F(MarkerManagerTest, CanAddOnlyFromPointTwoSecondsAfterTheStartToBeforeTheEnd)
{
    EXPECT_FALSE(markers->CanAddToPosition(0.0));
    EXPECT_FALSE(markers->CanAddToPosition(0.19));
    EXPECT_TRUE(markers->CanAddToPosition(0.2));
    EXPECT_TRUE(markers->CanAddToPosition(300.0));
    EXPECT_TRUE(markers->CanAddToPosition(599.8));
    EXPECT_FALSE(markers->CanAddToPosition(599.81));
    EXPECT_FALSE(markers->CanAddToPosition(600.0));
    EXPECT_FALSE(markers->CanAddToPosition(-1.0));
    EXPECT_EQ(markers->AddWithPosition(600.5), -1);
    EXPECT_EQ(markers->AddWithPosition(0.1), -1);
    EXPECT_FALSE(markers->IsMarkerEdited());
}

TEST_F(MarkerManagerTest, IdsFollowCreationWhileTheListFollowsTime)
{
    QSignalSpy added(markers.get(), &MarkerManager::markerAdded);
    EXPECT_EQ(markers->AddWithPosition(100.0), 1);
    EXPECT_EQ(markers->AddWithPosition(50.0), 2);
    EXPECT_EQ(markers->EnumMarkerId(), (std::vector<int32_t>{0, 2, 1, 61}));
    EXPECT_EQ(Captions(), (std::vector<QString>{"S", "2", "1", "E"}));
    EXPECT_EQ(added.count(), 2);
    EXPECT_TRUE(markers->IsMarkerEdited());
    EXPECT_EQ(markers->SelectedMarker(), 0); // adding does not select

    // Too close to a neighbour.
    EXPECT_EQ(markers->AddWithPosition(50.1), -1);
    EXPECT_EQ(markers->AddWithPosition(99.9), -1);
    EXPECT_EQ(markers->AddWithPosition(50.2), 3);
}

TEST_F(MarkerManagerTest, ADeletedIdIsReusedFirstAndIndexesStayConsistent)
{
    markers->AddWithPosition(100.0);
    markers->AddWithPosition(50.0);
    markers->AddWithPosition(200.0);
    ASSERT_TRUE(markers->DeleteWithMarkerId(1));
    EXPECT_EQ(markers->GetMarkerPositionFromId(1), -1.0);
    EXPECT_EQ(markers->GetMarkerPositionFromId(3), 200.0);
    EXPECT_EQ(markers->AddWithPosition(300.0), 1);
    EXPECT_EQ(markers->EnumMarkerId(), (std::vector<int32_t>{0, 2, 3, 1, 61}));
    for (int32_t id : markers->EnumMarkerId())
        EXPECT_EQ(markers->GetMarkerItemFromMarkerId(id)->MarkerId(), id);

    EXPECT_FALSE(markers->DeleteWithMarkerId(0));
    EXPECT_FALSE(markers->DeleteWithMarkerId(61));
    EXPECT_FALSE(markers->DeleteWithMarkerId(7));
    EXPECT_FALSE(markers->DeleteWithMarkerId(-1));
}

TEST_F(MarkerManagerTest, DeletingTheSelectedMarkerSelectsTheOneBeforeIt)
{
    markers->AddWithPosition(100.0);
    markers->AddWithPosition(200.0);
    markers->setSelectedMarker(2);
    ASSERT_TRUE(markers->DeleteWithMarkerId(2));
    EXPECT_EQ(markers->SelectedMarker(), 1);
}

TEST_F(MarkerManagerTest, TheSixtyFirstMarkerIsRefusedWithAnAlert)
{
    for (int i = 1; i <= 60; ++i)
        ASSERT_EQ(markers->AddWithPosition(i * 5.0), i);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(markers->FindUnusedId(), 61);
    EXPECT_EQ(markers->AddWithPosition(400.0), -1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], QStringLiteral("Cannot add any more markers."));
    EXPECT_EQ(markers->count(), 62);

    markers->DeleteWithMarkerId(17);
    EXPECT_EQ(markers->AddWithPosition(400.0), 17);
}

TEST_F(MarkerManagerTest, MovesAreClampedToPointTwoSecondsFromTheNeighbours)
{
    markers->AddWithPosition(50.0);
    const int32_t id = markers->AddWithPosition(100.0);
    markers->setSelectedMarker(id);
    std::vector<int32_t> moved;
    QObject::connect(markers.get(), &MarkerManager::markerMoved, [&](int32_t moving) { moved.push_back(moving); });

    EXPECT_TRUE(markers->MoveSelectedMarkerToPosition(10.0));
    EXPECT_EQ(markers->GetMarkerPositionFromId(id), 50.0 + 0.2f);
    EXPECT_FLOAT_EQ(static_cast<float>(markers->GetMarkerPositionFromId(id) - 50.0), 0.2f);
    EXPECT_TRUE(markers->MoveSelectedMarkerToPosition(1000.0));
    EXPECT_EQ(markers->GetMarkerPositionFromId(id), 600.0 - 0.2f);
    EXPECT_TRUE(markers->MoveSelectedMarkerToPosition(123.4));
    EXPECT_EQ(markers->GetMarkerPositionFromId(id), 123.4);
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(moved[0], id);

    markers->setSelectedMarker(0);
    EXPECT_FALSE(markers->MoveSelectedMarkerToPosition(3.0));
    markers->setSelectedMarker(61);
    EXPECT_FALSE(markers->MoveSelectedMarkerToPosition(3.0));
    EXPECT_EQ(markers->GetMarkerPositionFromId(61), 600.0);
}

TEST_F(MarkerManagerTest, NearestMarkerTakesTheLaterOneOnATie)
{
    markers->AddWithPosition(100.0); // 1
    markers->AddWithPosition(200.0); // 2
    EXPECT_EQ(markers->GetMarkerIdFromPosition(150.0), 2);
    EXPECT_EQ(markers->GetMarkerIdFromPosition(149.9), 1);
    EXPECT_EQ(markers->GetMarkerIdFromPosition(100.0), 1);
    EXPECT_EQ(markers->GetMarkerIdFromPosition(0.0), 0);
    EXPECT_EQ(markers->GetMarkerIdFromPosition(-5.0), 0);
    EXPECT_EQ(markers->GetMarkerIdFromPosition(450.0), 61);
    EXPECT_EQ(markers->GetMarkerIdFromPosition(700.0), 61);
    MarkerManager empty;
    EXPECT_EQ(empty.GetMarkerIdFromPosition(1.0), -1);
}

TEST_F(MarkerManagerTest, SelectionWalksInTimeOrderAndIgnoresFreeIds)
{
    markers->AddWithPosition(100.0);
    markers->AddWithPosition(50.0);
    QSignalSpy selected(markers.get(), &MarkerManager::selectionChanged);
    markers->setSelectedMarker(9);
    EXPECT_EQ(selected.count(), 0);
    EXPECT_FALSE(markers->SelectPreviousMarker());
    EXPECT_TRUE(markers->SelectNextMarker());
    EXPECT_EQ(markers->SelectedMarker(), 2);
    EXPECT_TRUE(markers->SelectNextMarker());
    EXPECT_TRUE(markers->SelectNextMarker());
    EXPECT_EQ(markers->SelectedMarker(), 61);
    EXPECT_FALSE(markers->SelectNextMarker());
    ASSERT_EQ(selected.count(), 3);
    EXPECT_EQ(selected.at(2).at(0).toInt(), 61);
    EXPECT_EQ(selected.at(2).at(1).toInt(), 1);
}

TEST_F(MarkerManagerTest, TagsAndCheckedFlagBelongToExistingMarkers)
{
    const int32_t id = markers->AddWithPosition(100.0);
    EXPECT_TRUE(markers->IsMarkerCheckedFromId(id));
    EXPECT_FALSE(markers->GetMarkerTagFromMarkerId(id).has_value());
    QSignalSpy checked(markers.get(), &MarkerManager::checkedChanged);
    EXPECT_TRUE(markers->SetMarkerCheckedWithId(id, false));
    EXPECT_FALSE(markers->IsMarkerCheckedFromId(id));
    EXPECT_EQ(checked.count(), 1);
    EXPECT_TRUE(markers->SetMarkerTagWithId(id, {{"Title", "Side A"}}));
    EXPECT_EQ(markers->GetMarkerTagFromMarkerId(id)->value("Title"), "Side A");

    EXPECT_FALSE(markers->SetMarkerCheckedWithId(42, true));
    EXPECT_FALSE(markers->IsMarkerCheckedFromId(42));
    EXPECT_FALSE(markers->SetMarkerTagWithId(42, {}));
    EXPECT_FALSE(markers->GetMarkerTagFromMarkerId(42).has_value());
}

TEST_F(MarkerManagerTest, DestinationDefaultsToTheMusicFolderAndIsStoredOnDestruction)
{
    EXPECT_EQ(markers->DestinationDirectory(), QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
    markers->setDestinationDirectory(QStringLiteral("/srv/records"));
    markers.reset();
    EXPECT_EQ(QSettings().value(kSaveDirectoryKey).toString(), QStringLiteral("/srv/records"));
    MarkerManager next;
    EXPECT_EQ(next.DestinationDirectory(), QStringLiteral("/srv/records"));
}

TEST(MarkerIndicator, TimeTextIsClampedAndRoundedToTenths)
{
    EXPECT_EQ(MarkerTimeText(0.0), QStringLiteral("00:00.00"));
    EXPECT_EQ(MarkerTimeText(-3.0), QStringLiteral("00:00.00"));
    EXPECT_EQ(MarkerTimeText(83.46), QStringLiteral("01:23.50"));
    EXPECT_EQ(MarkerTimeText(5999.9), QStringLiteral("99:59.90"));
    EXPECT_EQ(MarkerTimeText(7000.0), QStringLiteral("99:59.90"));
}

TEST_F(MarkerManagerTest, TheIndicatorFollowsTheSelectedMarker)
{
    Indicator_Marker indicator;
    indicator.followMarkers(markers.get());
    EXPECT_EQ(indicator.markerNumber(), QStringLiteral("S"));
    const int32_t id = markers->AddWithPosition(83.4);
    markers->setSelectedMarker(id);
    EXPECT_EQ(indicator.markerNumber(), QStringLiteral("1"));
    EXPECT_EQ(indicator.markerTime(), 83.4);
    markers->SetMarkerCheckedWithId(id, false);
    EXPECT_FALSE(indicator.enabled());
    markers->SelectNextMarker();
    EXPECT_EQ(indicator.markerNumber(), QStringLiteral("E"));
    EXPECT_TRUE(indicator.enabled());
}
