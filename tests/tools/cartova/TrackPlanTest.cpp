// Track planning: default names, boundaries, tags, and the names refused
// before anything is recorded.
#include <gtest/gtest.h>

#include "TrackPlan.h"

TEST(ToolTrackPlan, DefaultNamesAndFolder)
{
    RecordOptions options;
    options.destination = "/music";
    options.splits = {10.0, 20.0};
    options.titles = {"One", "Two"};
    TrackPlan plan = PlanTracks(options, 30.0, "wav", "20261208101112");
    EXPECT_EQ(plan.folder, "/music/20261208101112");
    ASSERT_EQ(plan.tracks.size(), 3u);
    EXPECT_EQ(plan.tracks[0].path, "/music/20261208101112/01_20261208101112.wav");
    EXPECT_EQ(plan.tracks[2].name, "03_20261208101112.wav");
    EXPECT_DOUBLE_EQ(plan.tracks[1].start, 10.0);
    EXPECT_DOUBLE_EQ(plan.tracks[1].end, 20.0);
    EXPECT_DOUBLE_EQ(plan.tracks[2].end, 30.0);
    EXPECT_EQ(plan.tracks[1].title, "Two");
    EXPECT_EQ(plan.tracks[2].title, "");
    EXPECT_TRUE(plan.warnings.empty());
}

TEST(ToolTrackPlan, GivenNamesAlbumFolderAndBoundariesBeyondTheEnd)
{
    RecordOptions options;
    options.destination = "out/";
    options.album = "Side A";
    options.splits = {5.0, 50.0};
    options.names = {"intro", "Song.DSF"};
    TrackPlan plan = PlanTracks(options, 20.0, "dsf", "20261208101112");
    EXPECT_EQ(plan.folder, "out/Side A");
    ASSERT_EQ(plan.tracks.size(), 2u);
    EXPECT_EQ(plan.tracks[0].name, "intro.dsf");
    EXPECT_EQ(plan.tracks[1].name, "Song.DSF");
    EXPECT_DOUBLE_EQ(plan.tracks[1].end, 20.0);
    EXPECT_EQ(plan.warnings.size(), 1u);
}

// With the music found, the lead-in before it and the run-out after it are
// no tracks.
TEST(ToolTrackPlan, TracksRunFromTheMusicStartToItsEnd)
{
    RecordOptions options;
    options.splits = {30.0, 60.0};
    options.firstTrackStart = 8.5;
    options.lastTrackEnd = 90.0;
    TrackPlan plan = PlanTracks(options, 110.0, "wav", "20261208101112");
    ASSERT_EQ(plan.tracks.size(), 3u);
    EXPECT_DOUBLE_EQ(plan.tracks[0].start, 8.5);
    EXPECT_DOUBLE_EQ(plan.tracks[0].end, 30.0);
    EXPECT_DOUBLE_EQ(plan.tracks[2].end, 90.0);
    EXPECT_TRUE(plan.warnings.empty());
}

TEST(ToolTrackPlan, RefusedCharactersAndDuplicates)
{
    EXPECT_TRUE(ContainsInvalidChar("a/b"));
    EXPECT_TRUE(ContainsInvalidChar("a:b"));
    EXPECT_TRUE(ContainsInvalidChar("tab\there"));
    EXPECT_TRUE(ContainsInvalidChar("del\x7f"));
    EXPECT_TRUE(ContainsInvalidChar("c1 \xc2\x85"));
    EXPECT_FALSE(ContainsInvalidChar("Caf\xc3\xa9 \xe6\x9b\xb2"));

    RecordOptions options;
    options.names = {"Track", "track.wav"};
    EXPECT_NE(ValidateNames(options, "wav"), "");
    options.names = {"a/b"};
    EXPECT_NE(ValidateNames(options, "wav"), "");
    options.names = {".hidden"};
    EXPECT_NE(ValidateNames(options, "wav"), "");
    options.names = {"fine"};
    options.album = "A:B";
    EXPECT_NE(ValidateNames(options, "wav"), "");
    options.album = "Fine album";
    EXPECT_EQ(ValidateNames(options, "wav"), "");
    options.destination = std::string(1020, 'd');
    EXPECT_NE(ValidateNames(options, "wav"), "");
}
