// Track gaps found in generated vinyl-like records: every true gap, no split
// inside a track (quiet passages, fade-outs, crackles), nothing for a record
// without gaps or without music.
#include "preview/LevelEnvelope.h"
#include "preview/TrackGapFinder.h"
#include "support/VinylRecord.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The record's 16-bit preview (the top 16 bits of its 24-bit samples),
// reduced to window levels as the engine does it.
std::vector<float> Levels(const SourceSignal& signal)
{
    std::vector<int16_t> preview(signal.samples.size());
    for (size_t i = 0; i < preview.size(); ++i) {
        preview[i] = static_cast<int16_t>(signal.samples[i] >> 8);
    }
    LevelEnvelope envelope(signal.rate / 100, 2);
    // In uneven blocks, as the engine reads them.
    size_t frame = 0;
    const size_t frames = preview.size() / 2;
    for (size_t block = 1; frame < frames; block = block * 3 + 7) {
        const size_t take = std::min(block, frames - frame);
        envelope.Add(preview.data() + 2 * frame, take);
        frame += take;
    }
    envelope.Finish();
    return envelope.LevelsDb();
}

// The finder works on 10 ms windows whatever the rate; a low rate keeps the
// generated records quick to make.
VinylRecordPlan Plan()
{
    VinylRecordPlan plan;
    plan.rate = 16000;
    return plan;
}

std::vector<double> Boundaries(const VinylRecordPlan& plan, TrackGapParameters parameters = {})
{
    return FindTrackBoundaries(Levels(MakeVinylRecord(plan).signal), parameters);
}

// Each boundary lies in its gap and within 0.3 s of the next track's start.
void ExpectBoundariesAtGaps(const VinylRecord& record, const std::vector<double>& boundaries)
{
    ASSERT_EQ(boundaries.size(), record.trackStarts.size() - 1);
    for (size_t i = 0; i < boundaries.size(); ++i) {
        const double nextStart = record.trackStarts[i + 1];
        EXPECT_GE(boundaries[i], record.gapStarts[i]) << "boundary " << i;
        EXPECT_LE(boundaries[i], nextStart + 0.05) << "boundary " << i;
        EXPECT_NEAR(boundaries[i], nextStart, 0.3) << "boundary " << i;
    }
}

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
    for (float level : SmoothLevels(levels)) {
        EXPECT_EQ(level, -60.0f);
    }
}

TEST(TrackGapFinderTest, FindsEveryGapBetweenTracksAndNoneInsideThem)
{
    VinylRecordPlan plan = Plan();
    plan.trackSeconds = {20.0, 15.0, 18.0, 12.0};
    plan.gapSeconds = {1.2, 4.0, 2.5};
    const VinylRecord record = MakeVinylRecord(plan);
    ExpectBoundariesAtGaps(record, FindTrackBoundaries(Levels(record.signal), {}));
}

TEST(TrackGapFinderTest, HoldsForQuieterMusicLouderNoiseAndOtherSeeds)
{
    for (uint32_t seed = 2; seed < 5; ++seed) {
        VinylRecordPlan plan = Plan();
        plan.seed = seed;
        plan.musicDb = -24.0 + seed;
        plan.noiseDb = -66.0 + 3.0 * seed; // -60 to -51
        plan.quietPassageDb = plan.musicDb - 20.0;
        const VinylRecord record = MakeVinylRecord(plan);
        SCOPED_TRACE(seed);
        ExpectBoundariesAtGaps(record, FindTrackBoundaries(Levels(record.signal), {}));
    }
}

TEST(TrackGapFinderTest, AGapShorterThanTheMinimumIsNoGap)
{
    VinylRecordPlan plan = Plan();
    plan.gapSeconds = {1.5, 4.0};
    plan.fadeOutSeconds = 0.0;
    TrackGapParameters parameters;
    parameters.minGapSeconds = 2.5;
    const std::vector<double> boundaries = Boundaries(plan, parameters);
    const VinylRecord record = MakeVinylRecord(plan);
    ASSERT_EQ(boundaries.size(), 1u);
    EXPECT_NEAR(boundaries[0], record.trackStarts[2], 0.3);
}

TEST(TrackGapFinderTest, LeadPlacesTheBoundaryBeforeTheMusic)
{
    VinylRecordPlan plan = Plan();
    TrackGapParameters parameters;
    parameters.leadSeconds = 1.0;
    const VinylRecord record = MakeVinylRecord(plan);
    const std::vector<double> boundaries = Boundaries(plan, parameters);
    ASSERT_EQ(boundaries.size(), 2u);
    EXPECT_NEAR(boundaries[0], record.trackStarts[1] - 1.0, 0.1);
    EXPECT_NEAR(boundaries[1], record.trackStarts[2] - 1.0, 0.1);
}

TEST(TrackGapFinderTest, ContinuousMusicOrOnlyNoiseGivesNoSuggestion)
{
    VinylRecordPlan continuous = Plan();
    continuous.continuousMusic = true;
    EXPECT_TRUE(Boundaries(continuous).empty());

    VinylRecordPlan noise = Plan();
    noise.noiseOnly = true;
    EXPECT_TRUE(Boundaries(noise).empty());

    EXPECT_TRUE(FindTrackBoundaries({}, {}).empty());
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
