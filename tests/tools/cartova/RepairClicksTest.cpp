// `cartova repair-clicks` as a process: the formats it keeps, the files it
// leaves byte for byte, and its answers to bad input and unwritable output.
#include "Options.h"
#include "support/DamagedRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A LIST/INFO chunk and an id3 chunk, as tag writers put them after the samples.
const std::vector<uint8_t> kTags = {'L', 'I', 'S', 'T', 12, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M',
                                    2,   0,   0,   0,  'x', 0, 'i', 'd', '3', ' ', 4, 0, 0, 0, 'I', 'D', '3', 3};

std::vector<uint8_t> Bytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

class RepairClicks : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cartova-repair-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs the tool; its exit status, its output in `said`.
    int Run(const std::string& arguments)
    {
        const fs::path log = folder / "said.txt";
        const int status = std::system((std::string(CARTOVA_TOOL) + " repair-clicks " + arguments + " > '" +
                                        log.string() + "' 2>&1").c_str());
        const std::vector<uint8_t> text = Bytes(log);
        said.assign(text.begin(), text.end());
        fs::remove(log);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string In(const char* name) const { return "'" + (folder / name).string() + "'"; }

    fs::path folder;
    std::string said;
};

DamagedRecord Worn(uint32_t rate, uint16_t channels, bool damaged)
{
    DamagePlan plan;
    plan.rate = rate;
    plan.channels = channels;
    plan.seconds = 1.5;
    plan.popsPerSecond = 0.0;
    if (!damaged) {
        plan.clicksPerSecond = plan.cracklePerSecond = 0.0;
    }
    return MakeDamagedRecord(plan);
}

double ErrorPower(const std::vector<std::vector<float>>& samples, const DamagedRecord& record)
{
    double power = 0.0;
    for (size_t c = 0; c < samples.size(); ++c) {
        for (size_t n = 0; n < samples[c].size(); ++n) {
            power += (samples[c][n] - record.clean[c][n]) * (samples[c][n] - record.clean[c][n]);
        }
    }
    return power;
}

} // namespace

TEST_F(RepairClicks, RepairsEachFormatAndKeepsItAndTheTags)
{
    const struct {
        WavSampleFormat format;
        uint16_t channels;
        uint32_t rate;
        int bits;
    } cases[] = {{WavSampleFormat::Int16, 1, 44100, 16}, {WavSampleFormat::Int24, 2, 96000, 24},
                 {WavSampleFormat::Float32, 2, 48000, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits + c.channels * 100);
        const DamagedRecord record = Worn(c.rate, c.channels, true);
        TestWav wav{c.rate, c.format, Quantise(record.damaged, c.bits)};
        ASSERT_TRUE(WriteTestWav((folder / "in.wav").string(), wav, kTags));
        ASSERT_EQ(Run(In("in.wav") + " " + In("out.wav")), 0) << said;

        const std::vector<uint8_t> in = Bytes(folder / "in.wav");
        const std::vector<uint8_t> out = Bytes(folder / "out.wav");
        ASSERT_EQ(in.size(), out.size());
        EXPECT_TRUE(std::equal(in.begin(), in.begin() + 44, out.begin())) << "header";
        EXPECT_TRUE(std::equal(in.end() - static_cast<long>(kTags.size()), in.end(), out.end() - static_cast<long>(kTags.size())))
            << "tags";
        TestWav repaired;
        ASSERT_TRUE(ReadTestWav((folder / "out.wav").string(), repaired));
        EXPECT_EQ(repaired.format, c.format);
        size_t changed = 0, total = 0;
        for (size_t ch = 0; ch < wav.samples.size(); ++ch) {
            for (size_t n = 0; n < wav.samples[ch].size(); ++n, ++total) {
                changed += repaired.samples[ch][n] != wav.samples[ch][n];
            }
        }
        EXPECT_GT(changed, 0u);
        EXPECT_LT(changed, total / 50);
        EXPECT_LT(ErrorPower(repaired.samples, record), 0.5 * ErrorPower(wav.samples, record));
    }
}

TEST_F(RepairClicks, LeavesUndamagedAndShortFilesByteForByte)
{
    const DamagedRecord clean = Worn(44100, 2, false);
    ASSERT_TRUE(WriteTestWav((folder / "clean.wav").string(), {44100, WavSampleFormat::Int24, Quantise(clean.clean, 24)}, kTags));
    // 10 ms with a click: shorter than one analysis block.
    std::vector<std::vector<float>> shortOne(2, std::vector<float>(441, 0.0f));
    shortOne[0][200] = 0.5f;
    ASSERT_TRUE(WriteTestWav((folder / "short.wav").string(), {44100, WavSampleFormat::Int16, shortOne}));
    for (const char* name : {"clean.wav", "short.wav"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Run(In(name) + " " + In("out.wav")), 0) << said;
        EXPECT_EQ(Bytes(folder / name), Bytes(folder / "out.wav"));
    }
}

TEST_F(RepairClicks, BadInputExitsWithTwoNamingTheProblemAndWritesNothing)
{
    const DamagedRecord record = Worn(44100, 2, true);
    ASSERT_TRUE(WriteTestWav((folder / "good.wav").string(), {44100, WavSampleFormat::Int16, Quantise(record.damaged, 16)}));
    const std::vector<uint8_t> good = Bytes(folder / "good.wav");
    auto patched = [&](size_t offset, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> file = good;
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<long>(offset));
        return file;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes; // empty: the file does not exist
        const char* problem;
    } cases[] = {
        {"missing.wav", {}, "cannot open"},
        {"text.wav", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'}, "not a RIFF WAVE file"},
        {"truncated.wav", std::vector<uint8_t>(good.begin(), good.begin() + 1000), "truncated"},
        {"8bit.wav", patched(32, {2, 0, 8, 0}), "8-bit"},
        {"adpcm.wav", patched(20, {2, 0}), "not PCM"},
        {"3ch.wav", patched(22, {3, 0}), "channels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.empty()) {
            PutBytes(folder / c.name, c.bytes);
        }
        EXPECT_EQ(Run(In(c.name) + " " + In("out.wav")), 2);
        EXPECT_NE(said.find(c.problem), std::string::npos) << said;
        EXPECT_FALSE(fs::exists(folder / "out.wav"));
    }
}

TEST_F(RepairClicks, UnwritableOutputLeavesNoFile)
{
    const DamagedRecord record = Worn(44100, 1, true);
    ASSERT_TRUE(WriteTestWav((folder / "in.wav").string(), {44100, WavSampleFormat::Int16, Quantise(record.damaged, 16)}));
    fs::create_directory(folder / "taken");
    // A folder that does not exist, and a path that is a folder.
    EXPECT_EQ(Run(In("in.wav") + " " + In("missing/out.wav")), 1);
    EXPECT_NE(said.find("cannot write"), std::string::npos) << said;
    EXPECT_EQ(Run(In("in.wav") + " " + In("taken")), 1);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"in.wav", "taken"}));
    EXPECT_TRUE(fs::is_empty(folder / "taken"));
}

TEST_F(RepairClicks, OptionsAndReport)
{
    const DamagedRecord record = Worn(44100, 2, true);
    ASSERT_TRUE(WriteTestWav((folder / "in.wav").string(), {44100, WavSampleFormat::Int16, Quantise(record.damaged, 16)}));
    EXPECT_EQ(Run(In("in.wav") + " " + In("out.wav") + " --sensitivity high --report"), 0) << said;
    EXPECT_NE(said.find("repaired: "), std::string::npos) << said;
    EXPECT_NE(said.find(" clicks, "), std::string::npos) << said;
    EXPECT_NE(said.find("not repaired"), std::string::npos) << said;
    for (const std::string& bad : {In("in.wav") + " " + In("out.wav") + " --sensitivity=loud", In("in.wav"),
                                   In("in.wav") + " " + In("out.wav") + " --fast"}) {
        EXPECT_EQ(Run(bad), 2) << bad;
    }
}

TEST(RecordRepairOption, LevelInlineAndPcmOnly)
{
    const struct {
        std::vector<std::string> args;
        std::optional<ClickRepairLevel> level;
        bool ok;
    } cases[] = {
        {{"-t", "5"}, std::nullopt, true},
        {{"--repair-clicks", "-t", "5"}, ClickRepairLevel::Normal, true},
        {{"--repair-clicks=high"}, ClickRepairLevel::High, true},
        {{"--repair-clicks=loud"}, std::nullopt, false},
        {{"--dsd", "64", "--repair-clicks"}, std::nullopt, false},
    };
    for (const auto& c : cases) {
        GlobalOptions global;
        RecordOptions options;
        const ParseResult parsed = ParseRecordOptions(c.args, global, options);
        EXPECT_EQ(parsed.ok, c.ok) << c.args[0];
        if (c.ok) {
            EXPECT_EQ(options.repairClicks, c.level) << c.args[0];
        }
    }
}
