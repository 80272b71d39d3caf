// Track sizes known before recording: a track that cannot fit is refused,
// and an open last track sets the point where the recording must stop.
#include <gtest/gtest.h>

#include <cmath>

#include "Preflight.h"

namespace {

RecordOptions Pcm(uint64_t rate, uint16_t bits)
{
    RecordOptions options;
    options.rate = rate;
    options.bits = bits;
    return options;
}

const TrackFileLimit kWav{kWavFileLimitBytes, "a WAV file"};

PlannedTrack TrackAt(const std::string& path)
{
    PlannedTrack track;
    track.path = path;
    return track;
}

} // namespace

TEST(Preflight, ATrackTooLargeForItsFileIsNamedWithItsSize)
{
    RecordOptions options = Pcm(384000, 24);  // 2304000 bytes a second in stereo
    options.duration = 3000.0;
    options.splits = {1000.0, 2900.0};
    const TrackSizeCheck check = CheckTrackSizes(options, 2, kWav);
    EXPECT_EQ(check.problem,
              "track 2 (16:40.0 to 48:20.0) would be 4.08 GiB, more than a WAV file can hold (4.00 GiB)");

    options.splits = {1000.0, 2000.0};
    EXPECT_EQ(CheckTrackSizes(options, 2, kWav).problem, "");
    EXPECT_TRUE(std::isinf(CheckTrackSizes(options, 2, kWav).stopAt));
}

TEST(Preflight, WithoutADurationTheRecordingStopsBeforeTheLastTrackOverflows)
{
    RecordOptions options = Pcm(384000, 24);
    options.splits = {100.0};
    const TrackSizeCheck check = CheckTrackSizes(options, 2, kWav);
    EXPECT_EQ(check.problem, "");
    // The last track may hold (4 GiB - 1 - overhead) / 2304000 = 1864.1 s.
    EXPECT_DOUBLE_EQ(check.stopAt, 100.0 + 1864.1);
    const double lastTrackBytes = (check.stopAt - 100.0) * 2304000.0 + kTrackOverheadBytes;
    EXPECT_LE(lastTrackBytes, double(kWavFileLimitBytes));

    // DSF files have no limit of their own.
    options.format = RecordFormat::Dsd;
    options.rate = 11289600;
    EXPECT_TRUE(std::isinf(CheckTrackSizes(options, 2, TrackFileLimit{}).stopAt));
}

TEST(Preflight, TrackFilesInTheWayAreNamed)
{
    TrackPlan plan;
    plan.tracks.push_back(TrackAt("/nonexistent/one.wav"));
    plan.tracks.push_back(TrackAt("/dev/null"));
    plan.tracks.push_back(TrackAt("/tmp"));
    EXPECT_EQ(CheckTrackCollisions(plan, false), "folders are in the way of the track files: /tmp");
    plan.tracks.pop_back();
    EXPECT_EQ(CheckTrackCollisions(plan, false),
              "the track files exist already (use --overwrite to replace them): /dev/null");
    EXPECT_EQ(CheckTrackCollisions(plan, true), "");
}
