// Runs the cartova tool as a process against the simulated turntable and
// checks its track files with ffprobe, and its answers to bad input.
#include "ToolRun.h"
#include "support/SourceWav.h"
#include "support/RecordSide.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ffprobe's stream and format entries of the first stream as key=value.
std::map<std::string, std::string> Probe(const fs::path& file)
{
    ProcessResult run = RunCommand("ffprobe -v error -select_streams a:0 -show_entries "
                         "stream=codec_name,sample_rate,channels,bits_per_sample:format=duration:format_tags "
                         "-of default=noprint_wrappers=1 " + Quote(file.string()));
    std::map<std::string, std::string> entries;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            entries[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return entries;
}

std::vector<fs::path> FilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A stereo WAV file of `frames` frames of integer PCM at 44100 Hz, a quiet ramp.
void WriteWav(const fs::path& path, uint16_t bits, uint32_t frames)
{
    std::vector<uint8_t> data;
    const uint32_t bytes = bits / 8u;
    for (uint32_t i = 0; i < frames * 2; ++i) {
        const int64_t value = int64_t(i % 64) << (bits - 8);
        for (uint32_t b = 0; b < bytes; ++b)
            data.push_back(uint8_t((bits == 8 ? value + 128 : value) >> (8 * b)));
    }
    auto le = [](std::vector<uint8_t>& out, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    le(out, uint32_t(36 + data.size()), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le(out, 16, 4);
    le(out, 1, 2);
    le(out, 2, 2);
    le(out, 44100, 4);
    le(out, 44100 * 2 * bytes, 4);
    le(out, 2 * bytes, 2);
    le(out, bits, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    le(out, uint32_t(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
}

class ToolProcess : public ToolFolderTest {
protected:
    ToolProcess() : ToolFolderTest("cartova-tool") {}
};

} // namespace

TEST_F(ToolProcess, DevicesListsTheSimulatedTurntable)
{
    ProcessResult run = RunTool({"--simulate", "devices"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("QT-LV200"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("2822400"), std::string::npos) << run.output;

    ProcessResult none = RunTool({"devices"});
    EXPECT_EQ(none.status, 1) << none.output;
    EXPECT_NE(none.output.find("no turntable found"), std::string::npos) << none.output;
}

TEST_F(ToolProcess, RecordsPcmTracksWithTags)
{
    ProcessResult run = RunTool({"--simulate", "--speed", "20", "record", "-r", "48000", "-b", "16", "-t", "6",
                       "--tracks", "2,4", "--album", "Demo Side", "--album-artist", "The Band", "--title",
                       "First", "--title", "Second", "--title", "Third", "--artist", "Player", "-g", "3",
                       "-o", out.string(), "--temp-dir", temp.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<fs::path> files = FilesIn(out / "Demo Side");
    ASSERT_EQ(files.size(), 3u) << run.output;
    EXPECT_NE(run.output.find("wrote "), std::string::npos);

    std::map<std::string, std::string> first = Probe(files[0]);
    EXPECT_EQ(first["codec_name"], "pcm_s16le");
    EXPECT_EQ(first["sample_rate"], "48000");
    EXPECT_EQ(first["channels"], "2");
    EXPECT_EQ(first["bits_per_sample"], "16");
    EXPECT_NEAR(std::stod(first["duration"]), 2.0, 0.05);
    EXPECT_EQ(first["TAG:title"], "First");
    EXPECT_EQ(first["TAG:album"], "Demo Side");
    EXPECT_EQ(first["TAG:artist"], "Player");
    EXPECT_EQ(Probe(files[2])["TAG:title"], "Third");
    EXPECT_GT(std::stod(Probe(files[2])["duration"]), 1.9);
    EXPECT_TRUE(FilesIn(temp).size() <= 2u);
}

TEST_F(ToolProcess, RecordsFlacTracksWithTheirTagsAndCover)
{
    const std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                   0, 0, 0, 4, 0, 0, 0, 4, 8, 6, 0, 0, 0, 1, 2, 3, 4};
    const fs::path cover = root / "cover.png";
    std::FILE* f = std::fopen(cover.c_str(), "wb");
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
    ProcessResult run = RunTool({"--simulate", "--speed", "20", "record", "--flac", "--compression", "8", "-r",
                                 "96000", "-t", "3", "--tracks", "1", "--album", "Été", "--title", "夜", "--cover",
                                 cover.string(), "-o", out.string(), "--temp-dir", temp.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<fs::path> files = FilesIn(out / "Été");
    ASSERT_EQ(files.size(), 2u) << run.output;
    EXPECT_EQ(files[1].extension(), ".flac");
    std::map<std::string, std::string> second = Probe(files[1]);
    EXPECT_EQ(second["codec_name"], "flac");
    EXPECT_EQ(second["sample_rate"], "96000");
    EXPECT_NEAR(std::stod(second["duration"]), 2.0, 0.05);
    EXPECT_EQ(RunCommand("flac -t -s " + Quote(files[1].string())).status, 0);
    const std::string tags = RunCommand("metaflac --export-tags-to=- " + Quote(files[0].string())).output;
    EXPECT_EQ(tags.substr(0, tags.find("DATE=")), "TITLE=夜\nALBUM=Été\nTRACKNUMBER=1\nTRACKTOTAL=2\n");
    const fs::path picture = root / "picture";
    RunCommand("metaflac --export-picture-to=" + Quote(picture.string()) + " " + Quote(files[0].string()));
    EXPECT_EQ(RunCommand("cmp " + Quote(picture.string()) + " " + Quote(cover.string())).status, 0);
}

TEST_F(ToolProcess, RecordsDsdTracksWithPreRecordingAndAPause)
{
    ProcessResult run = RunTool({"--simulate", "--speed", "2", "record", "--dsd", "64", "-t", "3", "--pre-record", "0.5",
                       "--pause", "1+0.5", "--tracks", "1,2", "--album", "DSD Side", "--title", "One", "-g",
                       "2", "-o", out.string(), "--temp-dir", temp.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("paused at"), std::string::npos) << run.output;
    std::vector<fs::path> files = FilesIn(out / "DSD Side");
    ASSERT_EQ(files.size(), 3u) << run.output;
    for (const fs::path& file : files)
        EXPECT_EQ(file.extension(), ".dsf");
    std::map<std::string, std::string> first = Probe(files[0]);
    EXPECT_EQ(first["codec_name"], "dsd_lsbf_planar");
    EXPECT_EQ(first["channels"], "2");
    EXPECT_NEAR(std::stod(first["duration"]), 1.0, 0.05);
    EXPECT_EQ(first["TAG:title"], "One");
    EXPECT_EQ(first["TAG:album"], "DSD Side");
}

TEST_F(ToolProcess, BadInputIsRefusedAndLeavesNothingBehind)
{
    fs::path file = root / "a-file";
    { std::FILE* f = std::fopen(file.c_str(), "w"); std::fclose(f); }
    fs::path noSamples = root / "no-samples.wav";
    WriteWav(noSamples, 16, 0);
    fs::path gif = root / "cover.gif";
    { std::FILE* f = std::fopen(gif.c_str(), "w"); std::fputs("GIF89a", f); std::fclose(f); }
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const std::vector<Case> cases = {
        {{"--device", "Other Deck"}, 2, "no turntable named"},
        {{"-r", "12345"}, 2, "unsupported PCM rate"},
        {{"-r", "1e30"}, 2, "unsupported PCM rate 1e30 Hz"},
        {{"-t", "-0:01"}, 2, "invalid value '-0:01'"},
        {{"-r", "88200"}, 2, "not supported by"},
        {{"-o", file.string()}, 2, "is not a folder"},
        {{"-o", (root / "missing").string()}, 2, "does not exist"},
        {{"--name", "a/b"}, 2, "refused character"},
        {{"--album", "A:B"}, 2, "refused character"},
        {{"--temp-dir", (root / "no-such-temp").string()}, 2, "temporary folder"},
        // Found before recording, not after it: an album folder and a
        // temporary folder that take no files, a track too large for a WAV file.
        {{"-o", "/proc", "--folder", "sys"}, 2, "not writable"},
        {{"--temp-dir", "/proc/sys"}, 2, "cannot take the recording"},
        {{"-t", "99:00", "-r", "384000", "--tracks", "10"}, 2, "track 2 (00:10.0 to 99:00.0) would be"},
        {{"--simulate", noSamples.string()}, 2, "the file holds no samples"},
        {{"--bogus"}, 2, "unknown option"},
        {{"-f", "flac", "--cover", gif.string()}, 2, "is not a PNG or JPEG picture"},
        {{"--flac", "--cover", (root / "missing.png").string()}, 2, "cannot read the cover image"},
        {{"--flac", "--dsd", "64"}, 2, "FLAC is for PCM recordings only"},
        {{"--simulate", (root / "missing.wav").string()}, 2, "No such file"},
        {{"--simulate", file.string()}, 2, "not a WAV file"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--simulate", "--speed", "20", "record", "-t", "1", "-o", out.string(),
                                      "--temp-dir", temp.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProcessResult run = RunTool(args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << ": " << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.args[0] << ": " << run.output;
        EXPECT_TRUE(FilesIn(out).empty()) << c.args[0];
    }
    ProcessResult devices = RunTool({"--simulate", (root / "missing.wav").string(), "devices"});
    EXPECT_EQ(devices.status, 2) << devices.output;
    // A record named by the environment is never replaced by the demo album:
    // no device, and the reason.
    const std::string simulated = "env CARTOVA_DEVICE=sim CARTOVA_SIM_SOURCE=";
    ProcessResult emptySource = RunCommand(simulated + Quote(noSamples.string()) + " " + Quote(CARTOVA_TOOL) + " devices");
    EXPECT_EQ(emptySource.status, 2) << emptySource.output;
    EXPECT_NE(emptySource.output.find("holds no samples"), std::string::npos) << emptySource.output;
    ProcessResult missingSource = RunCommand(simulated + Quote((root / "missing.wav").string()) + " " +
                                             Quote(CARTOVA_TOOL) + " record -t 1 -o " + Quote(out.string()) +
                                             " --temp-dir " + Quote(temp.string()));
    EXPECT_EQ(missingSource.status, 2) << missingSource.output;
    EXPECT_NE(missingSource.output.find("No such file"), std::string::npos) << missingSource.output;
    EXPECT_TRUE(FilesIn(out).empty());
    EXPECT_EQ(RunTool({"frobnicate"}).status, 2);
    EXPECT_EQ(RunTool({"record", "--help"}).status, 0);
}

TEST_F(ToolProcess, ExistingTrackFilesAreRefusedBeforeRecording)
{
    fs::create_directories(out / "Taken");
    { std::FILE* f = std::fopen((out / "Taken" / "two.wav").c_str(), "w"); std::fputs("keep", f); std::fclose(f); }
    ProcessResult run = RunTool({"--simulate", "--speed", "20", "record", "-t", "2", "--tracks", "1", "--album",
                                 "Taken", "--name", "one.wav", "--name", "two.wav", "-o", out.string(),
                                 "--temp-dir", temp.string()});
    EXPECT_EQ(run.status, 2) << run.output;
    EXPECT_NE(run.output.find("exist already"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("two.wav"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("recording started"), std::string::npos) << run.output;
    EXPECT_EQ(FilesIn(out / "Taken").size(), 1u);
}

TEST_F(ToolProcess, DroppedAudioIsAFailureThatSaysWhereAndHowMuch)
{
    // The simulated turntable loses 4800 frames after 1 s of its record: the
    // tracks are still written, but the run is not a success.
    ProcessResult run = RunCommand("env CARTOVA_SIM_DROP=1:4800 " + Quote(CARTOVA_TOOL) +
                                   " --simulate --speed 20 record -t 2 -r 48000 -b 16 --album Gap --name gap.wav -o " +
                                   Quote(out.string()) + " --temp-dir " + Quote(temp.string()));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("4800"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("at 00:01.0"), std::string::npos) << run.output;
    EXPECT_EQ(FileWord(out / "Gap" / "gap.wav", 40), 2u * 48000 * 4);
}

TEST_F(ToolProcess, TheWrittenLengthIsTheLengthAskedFor)
{
    // An 8-bit record plays on the simulated turntable; 1.234567 s at
    // 44100 Hz is 54444 frames, however far past it the recording ran.
    fs::path record = root / "eight-bit.wav";
    WriteWav(record, 8, 44100 * 3);
    ProcessResult run = RunTool({"--simulate", record.string(), "--speed", "20", "record", "-t", "1.234567", "-r",
                                 "44100", "-b", "16", "--album", "Exact", "--name", "exact.wav", "-o",
                                 out.string(), "--temp-dir", temp.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(FileWord(out / "Exact" / "exact.wav", 40), 54444u * 4);
}

// The simulated turntable plays a record whose every frame holds its own
// number, so the one jump in the written track is where the pause cut it.
// Capture buffers are 50 ms (2205 frames at 44100 Hz): the pause starts
// within one of them after 1 s of recorded time, and lasts 0.5 s of captured
// time, even with the turntable running 50 times faster than real time.
TEST_F(ToolProcess, APauseStartsWithinOneCaptureBufferOfItsTimeAtAnySpeed)
{
    SourceSignal counting;
    counting.rate = 44100;
    for (uint32_t frame = 0; frame < 44100 * 10; ++frame) {
        const int32_t value = (int32_t(frame % 65536) - 32768) * 256;
        counting.samples.push_back(value);
        counting.samples.push_back(value);
    }
    const fs::path record = root / "counting.wav";
    ASSERT_TRUE(WriteSourceWav(counting, record.string()));
    ProcessResult run = RunTool({"--simulate", record.string(), "--speed", "50", "record", "-t", "2", "-r", "44100",
                                 "-b", "16", "--pause", "1+0.5", "--album", "Paused", "--name", "paused.wav", "-o",
                                 out.string(), "--temp-dir", temp.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<uint16_t> left = LeftSamples16(out / "Paused" / "paused.wav");
    ASSERT_EQ(left.size(), 88200u) << run.output;
    std::vector<size_t> jumps;
    for (size_t i = 1; i < left.size(); ++i) {
        if (uint16_t(left[i] - left[i - 1]) != 1)
            jumps.push_back(i);
    }
    ASSERT_EQ(jumps.size(), 1u) << run.output;
    EXPECT_GE(jumps[0], 44100u);
    EXPECT_LE(jumps[0], 44100u + 2205u);
    const uint16_t skipped = uint16_t(left[jumps[0]] - left[jumps[0] - 1] - 1);
    EXPECT_GE(skipped, 22050u);
    EXPECT_LE(skipped, 22050u + 2205u);
}

// The boundaries the tool printed for --tracks auto, in seconds.
std::vector<double> PrintedBoundaries(const std::string& output)
{
    std::vector<double> seconds;
    const std::string heading = "track boundaries at the gaps (seconds):";
    size_t at = output.find(heading);
    if (at == std::string::npos)
        return seconds;
    std::istringstream line(output.substr(at + heading.size(), output.find('\n', at) - at - heading.size()));
    for (double value; line >> value;)
        seconds.push_back(value);
    return seconds;
}

// The music start and end the tool printed for --tracks auto.
std::pair<double, double> PrintedMusic(const std::string& output)
{
    double start = -1.0, end = -1.0;
    const size_t at = output.find("music from ");
    if (at != std::string::npos)
        std::sscanf(output.c_str() + at, "music from %lf s to %lf s", &start, &end);
    return {start, end};
}

// A generated side with lead-in and run-out of the turntable's electrical
// noise, played by the simulated turntable and split at its gaps, in PCM
// and in DSD, by the gaps and by the track count: one file per track, each
// boundary inside its gap, the first track starting at the music and the
// last ending with it (the recorded stream starts a little after the
// record, hence the allowance before the gap). A count larger than the
// places available is named and leaves one track.
TEST_F(ToolProcess, TracksAutoWritesOneFilePerTrackOfAGeneratedSide)
{
    const SidePlan plan = ShortSidePlan();
    SideTruth truth;
    const fs::path source = root / "side.wav";
    ASSERT_TRUE(WriteSourceWav(SideSignal(plan, 44100, truth), source.string()));
    const std::string length = "27";

    struct Case {
        std::vector<std::string> format;
        const char* speed;
        const char* extension;
        const char* tracks;
        size_t files;
    };
    for (const Case& c : {Case{{"-r", "44100", "-b", "16"}, "20", ".wav", "auto", 3},
                          Case{{"-r", "44100", "-b", "16"}, "20", ".wav", "auto=3", 3},
                          Case{{"-r", "44100", "-b", "16"}, "20", ".wav", "auto=5", 1},
                          Case{{"--dsd", "64"}, "2", ".dsf", "auto", 3}}) {
        SCOPED_TRACE(c.tracks);
        SCOPED_TRACE(c.extension);
        fs::remove_all(out / "side");
        std::vector<std::string> args{"--simulate", source.string(), "--speed", c.speed, "record"};
        args.insert(args.end(), c.format.begin(), c.format.end());
        for (const char* arg : {"-t", length.c_str(), "--tracks", c.tracks, "--title", "One", "--title", "Two",
                                "--title", "Three", "--folder", "side"})
            args.push_back(arg);
        args.insert(args.end(), {"-o", out.string(), "--temp-dir", temp.string()});
        ProcessResult run = RunTool(args);
        ASSERT_EQ(run.status, 0) << run.output;
        std::vector<fs::path> files = FilesIn(out / "side");
        ASSERT_EQ(files.size(), c.files) << run.output;
        EXPECT_EQ(files[0].extension(), c.extension);
        if (c.files == 1) {
            EXPECT_NE(run.output.find("places between tracks, fewer than the 4 that 5 tracks need"),
                      std::string::npos) << run.output;
            continue;
        }
        const std::vector<double> boundaries = PrintedBoundaries(run.output);
        ASSERT_EQ(boundaries.size(), 2u) << run.output;
        for (size_t i = 0; i < boundaries.size(); ++i) {
            EXPECT_GT(boundaries[i], truth.trackEnds[i] - 0.5) << run.output;
            EXPECT_LT(boundaries[i], truth.trackStarts[i + 1]) << run.output;
        }
        const auto [musicStart, musicEnd] = PrintedMusic(run.output);
        EXPECT_GT(musicStart, truth.needleDown - 0.5) << run.output;
        EXPECT_LT(musicStart, truth.trackStarts[0]) << run.output;
        EXPECT_GT(musicEnd, truth.trackEnds[2] - plan.fadeOutSeconds - 0.5) << run.output;
        EXPECT_LT(musicEnd, truth.needleUp) << run.output;
        EXPECT_NEAR(std::stod(Probe(files[0])["duration"]), boundaries[0] - musicStart, 0.05);
        EXPECT_NEAR(std::stod(Probe(files[2])["duration"]), musicEnd - boundaries[1], 0.05);
        EXPECT_EQ(Probe(files[1])["TAG:title"], "Two");
    }
}
