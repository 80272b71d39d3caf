// A pop found as a train of short places is joined into one; as many places
// spread wider, or too few, stay apart.
#include "restore/PlaceJoiner.h"

#include <gtest/gtest.h>

TEST(PlaceJoiner, TrainOfPlacesSpanningAPopIsOnePlace)
{
    const RestoreSettings settings = MakeRestoreSettings(96000, ClickSensitivity::Normal);
    const struct {
        const char* what;
        size_t places;  // confirmed runs of 20 samples in both channels...
        uint64_t gap;   // ...this far apart...
        bool faint;     // ...found only by the matched sums
        size_t expected;
    } cases[] = {{"a pop's impacts", 6, settings.bridgeDistance - 4, false, 1},
                 {"two close clicks", 2, settings.bridgeDistance - 4, false, 2},
                 {"clicks further apart", 6, settings.bridgeDistance + 4, false, 6},
                 {"faint ticks close together", 6, settings.bridgeDistance - 4, true, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ChannelRegion> runs;
        for (uint64_t i = 0, at = 10000; i < c.places; ++i, at += 20 + c.gap) {
            runs.push_back({at, at + 20, 0, 12.0, true, c.faint});
            runs.push_back({at, at + 20, 1, 12.0, true, c.faint});
        }
        const std::vector<DamagedPlace> places = JoinPlaces(runs, settings);
        ASSERT_EQ(places.size(), c.expected);
        EXPECT_EQ(places.front().start, 10000u);
        EXPECT_EQ(places.back().end, runs.back().end);
        EXPECT_EQ(places.front().channelMask, 3u);
    }
}
