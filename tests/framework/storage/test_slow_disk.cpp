// The stores behind a disk that does not answer: the writer's file write is
// held inside pwrite (this test program replaces pwrite with one that waits
// at a gate while the gate is closed). Readers of the same stream must still
// get every accepted byte, from memory, and a record event must still be
// taken, without waiting for the write.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "StorageTestSupport.h"
#include "convert/SampleTypeInfo.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"
#include "storage/TemporaryData.h"

namespace {

// The gate every pwrite of this program passes while it is closed.
struct WriteGate {
    std::mutex lock;
    std::condition_variable changed;
    bool closed = false;
    int waiting = 0;
};

WriteGate& Gate()
{
    static WriteGate gate;
    return gate;
}

void SetGateClosed(bool closed)
{
    {
        std::lock_guard<std::mutex> guard(Gate().lock);
        Gate().closed = closed;
    }
    Gate().changed.notify_all();
}

// Opens the gate when a test ends, also on a failed assertion; declared after
// a test's futures, so the gate opens before their destructors wait for them.
struct GateOpenedAtExit {
    ~GateOpenedAtExit() { SetGateClosed(false); }
};

bool WaitForHeldWrite()
{
    std::unique_lock<std::mutex> guard(Gate().lock);
    return Gate().changed.wait_for(guard, std::chrono::seconds(60), [] { return Gate().waiting > 0; });
}

const RecordRangeList kAll = {{0, 0}};

} // namespace

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    using Real = ssize_t (*)(int, const void*, size_t, off_t);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "pwrite"));
    {
        std::unique_lock<std::mutex> guard(Gate().lock);
        ++Gate().waiting;
        Gate().changed.notify_all();
        Gate().changed.wait(guard, [] { return !Gate().closed; });
        --Gate().waiting;
    }
    return real(fd, buffer, count, offset);
}

TEST(TemporaryData, ReadersDoNotWaitForAWriteToDisk)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    TemporaryData data(&engine);
    ASSERT_EQ(data.Init(300), TkErrorSuccess);
    ASSERT_EQ(data.Add(PatternBlock(0, 250), kAll), TkErrorSuccess); // in memory only

    std::future<TkError> writer;
    std::future<bool> reader;
    GateOpenedAtExit openAtExit;

    SetGateClosed(true);
    // The second block completes two chunks: the writer stops in the first write.
    writer = std::async(std::launch::async, [&] { return data.Add(PatternBlock(250, 400), kAll); });
    ASSERT_TRUE(WaitForHeldWrite());

    reader = std::async(std::launch::async, [&] {
        std::vector<uint8_t> recorded, live;
        const bool ok = data.GetLength(true) == 650 && data.GetLength(false) == 650 &&
                        data.GetData(0, 650, recorded, true) == TkErrorSuccess &&
                        data.GetData(600, 650, live, false) == TkErrorSuccess;
        return ok && recorded == PatternBlock(0, 650) && live == PatternBlock(600, 50);
    });
    // A reader held up by the write would only finish once the gate opens.
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(reader.get());

    SetGateClosed(false);
    EXPECT_EQ(writer.get(), TkErrorSuccess);
    EXPECT_EQ(data.GetFileCount(), 1u);
    std::vector<uint8_t> out;
    ASSERT_EQ(data.GetData(0, 650, out, true), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(0, 650));
}

TEST(RecordData, ARecordEventDoesNotWaitForAWriteToDisk)
{
    ScratchFolder folder;
    FolderEngine engine(folder.Path());
    RecordRangeManager ranges;
    ranges.AddRecordEvent(0, RecordEventStart);
    RecordData data(&engine, TemporaryData::kMaxFileBytes, 400);
    ASSERT_EQ(data.Init(2, 1000, GetSampleTypeInfo(kSampleTypeFloat32), &ranges), TkErrorSuccess);
    ASSERT_EQ(data.Add(0, PatternBlock(0, 300)), TkErrorSuccess);
    ASSERT_EQ(data.Add(1, PatternBlock(0, 300)), TkErrorSuccess);

    std::future<TkError> writer;
    std::future<uint64_t> pause;
    GateOpenedAtExit openAtExit;

    SetGateClosed(true);
    // Channel 0 completes its first 400-byte chunk and stops in the write.
    writer = std::async(std::launch::async, [&] { return data.Add(0, PatternBlock(300, 200)); });
    ASSERT_TRUE(WaitForHeldWrite());
    pause = std::async(std::launch::async,
                       [&] { return data.AddRecordEvent(ranges, RecordEventPause, 0); });
    ASSERT_EQ(pause.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(pause.get(), 125u); // the end of channel 0: 500 bytes of floats

    SetGateClosed(false);
    EXPECT_EQ(writer.get(), TkErrorSuccess);
    std::vector<uint8_t> out;
    ASSERT_EQ(data.GetData(0, 0, 125, out, true), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(0, 500));
}
