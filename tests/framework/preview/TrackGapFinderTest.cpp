// The track finder on generated sides of every kind people record (lead-in
// and run-out of electrical noise or digital silence, the record alone,
// short tracks, quiet passages, DSD): the boundaries, the needle and music
// points, the track-count mode and the refusals of bad input.
#include "preview/LevelEnvelope.h"
#include "preview/LevelStatistics.h"
#include "preview/TrackGapFinder.h"
#include "support/RecordSide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

SideAnalysis Analyse(const RecordSide& side, size_t trackCount = 0, TrackGapParameters parameters = {})
{
    return AnalyseSide(SideLevels(side), parameters, trackCount);
}

// One boundary per true one, each within 0.3 s of the next track's start.
void ExpectBoundariesAtTrackStarts(const SideTruth& truth, const SideAnalysis& found)
{
    ASSERT_EQ(found.problem, SideProblem::None);
    ASSERT_EQ(found.boundaries.size(), truth.trackStarts.size() - 1);
    for (size_t i = 0; i < found.boundaries.size(); ++i) {
        EXPECT_NEAR(found.boundaries[i].seconds, truth.trackStarts[i + 1], 0.3) << "boundary " << i;
        EXPECT_GT(found.boundaries[i].strength, 0.0) << "boundary " << i;
    }
}

struct SideKind {
    const char* name;
    std::function<void(SidePlan&)> shape;
};

const SideKind kSideKinds[] = {
    {"lead-in and run-out of electrical noise", [](SidePlan&) {}},
    {"long lead-in and run-out (over 2 % of the recording)",
     [](SidePlan& p) { p.leadInSeconds = p.runOutSeconds = 20.0; }},
    {"electrical noise 30 dB below the groove",
     [](SidePlan& p) { p.electricalBelowGrooveDb = 30.0; p.leadInSeconds = 15.0; }},
    {"digital silence before and after", [](SidePlan& p) { p.silentLeadIn = p.silentRunOut = true; }},
    {"digital silence, then electrical noise", [](SidePlan& p) { p.silentStartSeconds = 1.0; }},
    {"ends in digital silence", [](SidePlan& p) { p.silentRunOut = true; p.runOutSeconds = 18.0; }},
    {"the record alone", [](SidePlan& p) { p.leadInSeconds = p.runOutSeconds = 0.0; }},
    {"three 12-second tracks", [](SidePlan& p) { p.trackSeconds = {12.0, 12.0, 12.0}; p.leadInSeconds = 10.0; }},
    {"four 12-second tracks",
     [](SidePlan& p) { p.trackSeconds = {12.0, 12.0, 12.0, 12.0}; p.gapSeconds = {1.5, 3.0, 2.0}; p.leadInSeconds = 10.0; }},
    {"quiet passages 14 dB above the groove", [](SidePlan& p) { p.quietPassageBelowDb = 28.0; p.quietPassageSeconds = 6.0; }},
    {"quiet music over loud groove noise", [](SidePlan& p) { p.musicDb = -24.0; p.grooveDb = -52.0; p.quietPassageBelowDb = 12.0; }},
    {"dense crackle", [](SidePlan& p) { p.cracklePerSecond = 20.0; }},
    {"short gaps", [](SidePlan& p) { p.gapSeconds = {1.0, 1.1}; p.fadeOutSeconds = 0.5; }},
    {"DSD with lead-in and run-out", [](SidePlan& p) { p.format = SideFormat::Dsd; p.leadInSeconds = 12.0; }},
    {"DSD ending in digital silence", [](SidePlan& p) { p.format = SideFormat::Dsd; p.silentRunOut = true; }},
};

} // namespace

TEST(LevelEnvelopeTest, FullScaleSquareIsZeroDbAndSilenceIsTheFloor)
{
    LevelEnvelope envelope(4, 2);
    const int16_t loud[8] = {32767, -32767, -32767, 32767, 32767, -32767, -32767, 32767};
    const int16_t silent[8] = {};
    envelope.Add(loud, 4);
    envelope.Add(silent, 3);
    envelope.Finish(); // the partial window of three silent frames
    ASSERT_EQ(envelope.LevelsDb().size(), 2u);
    EXPECT_NEAR(envelope.LevelsDb()[0], 0.0, 0.001);
    EXPECT_EQ(envelope.LevelsDb()[1], LevelEnvelope::kSilenceDb);
}

TEST(TrackGapFinderTest, RunningMedianIgnoresAClickOfAFewWindows)
{
    std::vector<float> levels(200, -60.0f);
    levels[100] = levels[101] = -10.0f;
    for (float level : RunningMedian(levels, kMedianWindows / 2)) {
        EXPECT_EQ(level, -60.0f);
    }
}

TEST(TrackGapFinderTest, FindsEveryBoundaryAndTheNeedleAndMusicPointsOnEachKindOfSide)
{
    uint32_t seed = 1;
    for (const SideKind& kind : kSideKinds) {
        SCOPED_TRACE(kind.name);
        SidePlan plan;
        plan.seed = seed++;
        kind.shape(plan);
        const RecordSide side = MakeRecordSide(plan);
        const SideAnalysis found = Analyse(side);
        ExpectBoundariesAtTrackStarts(side.truth, found);
        EXPECT_NEAR(found.needleDownSeconds, side.truth.needleDown, 0.1);
        EXPECT_NEAR(found.needleUpSeconds, side.truth.needleUp, 0.1);
        // The tracks start and end 0.2 s beyond the music; the fade-out
        // sinks below the groove noise a little before the track ends.
        EXPECT_NEAR(found.musicStartSeconds, side.truth.trackStarts.front() - 0.2, 0.1);
        EXPECT_LE(found.musicEndSeconds, side.truth.trackEnds.back() + 0.3);
        EXPECT_GE(found.musicEndSeconds, side.truth.trackEnds.back() - plan.fadeOutSeconds);
    }
}

TEST(TrackGapFinderTest, AGapShorterThanTheMinimumIsNoGapButAPlace)
{
    SidePlan plan;
    plan.gapSeconds = {1.5, 4.0};
    plan.fadeOutSeconds = 0.1;
    TrackGapParameters parameters;
    parameters.minGapSeconds = 2.5;
    const RecordSide side = MakeRecordSide(plan);
    const SideAnalysis found = Analyse(side, 0, parameters);
    ASSERT_EQ(found.boundaries.size(), 1u);
    EXPECT_NEAR(found.boundaries[0].seconds, side.truth.trackStarts[2], 0.3);
    // The short gap is weaker, but still the place the track count finds.
    const SideAnalysis counted = Analyse(side, 3, parameters);
    ExpectBoundariesAtTrackStarts(side.truth, counted);
    EXPECT_LT(counted.boundaries[0].strength, counted.boundaries[1].strength);
}

TEST(TrackGapFinderTest, TrackCountTakesTheMostGapLikePlaces)
{
    struct Case {
        const char* name;
        std::function<void(SidePlan&)> shape;
        size_t tracks;
        std::vector<size_t> boundaries; // indices into the true track starts
    };
    const Case cases[] = {
        {"as many as there are", [](SidePlan&) {}, 3, {1, 2}},
        {"fewer: the longest gap wins", [](SidePlan& p) { p.gapSeconds = {0.9, 3.5}; }, 2, {2}},
        {"one track: no boundary", [](SidePlan&) {}, 1, {}},
        {"quiet passages 16 dB above the groove",
         [](SidePlan& p) { p.gapSeconds = {1.2, 1.5}; p.quietPassageBelowDb = 26.0; }, 3, {1, 2}},
        {"DSD", [](SidePlan& p) { p.format = SideFormat::Dsd; }, 3, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SidePlan plan;
        c.shape(plan);
        const RecordSide side = MakeRecordSide(plan);
        const SideAnalysis found = Analyse(side, c.tracks);
        ASSERT_EQ(found.problem, SideProblem::None);
        ASSERT_EQ(found.boundaries.size(), c.boundaries.size());
        for (size_t i = 0; i < c.boundaries.size(); ++i) {
            EXPECT_NEAR(found.boundaries[i].seconds, side.truth.trackStarts[c.boundaries[i]], 0.3);
        }
    }
}

TEST(TrackGapFinderTest, BadInputIsNamedAndGivesNoBoundary)
{
    SidePlan noMusic;
    noMusic.noMusic = true;
    SidePlan continuous;
    continuous.continuousMusic = true;
    SidePlan side;
    const std::vector<float> shortLevels(50, -60.0f);
    struct Case {
        const char* name;
        std::vector<float> levels;
        size_t tracks;
        SideProblem problem;
    };
    const Case cases[] = {
        {"groove noise only", SideLevels(MakeRecordSide(noMusic)), 0, SideProblem::NoMusic},
        {"nothing recorded", {}, 0, SideProblem::TooShort},
        {"shorter than the minimum gap", shortLevels, 0, SideProblem::TooShort},
        {"more tracks than places", SideLevels(MakeRecordSide(side)), 6, SideProblem::TooManyTracks},
        {"a track count on music without gaps", SideLevels(MakeRecordSide(continuous)), 2,
         SideProblem::TooManyTracks},
        {"music without gaps: one track, no problem", SideLevels(MakeRecordSide(continuous)), 0,
         SideProblem::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SideAnalysis found = AnalyseSide(c.levels, {}, c.tracks);
        EXPECT_EQ(found.problem, c.problem);
        EXPECT_TRUE(found.boundaries.empty());
    }
}

TEST(TrackGapFinderTest, LeadPlacesTheBoundaryBeforeTheMusic)
{
    TrackGapParameters parameters;
    parameters.leadSeconds = 1.0;
    const RecordSide side = MakeRecordSide({});
    const SideAnalysis found = Analyse(side, 0, parameters);
    ASSERT_EQ(found.boundaries.size(), 2u);
    EXPECT_NEAR(found.boundaries[0].seconds, side.truth.trackStarts[1] - 1.0, 0.1);
    EXPECT_NEAR(found.boundaries[1].seconds, side.truth.trackStarts[2] - 1.0, 0.1);
}

TEST(TrackGapFinderTest, InvalidParametersAreRefused)
{
    TrackGapParameters zeroGap;
    zeroGap.minGapSeconds = 0.0;
    TrackGapParameters negativeLead;
    negativeLead.leadSeconds = -0.1;
    TrackGapParameters notFinite;
    notFinite.thresholdOffsetDb = std::nan("");
    EXPECT_FALSE(TrackGapParametersValid(zeroGap));
    EXPECT_FALSE(TrackGapParametersValid(negativeLead));
    EXPECT_FALSE(TrackGapParametersValid(notFinite));
    EXPECT_TRUE(TrackGapParametersValid({}));
}
