// TemporaryData: a randomised comparison against an in-memory model, file
// chaining, buffer steering, clean-up, and the failure paths (missing
// folder, folder removed mid-recording, file-size limit).
#include <gtest/gtest.h>

#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include "StorageTestSupport.h"
#include "storage/RecordRangeManager.h"
#include "storage/TemporaryData.h"

namespace {

const RecordRangeList kAll = {{0, 0}};   // open from the window's start
const RecordRangeList kNone = {};

// Record state per live position, applied the plain way: the state at p is
// that of the last event at or before p; a start forgets earlier events.
class RecordModel {
public:
    void Event(uint64_t position, RecordEventKind kind)
    {
        if (kind == RecordEventStart) {
            m_events.clear();
            m_recording = false;
        }
        bool opens = kind == RecordEventStart || kind == RecordEventResume;
        if (opens == m_recording)
            return;
        m_events.emplace_back(position, opens);
        m_recording = opens;
    }
    bool Recorded(uint64_t position) const
    {
        bool state = false;
        for (const auto& [at, opens] : m_events) {
            if (at > position)
                break;
            state = opens;
        }
        return state;
    }

private:
    std::vector<std::pair<uint64_t, bool>> m_events;
    bool m_recording = false;
};

TEST(TemporaryData, MatchesAPlainModelOverManyChunksAndFiles)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    const uint64_t chunk = 1000;
    TemporaryData data(&engine, 3 * chunk);   // three chunks per file
    ASSERT_EQ(data.Init(chunk), TkErrorSuccess);
    RecordRangeManager ranges;
    RecordModel model;
    std::vector<uint8_t> live, recorded;
    std::mt19937_64 random(12345);
    auto uniform = [&](uint64_t low, uint64_t high) {
        return std::uniform_int_distribution<uint64_t>(low, high)(random);
    };
    uint64_t lastEvent = 0;

    for (int step = 0; step < 700; ++step) {
        const uint64_t P = live.size();
        const size_t size = size_t(uniform(0, 2600));
        if (uniform(0, 3) == 0) {
            // Events at or after the block's start, possibly inside it.
            uint64_t position = std::max(lastEvent, P + uniform(0, size));
            auto kind = RecordEventKind(uniform(0, 20) == 0 ? 0 : uniform(1, 3));
            if (step == 0)
                kind = RecordEventStart;
            ranges.AddRecordEvent(position, kind);
            model.Event(position, kind);
            lastEvent = position;
        }
        std::vector<uint8_t> block = PatternBlock(P, size, 7);
        ASSERT_EQ(data.Add(block, ranges.GetAvailableRange_Bytes(P, P + size, 1)), TkErrorSuccess);
        for (size_t i = 0; i < size; ++i) {
            live.push_back(block[i]);
            if (model.Recorded(P + i))
                recorded.push_back(block[i]);
        }
        ASSERT_EQ(data.GetLength(false), live.size());
        ASSERT_EQ(data.GetLength(true), recorded.size());

        std::vector<uint8_t> out;
        for (int r = 0; r < 3 && recorded.size() > 1; ++r) {
            uint64_t from = uniform(0, recorded.size() - 1);
            uint64_t to = std::min<uint64_t>(recorded.size(), from + 1 + uniform(0, 3 * chunk));
            ASSERT_EQ(data.GetData(from, to, out, true), TkErrorSuccess) << from << ".." << to;
            ASSERT_TRUE(std::equal(out.begin(), out.end(), recorded.begin() + from));
        }
        if (live.size() > 1) {
            const uint64_t writeChunk = live.size() / chunk * chunk;
            uint64_t from = uniform(live.size() > 3 * chunk ? live.size() - 3 * chunk : 0, live.size() - 1);
            uint64_t to = uniform(from + 1, live.size());
            TkError result = data.GetData(from, to, out, false);
            if (from >= writeChunk) {
                ASSERT_EQ(result, TkErrorSuccess);
            }
            if (result == TkErrorSuccess)
                ASSERT_TRUE(std::equal(out.begin(), out.end(), live.begin() + from));
            else
                ASSERT_TRUE(out.empty());
        }
    }
    std::vector<uint8_t> out;
    EXPECT_EQ(data.GetData(0, recorded.size() + 1, out, true), TkErrorInvalidArgument);
    EXPECT_EQ(data.GetData(5, 5, out, true), TkErrorInvalidArgument);
    ASSERT_EQ(data.GetData(0, recorded.size(), out, true), TkErrorSuccess);
    EXPECT_EQ(out, recorded);
    const size_t flushedChunks = recorded.size() / chunk;
    EXPECT_GE(flushedChunks, 9u);
    EXPECT_EQ(data.GetFileCount(), (flushedChunks + 2) / 3);
    EXPECT_EQ(folder.TemporaryFileCount(), data.GetFileCount());
}

TEST(TemporaryData, FilesHoldWholeChunksUpToTheSizeLimit)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    TemporaryData data(&engine, 1000);
    ASSERT_EQ(data.Init(300), TkErrorSuccess);
    ASSERT_EQ(data.Add(PatternBlock(0, 1250), kAll), TkErrorSuccess);
    // Chunks 0-2 fill the first file (900 bytes); chunk 3 opens the second.
    std::vector<std::string> paths = data.GetFilePaths();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(std::filesystem::file_size(paths[0]), 900u);
    EXPECT_EQ(std::filesystem::file_size(paths[1]), 300u);
    EXPECT_EQ(paths[0].rfind(folder.Path() + "/tmp", 0), 0u);
    // Across the file boundary.
    std::vector<uint8_t> out;
    ASSERT_EQ(data.GetData(850, 950, out, true), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(850, 100));
}

TEST(TemporaryData, ReaderSteersWhichLiveChunkIsKept)
{
    TemporaryData data;
    ASSERT_EQ(data.Init(100), TkErrorSuccess);
    std::vector<uint8_t> out;
    ASSERT_EQ(data.Add(PatternBlock(0, 150), kNone), TkErrorSuccess);
    ASSERT_EQ(data.GetData(120, 130, out, false), TkErrorSuccess);   // reader in [100, 200)
    ASSERT_EQ(data.Add(PatternBlock(150, 100), kNone), TkErrorSuccess);
    // The writer went on in the other buffer; the reader's chunk is intact.
    ASSERT_EQ(data.GetData(100, 250, out, false), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(100, 150));
    EXPECT_EQ(data.GetData(50, 60, out, false), TkErrorInvalidArgument);
    EXPECT_TRUE(out.empty());
    // That read ended in [200, 300): when it fills, the writer moves to the
    // other buffer and [200, 300) stays readable.
    ASSERT_EQ(data.Add(PatternBlock(250, 100), kNone), TkErrorSuccess);
    ASSERT_EQ(data.GetData(200, 350, out, false), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(200, 150));
    // A reader that stays in its chunk keeps it; the writer reuses its own buffer.
    ASSERT_EQ(data.GetData(210, 220, out, false), TkErrorSuccess);
    ASSERT_EQ(data.Add(PatternBlock(350, 100), kNone), TkErrorSuccess);
    ASSERT_EQ(data.GetData(200, 300, out, false), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(200, 100));
    ASSERT_EQ(data.GetData(400, 450, out, false), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(400, 50));
    EXPECT_EQ(data.GetData(300, 400, out, false), TkErrorInvalidArgument);
    EXPECT_EQ(data.GetLength(true), 0u);
}

TEST(TemporaryData, ArgumentsAndEmptyBlocks)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    TemporaryData data(&engine);
    EXPECT_EQ(data.Init(0), TkErrorInvalidArgument);
    ASSERT_EQ(data.Init(64), TkErrorSuccess);
    EXPECT_EQ(data.Init(0), TkErrorInvalidArgument);
    EXPECT_EQ(data.GetChunkSize(), 64u);
    EXPECT_EQ(data.Add(std::vector<uint8_t>(), kNone), TkErrorSuccess);
    EXPECT_EQ(data.GetLength(false), 0u);
    // An inverted range is refused before anything is stored.
    EXPECT_EQ(data.Add(PatternBlock(0, 10), RecordRangeList{{5, 2}}), TkErrorInvalidArgument);
    EXPECT_EQ(data.GetLength(false), 0u);
    // 16-bit elements: lengths and positions are bytes.
    std::vector<int16_t> samples = {1, -2, 3, -4};
    ASSERT_EQ(data.Add(samples, RecordRangeList{{2, 6}}), TkErrorSuccess);
    std::vector<int16_t> back;
    ASSERT_EQ(data.GetData(0, 4, back, true), TkErrorSuccess);
    EXPECT_EQ(back, std::vector<int16_t>({-2, 3}));
    EXPECT_EQ(data.GetData(0, 3, back, false), TkErrorInvalidArgument);
}

TEST(TemporaryData, InitAndDestructionDeleteTheFiles)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    {
        TemporaryData data(&engine, 200);
        ASSERT_EQ(data.Init(100), TkErrorSuccess);
        ASSERT_EQ(data.Add(PatternBlock(0, 1000), kAll), TkErrorSuccess);
        EXPECT_EQ(folder.TemporaryFileCount(), 5u);
        ASSERT_EQ(data.Init(100), TkErrorSuccess);
        EXPECT_EQ(folder.TemporaryFileCount(), 0u);
        EXPECT_EQ(data.GetLength(true), 0u);
        ASSERT_EQ(data.Add(PatternBlock(0, 500), kAll), TkErrorSuccess);
        EXPECT_GT(folder.TemporaryFileCount(), 0u);
    }
    EXPECT_EQ(folder.TemporaryFileCount(), 0u);
}

// Checks every recorded byte against the pattern.
void ExpectRecordedPattern(TemporaryData& data, uint64_t length)
{
    std::vector<uint8_t> out;
    ASSERT_EQ(data.GetLength(true), length);
    ASSERT_EQ(data.GetData(0, length, out, true), TkErrorSuccess);
    EXPECT_TRUE(out == PatternBlock(0, length));
}

TEST(TemporaryData, MissingFolderKeepsBytesInMemoryAndRetries)
{
    ScratchFolder folder;
    folder.Remove();
    FolderEngine engine(folder.Path());
    TemporaryData data(&engine);
    ASSERT_EQ(data.Init(1000), TkErrorSuccess);
    EXPECT_EQ(data.Add(PatternBlock(0, 2500), kAll), TkErrorFailed);
    EXPECT_EQ(data.Add(PatternBlock(2500, 500), kAll), TkErrorFailed);
    ExpectRecordedPattern(data, 3000);
    EXPECT_EQ(data.GetLength(false), 3000u);
    EXPECT_EQ(data.GetFileCount(), 0u);

    folder.Recreate();
    EXPECT_EQ(data.Add(PatternBlock(3000, 10), kAll), TkErrorSuccess);
    EXPECT_EQ(data.GetFileCount(), 1u);
    // Push the retried chunks out of memory so they are read from disk.
    EXPECT_EQ(data.Add(PatternBlock(3010, 4000), kAll), TkErrorSuccess);
    ExpectRecordedPattern(data, 7010);
}

TEST(TemporaryData, FolderRemovedMidRecording)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    TemporaryData data(&engine, 2000);
    ASSERT_EQ(data.Init(1000), TkErrorSuccess);
    ASSERT_EQ(data.Add(PatternBlock(0, 1500), kAll), TkErrorSuccess);
    folder.Remove();
    // The open file still takes its second chunk; the third needs a new file.
    EXPECT_EQ(data.Add(PatternBlock(1500, 1000), kAll), TkErrorSuccess);
    EXPECT_EQ(data.Add(PatternBlock(2500, 1000), kAll), TkErrorFailed);
    EXPECT_EQ(data.Add(PatternBlock(3500, 1000), kAll), TkErrorFailed);
    ExpectRecordedPattern(data, 4500);

    folder.Recreate();
    EXPECT_EQ(data.Add(PatternBlock(4500, 3000), kAll), TkErrorSuccess);
    ExpectRecordedPattern(data, 7500);
    EXPECT_EQ(data.Init(10), TkErrorSuccess);
    EXPECT_EQ(folder.TemporaryFileCount(), 0u);
}

// Runs in a child process with a file-size limit of 2,500 bytes: the third
// 1,000-byte chunk is written only in part. Returns the failed step or 0.
int FullDiskScenario(const std::string& path)
{
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    struct rlimit small = limit;
    small.rlim_cur = 2500;
    signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        return 1;
    FolderEngine engine(path);
    TemporaryData data(&engine);
    if (data.Init(1000) != TkErrorSuccess)
        return 2;
    if (data.Add(PatternBlock(0, 3500), kAll) != TkErrorFailed)
        return 3;
    if (data.Add(PatternBlock(3500, 100), kAll) != TkErrorFailed)
        return 4;
    std::vector<uint8_t> out;
    if (data.GetData(0, 3600, out, true) != TkErrorSuccess || out != PatternBlock(0, 3600))
        return 5;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 6;
    if (data.Add(PatternBlock(3600, 100), kAll) != TkErrorSuccess)
        return 7;
    if (data.Add(PatternBlock(3700, 3000), kAll) != TkErrorSuccess)
        return 8;
    // [2000, 3000) was partly written before; it now comes back from disk whole.
    if (data.GetData(0, 6700, out, true) != TkErrorSuccess || out != PatternBlock(0, 6700))
        return 9;
    if (data.GetFileCount() != 1)
        return 10;
    return 0;
}

TEST(TemporaryData, FullDiskKeepsBytesAndRecovers)
{
    ScratchFolder folder;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(FullDiskScenario(folder.Path()));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failed step";
    EXPECT_EQ(folder.TemporaryFileCount(), 0u);
}

} // namespace
