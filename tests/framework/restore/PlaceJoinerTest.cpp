// Places from the channels' runs: a pop found as a train of short places is
// joined into one; as many places spread wider, or too few, stay apart.
#include "restore/PlaceJoiner.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PlaceJoiner, TrainOfPlacesSpanningAPopIsOnePlace)
{
    const RestoreSettings settings = MakeRestoreSettings(96000, ClickSensitivity::Normal);
    struct Case {
        const char* what;
        size_t places;  // confirmed runs of 20 samples, in both channels
        uint64_t gap;   // between them
        size_t expected;
    } cases[] = {
        {"a pop's impacts", 6, settings.bridgeDistance - 4, 1},
        {"two close clicks", 2, settings.bridgeDistance - 4, 2},
        {"clicks further apart", 6, settings.bridgeDistance + 4, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ChannelRegion> runs;
        uint64_t at = 10000;
        for (size_t i = 0; i < c.places; ++i, at += 20 + c.gap) {
            for (uint16_t channel = 0; channel < 2; ++channel) {
                runs.push_back({at, at + 20, channel, 12.0, true});
            }
        }
        const std::vector<DamagedPlace> places = JoinPlaces(runs, settings);
        ASSERT_EQ(places.size(), c.expected);
        if (c.expected == 1) {
            EXPECT_EQ(places[0].start, 10000u);
            EXPECT_EQ(places[0].end, at - c.gap);
            EXPECT_EQ(places[0].channelMask, 3u);
        }
    }
}
