// The WAV writer against RecordData filled with known samples: byte layout,
// samples decoded by sox, format and INFO tags read by ffprobe, ID3 frames
// read by mutagen, gain and clamping, cutting, and its refusals.
#include "save_fixture.h"

#include "save/Interleave.h"
#include "save/SaveVolumeChecks.h"
#include "save/SaveWavFile.h"
#include "save/WavHeader.h"

using namespace savetest;

namespace {

class SaveWavTest : public ::testing::Test {
protected:
    ScratchDir dir;
    FakeEngine engine{dir.Path()};
};

} // namespace

TEST_F(SaveWavTest, OneSecondStereo16BitHasCanonicalHeaderAndDecodesToConvertedSamples) {
    PcmRecording rec(engine, 2, 44100, 44100);
    StubHost host(&rec.data);
    const std::string path = dir / "one.wav";
    const auto job = Job(path, 0.0, 1.0);
    ASSERT_EQ(SaveWavFile(host, &job, 16), TkErrorSuccess);

    const std::vector<uint8_t> file = ReadFile(path);
    ASSERT_EQ(file.size(), 44u + 176400u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(LE32(file, 4), 176436u);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(LE32(file, 16), 16u);
    EXPECT_EQ(LE16(file, 20), 1u);
    EXPECT_EQ(LE16(file, 22), 2u);
    EXPECT_EQ(LE32(file, 24), 44100u);
    EXPECT_EQ(LE32(file, 28), 176400u);
    EXPECT_EQ(LE16(file, 32), 4u);
    EXPECT_EQ(LE16(file, 34), 16u);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(LE32(file, 40), 176400u);
    EXPECT_EQ(host.fileDone, 44100u);
    EXPECT_EQ(host.totalDone, 44100u);

    const std::string probe = Probe(path);
    EXPECT_EQ(ProbeValue(probe, "codec_name"), "pcm_s16le");
    EXPECT_EQ(ProbeValue(probe, "sample_rate"), "44100");
    EXPECT_EQ(ProbeValue(probe, "channels"), "2");
    EXPECT_EQ(ProbeValue(probe, "bits_per_sample"), "16");
    EXPECT_NEAR(std::stod(ProbeValue(probe, "duration")), 1.0, 1e-6);

    const std::vector<int32_t> decoded = DecodeWithSox(path, 16);
    ASSERT_EQ(decoded.size(), 88200u);
    for (size_t i = 0; i < 44100; ++i) {
        ASSERT_EQ(decoded[2 * i], Converted(rec.samples[0][i], 16)) << i;
        ASSERT_EQ(decoded[2 * i + 1], Converted(rec.samples[1][i], 16)) << i;
    }
}

TEST_F(SaveWavTest, EveryDepthDecodesToTheConvertersOutputFromTheTrackStart) {
    PcmRecording rec(engine, 2, 48000, 48000);
    StubHost host(&rec.data);
    for (unsigned bits : {16u, 24u, 32u}) {
        const std::string path = dir / ("d" + std::to_string(bits) + ".wav");
        const auto job = Job(path, 0.25, 0.5); // frames [12000, 24000)
        ASSERT_EQ(SaveWavFile(host, &job, static_cast<uint16_t>(bits)), TkErrorSuccess);
        const std::string probe = Probe(path);
        EXPECT_EQ(ProbeValue(probe, "bits_per_sample"), std::to_string(bits));
        EXPECT_EQ(ProbeValue(probe, "codec_name"), "pcm_s" + std::to_string(bits) + "le");
        const std::vector<int32_t> decoded = DecodeWithSox(path, bits);
        ASSERT_EQ(decoded.size(), 24000u) << bits;
        for (size_t i = 0; i < 12000; ++i) {
            for (unsigned c = 0; c < 2; ++c) {
                ASSERT_EQ(decoded[2 * i + c], Converted(rec.samples[c][12000 + i], bits)) << bits << " " << i;
            }
        }
    }
}

TEST_F(SaveWavTest, GainIsAppliedInSinglePrecisionAndClamped) {
    auto level = [](unsigned c, uint64_t i) -> float {
        static const float values[] = {0.6f, -0.6f, 0.25f, -0.1f, 0.0f};
        return c == 0 ? values[i % 5] : 0.3f;
    };
    PcmRecording rec(engine, 2, 8000, 800, level);
    StubHost host(&rec.data);
    const float g = std::pow(10.0f, 6.0f / 20.0f);
    for (unsigned bits : {16u, 24u, 32u}) {
        const std::string path = dir / ("gain" + std::to_string(bits) + ".wav");
        const auto job = Job(path, 0.0, 0.1, 6.0);
        ASSERT_EQ(SaveWavFile(host, &job, static_cast<uint16_t>(bits)), TkErrorSuccess);
        const std::vector<int32_t> decoded = DecodeWithSox(path, bits);
        ASSERT_EQ(decoded.size(), 1600u);
        const int32_t top = static_cast<int32_t>((1ull << (bits - 1)) - 1);
        EXPECT_EQ(decoded[0], top) << bits; // 0.6 x 2 is beyond full scale
        EXPECT_EQ(decoded[2], -top - 1) << bits;
        for (size_t i = 0; i < 800; ++i) {
            ASSERT_EQ(decoded[2 * i], Converted(level(0, i) * g, bits)) << bits << " " << i;
            ASSERT_EQ(decoded[2 * i + 1], Converted(0.3f * g, bits));
        }
    }
}

TEST_F(SaveWavTest, OddDataSizeIsPaddedSoTagChunksAreFound) {
    PcmRecording rec(engine, 1, 44100, 44100);
    StubHost host(&rec.data);
    const std::string path = dir / "odd.wav";
    const auto job = Job(path, 0.0, 1001.5 / 44100.0, 0.0, {{"Title", "ab"}, {"Artist", "Someone"}});
    ASSERT_EQ(SaveWavFile(host, &job, 24), TkErrorSuccess);

    const std::vector<uint8_t> file = ReadFile(path);
    const uint32_t dataSize = LE32(file, 40);
    EXPECT_EQ(dataSize, 1001u * 3);
    EXPECT_EQ(file[44 + dataSize], 0); // pad byte
    EXPECT_EQ(std::string(file.begin() + 45 + dataSize, file.begin() + 49 + dataSize), "LIST");
    EXPECT_EQ(LE32(file, 4), file.size() - 8);

    const std::string probe = Probe(path);
    EXPECT_EQ(ProbeValue(probe, "TAG:title"), "ab");
    EXPECT_EQ(ProbeValue(probe, "TAG:artist"), "Someone");
    EXPECT_EQ(ProbeValue(probe, "bits_per_sample"), "24");
    EXPECT_EQ(RunCommand("/usr/bin/python3 -c \"import mutagen.wave,sys; t=mutagen.wave.WAVE(sys.argv[1]).tags; "
                  "print(t['TIT2'].text[0], t['TPE1'].text[0])\" " + Quote(path)),
              "ab Someone\n");
    const std::vector<int32_t> decoded = DecodeWithSox(path, 24);
    ASSERT_EQ(decoded.size(), 1001u);
    EXPECT_EQ(decoded[1000], Converted(rec.samples[0][1000], 24));
}

TEST_F(SaveWavTest, JapaneseAndNonBmpTagsReachId3AndShiftJisInfo) {
    PcmRecording rec(engine, 2, 44100, 4410);
    StubHost host(&rec.data);
    const std::string path = dir / "tags.wav";
    const std::string title = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xF0\x9F\x8E\xB5"; // Japanese + U+1F3B5
    const auto job = Job(path, 0.0, 0.1, 0.0,
                         {{"Title", title}, {"Alubum", "Album"}, {"Artist", "Artist"}, {"AlbumArtist", "Band"}});
    ASSERT_EQ(SaveWavFile(host, &job, 16), TkErrorSuccess);

    const std::string out = RunCommand(
        "/usr/bin/python3 -c \"import mutagen.wave,sys; t=mutagen.wave.WAVE(sys.argv[1]).tags; "
        "print(ascii([t[k].text[0] for k in ('TIT2','TALB','TPE1','TPE2')]))\" " + Quote(path));
    EXPECT_EQ(out, "['\\u65e5\\u672c\\u8a9e \\U0001f3b5', 'Album', 'Artist', 'Band']\n");

    const std::vector<uint8_t> file = ReadFile(path);
    const std::string bytes(file.begin(), file.end());
    // INAM: CP932 of the Japanese word, a space, "?" for U+1F3B5, terminator, pad.
    const std::string inam = std::string("INAM\x0A\0\0\0", 8) + "\x93\xFA\x96\x7B\x8C\xEA ?" + std::string(2, '\0');
    EXPECT_NE(bytes.find(inam), std::string::npos);
    const std::string probe = Probe(path);
    EXPECT_EQ(ProbeValue(probe, "TAG:album"), "Album"); // INFO values, not the id3 chunk
}

TEST_F(SaveWavTest, AlbumArtistAloneWritesNoTags) {
    PcmRecording rec(engine, 2, 44100, 4410);
    StubHost host(&rec.data);
    const std::string path = dir / "aa.wav";
    const auto job = Job(path, 0.0, 0.1, 0.0, {{"AlbumArtist", "Band"}});
    ASSERT_EQ(SaveWavFile(host, &job, 16), TkErrorSuccess);
    EXPECT_EQ(ReadFile(path).size(), 44u + 4410u * 4);
}

TEST_F(SaveWavTest, TrackBeyondRecordingIsCutAndEmptyTrackHasHeaderAndTags) {
    PcmRecording rec(engine, 2, 44100, 22050);
    StubHost host(&rec.data);
    const std::string cut = dir / "cut.wav";
    const auto longJob = Job(cut, 0.25, 5.0);
    ASSERT_EQ(SaveWavFile(host, &longJob, 16), TkErrorSuccess);
    EXPECT_EQ(LE32(ReadFile(cut), 40), (22050u - 11025u) * 4);
    EXPECT_EQ(host.fileSamples, 11025u);

    const std::string empty = dir / "empty.wav";
    const auto emptyJob = Job(empty, 0.3, 0.3, 0.0, {{"Title", "ab"}});
    ASSERT_EQ(SaveWavFile(host, &emptyJob, 16), TkErrorSuccess);
    const std::vector<uint8_t> file = ReadFile(empty);
    EXPECT_EQ(LE32(file, 40), 0u);
    EXPECT_EQ(file.size(), 44u + 60u); // LIST of 24 bytes, id3 chunk of 8 + 28
    // ffmpeg takes a data size of 0 as "up to the end of the file", so the
    // tags of an empty track are checked with mutagen.
    EXPECT_EQ(RunCommand("/usr/bin/python3 -c \"import mutagen.wave,sys; "
                         "print(mutagen.wave.WAVE(sys.argv[1]).tags['TIT2'].text[0])\" " + Quote(empty)),
              "ab\n");
}

TEST_F(SaveWavTest, RefusesReversedRangesBadDepthsAndStopsOnCancel) {
    PcmRecording rec(engine, 2, 44100, 44100);
    StubHost host(&rec.data);
    const auto reversed = Job(dir / "r.wav", 0.5, 0.4);
    EXPECT_EQ(SaveWavFile(host, &reversed, 16), TkErrorInvalidArgument);
    EXPECT_EQ(SaveWavFile(host, nullptr, 16), TkErrorInvalidArgument);
    const auto job = Job(dir / "bits.wav", 0.0, 0.5);
    EXPECT_EQ(SaveWavFile(host, &job, 20), TkErrorFailed);
    EXPECT_FALSE(fs::exists(dir / "bits.wav"));

    host.cancelMode = 1;
    EXPECT_EQ(SaveWavFile(host, &job, 16), TkErrorCancelled);
    host.cancelMode = 2; // keeps the file going
    EXPECT_EQ(SaveWavFile(host, &job, 16), TkErrorSuccess);
    EXPECT_EQ(ReadFile(dir / "bits.wav").size(), 44u + 22050u * 4);

    const auto uncreatable = Job(dir / "missing/sub/x.wav", 0.0, 0.5);
    EXPECT_EQ(SaveWavFile(host, &uncreatable, 16), TkErrorSuccess);
    ASSERT_EQ(host.skipped.size(), 1u);
    EXPECT_EQ(host.skipped[0], uncreatable.path);

    StubHost noData(nullptr);
    EXPECT_EQ(SaveWavFile(noData, &job, 16), TkErrorFailed);
}

TEST(WavLayout, FourGibLimitCountsTagsAndPadByte) {
    WavLayout layout;
    layout.channels = 1;
    layout.sampleRate = 44100;
    layout.bitsPerSample = 24;
    layout.frames = (0xFFFFFFFFull - 44) / 3; // largest that fits without tags: 1431655750 frames
    EXPECT_TRUE(layout.Representable());
    EXPECT_EQ(layout.PadSize(), 0u);
    layout.frames += 1; // odd data size: one more sample plus pad byte
    EXPECT_FALSE(layout.Representable());
    layout.frames = 1431655749; // odd count, data 4294967247, pad 1, total 4294967292
    EXPECT_EQ(layout.PadSize(), 1u);
    EXPECT_TRUE(layout.Representable());
    layout.tagSize = 4;
    EXPECT_FALSE(layout.Representable());
}

TEST(Interleave, ChannelsAlternatePerFrameForEverySampleSize) {
    const uint8_t a[] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint8_t b[] = {11, 12, 13, 14, 15, 16, 17, 18};
    const std::vector<const uint8_t*> channels{a, b};
    for (unsigned size : {2u, 3u, 4u}) {
        std::vector<uint8_t> out(2 * 2 * size);
        InterleaverFor(size)(out.data(), channels, 2);
        std::vector<uint8_t> expected;
        for (unsigned frame = 0; frame < 2; ++frame) {
            expected.insert(expected.end(), a + frame * size, a + (frame + 1) * size);
            expected.insert(expected.end(), b + frame * size, b + (frame + 1) * size);
        }
        EXPECT_EQ(out, expected) << size;
    }
    EXPECT_EQ(InterleaverFor(1), nullptr);
    EXPECT_EQ(InterleaverFor(5), nullptr);
}
