// Tests of the DSF track writer: header figures, block layout and order,
// the block count at whole-block boundaries, cancellation, skips and errors,
// and files read back by ffprobe and ffmpeg.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "convert/SampleTypeInfo.h"
#include "save/ByteOrder.h"
#include "save/DSDStreamProcessing.h"
#include "save/DsdBitReverse.h"
#include "save/DsdFileHeader.h"
#include "save/Id3Tag.h"
#include "save/SaveDsfFile.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"
#include "support/FolderEngine.h"
#include "save_fixture.h"
#include "test_dsd_signal.h"

namespace {

constexpr uint32_t kDsd64 = 2822400;

uint64_t GetLE64(const uint8_t* p)
{
    return uint64_t(byteorder::GetLE32(p)) | (uint64_t(byteorder::GetLE32(p + 4)) << 32);
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
public:
    TempDir()
    {
        char name[] = "/tmp/dsf-test-XXXXXX";
        m_path = mkdtemp(name);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// A DSD recording whose every captured byte is in the recorded stream.
class DsdRecording {
public:
    DsdRecording(const TempDir& dir, uint16_t channels, uint32_t rate = kDsd64)
        : m_engine(dir.Path()), m_data(&m_engine)
    {
        const SampleTypeInfo* dsd = GetSampleTypeInfo(1);
        EXPECT_TRUE(dsd != nullptr && dsd->isDsd && dsd->msbFirst);
        EXPECT_EQ(m_data.Init(channels, rate, dsd, &m_ranges), TkErrorSuccess);
        m_ranges.AddRecordEvent(0, RecordEventStart);
    }

    // Appends every channel's bytes (MSB first, as captured) in capture-sized rounds.
    void Add(const std::vector<std::vector<uint8_t>>& channels)
    {
        const size_t round = 8192;
        for (size_t at = 0; at < channels[0].size(); at += round) {
            for (size_t c = 0; c < channels.size(); ++c) {
                const size_t n = std::min(round, channels[c].size() - at);
                std::vector<uint8_t> block(channels[c].begin() + at, channels[c].begin() + at + n);
                ASSERT_EQ(m_data.Add(uint16_t(c), block), TkErrorSuccess);
            }
        }
    }

    RecordData& Data() { return m_data; }

private:
    FolderEngine m_engine;
    RecordRangeManager m_ranges;
    RecordData m_data;
};

class FakeHost : public IDsfWriterHost {
public:
    explicit FakeHost(RecordData* data) : m_data(data) {}

    RecordData* GetRecordData() override { return m_data; }
    uint32_t GetCancelMode() override { return cancelMode; }
    void SetFileProgress(uint64_t done, uint64_t samples) override
    {
        fileDone = done;
        fileSamples = samples;
        if (onProgress)
            onProgress(*this);
    }
    void AddTotalDone(uint64_t samples) override { totalDone += samples; }
    TkError SaveCreateDirectory(const std::string&) override { return directoryResult; }
    bool CheckDiskSpace(const std::string&, uint64_t bytes) override
    {
        checkedBytes = bytes;
        return diskSpace;
    }
    bool CheckFileSystemFileSizeLimit(const std::string&, uint64_t) override { return fitsFileSystem; }
    void NotifyFileSkipped(const std::string& path) override { skipped.push_back(path); }
    void SetFailureCause(const std::string& cause) override { failureCause = cause; }

    uint32_t cancelMode = 0;
    TkError directoryResult = TkErrorSuccess;
    bool diskSpace = true;
    bool fitsFileSystem = true;
    uint64_t fileDone = 0, fileSamples = 0, totalDone = 0, checkedBytes = 0;
    std::vector<std::string> skipped;
    std::string failureCause;
    std::function<void(FakeHost&)> onProgress;

private:
    RecordData* m_data;
};

using savetest::Job;

std::vector<uint8_t> Pattern(size_t bytes, unsigned seed)
{
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i)
        out[i] = uint8_t((i * 131 + seed * 37 + (i >> 9)) & 0xFF);
    return out;
}

const std::map<std::string, std::string> kTags = {
    {"Title", "Side A"}, {"Alubum", "Demo"}, {"Artist", "Band"}, {"AlbumArtist", "Band"}};

} // namespace

TEST(DsfLayout, HeaderFiguresOfOneSecondStereo)
{
    const DsfLayout tagged = ComputeDsfLayout(2, kDsd64, 2822400, 100);
    EXPECT_EQ(tagged.bytesPerChannel, 356352u);
    EXPECT_EQ(tagged.BlockGroups(), 87u);
    EXPECT_EQ(tagged.dataBytes, 712704u);
    EXPECT_EQ(tagged.totalFileSize, 712896u);
    EXPECT_EQ(tagged.metadataPointer, 712796u);

    const auto h = BuildDsfHeader(tagged);
    EXPECT_EQ(std::string(h.begin(), h.begin() + 4), "DSD ");
    EXPECT_EQ(GetLE64(&h[4]), 28u);
    EXPECT_EQ(GetLE64(&h[12]), 712896u);
    EXPECT_EQ(GetLE64(&h[20]), 712796u);
    EXPECT_EQ(std::string(h.begin() + 28, h.begin() + 32), "fmt ");
    EXPECT_EQ(GetLE64(&h[32]), 52u);
    EXPECT_EQ(byteorder::GetLE32(&h[40]), 1u);
    EXPECT_EQ(byteorder::GetLE32(&h[44]), 0u);
    EXPECT_EQ(byteorder::GetLE32(&h[48]), 2u);
    EXPECT_EQ(byteorder::GetLE32(&h[52]), 2u);
    EXPECT_EQ(byteorder::GetLE32(&h[56]), kDsd64);
    EXPECT_EQ(byteorder::GetLE32(&h[60]), 1u);
    EXPECT_EQ(GetLE64(&h[64]), 2822400u);
    EXPECT_EQ(byteorder::GetLE32(&h[72]), 4096u);
    EXPECT_EQ(byteorder::GetLE32(&h[76]), 0u);
    EXPECT_EQ(std::string(h.begin() + 80, h.begin() + 84), "data");
    EXPECT_EQ(GetLE64(&h[84]), 712716u);

    const DsfLayout untagged = ComputeDsfLayout(2, kDsd64, 2822400, 0);
    EXPECT_EQ(untagged.totalFileSize, 92u + 712704u);
    EXPECT_EQ(untagged.metadataPointer, 0u);

    for (uint32_t channels : {1u, 2u, 3u, 4u, 5u, 6u})
        EXPECT_EQ(DsfChannelType(channels), channels < 4 ? channels : channels + 1);
}

TEST(DsfFile, StereoTrackAtZeroDecibelsHoldsTheCapturedBytesReversed)
{
    TempDir dir;
    DsdRecording recording(dir, 2);
    // 1.5 s captured; the track is [0.25 s, 1.25 s), one second.
    const size_t captured = kDsd64 / 8 * 3 / 2;
    const auto left = Pattern(captured, 1), right = Pattern(captured, 2);
    recording.Add({left, right});

    FakeHost host(&recording.Data());
    const auto job = Job(dir.File("a.dsf"), 0.25, 1.25, 0.0, kTags);
    ASSERT_EQ(SaveDsfFile(host, &job), TkErrorSuccess);

    const auto file = ReadFile(job.path);
    const uint64_t tagSize = CalculateSaveID3TagSize(kTags);
    ASSERT_EQ(file.size(), 92u + 712704u + tagSize);
    EXPECT_EQ(host.checkedBytes, file.size());
    EXPECT_EQ(GetLE64(&file[12]), file.size());
    EXPECT_EQ(GetLE64(&file[20]), 92u + 712704u);
    EXPECT_EQ(GetLE64(&file[64]), 2822400u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 92 + 712704, file.end()), BuildID3Tag(kTags));

    // Block group g holds the left block, then the right block.
    const size_t firstByte = kDsd64 / 8 / 4;
    const size_t trackBytes = kDsd64 / 8;
    for (size_t g = 0; g < 87; ++g) {
        for (size_t c = 0; c < 2; ++c) {
            const auto& source = c == 0 ? left : right;
            const uint8_t* block = &file[92 + (2 * g + c) * 4096];
            for (size_t i = 0; i < 4096; ++i) {
                const size_t k = g * 4096 + i;
                const uint8_t expected = k < trackBytes ? m_br[source[firstByte + k]] : 0;
                ASSERT_EQ(block[i], expected) << "group " << g << " channel " << c << " byte " << i;
            }
        }
    }
    EXPECT_EQ(host.totalDone, 2822400u);
    EXPECT_EQ(host.fileSamples, 2822400u);
    EXPECT_TRUE(host.skipped.empty());
}

TEST(DsfFile, GainTrackEqualsEachChannelProcessedAloneInOnePiece)
{
    // The channels are re-modulated on workers of their own, in runs of
    // block groups, while other runs are read and written: every channel's
    // bytes must equal that channel's whole track processed in one call on
    // this thread. 40 groups and 1000 bytes (more than two runs and a
    // partial last group), from an offset inside a byte group of the
    // recording.
    TempDir dir;
    DsdRecording recording(dir, 3);
    const uint64_t samples = 40 * 32768 + 8 * 1000;
    const size_t firstByte = 1000;
    const size_t captured = firstByte + size_t(samples / 8) + 64;
    const std::vector<std::vector<uint8_t>> channels = {MakeDsdTone(8 * captured, kDsd64, 1000.0, 0.5),
                                                        Pattern(captured, 5), MakeDsdTone(8 * captured, kDsd64, 300.0, 0.2)};
    recording.Add(channels);

    FakeHost host(&recording.Data());
    const double start = 8.0 * firstByte / kDsd64;
    const auto job = Job(dir.File("g.dsf"), start, start + (double(samples) + 0.5) / kDsd64, 4.5);
    ASSERT_EQ(SaveDsfFile(host, &job), TkErrorSuccess);
    const auto file = ReadFile(job.path);
    const DsfLayout layout = ComputeDsfLayout(3, kDsd64, samples, 0);
    ASSERT_EQ(file.size(), layout.totalFileSize);
    ASSERT_EQ(layout.BlockGroups(), 41u);

    const size_t trackBytes = size_t(samples / 8);
    for (size_t c = 0; c < 3; ++c) {
        std::vector<uint8_t> expected(channels[c].begin() + firstByte, channels[c].begin() + firstByte + trackBytes);
        for (auto& b : expected)
            b = m_br[b];
        const std::vector<uint8_t> reversed = expected;
        DSDStreamProcessing alone;
        alone.Init(int32_t(kDsd64), DSDStreamProcessing::kBitOrderLsbFirst);
        alone.SetGain(4.5f);
        alone.Process(expected.data(), expected.size());
        expected.resize(41 * 4096, 0);
        std::vector<uint8_t> written;
        for (size_t g = 0; g < 41; ++g) {
            const auto block = file.begin() + 92 + (3 * g + c) * 4096;
            written.insert(written.end(), block, block + 4096);
        }
        EXPECT_TRUE(written == expected) << "channel " << c;
        // The gain did change the stream.
        EXPECT_NE(std::vector<uint8_t>(written.begin(), written.begin() + trackBytes), reversed) << c;
    }
    EXPECT_EQ(host.totalDone, samples);
}

TEST(DsfFile, WithoutTagsTheFileEndsWithTheLastBlockGroup)
{
    TempDir dir;
    DsdRecording recording(dir, 2);
    recording.Add({Pattern(20000, 1), Pattern(20000, 2)});
    FakeHost host(&recording.Data());
    const auto job = Job(dir.File("b.dsf"), 0.0, 10000 * 8.0 / kDsd64);
    ASSERT_EQ(SaveDsfFile(host, &job), TkErrorSuccess);
    const auto file = ReadFile(job.path);
    ASSERT_EQ(file.size(), 92u + 2 * 12288u);
    EXPECT_EQ(GetLE64(&file[20]), 0u);
    EXPECT_EQ(GetLE64(&file[64]), 80000u);
}

TEST(DsfFile, WritesExactlyTheDeclaredBlockGroupsAtWholeBlockBoundaries)
{
    // Samples that leave 1 to 7 samples after whole blocks must not add a
    // block group beyond the header's data size: the tag must sit at the
    // metadata pointer and the file end where the header says.
    TempDir dir;
    DsdRecording recording(dir, 2);
    recording.Add({Pattern(3 * 4096, 3), Pattern(3 * 4096, 4)});
    for (uint64_t samples : {uint64_t(2 * 32768 + 8), uint64_t(32768 + 8), uint64_t(8), uint64_t(2 * 32768 + 16)}) {
        FakeHost host(&recording.Data());
        const auto job = Job(dir.File("c.dsf"), 0.0, double(samples) / kDsd64, 0.0, kTags);
        ASSERT_EQ(SaveDsfFile(host, &job), TkErrorSuccess) << samples;
        const auto file = ReadFile(job.path);
        const DsfLayout layout = ComputeDsfLayout(2, kDsd64, samples, CalculateSaveID3TagSize(kTags));
        ASSERT_EQ(file.size(), layout.totalFileSize) << samples;
        EXPECT_EQ(GetLE64(&file[64]), samples);
        EXPECT_EQ(std::string(file.begin() + layout.metadataPointer, file.begin() + layout.metadataPointer + 3),
                  "ID3");
        EXPECT_EQ(host.totalDone, samples);
    }
}

TEST(DsfFile, EmptyTrackGetsHeaderAndTagOnly)
{
    TempDir dir;
    DsdRecording recording(dir, 2);
    recording.Add({Pattern(8192, 1), Pattern(8192, 2)});
    FakeHost host(&recording.Data());
    const auto job = Job(dir.File("d.dsf"), 0.01, 0.01, 3.0, {{"Title", "abcdef"}});
    ASSERT_EQ(SaveDsfFile(host, &job), TkErrorSuccess);
    const auto file = ReadFile(job.path);
    ASSERT_EQ(file.size(), 92u + 35u);
    EXPECT_EQ(GetLE64(&file[64]), 0u);
    EXPECT_EQ(GetLE64(&file[84]), 12u);
    EXPECT_EQ(GetLE64(&file[20]), 92u);
}

TEST(DsfFile, FourChannelsInChannelOrderWithChannelTypeFive)
{
    TempDir dir;
    DsdRecording recording(dir, 4);
    std::vector<std::vector<uint8_t>> channels;
    for (unsigned c = 0; c < 4; ++c)
        channels.push_back(Pattern(8192, 10 + c));
    recording.Add(channels);
    FakeHost host(&recording.Data());
    const auto job = Job(dir.File("e.dsf"), 0.0, 8192 * 8.0 / kDsd64);
    ASSERT_EQ(SaveDsfFile(host, &job), TkErrorSuccess);
    const auto file = ReadFile(job.path);
    ASSERT_EQ(file.size(), 92u + 4 * 8192u);
    EXPECT_EQ(byteorder::GetLE32(&file[48]), 5u);
    EXPECT_EQ(byteorder::GetLE32(&file[52]), 4u);
    for (size_t g = 0; g < 2; ++g)
        for (size_t c = 0; c < 4; ++c)
            EXPECT_EQ(file[92 + (4 * g + c) * 4096 + 17], m_br[channels[c][g * 4096 + 17]]);
}

TEST(DsfFile, CancellationStopsOrCompletesTheFile)
{
    TempDir dir;
    DsdRecording recording(dir, 2);
    recording.Add({Pattern(40000, 1), Pattern(40000, 2)});
    const auto job = Job(dir.File("f.dsf"), 0.0, 40000 * 8.0 / kDsd64, 2.0, kTags);

    // Abort with deletion requested while the third block group is under
    // way: the unfinished file never takes its name.
    FakeHost aborting(&recording.Data());
    aborting.onProgress = [](FakeHost& h) {
        if (h.fileDone >= 2 * 32768)
            h.cancelMode = 1;
    };
    EXPECT_EQ(SaveDsfFile(aborting, &job), TkErrorCancelled);
    EXPECT_FALSE(std::filesystem::exists(job.path));
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(job.path).parent_path()));

    // Stop after this file: it is completed and tagged, and the result says cancelled.
    FakeHost stopping(&recording.Data());
    stopping.onProgress = [](FakeHost& h) {
        if (h.fileDone >= 32768)
            h.cancelMode = 2;
    };
    EXPECT_EQ(SaveDsfFile(stopping, &job), TkErrorCancelled);
    EXPECT_EQ(ReadFile(job.path).size(), ComputeDsfLayout(2, kDsd64, 320000, CalculateSaveID3TagSize(kTags)).totalFileSize);
}

TEST(DsfFile, NeighbouringTracksMeetOnOneByteWithNoBitRepeatedOrLost)
{
    // 0.7 s at DSD64 is bit 1975680 of the recorded stream, a whole byte;
    // 0.7 x 2822400 computes a hair below it.
    TempDir dir;
    DsdRecording recording(dir, 1);
    const size_t captured = kDsd64 / 8;  // one second
    const auto bytes = Pattern(captured, 5);
    recording.Add({bytes});
    FakeHost host(&recording.Data());
    const auto first = Job(dir.File("1.dsf"), 0.0, 0.7);
    const auto second = Job(dir.File("2.dsf"), 0.7, 1.0);
    ASSERT_EQ(SaveDsfFile(host, &first), TkErrorSuccess);
    ASSERT_EQ(SaveDsfFile(host, &second), TkErrorSuccess);
    const auto a = ReadFile(first.path), b = ReadFile(second.path);
    EXPECT_EQ(GetLE64(&a[64]), 1975680u);
    EXPECT_EQ(GetLE64(&b[64]), 2822400u - 1975680u);
    // One channel: track byte k is at 92 + k. The last byte of track 1 and
    // the first of track 2 are neighbours in the recording.
    const size_t joint = 1975680 / 8;
    EXPECT_EQ(a[92 + joint - 1], m_br[bytes[joint - 1]]);
    EXPECT_EQ(b[92], m_br[bytes[joint]]);
}

TEST(DsfFile, SkipsAndErrors)
{
    TempDir dir;
    DsdRecording recording(dir, 2);
    recording.Add({Pattern(8192, 1), Pattern(8192, 2)});
    const auto job = Job(dir.File("g.dsf"), 0.0, 0.01);

    FakeHost tooLarge(&recording.Data());
    tooLarge.fitsFileSystem = false;
    EXPECT_EQ(SaveDsfFile(tooLarge, &job), TkErrorSuccess);
    EXPECT_EQ(tooLarge.skipped, std::vector<std::string>{job.path});
    EXPECT_EQ(tooLarge.totalDone, 28224u);
    EXPECT_FALSE(std::filesystem::exists(job.path));

    FakeHost unopenable(&recording.Data());
    const auto badPath = Job(dir.File("missing/g.dsf"), 0.0, 0.01);
    EXPECT_EQ(SaveDsfFile(unopenable, &badPath), TkErrorSuccess);
    EXPECT_EQ(unopenable.skipped.size(), 1u);

    FakeHost full(&recording.Data());
    full.diskSpace = false;
    EXPECT_EQ(SaveDsfFile(full, &job), TkErrorFailed);
    EXPECT_EQ(full.failureCause, "not enough free space");
    FakeHost deviceFull(&recording.Data());
    const auto toFullDevice = Job("/dev/full", 0.0, 0.01);
    EXPECT_EQ(SaveDsfFile(deviceFull, &toFullDevice), TkErrorFailed);
    EXPECT_EQ(deviceFull.failureCause, "write failed: No space left on device");
    FakeHost noDirectory(&recording.Data());
    noDirectory.directoryResult = TkErrorFailed;
    EXPECT_EQ(SaveDsfFile(noDirectory, &job), TkErrorFailed);

    FakeHost host(&recording.Data());
    EXPECT_EQ(SaveDsfFile(host, nullptr), TkErrorInvalidArgument);
    const auto reversed = Job(dir.File("h.dsf"), 0.02, 0.01);
    EXPECT_EQ(SaveDsfFile(host, &reversed), TkErrorInvalidArgument);
    // A track reaching past the recorded bits ends with them.
    const auto beyond = Job(dir.File("i.dsf"), 0.0, 1.0);
    EXPECT_EQ(SaveDsfFile(host, &beyond), TkErrorSuccess);
    EXPECT_EQ(GetLE64(&ReadFile(beyond.path)[64]), 8192u * 8);

    RecordData empty;
    FakeHost noType(&empty);
    EXPECT_EQ(SaveDsfFile(noType, &job), TkErrorFailed);
}

namespace {

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

void Fft(std::vector<std::complex<double>>& a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2.0 * std::numbers::pi / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1.0;
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                wk *= w;
            }
        }
    }
}

struct BandLevels {
    double tone = 0.0;  // power near 1 kHz
    double noise = 0.0; // power in 20 Hz to 20 kHz without the tone
};

// Decodes the first channel of a DSF file with ffmpeg to 16-bit PCM at
// rate / 8 and measures the tone and the audio-band noise of a stretch
// after the filters have settled.
BandLevels DecodeAndMeasure(const std::string& path)
{
    const std::string pcm = path + ".raw";
    RunCommand("ffmpeg -v error -y -i '" + path + "' -map_channel 0.0.0 -f s16le -acodec pcm_s16le '" + pcm + "'");
    const auto bytes = ReadFile(pcm);
    const double rate = kDsd64 / 8.0;
    const size_t n = 1 << 17;
    const size_t skip = 8192;
    BandLevels levels;
    if (bytes.size() < 2 * (skip + n))
        return levels;
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < n; ++i) {
        const int16_t s = int16_t(byteorder::GetLE16(&bytes[2 * (skip + i)]));
        // Four-term Blackman-Harris: sidelobes 92 dB down, so the tone's
        // leakage stays below the noise outside the excluded band.
        const double phase = 2.0 * std::numbers::pi * double(i) / double(n);
        const double window = 0.35875 - 0.48829 * std::cos(phase) + 0.14128 * std::cos(2 * phase) -
                              0.01168 * std::cos(3 * phase);
        a[i] = double(s) / 32768.0 * window;
    }
    Fft(a);
    const double binHz = rate / double(n);
    for (size_t k = 1; k < n / 2; ++k) {
        const double f = double(k) * binHz;
        const double power = std::norm(a[k]);
        if (std::abs(f - 1000.0) < 200.0)
            levels.tone += power;
        else if (f >= 20.0 && f <= 20000.0)
            levels.noise += power;
    }
    return levels;
}

} // namespace

TEST(DsfFile, ExternalToolsReadAndDecodeToneFilesWithGain)
{
    if (RunCommand("command -v ffprobe >/dev/null && command -v ffmpeg >/dev/null && echo found") != "found\n")
        GTEST_SKIP() << "ffprobe/ffmpeg not installed";
    TempDir dir;
    DsdRecording recording(dir, 2);
    const uint64_t samples = uint64_t(kDsd64) * 3 / 2;
    const auto tone = MakeQuietDsdTone(samples, kDsd64, 1000.0, 0.2);
    recording.Add({tone, tone});

    const std::map<std::string, std::string> tags = {
        {"Title", "Tone \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"}, {"Alubum", "Test Album"},
        {"Artist", "Sine"}, {"AlbumArtist", "Generator"}};
    const auto plain = Job(dir.File("plain.dsf"), 0.0, 1.0, 0.0, tags);
    const auto louder = Job(dir.File("louder.dsf"), 0.0, 1.0, 6.0, tags);
    FakeHost host(&recording.Data());
    ASSERT_EQ(SaveDsfFile(host, &plain), TkErrorSuccess);
    ASSERT_EQ(SaveDsfFile(host, &louder), TkErrorSuccess);

    const std::string probe = RunCommand("ffprobe -v error -show_entries "
                                         "stream=codec_name,sample_rate,channels:format=duration:format_tags "
                                         "-of default=noprint_wrappers=1 '" + louder.path + "'");
    EXPECT_NE(probe.find("codec_name=dsd_lsbf_planar"), std::string::npos) << probe;
    EXPECT_NE(probe.find("sample_rate=352800"), std::string::npos) << probe;
    EXPECT_NE(probe.find("channels=2"), std::string::npos) << probe;
    const size_t at = probe.find("duration=");
    ASSERT_NE(at, std::string::npos) << probe;
    // Readers count the zero-filled end of the last block as well.
    EXPECT_NEAR(std::stod(probe.substr(at + 9)), 1.0 + 4096 * 8.0 / kDsd64 / 2, 4096 * 8.0 / kDsd64 / 2) << probe;
    EXPECT_NE(probe.find("title=Tone \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88"), std::string::npos) << probe;
    EXPECT_NE(probe.find("album=Test Album"), std::string::npos) << probe;
    EXPECT_NE(probe.find("artist=Sine"), std::string::npos) << probe;
    EXPECT_NE(probe.find("album_artist=Generator"), std::string::npos) << probe;

    const BandLevels a = DecodeAndMeasure(plain.path);
    const BandLevels b = DecodeAndMeasure(louder.path);
    ASSERT_GT(a.tone, 0.0);
    ASSERT_GT(a.noise, 0.0);
    EXPECT_NEAR(10.0 * std::log10(b.tone / a.tone), 6.0, 0.2);
    EXPECT_LE(10.0 * std::log10(b.noise / a.noise), 3.0)
        << "noise " << 10.0 * std::log10(a.noise) << " dB and " << 10.0 * std::log10(b.noise) << " dB";
}
