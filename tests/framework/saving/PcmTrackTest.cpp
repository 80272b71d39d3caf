// PCM track files from a recording of a known record (two noisy tones, with a
// pause in the middle of the recording), written through the exported
// functions and read back by ffprobe, sox and mutagen: format, duration,
// samples, gain with clipping, cuts at given times, and the tags in both the
// "id3 " chunk and the RIFF INFO list.
#include "support/ExternalReaders.h"
#include "SavingSession.h"
#include "support/SourceWav.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace saving;

namespace {

constexpr uint32_t kRate = 48000;
constexpr double kSimSpeed = 8.0;

const SourceSignal& Source()
{
    static const SourceSignal source = MakeNoisyTones(kRate, 30.0);
    return source;
}

// Initialises the engine with the source as the simulator's record.
void InitEngine()
{
    const std::string path = ScratchFolder() + "/source.wav";
    static const bool written = WriteSourceWav(Source(), path);
    ASSERT_TRUE(written);
    std::string error;
    ASSERT_TRUE(InitEngineOnce(path, kSimSpeed, error)) << error;
}

// The process's 24-bit 48 kHz recording, made on first use: about 2.4 s,
// a pause of about 0.8 s, then about 1.6 s more (simulator time).
uint64_t RecordedFrames()
{
    static uint64_t frames = 0;
    if (frames == 0) {
        RecordPlan plan;
        plan.setting = TkRecordSetting{0, kRate, 24};
        plan.recordMs = 300;
        plan.pauseMs = 100;
        plan.resumeMs = 200;
        std::string error;
        EXPECT_TRUE(Record(plan, frames, error)) << error;
    }
    return frames;
}

uint64_t SamplePosition(double seconds) { return static_cast<uint64_t>(kRate * seconds); }

// The frame of the source at which `count` frames of `decoded` (24-bit
// values), starting at frame `from`, appear, searching from source frame
// `searchFrom`; -1 if nowhere.
int64_t FindInSource(const std::vector<int32_t>& decoded, uint64_t from, uint64_t count, uint64_t searchFrom)
{
    const auto& src = Source().samples;
    const uint64_t sourceFrames = Source().Frames();
    for (uint64_t s = searchFrom; s + count <= sourceFrames; ++s) {
        bool same = true;
        for (uint64_t i = 0; i < count && same; ++i) {
            same = src[2 * (s + i)] == decoded[2 * (from + i)] && src[2 * (s + i) + 1] == decoded[2 * (from + i) + 1];
        }
        if (same) {
            return static_cast<int64_t>(s);
        }
    }
    return -1;
}

// Frames of `decoded` from `from` on that continue the source from `sourceFrame`.
uint64_t RunLength(const std::vector<int32_t>& decoded, uint64_t from, uint64_t sourceFrame)
{
    const auto& src = Source().samples;
    uint64_t n = 0;
    while (2 * (from + n) + 1 < decoded.size() && sourceFrame + n < Source().Frames() &&
           src[2 * (sourceFrame + n)] == decoded[2 * (from + n)] &&
           src[2 * (sourceFrame + n) + 1] == decoded[2 * (from + n) + 1]) {
        ++n;
    }
    return n;
}

std::vector<int32_t> DecodeShifted(const std::string& path, int shift)
{
    std::vector<int32_t> samples;
    EXPECT_TRUE(DecodeWithSox(path, samples)) << path;
    for (int32_t& v : samples) {
        v >>= shift;
    }
    return samples;
}

void ExpectFinishedCleanly(const SaveOutcome& outcome)
{
    EXPECT_EQ(outcome.started, TkErrorSuccess);
    EXPECT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.errors.empty()) << "first error " << outcome.errors.front().first << " "
                                        << outcome.errors.front().second;
    EXPECT_EQ(outcome.fileProgress, 1000);
    EXPECT_EQ(outcome.totalProgress, 1000);
}

} // namespace

// Must stay the first test of this program: it holds only before any save of the process.
TEST(SaveProgress, BeforeAnySaveIsInvalidState)
{
    InitEngine();
    int32_t file = 7;
    int32_t total = 7;
    EXPECT_EQ(Cartova_SaveFileProgress(&file, &total), TkErrorInvalidState);
    EXPECT_EQ(file, 7);
    EXPECT_EQ(total, 7);
}

TEST(PcmTracks, Whole24BitRecordingIsTheSourceWithoutThePausedStretchAndCarriesItsTags)
{
    InitEngine();
    const uint64_t frames = RecordedFrames();
    ASSERT_GT(frames, SamplePosition(3.0));
    ASSERT_TRUE(SelectPcmFormat(kRate, 24));

    const std::string title = "夜の音楽";
    const std::string artist = "Artist \xF0\x9D\x84\x9E"; // U+1D11E, outside the BMP
    Track track;
    track.path = ScratchFolder() + "/Album 24/01 whole.wav";
    track.start = 0.0;
    track.end = static_cast<double>(frames) / kRate + 1.0; // beyond the recording: cut at its end
    track.tags = {{"Title", title}, {"Alubum", "Album One"}, {"Artist", artist}, {"AlbumArtist", "Album Artist"}};
    ExpectFinishedCleanly(SaveTracks({track}));

    const auto probe = Probe(track.path);
    EXPECT_EQ(probe.count("format_name") ? probe.at("format_name") : "", "wav");
    EXPECT_EQ(probe.count("codec_name") ? probe.at("codec_name") : "", "pcm_s24le");
    EXPECT_EQ(probe.count("sample_rate") ? probe.at("sample_rate") : "", "48000");
    EXPECT_EQ(probe.count("channels") ? probe.at("channels") : "", "2");
    EXPECT_EQ(probe.count("bits_per_sample") ? probe.at("bits_per_sample") : "", "24");
    ASSERT_TRUE(probe.count("duration"));
    EXPECT_NEAR(std::stod(probe.at("duration")), static_cast<double>(frames) / kRate, 1e-4);
    // ffprobe shows the INFO values (Shift-JIS, so only the ASCII ones are compared).
    EXPECT_EQ(probe.count("TAG:album") ? probe.at("TAG:album") : "", "Album One");

    std::map<std::string, std::string> id3;
    ASSERT_TRUE(ReadId3WithMutagen(track.path, id3));
    EXPECT_EQ(id3["VERSION"], "2.3");
    EXPECT_EQ(id3["TIT2"], title);
    EXPECT_EQ(id3["TALB"], "Album One");
    EXPECT_EQ(id3["TPE1"], artist);
    EXPECT_EQ(id3["TPE2"], "Album Artist");

    std::map<std::string, std::vector<uint8_t>> info;
    ASSERT_TRUE(ReadRiffInfo(track.path, info));
    // "夜の音楽" in CP932, its terminator and the pad byte to an even length.
    EXPECT_EQ(info["INAM"], (std::vector<uint8_t>{0x96, 0xE9, 0x82, 0xCC, 0x89, 0xB9, 0x8A, 0x79, 0, 0}));
    EXPECT_EQ(info["IPRD"], (std::vector<uint8_t>{'A', 'l', 'b', 'u', 'm', ' ', 'O', 'n', 'e', 0}));
    // The character outside Shift-JIS becomes the substitute character.
    EXPECT_EQ(info["IART"], (std::vector<uint8_t>{'A', 'r', 't', 'i', 's', 't', ' ', '?', 0, 0}));
    EXPECT_EQ(info.count("ITRK"), 0u);

    // The samples are two unbroken stretches of the record: before the pause
    // and after it, with the paused stretch left out.
    const std::vector<int32_t> decoded = DecodeShifted(track.path, 8);
    ASSERT_EQ(decoded.size(), 2 * frames);
    const int64_t first = FindInSource(decoded, 0, 64, 0);
    ASSERT_GE(first, 0) << "the file's start is not in the record";
    const uint64_t before = RunLength(decoded, 0, static_cast<uint64_t>(first));
    ASSERT_LT(before, frames) << "no pause in the file";
    const int64_t resumed = FindInSource(decoded, before, 64, static_cast<uint64_t>(first) + before);
    ASSERT_GE(resumed, 0) << "what follows the pause is not in the record";
    EXPECT_GT(static_cast<uint64_t>(resumed), static_cast<uint64_t>(first) + before) << "nothing was left out";
    EXPECT_EQ(before + RunLength(decoded, before, static_cast<uint64_t>(resumed)), frames);
}

TEST(PcmTracks, GainOf6dBDoublesThe24BitSamplesAndClampsThePeaks)
{
    InitEngine();
    const uint64_t frames = RecordedFrames();
    ASSERT_GT(frames, SamplePosition(2.0));
    ASSERT_TRUE(SelectPcmFormat(kRate, 24));

    const std::string folder = ScratchFolder() + "/Album gain/";
    Track plain{folder + "01 plain.wav", 0.5, 2.0, 0.0, {{"Title", "Plain"}}};
    Track louder{folder + "02 louder.wav", 0.5, 2.0, 6.0, {{"Title", "Louder"}}};
    ExpectFinishedCleanly(SaveTracks({plain, louder}));

    const std::vector<int32_t> original = DecodeShifted(plain.path, 8);
    const std::vector<int32_t> gained = DecodeShifted(louder.path, 8);
    ASSERT_EQ(original.size(), 2 * (SamplePosition(2.0) - SamplePosition(0.5)));
    ASSERT_EQ(gained.size(), original.size());
    const float g = std::pow(10.0f, 6.0f / 20.0f);
    size_t clippedHigh = 0;
    size_t clippedLow = 0;
    size_t wrong = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        const float scaled = static_cast<float>(original[i]) / 8388608.0f * g * 8388608.0f;
        const auto expected = static_cast<int32_t>(std::clamp(scaled, -8388608.0f, 8388607.0f));
        wrong += std::abs(gained[i] - expected) > 1 ? 1 : 0;
        clippedHigh += gained[i] == 8388607 ? 1 : 0;
        clippedLow += gained[i] == -8388608 ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(clippedHigh, 0u);
    EXPECT_GT(clippedLow, 0u);
}

TEST(PcmTracks, TracksCutAtGivenTimesJoinSampleExactlyInto16BitPreviewFrames)
{
    InitEngine();
    const uint64_t frames = RecordedFrames();
    const std::vector<double> cuts{0.0, 0.7, 1.9, 2.35, 2.95};
    ASSERT_GT(frames, SamplePosition(cuts.back()));
    ASSERT_TRUE(SelectPcmFormat(kRate, 16));

    std::vector<Track> tracks;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const std::string name = "Track " + std::to_string(i + 1);
        tracks.push_back(Track{ScratchFolder() + "/Album 16/" + name + ".wav", cuts[i], cuts[i + 1], 0.0,
                               {{"Title", name}, {"AlbumArtist", "Various"}}});
    }
    ExpectFinishedCleanly(SaveTracks(tracks));

    std::vector<int32_t> joined;
    for (size_t i = 0; i < tracks.size(); ++i) {
        const uint64_t length = SamplePosition(cuts[i + 1]) - SamplePosition(cuts[i]);
        const auto probe = Probe(tracks[i].path);
        EXPECT_EQ(probe.count("codec_name") ? probe.at("codec_name") : "", "pcm_s16le") << tracks[i].path;
        EXPECT_EQ(probe.count("bits_per_sample") ? probe.at("bits_per_sample") : "", "16");
        EXPECT_EQ(probe.count("TAG:title") ? probe.at("TAG:title") : "", "Track " + std::to_string(i + 1));
        ASSERT_TRUE(probe.count("duration"));
        EXPECT_NEAR(std::stod(probe.at("duration")), static_cast<double>(length) / kRate, 1e-4);
        const std::vector<int32_t> decoded = DecodeShifted(tracks[i].path, 16);
        EXPECT_EQ(decoded.size(), 2 * length) << tracks[i].path;
        joined.insert(joined.end(), decoded.begin(), decoded.end());
    }
    // The finished preview is the same 16-bit conversion of the recorded stream.
    const uint64_t total = SamplePosition(cuts.back());
    ASSERT_EQ(joined.size(), 2 * total);
    const std::vector<int16_t> preview = FinishedPreview(0, total);
    ASSERT_EQ(preview.size(), joined.size());
    size_t firstDifference = joined.size();
    for (size_t i = 0; i < joined.size() && firstDifference == joined.size(); ++i) {
        if (joined[i] != preview[i]) {
            firstDifference = i;
        }
    }
    EXPECT_EQ(firstDifference, joined.size()) << "first different sample at frame " << firstDifference / 2;
}

TEST(PcmTracks, FlacTracksHoldTheSamplesOfTheWavTracksAndUnusableTagsAreRefused)
{
    InitEngine();
    ASSERT_GT(RecordedFrames(), SamplePosition(2.0));
    ASSERT_TRUE(SelectPcmFormat(kRate, 24));
    const std::string folder = ScratchFolder() + "/Album flac/";
    const std::string cover = ScratchFolder() + "/cover.gif";
    std::FILE* file = std::fopen(cover.c_str(), "w");
    std::fputs("GIF89a", file);
    std::fclose(file);
    char* message = nullptr;
    EXPECT_EQ(Cartova_CheckCoverImage(cover.c_str(), &message), TkErrorInvalidArgument);
    EXPECT_EQ(message, "the cover image " + cover + " is not a PNG or JPEG picture");
    Cartova_ReleaseCoverImageProblem(message);

    Track wav{folder + "01 plain.wav", 0.5, 2.0, 3.0, {{"Title", "Plain"}}};
    ExpectFinishedCleanly(SaveTracks({wav}));
    ASSERT_EQ(Cartova_SetPcmFileFormat(TkPcmFileFormatFlac, 5), TkErrorSuccess);
    // The later tests of this program write WAV files again.
    struct WavAgain {
        ~WavAgain() { Cartova_SetPcmFileFormat(TkPcmFileFormatWav, 5); }
    } wavAgain;
    Track flac{folder + "01 plain.flac", 0.5, 2.0, 3.0, {{"Title", "Plain"}, {"TrackNumber", "1"}}};
    ExpectFinishedCleanly(SaveTracks({flac}));
    std::vector<int32_t> fromWav, fromFlac;
    ASSERT_TRUE(DecodeWithSox(wav.path, fromWav));
    ASSERT_TRUE(DecodeWithSox(flac.path, fromFlac));
    EXPECT_EQ(fromFlac.size(), 2 * (SamplePosition(2.0) - SamplePosition(0.5)));
    EXPECT_TRUE(fromFlac == fromWav);

    for (const auto& [key, value] : {std::pair<std::string, std::string>{"CoverImage", cover}, {"TrackNumber", "A1"}}) {
        Track refused{folder + "02 refused.flac", 0.0, 0.5, 0.0, {{key, value}}};
        EXPECT_EQ(SaveTracks({refused}).started, TkErrorInvalidArgument) << key;
        EXPECT_FALSE(std::filesystem::exists(refused.path));
    }
    EXPECT_EQ(Cartova_SetPcmFileFormat(TkPcmFileFormatFlac, 9), TkErrorInvalidArgument);
}
