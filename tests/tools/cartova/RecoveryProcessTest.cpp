// Kills "cartova record" (SIGKILL, or a death in the middle of writing a
// track, or the simulated power cut) at chosen states of a recording of a
// record whose every frame holds its own number, then recovers it with
// "cartova recover" and compares the samples with that record.
#include "ToolRun.h"
#include "support/JournalOnDisk.h"
#include "support/SourceWav.h"
#include "capture/Float_To_DSD16.h"
#include "device/SimSignalGenerator.h"
#include "device/WavFileSource.h"
#include "save/DsdBitReverse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr uint32_t kRate = 44100;

// A child running the tool, its output in a file.
struct Child {
    pid_t pid = -1;
    int status = 0;
    bool exited = false;

    // Whether the child is still running (reaps it when it has ended).
    bool Running()
    {
        if (!exited && waitpid(pid, &status, WNOHANG) == pid)
            exited = true;
        return !exited;
    }
    void Kill()
    {
        if (Running())
            kill(pid, SIGKILL);
        if (!exited)
            waitpid(pid, &status, 0);
        exited = true;
    }
};

Child Spawn(const std::vector<std::string>& args, const fs::path& log, const std::string& powerCut = {},
            rlim_t fileSizeLimit = RLIM_INFINITY)
{
    Child child;
    child.pid = fork();
    if (child.pid == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1);
        dup2(fd, 2);
        unsetenv("CARTOVA_DEVICE");
        if (!powerCut.empty())
            setenv("CARTOVA_FAULT_POWER_CUT", powerCut.c_str(), 1);
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::vector<char*> argv{const_cast<char*>(CARTOVA_TOOL)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(CARTOVA_TOOL, argv.data());
        _exit(127);
    }
    return child;
}

// Waits until the journal satisfies ready, or the child has ended; the last journal read.
std::optional<JournalContents> WaitForJournal(Child& child, const fs::path& temp,
                                              const std::function<bool(const JournalContents&)>& ready)
{
    std::optional<JournalContents> journal;
    while (child.Running()) {
        journal = ReadJournal(temp);
        if (journal && ready(*journal))
            return journal;
        usleep(5000);
    }
    return ReadJournal(temp);
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Every sample one more than the one before: no gap, no padding, no zeros.
size_t FirstBreak(const std::vector<uint16_t>& left)
{
    for (size_t i = 1; i < left.size(); ++i) {
        if (uint16_t(left[i] - left[i - 1]) != 1)
            return i;
    }
    return left.size();
}

// The DSD bytes of each channel the simulated turntable delivers from its start when it
// plays record at bitRate, earliest bit first in each byte's most significant bit.
std::array<std::vector<uint8_t>, 2> DeliveredDsd(const fs::path& record, uint64_t bitRate, size_t bytes)
{
    auto source = std::make_shared<WavFileSource>();
    std::string error;
    EXPECT_TRUE(source->Load(record.string(), error)) << error;
    SimSignalGenerator generator(source, {double(bitRate / 16), 16, true});
    const size_t words = bytes / 2 + 1;
    std::vector<float> carriage(2 * words);
    generator.Next(words, carriage.data());
    std::array<std::vector<uint8_t>, 2> channels;
    for (size_t c = 0; c < 2; ++c) {
        for (size_t w = 0; w < words; ++w) {
            const auto word = uint16_t(DsdWordFromFloat(carriage[2 * w + c]));
            channels[c].push_back(uint8_t(word & 0xFF));
            channels[c].push_back(uint8_t(word >> 8));
        }
    }
    return channels;
}

// The DSD bytes of each channel of a stereo DSF file (blocks of 4096 bytes per channel in
// turn, least significant bit first), earliest bit first in the most significant bit.
std::array<std::vector<uint8_t>, 2> DsfChannels(const fs::path& file)
{
    constexpr size_t kDataStart = 28 + 52 + 12;
    constexpr size_t kBlock = 4096;
    const uint64_t samples = uint64_t(FileWord(file, 28 + 36)) | uint64_t(FileWord(file, 28 + 40)) << 32;
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    std::array<std::vector<uint8_t>, 2> channels;
    for (size_t at = kDataStart, c = 0; at + kBlock <= bytes.size(); at += kBlock, c ^= 1) {
        for (size_t i = 0; i < kBlock && channels[c].size() < samples / 8; ++i)
            channels[c].push_back(m_br[bytes[at + i]]);
    }
    return channels;
}

class RecoveryProcess : public ToolFolderTest {
protected:
    RecoveryProcess() : ToolFolderTest("cartova-recovery") {}
    void SetUp() override
    {
        ToolFolderTest::SetUp();
        SourceSignal counting;
        counting.rate = kRate;
        for (uint32_t frame = 0; frame < kRate * 90; ++frame) {
            const int32_t value = (int32_t(frame % 65536) - 32768) * 256;
            counting.samples.push_back(value);
            counting.samples.push_back(value);
        }
        record = root / "counting.wav";
        ASSERT_TRUE(WriteSourceWav(counting, record.string()));
    }
    std::vector<std::string> RecordArgs(std::vector<std::string> extra) const
    {
        std::vector<std::string> args{"--simulate", record.string(), "--speed", "10", "record",
                                      "--temp-dir", temp.string(), "-o", out.string(), "--album", "Side"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    ProcessResult Recover(std::vector<std::string> extra) const
    {
        std::vector<std::string> args{"recover"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.insert(args.end(), {"--temp-dir", temp.string()});
        return RunTool(args);
    }
    size_t TempFiles() const
    {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(temp))
            count += entry.path().filename().string().rfind("tmp", 0) == 0 ? 1 : 0;
        return count;
    }

    fs::path record;
};

bool SyncedSeconds(const JournalContents& j, double seconds)
{
    return SyncedSamples(j) >= uint64_t(seconds * double(j.sampleRate));
}

} // namespace

// Killed while recording and while paused: everything the journal said was
// on disk comes back, sample for sample.
TEST_F(RecoveryProcess, AKilledPcmRecordingComesBackUpToItsLastSync)
{
    struct Case {
        const char* what;
        std::vector<std::string> extra;
        std::function<bool(const JournalContents&)> killWhen;
    };
    const std::vector<Case> cases = {
        {"recording", {"-r", "44100", "-b", "16", "-t", "80"}, [](const JournalContents& j) { return SyncedSeconds(j, 3.0); }},
        {"paused",
         {"-r", "44100", "-b", "16", "-t", "80", "--pause", "2+500"},
         [](const JournalContents& j) {
             return SyncedSeconds(j, 2.0) && !j.ranges.empty() && j.ranges.back().second > j.ranges.back().first;
         }},
    };
    for (const Case& c : cases) {
        fs::remove_all(out / "Side");
        Child child = Spawn(RecordArgs(c.extra), root / "record.log");
        const std::optional<JournalContents> seen = WaitForJournal(child, temp, c.killWhen);
        ASSERT_TRUE(child.Running()) << c.what << ReadText(root / "record.log");
        child.Kill();
        ASSERT_TRUE(seen) << c.what;
        const uint64_t synced = SyncedSamples(*seen);

        const ProcessResult list = Recover({"--list"});
        EXPECT_EQ(list.status, 0) << list.output;
        EXPECT_NE(list.output.find("PCM 44100 Hz 16-bit"), std::string::npos) << list.output;

        const ProcessResult run = Recover({"-o", out.string(), "--album", "Side", "--name", "side.wav"});
        ASSERT_EQ(run.status, 0) << c.what << run.output;
        const std::vector<uint16_t> left = LeftSamples16(out / "Side" / "side.wav");
        EXPECT_GE(left.size(), synced) << c.what;
        EXPECT_EQ(FirstBreak(left), left.size()) << c.what;
        EXPECT_FALSE(ReadJournal(temp)) << c.what;
        EXPECT_EQ(TempFiles(), 0u) << c.what;
    }
}

TEST_F(RecoveryProcess, AKilledDsdRecordingComesBackAsADsfFile)
{
    Child child = Spawn(RecordArgs({"--dsd", "64", "-t", "80", "--name", "side.dsf"}), root / "record.log");
    const std::optional<JournalContents> seen =
        WaitForJournal(child, temp, [](const JournalContents& j) { return SyncedSeconds(j, 3.0); });
    ASSERT_TRUE(child.Running()) << ReadText(root / "record.log");
    child.Kill();
    ASSERT_TRUE(seen && seen->isDsd);
    const ProcessResult run = Recover({"-o", out.string(), "--album", "Side", "--name", "side.dsf"});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::array<std::vector<uint8_t>, 2> recovered = DsfChannels(out / "Side" / "side.dsf");
    EXPECT_GE(recovered[0].size() * 8, SyncedSamples(*seen));

    // Every bit is the turntable's, in order from where the recording started.
    const std::array<std::vector<uint8_t>, 2> delivered =
        DeliveredDsd(record, 2822400, recovered[0].size() + 2822400 / 8 * 10);
    const auto start = std::search(delivered[0].begin(), delivered[0].end(), recovered[0].begin(),
                                   recovered[0].begin() + std::min<size_t>(recovered[0].size(), 4096));
    ASSERT_NE(start, delivered[0].end()) << "the recording's first bits are not the turntable's";
    const size_t offset = size_t(start - delivered[0].begin());
    for (size_t c = 0; c < 2; ++c) {
        ASSERT_LE(offset + recovered[c].size(), delivered[c].size());
        const auto mismatch = std::mismatch(recovered[c].begin(), recovered[c].end(), delivered[c].begin() + offset);
        EXPECT_EQ(mismatch.first, recovered[c].end())
            << "channel " << c << " differs at byte " << (mismatch.first - recovered[c].begin()) << " of "
            << recovered[c].size();
    }
}

// The track being written when the tool died is not left under its name,
// and the recording is recovered whole.
TEST_F(RecoveryProcess, DyingWhileWritingLeavesNoHalfTrackAndTheRecordingRecoverable)
{
    // 24-bit tracks are larger than any of the recording's own files: the
    // file size limit ends the tool (SIGXFSZ) in the middle of the track.
    Child child = Spawn(RecordArgs({"-r", "44100", "-b", "24", "-t", "4", "--name", "side.wav"}), root / "record.log", {},
                        rlim_t(kRate) * 4 * 5);
    while (child.Running())
        usleep(5000);
    ASSERT_TRUE(WIFSIGNALED(child.status)) << ReadText(root / "record.log");
    EXPECT_FALSE(fs::exists(out / "Side" / "side.wav"));
    const std::optional<JournalContents> seen = ReadJournal(temp);
    ASSERT_TRUE(seen && seen->stopped);

    const ProcessResult run = Recover({"-o", out.string(), "--album", "Side", "--name", "side.wav"});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<uint16_t> left = LeftTop16(out / "Side" / "side.wav", 3);
    EXPECT_GE(left.size(), size_t(kRate) * 4);
    EXPECT_EQ(FirstBreak(left), left.size());
    // The dead tool's unfinished file went when the track was written.
    EXPECT_EQ(std::distance(fs::directory_iterator(out / "Side"), fs::directory_iterator()), 1);
}

// The power cut: every write stops at 4 s of recorded time and unsynced
// data is lost; at most two seconds go.
TEST_F(RecoveryProcess, APowerCutLosesAtMostTwoSeconds)
{
    Child child = Spawn(RecordArgs({"-r", "44100", "-b", "16", "-t", "80"}), root / "record.log", "4");
    while (child.Running())
        usleep(5000);
    ASSERT_TRUE(WIFSIGNALED(child.status) && WTERMSIG(child.status) == SIGKILL) << ReadText(root / "record.log");
    const ProcessResult run = Recover({"-o", out.string(), "--album", "Side", "--name", "side.wav"});
    ASSERT_EQ(run.status, 0) << run.output;
    const std::vector<uint16_t> left = LeftSamples16(out / "Side" / "side.wav");
    EXPECT_GE(left.size(), size_t(kRate) * 2);
    EXPECT_EQ(FirstBreak(left), left.size());
}

// Orphans go, --discard removes a recording, a torn journal is refused.
TEST_F(RecoveryProcess, OrphansAreCleanedDiscardRemovesAndTornJournalsAreRefused)
{
    Child child = Spawn(RecordArgs({"-r", "44100", "-b", "16", "-t", "80"}), root / "record.log");
    ASSERT_TRUE(WaitForJournal(child, temp, [](const JournalContents& j) { return SyncedSeconds(j, 1.0); }));
    child.Kill();
    std::ofstream(temp / "tmpORPHAN") << "left over";
    fs::path journal;
    for (const auto& entry : fs::directory_iterator(temp)) {
        if (entry.path().extension() == ".journal")
            journal = entry.path();
    }
    ASSERT_FALSE(journal.empty());
    const std::string id = journal.stem().string().substr(8);
    const std::string whole = ReadText(journal);

    const ProcessResult list = Recover({"--list"});
    EXPECT_NE(list.output.find(id), std::string::npos) << list.output;
    EXPECT_FALSE(fs::exists(temp / "tmpORPHAN"));
    const ProcessResult discard = Recover({"--discard", id});
    EXPECT_EQ(discard.status, 0) << discard.output;
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(TempFiles(), 0u);

    std::ofstream(journal, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - 3);
    const ProcessResult torn = Recover({"--list"});
    EXPECT_NE(torn.output.find("damaged"), std::string::npos) << torn.output;
    EXPECT_EQ(Recover({id, "-o", out.string()}).status, 1);
}

// Markers and names kept in the journal split and name the recovered tracks
// when the command line gives none.
TEST_F(RecoveryProcess, KeptMarkersAndNamesShapeTheRecoveredTracks)
{
    Child child = Spawn(RecordArgs({"-r", "44100", "-b", "16", "-t", "80"}), root / "record.log");
    ASSERT_TRUE(WaitForJournal(child, temp, [](const JournalContents& j) { return SyncedSeconds(j, 3.0); }));
    child.Kill();
    fs::path path;
    for (const auto& entry : fs::directory_iterator(temp)) {
        if (entry.path().extension() == ".journal")
            path = entry.path();
    }
    std::ifstream in(path, std::ios::binary);
    JournalContents journal;
    ASSERT_EQ(DecodeJournal(std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {}), journal),
              JournalProblem::None);
    journal.markers = {1.0, 2.0};
    journal.names = {"Kept Album", "One", "Two", "Three"};
    const std::vector<uint8_t> bytes = EncodeJournal(journal);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(bytes.data()),
                                                                  std::streamsize(bytes.size()));

    const ProcessResult run = RunTool({"recover", "-o", out.string(), "--temp-dir", temp.string()});
    ASSERT_EQ(run.status, 0) << run.output;
    std::vector<fs::path> tracks;
    for (const auto& entry : fs::directory_iterator(out / "Kept Album"))
        tracks.push_back(entry.path());
    std::sort(tracks.begin(), tracks.end());
    ASSERT_EQ(tracks.size(), 3u) << run.output;
    const std::vector<uint16_t> first = LeftSamples16(tracks[0]);
    EXPECT_EQ(first.size(), size_t(kRate));
    EXPECT_EQ(FirstBreak(first), first.size());
}
