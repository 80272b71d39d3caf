// The recovery journal: its checked format, the write discipline against
// failing system calls, the lock between programs, what the clean-up of
// leftovers keeps, and a recorded stream read back from the files a dead
// program left (with the tail that durability syncs wrote).
#include "engine/TempDirectory.h"
#include "framework/storage/StorageTestSupport.h"
#include "recovery/Crc32.h"
#include "recovery/DurableIo.h"
#include "recovery/JournalFile.h"
#include "recovery/RecoveryCatalog.h"
#include "storage/TemporaryData.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

JournalContents SampleContents()
{
    JournalContents c;
    c.startedUnix = 1796000000;
    c.sampleType = 1;
    c.isDsd = true;
    c.channels = 2;
    c.sampleRate = 2822400;
    c.bitsPerSample = 1;
    c.fileBits = 1;
    c.chunkBytes = 4096;
    c.syncedBytes = 10000;
    c.stopped = true;
    c.ranges = {{0, 100}, {150, 300}};
    c.files = {{{0, "tmpAAAAAA"}, {8192, "tmpBBBBBB"}}, {{0, "tmpCCCCCC"}}};
    c.markers = {12.5, 300.25};
    c.names = {"Album", "Title \xc3\xa9"};
    return c;
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The seam with one step failing with EIO.
class FailingIo : public DurableIo {
public:
    enum Step { WriteStep, SyncStep, RenameStep, FolderStep };
    explicit FailingIo(Step step) : m_step(step) {}
    ssize_t Write(int fd, const void* b, size_t n) override { return Fail(WriteStep) ? -1 : DurableIo::Write(fd, b, n); }
    int Sync(int fd) override { return Fail(SyncStep) ? -1 : DurableIo::Sync(fd); }
    int Rename(const char* a, const char* b) override { return Fail(RenameStep) ? -1 : DurableIo::Rename(a, b); }
    int SyncFolder(const std::string& f) override { return Fail(FolderStep) ? -1 : DurableIo::SyncFolder(f); }

private:
    bool Fail(Step step)
    {
        if (step != m_step)
            return false;
        errno = EIO;
        return true;
    }
    Step m_step;
};

} // namespace

TEST(Crc32, MatchesTheStandardCheckValue)
{
    const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc32(text, sizeof text), 0xCBF43926u);
}

TEST(JournalFormat, RoundTripsEveryField)
{
    JournalContents decoded;
    ASSERT_EQ(DecodeJournal(EncodeJournal(SampleContents()), decoded), JournalProblem::None);
    const JournalContents c = SampleContents();
    EXPECT_EQ(decoded.startedUnix, c.startedUnix);
    EXPECT_EQ(decoded.isDsd, c.isDsd);
    EXPECT_EQ(decoded.sampleRate, c.sampleRate);
    EXPECT_EQ(decoded.syncedBytes, c.syncedBytes);
    EXPECT_EQ(decoded.ranges, c.ranges);
    ASSERT_EQ(decoded.files.size(), 2u);
    EXPECT_EQ(decoded.files[0][1].name, "tmpBBBBBB");
    EXPECT_EQ(decoded.files[0][1].start, 8192u);
    EXPECT_EQ(decoded.markers, c.markers);
    EXPECT_EQ(decoded.names, c.names);
}

TEST(JournalFormat, RefusesEveryTornForeignOrNewerJournal)
{
    const std::vector<uint8_t> good = EncodeJournal(SampleContents());
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        JournalProblem expected;
    };
    const std::vector<Case> cases = {
        {"a flipped payload bit", [](auto& b) { b[40] ^= 0x01; }, JournalProblem::Torn},
        {"a flipped checksum bit", [](auto& b) { b.back() ^= 0x80; }, JournalProblem::Torn},
        {"one byte more", [](auto& b) { b.push_back(0); }, JournalProblem::Torn},
        {"another magic", [](auto& b) { b[0] = 'X'; }, JournalProblem::Foreign},
        {"a newer version", [](auto& b) { b[8] = 2; }, JournalProblem::Newer},
        {"empty", [](auto& b) { b.clear(); }, JournalProblem::Torn},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        c.damage(bytes);
        JournalContents decoded;
        EXPECT_EQ(DecodeJournal(bytes, decoded), c.expected) << c.what;
    }
    // Cut anywhere, it is torn.
    for (size_t length = 1; length < good.size(); ++length) {
        JournalContents decoded;
        EXPECT_EQ(DecodeJournal(std::vector<uint8_t>(good.begin(), good.begin() + long(length)), decoded),
                  JournalProblem::Torn)
            << length;
    }
}

TEST(JournalFile, AFailedUpdateKeepsTheLastWholeJournalAndTheCause)
{
    ScratchFolder folder;
    for (FailingIo::Step step : {FailingIo::WriteStep, FailingIo::SyncStep, FailingIo::RenameStep}) {
        JournalFile journal;
        JournalContents first = SampleContents();
        ASSERT_TRUE(journal.Create(folder.Path(), first));
        FailingIo failing(step);
        SetDurableIo(&failing);
        JournalContents second = first;
        second.syncedBytes = 99999;
        errno = 0;
        EXPECT_FALSE(journal.Update(second)) << step;
        EXPECT_EQ(errno, EIO) << step;
        SetDurableIo(nullptr);
        JournalContents onDisk;
        ASSERT_EQ(DecodeJournal(ReadFile(journal.Path()), onDisk), JournalProblem::None) << step;
        EXPECT_EQ(onDisk.syncedBytes, first.syncedBytes) << step;
        EXPECT_FALSE(fs::exists(journal.Path() + ".new")) << step;
        journal.Remove();
    }
}

TEST(JournalFile, OneProgramAtATimeHoldsARecording)
{
    ScratchFolder folder;
    JournalFile owner;
    ASSERT_TRUE(owner.Create(folder.Path(), SampleContents()));
    ASSERT_TRUE(owner.Update(SampleContents())); // every version stays locked

    // Another process cannot claim it while the owner holds it.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
        JournalFile other;
        JournalContents contents;
        JournalProblem problem;
        const char result = char(other.Claim(folder.Path(), owner.Id(), contents, problem));
        (void)!write(pipeFds[1], &result, 1);
        _exit(0);
    }
    char answer = -1;
    ASSERT_EQ(read(pipeFds[0], &answer, 1), 1);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(ClaimResult(answer), ClaimResult::InUse);

    // Listed as in use; claimed once the owner lets go.
    std::vector<RecoverableRecording> listed = ListRecordings(folder.Path());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_TRUE(listed[0].inUse);
    const std::string id = owner.Id();
    owner.Close();
    JournalFile next;
    JournalContents contents;
    JournalProblem problem;
    EXPECT_EQ(next.Claim(folder.Path(), id, contents, problem), ClaimResult::Claimed);
    JournalFile third;
    EXPECT_EQ(third.Claim(folder.Path(), id, contents, problem), ClaimResult::InUse);
    EXPECT_EQ(third.Claim(folder.Path(), "nothing", contents, problem), ClaimResult::Missing);
}

TEST(RecoveryCatalog, CleanUpKeepsJournalledFilesAndDeletesOrphansAndTornJournalsFiles)
{
    ScratchFolder folder;
    const fs::path dir = folder.Path();
    for (const char* name : {"tmpAAAAAA", "tmpBBBBBB", "tmpCCCCCC", "tmpORPHAN", "tmpTORNXX"})
        WriteFile(dir / name, {1, 2});
    {
        JournalFile kept;
        ASSERT_TRUE(kept.Create(folder.Path(), SampleContents()));
    }
    JournalContents torn = SampleContents();
    torn.files = {{{0, "tmpTORNXX"}}, {}};
    std::vector<uint8_t> tornBytes = EncodeJournal(torn);
    tornBytes.pop_back();
    WriteFile(dir / "cartova-torn.journal", tornBytes);

    // A journal of a recording killed before anything reached the disk goes.
    JournalContents empty = SampleContents();
    empty.files = {{{0, "tmpGONEXX"}}, {{0, "tmpEMPTYX"}}};
    WriteFile(dir / "tmpEMPTYX", {});
    WriteFile(dir / "cartova-empty.journal", EncodeJournal(empty));

    EXPECT_EQ(DeleteFrameworkTempFiles(folder.Path()), 3u);
    EXPECT_FALSE(fs::exists(dir / "cartova-empty.journal"));
    for (const char* name : {"tmpAAAAAA", "tmpBBBBBB", "tmpCCCCCC"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_FALSE(fs::exists(dir / "tmpORPHAN"));
    EXPECT_FALSE(fs::exists(dir / "tmpTORNXX"));

    // A newer version's journal: its files are unknown, so nothing goes.
    WriteFile(dir / "tmpORPHAN", {1});
    std::vector<uint8_t> newer = EncodeJournal(SampleContents());
    newer[8] = 9;
    WriteFile(dir / "cartova-newer.journal", newer);
    EXPECT_EQ(DeleteFrameworkTempFiles(folder.Path()), 0u);
}

TEST(RecoveryCatalog, MissingAndShortenedFilesRecoverWhatIsThereAndSaySo)
{
    ScratchFolder folder;
    const fs::path dir = folder.Path();
    JournalContents c = SampleContents();
    c.isDsd = false;
    c.bitsPerSample = 32;
    c.sampleRate = 1000;
    c.syncedBytes = 12000;
    c.files = {{{0, "tmpAAAAAA"}, {8000, "tmpBBBBBB"}}, {{0, "tmpCCCCCC"}}};
    struct Case {
        size_t a, b, c;
        bool bPresent;
        uint64_t expected;
        bool missing;
    };
    const std::vector<Case> cases = {
        {8000, 4003, 12000, true, 12000, false}, // a torn frame at the end is cut
        {8000, 4000, 9000, true, 9000, true},    // a shortened channel
        {8000, 0, 12000, false, 8000, true},     // a file gone
        {6000, 4000, 12000, true, 6000, true},   // a file shorter than its successor's start
    };
    for (const Case& k : cases) {
        WriteFile(dir / "tmpAAAAAA", std::vector<uint8_t>(k.a));
        fs::remove(dir / "tmpBBBBBB");
        if (k.bPresent)
            WriteFile(dir / "tmpBBBBBB", std::vector<uint8_t>(k.b));
        WriteFile(dir / "tmpCCCCCC", std::vector<uint8_t>(k.c));
        RecoverableRecording recording;
        recording.folder = folder.Path();
        recording.contents = c;
        MeasureRecording(recording);
        EXPECT_EQ(recording.recoverableBytes, k.expected) << k.a << " " << k.b << " " << k.c;
        EXPECT_EQ(!recording.missing.empty(), k.missing) << k.a << " " << k.b << " " << k.c;
    }
}

// A stream synced while recording and then taken over from its files reads
// back byte for byte, up to what the last sync reached.
TEST(DurableStream, SyncedBytesReadBackFromTheFilesOfADeadRecording)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    const uint64_t chunk = 1000;
    std::vector<std::pair<uint64_t, std::string>> starts;
    uint64_t synced = 0;
    {
        // Files of at most three chunks, so the stream spans several.
        TemporaryData data(&engine, 3 * chunk);
        ASSERT_EQ(data.Init(chunk), TkErrorSuccess);
        uint64_t position = 0;
        for (size_t block : {700u, 700u, 2500u, 333u, 1800u, 90u}) {
            ASSERT_EQ(data.Add(PatternBlock(position, block), {{0, 0}}), TkErrorSuccess);
            position += block;
            ASSERT_EQ(data.SyncTail(synced), TkErrorSuccess);
            EXPECT_EQ(synced, position);
        }
        starts = data.GetFileStarts();
        data.KeepFiles(); // the program dies: the files stay
    }
    ASSERT_GE(starts.size(), 3u);
    std::vector<TemporaryFile> files;
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint64_t end = i + 1 < starts.size() ? starts[i + 1].first : synced;
        files.emplace_back();
        ASSERT_EQ(files.back().Adopt(starts[i].second, starts[i].first, end - starts[i].first), TkErrorSuccess);
    }
    TemporaryData recovered(&engine, 3 * chunk);
    ASSERT_EQ(recovered.Adopt(chunk, std::move(files), synced), TkErrorSuccess);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(recovered.GetData(0, synced, bytes, true), TkErrorSuccess);
    EXPECT_EQ(bytes, PatternBlock(0, size_t(synced)));
}
