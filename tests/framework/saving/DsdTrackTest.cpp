// DSF track files from DSD64 and DSD128 recordings of a 1 kHz tone, written
// through the exported functions with and without gain and read back by
// ffprobe, ffmpeg and mutagen: format, tags, and the decoded tone's level and
// noise floor. Also a write cancelled in the middle of its file.
#include "support/ExternalReaders.h"
#include "SavingSession.h"
#include "support/SourceWav.h"
#include "Spectrum.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace saving;

namespace {

constexpr double kToneHz = 1000.0;
constexpr size_t kAnalysisFrames = size_t{1} << 18;

// DSD128 is modulated by the simulator in real time only at its normal pace.
constexpr double kSimSpeed = 1.0;

void InitEngine()
{
    const std::string path = ScratchFolder() + "/tone.wav";
    // Half of full scale: the recorded DSD stream then has room for +6 dB.
    static const bool written = WriteSourceWav(MakeTone(48000, 20.0, kToneHz, 0.5), path);
    ASSERT_TRUE(written);
    std::string error;
    ASSERT_TRUE(InitEngineOnce(path, kSimSpeed, error)) << error;
}

struct CurrentRecording {
    uint64_t rate = 0; // DSD bit rate, 0 before the first recording
    uint64_t samples = 0;
};

CurrentRecording& Current()
{
    static CurrentRecording current;
    return current;
}

// Records `milliseconds` of the tone at the DSD bit rate unless the current
// recording already has that rate.
void EnsureDsdRecording(uint64_t rate, int milliseconds)
{
    if (Current().rate == rate) {
        return;
    }
    RecordPlan plan;
    plan.setting = TkRecordSetting{1, rate, 1};
    plan.recordMs = milliseconds;
    uint64_t previewFrames = 0;
    std::string error;
    ASSERT_TRUE(Record(plan, previewFrames, error)) << error;
    Current() = CurrentRecording{rate, previewFrames * 64}; // one preview frame per 64 one-bit samples
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& key)
{
    const auto found = fields.find(key);
    return found != fields.end() ? found->second : std::string();
}

// Writes the same stretch of the current recording with 0 dB and +6 dB and
// checks both files and what the gain did to the decoded tone.
void WriteAndCheckToneTracks(const std::string& album, double start, double end, double decodedRate)
{
    const std::string folder = ScratchFolder() + "/" + album + "/";
    const std::string title = "夜の音楽 \xF0\x9D\x84\x9E"; // with U+1D11E, outside the BMP
    const std::map<std::string, std::string> tags{
        {"Title", title}, {"Alubum", album}, {"Artist", "Tone Artist"}, {"AlbumArtist", "Tone Album Artist"}};
    const Track plain{folder + "01 plain.dsf", start, end, 0.0, tags};
    const Track louder{folder + "02 louder.dsf", start, end, 6.0, tags};
    const SaveOutcome outcome = SaveTracks({plain, louder});
    ASSERT_EQ(outcome.started, TkErrorSuccess);
    ASSERT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.errors.empty());
    EXPECT_EQ(outcome.totalProgress, 1000);
    // A DSF file's progress counts the blocks begun before the current one,
    // so it ends one block (32768 samples) short of the whole file.
    EXPECT_GE(outcome.fileProgress, 990);

    const auto rate = static_cast<double>(Current().rate);
    const auto samples = static_cast<uint64_t>(rate * end) - static_cast<uint64_t>(rate * start);
    std::vector<ToneAnalysis> analyses;
    for (const Track* track : {&plain, &louder}) {
        SCOPED_TRACE(track->path);
        const auto probe = Probe(track->path);
        EXPECT_EQ(Field(probe, "format_name"), "dsf");
        EXPECT_EQ(Field(probe, "codec_name"), "dsd_lsbf_planar");
        EXPECT_EQ(Field(probe, "sample_rate"), std::to_string(Current().rate / 8)); // bytes per second per channel
        EXPECT_EQ(Field(probe, "channels"), "2");
        ASSERT_FALSE(Field(probe, "duration").empty());
        // The data runs on to the end of the last 4096-byte block.
        EXPECT_NEAR(std::stod(Field(probe, "duration")), static_cast<double>(samples) / rate, 4096.0 * 8 / rate);
        EXPECT_EQ(Field(probe, "TAG:title"), title);
        EXPECT_EQ(Field(probe, "TAG:album"), album);
        EXPECT_EQ(Field(probe, "TAG:artist"), "Tone Artist");
        EXPECT_EQ(Field(probe, "TAG:album_artist"), "Tone Album Artist");

        std::map<std::string, std::string> id3;
        ASSERT_TRUE(ReadId3WithMutagen(track->path, id3));
        EXPECT_EQ(id3["VERSION"], "2.3");
        EXPECT_EQ(id3["TIT2"], title);
        EXPECT_EQ(id3["TPE2"], "Tone Album Artist");

        std::vector<float> decoded;
        ASSERT_TRUE(DecodeWithFfmpeg(track->path, decoded));
        // Skip the first 50 ms, where the decoder's filter settles.
        const auto skip = static_cast<size_t>(0.05 * decodedRate);
        ASSERT_GE(decoded.size() / 2, skip + kAnalysisFrames);
        for (size_t channel = 0; channel < 2; ++channel) {
            analyses.push_back(
                AnalyseTone(decoded, 2, channel, skip, kAnalysisFrames, decodedRate, kToneHz, 20.0, 20000.0));
        }
    }
    ASSERT_EQ(analyses.size(), 4u);
    for (size_t channel = 0; channel < 2; ++channel) {
        const ToneAnalysis& a = analyses[channel];
        const ToneAnalysis& b = analyses[2 + channel];
        EXPECT_NEAR(b.toneDb - a.toneDb, 6.0, 0.2) << "channel " << channel;
        // The recorded stream's own in-band noise is amplified with the tone;
        // re-modulation may add at most as much again (3 dB) on top of that.
        EXPECT_LE(b.noiseFloorDb - a.noiseFloorDb, 6.0 + 3.0)
            << "channel " << channel << ": floor " << a.noiseFloorDb << " dB, with gain " << b.noiseFloorDb << " dB";
        // The tone stands far above the floor, so the floor is noise, not leakage.
        EXPECT_GT(a.toneDb - a.noiseFloorDb, 60.0) << "channel " << channel;
    }
}

} // namespace

TEST(DsdTracks, Dsd64ToneWithGainIs6dBLouderWithoutAddedNoise)
{
    InitEngine();
    EnsureDsdRecording(2822400, 2200);
    ASSERT_GT(Current().samples, static_cast<uint64_t>(2822400 * 1.9));
    WriteAndCheckToneTracks("DSD64 Album", 0.4, 1.9, 352800.0);
}

TEST(DsdTracks, Dsd128ToneWithGainIs6dBLouderWithoutAddedNoise)
{
    InitEngine();
    EnsureDsdRecording(5644800, 1500);
    ASSERT_GT(Current().samples, static_cast<uint64_t>(5644800 * 1.2));
    WriteAndCheckToneTracks("DSD128 Album", 0.3, 1.2, 705600.0);
}

TEST(SaveCancel, CancelInTheMiddleOfAFileRemovesItAndTheFolderTheRunCreated)
{
    InitEngine();
    if (Current().rate == 0) {
        EnsureDsdRecording(2822400, 1500);
    }
    const double seconds = static_cast<double>(Current().samples) / static_cast<double>(Current().rate);
    ASSERT_GT(seconds, 1.0);
    const std::string folder = ScratchFolder() + "/Cancelled Album";
    ASSERT_FALSE(std::filesystem::exists(folder));
    // Re-modulating for the gain keeps the file in writing long enough to cancel it.
    const Track track{folder + "/01 cancelled.dsf", 0.0, seconds - 0.05, 6.0, {{"Title", "Cancelled"}}};

    // Cancelled as soon as the file is being written (under a temporary name
    // in the folder; the progress read right after the start may still be
    // the previous run's).
    bool cancelled = false;
    const SaveOutcome outcome = SaveTracks({track}, [&](int32_t) {
        std::error_code ignored;
        if (!cancelled && !std::filesystem::is_empty(folder, ignored) && std::filesystem::exists(folder)) {
            EXPECT_EQ(Cartova_SaveFileCancel(true), TkErrorSuccess);
            cancelled = true;
        }
    });
    ASSERT_EQ(outcome.started, TkErrorSuccess);
    EXPECT_TRUE(outcome.finished);
    ASSERT_TRUE(cancelled);
    EXPECT_LT(outcome.totalProgress, 900) << "the file was nearly written before the cancellation";
    EXPECT_TRUE(outcome.errors.empty()) << "a cancellation is not an error";
    EXPECT_FALSE(std::filesystem::exists(track.path));
    EXPECT_FALSE(std::filesystem::exists(folder));
}
