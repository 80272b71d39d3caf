// The FLAC writer against RecordData filled with known samples: flac's
// decoder (which checks the MD5) gives back the very samples of the WAV file
// of the same job; mutagen and metaflac read the metadata blocks; the size
// bound holds for noise; cancelled and failed tracks leave nothing behind.
#include "save_fixture.h"
#include "support/ExternalReaders.h"

#include "platform/DiskHelpers.h"
#include "save/CoverImage.h"
#include "save/FlacMetadata.h"
#include "save/FlacTags.h"
#include "save/SaveFlacFile.h"
#include "save/SaveThread.h"
#include "save/SaveWavFile.h"

#include <csignal>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace savetest;

namespace {

TkSaveSettingInternal FlacJob(const std::string& path, double start, double end, double gain = 0.0,
                              TagMap tags = {}) {
    TkSaveSettingInternal job = Job(path, start, end, gain, std::move(tags));
    job.pcmFormat = PcmFileFormat::Flac;
    return job;
}

// The samples of a FLAC file as flac decodes them (little-endian, signed,
// interleaved); empty when flac fails, also on an MD5 mismatch.
std::vector<uint8_t> DecodeFlac(const std::string& path) {
    const std::string raw = path + ".raw";
    const int status = std::system(("flac -d -s -f --force-raw-format --endian=little --sign=signed -o " +
                                    Quote(raw) + " " + Quote(path) + " 2>/dev/null").c_str());
    std::vector<uint8_t> bytes = status == 0 ? ReadFile(raw) : std::vector<uint8_t>();
    fs::remove(raw);
    return bytes;
}

std::vector<uint8_t> WavSamples(const std::string& path) {
    const std::vector<uint8_t> file = ReadFile(path);
    return std::vector<uint8_t>(file.begin() + 44, file.begin() + 44 + LE32(file, 40));
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string hex;
    char digits[3];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        hex += digits;
    }
    return hex;
}

// A PNG of 3 x 2 truecolour pixels as far as its header goes.
std::vector<uint8_t> SmallPng() {
    return {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 3, 0, 0, 0, 2,
            8, 2, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
}

// Noise over the whole range, which no predictor compresses.
float FullScaleNoise(unsigned c, uint64_t i) {
    uint64_t x = (2 * i + c + 1) * 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 29)) * 0xBF58476D1CE4E5B9ull;
    return static_cast<float>(static_cast<int32_t>(x ^ (x >> 32))) / 2147483648.0f;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class SaveFlacTest : public ::testing::Test {
protected:
    std::vector<std::string> Files() {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(out)) names.push_back(entry.path().filename());
        return names;
    }
    ScratchDir dir;
    FakeEngine engine{dir.Path()};
    std::string out = (fs::create_directories(dir / "out"), dir / "out");
};

} // namespace

TEST_F(SaveFlacTest, DecodesToTheSamplesOfTheWavFileOfTheSameJob) {
    struct Case {
        uint32_t rate;
        uint16_t bits;
        double gain; // +6 dB clips the 0.9 peaks
    };
    std::vector<Case> cases{{48000, 32, 0.0}, {48000, 32, 6.0}};
    for (uint32_t rate : {44100u, 96000u, 192000u, 384000u})
        for (uint16_t bits : {16, 24})
            for (double gain : {0.0, 6.0}) cases.push_back({rate, bits, gain});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " Hz " + std::to_string(c.bits) + " bit " + std::to_string(c.gain) + " dB");
        PcmRecording rec(engine, 2, c.rate, c.rate * 7 / 10);
        StubHost host(&rec.data);
        const auto flac = FlacJob(out + "/t.flac", 0.1, 0.65, c.gain);
        auto wav = flac;
        wav.path = out + "/t.wav";
        ASSERT_EQ(SaveWavFile(host, &wav, c.bits), TkErrorSuccess);
        ASSERT_EQ(SaveFlacFile(host, &flac, c.bits), TkErrorSuccess) << host.cause;
        EXPECT_EQ(host.fileDone, c.rate * 55 / 100);
        const std::vector<uint8_t> decoded = DecodeFlac(flac.path);
        ASSERT_FALSE(decoded.empty());
        EXPECT_TRUE(decoded == WavSamples(wav.path));
        const std::string streaminfo = saving::ReadFlacWithMutagen(flac.path).find("STREAMINFO")->second;
        EXPECT_EQ(streaminfo.substr(0, streaminfo.rfind(' ')),
                  std::to_string(c.rate) + " 2 " + std::to_string(c.bits) + " " + std::to_string(c.rate * 55 / 100));
    }
}

TEST_F(SaveFlacTest, MetadataBlocksReadBackWithTagsSeekPointsAndTheCoverBytes) {
    PcmRecording rec(engine, 2, 44100, 44100 * 25);
    StubHost host(&rec.data);
    auto cover = std::make_shared<CoverImage>();
    cover->data = SmallPng();
    ASSERT_TRUE(DescribeCoverImage(*cover));
    const std::string title = "\xE5\xA4\x9C\xE3\x81\xAE\xE9\x9F\xB3\xE6\xA5\xBD"; // 夜の音楽
    const std::string artist = "Mot\xC3\xB6rhead & Beyonc\xC3\xA9";
    auto job = FlacJob(out + "/tags.flac", 0.0, 25.0, 0.0,
                       {{"Title", title}, {"Artist", artist}, {"Alubum", "\xC3\x89t\xC3\xA9"},
                        {"AlbumArtist", "Band"}, {kTagTrackNumber, "02"}, {kTagTrackTotal, "12"},
                        {kTagDate, "2024-05-17"}});
    job.cover = cover;
    ASSERT_EQ(SaveFlacFile(host, &job, 24), TkErrorSuccess) << host.cause;

    const auto facts = saving::ReadFlacWithMutagen(job.path);
    EXPECT_EQ(facts.find("BLOCKS")->second, "0,4,3,6,1"); // STREAMINFO, comments, seek table, picture, padding
    const std::string streaminfo = facts.find("STREAMINFO")->second;
    EXPECT_EQ(streaminfo.substr(0, streaminfo.rfind(' ')), "44100 2 24 1102500");
    EXPECT_NE(streaminfo.substr(streaminfo.rfind(' ') + 1), std::string(32, '0'));
    // Each point is the first sample of the frame that holds 0, 10 or 20 s.
    EXPECT_EQ(facts.find("SEEKPOINTS")->second, "0,438272,880640");
    const std::vector<std::pair<std::string, std::string>> comments{
        {"TITLE", title},   {"ARTIST", artist},     {"ALBUM", "\xC3\x89t\xC3\xA9"}, {"ALBUMARTIST", "Band"},
        {"TRACKNUMBER", "2"}, {"TRACKTOTAL", "12"}, {"DATE", "2024-05-17"},         {"ENCODER", FlacComments({}).back().second}};
    for (const auto& [field, value] : comments) EXPECT_EQ(facts.find("COMMENT " + field)->second, value) << field;
    EXPECT_EQ(facts.find("PICTURE")->second, "3 image/png 3 2 24 0 " + Hex(cover->data));

    // ffprobe reads the same fields (under its own names for two of them) and the picture.
    std::map<std::string, std::string> probed = saving::Probe(job.path);
    const std::map<std::string, std::string> ffprobeName{{"ALBUMARTIST", "album_artist"}, {"TRACKNUMBER", "track"}};
    for (const auto& [field, value] : comments) {
        const auto renamed = ffprobeName.find(field);
        EXPECT_EQ(probed["TAG:" + (renamed == ffprobeName.end() ? field : renamed->second)], value) << field;
    }
    EXPECT_EQ(RunCommand("ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height:"
                         "stream_disposition=attached_pic -of default=nw=1 " + Quote(job.path)),
              "codec_name=png\nwidth=3\nheight=2\nDISPOSITION:attached_pic=1\n");

    // metaflac agrees on the blocks and finds the padding and the audio intact.
    const std::string listing = RunCommand("metaflac --list " + Quote(job.path));
    EXPECT_NE(listing.find("type: 1 (PADDING)\n  is last: true\n  length: 8192"), std::string::npos) << listing;
    EXPECT_EQ(std::system(("flac -t -s " + Quote(job.path) + " 2>/dev/null").c_str()), 0);
}

TEST_F(SaveFlacTest, ShortAndEmptyTracksHaveTheSeekPointAtSampleZero) {
    PcmRecording rec(engine, 1, 44100, 44100);
    StubHost host(&rec.data);
    for (double end : {0.5, 0.2}) {
        const auto job = FlacJob(out + "/short" + std::to_string(end) + ".flac", 0.2, end);
        ASSERT_EQ(SaveFlacFile(host, &job, 16), TkErrorSuccess) << host.cause;
        EXPECT_EQ(saving::ReadFlacWithMutagen(job.path).find("SEEKPOINTS")->second, "0");
        EXPECT_EQ(std::system(("flac -t -s " + Quote(job.path) + " 2>/dev/null").c_str()), 0);
    }
}

TEST_F(SaveFlacTest, SizeBoundHoldsForNoiseAtEveryLevel) {
    for (uint16_t channels : {1, 2}) {
        PcmRecording rec(engine, channels, 48000, 48000, FullScaleNoise);
        StubHost host(&rec.data);
        for (uint16_t bits : {16, 24}) {
            for (uint32_t level : {0u, 1u, 5u, 8u}) {
                auto job = FlacJob(out + "/noise.flac", 0.0, 1.0);
                job.flacCompression = level;
                ASSERT_EQ(SaveFlacFile(host, &job, bits), TkErrorSuccess) << host.cause;
                EXPECT_LE(fs::file_size(job.path), host.bytesChecked) << channels << " " << bits << " " << level;
                EXPECT_LT(host.bytesChecked, 48000u * channels * bits / 8 * 104 / 100 + 9000); // about the WAV size
            }
        }
    }
}

TEST_F(SaveFlacTest, CancelAndWriteFailuresLeaveNothingAndKeepAnEarlierFile) {
    PcmRecording rec(engine, 2, 44100, 44100);
    const auto job = FlacJob(out + "/t.flac", 0.0, 1.0);
    WriteBytes(job.path, {'o', 'l', 'd'});

    StubHost cancelling(&rec.data);
    cancelling.cancelAt = 8820;
    EXPECT_EQ(SaveFlacFile(cancelling, &job, 16), TkErrorCancelled);
    EXPECT_EQ(Files(), std::vector<std::string>{"t.flac"});
    EXPECT_EQ(ReadFile(job.path).size(), 3u);

    // A file-size limit stands in for a full disk: the encoder's writes fail
    // with EFBIG in a child process.
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit{20000, 20000};
        setrlimit(RLIMIT_FSIZE, &limit);
        StubHost host(&rec.data);
        const TkError result = SaveFlacFile(host, &job, 24);
        _exit(result == TkErrorFailed && host.cause == "write failed: File too large" ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Files(), std::vector<std::string>{"t.flac"});
    EXPECT_EQ(ReadFile(job.path).size(), 3u);
}

TEST_F(SaveFlacTest, SaveThreadCancelAndFullVolumeLeaveNoFileAndNoNewFolderButAnEarlierFile) {
    PcmRecording rec(engine, 2, 44100, 44100);
    SaveThread thread;
    SaveThread::JobList jobs{FlacJob(out + "/1.flac", 0.0, 0.5)};
    WriteBytes(jobs[0].path, {'o', 'l', 'd'});
    SaveVolumeQueries cancelling = SaveVolumeQueries::System();
    cancelling.freeBytesAvailable = [&thread](const std::string& dir, uint64_t& bytes) {
        thread.SaveCancel(true);
        return GetDiskFreeSpaceEx(dir.c_str(), &bytes, nullptr, nullptr);
    };
    thread.SetVolumeQueries(cancelling);
    ASSERT_EQ(thread.SaveFiles(&jobs, &rec.data, &engine), TkErrorSuccess);
    thread.WaitUntilFinished();
    EXPECT_EQ(ReadFile(jobs[0].path).size(), 3u);
    fs::remove(jobs[0].path);

    jobs = {FlacJob(out + "/new/1.flac", 0.0, 0.5), FlacJob(out + "/new/2.flac", 0.5, 1.0)};
    for (bool cancel : {true, false}) {
        SaveVolumeQueries queries = SaveVolumeQueries::System();
        queries.freeBytesAvailable = [&thread, cancel](const std::string&, uint64_t& bytes) {
            if (cancel) thread.SaveCancel(true);
            bytes = cancel ? UINT64_MAX : 1000;
            return true;
        };
        thread.SetVolumeQueries(queries);
        ASSERT_EQ(thread.SaveFiles(&jobs, &rec.data, &engine), TkErrorSuccess);
        thread.WaitUntilFinished();
        EXPECT_TRUE(Files().empty()) << cancel;
    }
    EXPECT_EQ(engine.Log().back().message, "not enough free space: " + jobs[0].path);
}

TEST(CoverImage, PngAndJpegAreDescribedOtherPicturesAndOversizedOnesRefused) {
    ScratchDir dir;
    const std::vector<uint8_t> jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC2, 0, 11, 8, 0, 5, 0, 7, 3, 1, 0x22, 0,
                                    0xFF, 0xDA, 0, 2, 0xFF, 0xD9};
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        uint64_t size; // the file is extended (sparse) to this size when larger
        CoverProblem problem;
        std::string description; // mime width height depth colors
    };
    const std::vector<Case> cases{
        {"a.png", SmallPng(), 0, CoverProblem::None, "image/png 3 2 24 0"},
        {"b.jpg", jpeg, 0, CoverProblem::None, "image/jpeg 7 5 24 0"},
        {"c.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, 0, CoverProblem::NotPngOrJpeg, ""},
        {"d.png", {0x89, 'P', 'N', 'G'}, 0, CoverProblem::NotPngOrJpeg, ""},
        {"e.png", {}, 0, CoverProblem::NotPngOrJpeg, ""},
        {"largest.png", SmallPng(), 16777174, CoverProblem::None, "image/png 3 2 24 0"},
        {"too-large.png", SmallPng(), 16777175, CoverProblem::TooLarge, ""},
        {"too-large.jpg", jpeg, 16777174, CoverProblem::TooLarge, ""},
    };
    for (const Case& c : cases) {
        const std::string path = dir / c.name;
        WriteBytes(path, c.bytes);
        if (c.size > 0) fs::resize_file(path, c.size);
        CoverImage image;
        std::string message;
        EXPECT_EQ(LoadCoverImage(path, image, message), c.problem) << c.name;
        if (c.problem == CoverProblem::None) {
            EXPECT_EQ(image.mimeType + " " + std::to_string(image.width) + " " + std::to_string(image.height) + " " +
                          std::to_string(image.depth) + " " + std::to_string(image.colors),
                      c.description);
            EXPECT_EQ(image.data.size(), std::max<uint64_t>(c.size, c.bytes.size()));
        } else {
            EXPECT_NE(message.find(path), std::string::npos) << message;
        }
    }
    CoverImage image;
    std::string message;
    EXPECT_EQ(LoadCoverImage(dir / "missing.png", image, message), CoverProblem::Unreadable);
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    EXPECT_EQ(LoadCoverImage(dir.Path(), image, message), CoverProblem::Unreadable);
}

TEST(FlacTags, TrackNumbersArePlainAndEmptyOrInvalidFieldsAreLeftOut) {
    const std::vector<std::pair<std::string, std::string>> numbers{
        {"2", "2"}, {"02", "2"}, {"0", ""}, {"", ""}, {"2/12", ""}, {"-1", ""}, {"1000000000", ""}, {"999999999", "999999999"}};
    for (const auto& [text, plain] : numbers) EXPECT_EQ(PlainTrackNumber(text), plain) << text;

    const auto comments = FlacComments({{"Title", "a\xFF" "b"}, {"Artist", ""}, {kTagTrackNumber, "x"}, {kTagDate, "2024"}});
    ASSERT_EQ(comments.size(), 3u);
    EXPECT_EQ(comments[0], (std::pair<std::string, std::string>{"TITLE", "a\xEF\xBF\xBD" "b"}));
    EXPECT_EQ(comments[1], (std::pair<std::string, std::string>{"DATE", "2024"}));
    EXPECT_EQ(comments[2].first, "ENCODER");
}
