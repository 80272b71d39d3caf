// The recording session driver and segment search; see RecordingSession.h.
#include "RecordingSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "MainQueue.h"
#include "support/ScratchFolderAtExit.h"

namespace {

constexpr size_t kChannels = 2;

MainQueue& Queue()
{
    static MainQueue queue;
    return queue;
}

SessionLog& State()
{
    static SessionLog log;
    return log;
}

std::thread::id& MainThread()
{
    static std::thread::id id;
    return id;
}

void CheckThread()
{
    if (std::this_thread::get_id() != MainThread()) {
        State().wrongThread = true;
    }
}

void OnOperation(void*, TkRecOperation operation)
{
    CheckThread();
    State().operations.push_back(operation);
    if (operation == TkRecOperationStopped) {
        State().stopped = true;
    }
}

void OnStream(void*, double seconds)
{
    CheckThread();
    State().streamPositions.push_back(seconds);
    State().positionsAfterStop += State().stopped ? 1 : 0;
}

void OnConvert(void*, double seconds)
{
    CheckThread();
    State().convertPositions.push_back(seconds);
    State().positionsAfterStop += State().stopped ? 1 : 0;
}

void OnError(void*, TkNotifyError code, const char*)
{
    CheckThread();
    State().errors.push_back(code);
}

void InitialiseOnce()
{
    static bool done = false;
    if (done) {
        return;
    }
    setenv("CARTOVA_DEVICE", "sim", 1);
    setenv("CARTOVA_SIM_SPEED", kUnderThreadSanitizer ? "1" : "2", 1);
    unsetenv("CARTOVA_SIM_SOURCE");
    MainThread() = std::this_thread::get_id();
    const ICartovaDelegate delegate{&Queue(), OnOperation, OnStream, OnConvert, OnError, MainQueue::PostToMainQueue};
    ASSERT_EQ(Cartova_Init(&delegate), TkErrorSuccess);
    // Removed with whatever is left in it when the process ends.
    static const ScratchFolderAtExit folder("cartova-rec-XXXXXX");
    ASSERT_FALSE(folder.Path().empty());
    ASSERT_EQ(Cartova_SetTempDirectory(folder.Path().c_str()), TkErrorSuccess);
    ASSERT_EQ(Cartova_SetAudioDevice("QT-LV200"), TkErrorSuccess);
    done = true;
}

bool FrameEquals(const std::vector<int16_t>& a, uint64_t i, const std::vector<int16_t>& b, uint64_t j)
{
    return a[kChannels * i] == b[kChannels * j] && a[kChannels * i + 1] == b[kChannels * j + 1];
}

} // namespace

RecordingSession::RecordingSession(int recType, uint64_t freq, uint16_t bits)
{
    InitialiseOnce();
    const TkRecordSetting setting{recType, freq, bits};
    EXPECT_EQ(Cartova_SetRecordSetting(&setting), TkErrorSuccess);
    EXPECT_EQ(Cartova_New(), TkErrorSuccess);
    Queue().RunUntilIdle();
    State() = SessionLog{};
}

uint64_t RecordingSession::Poll()
{
    uint64_t length = 0;
    if (Cartova_GetRecordingPreviewDataLength(&length) != TkErrorSuccess) {
        return 0;
    }
    const uint64_t have = m_captured.size() / kChannels;
    if (length > have) {
        std::vector<int16_t> fresh(static_cast<size_t>(kChannels * (length - have)));
        const TkError read = Cartova_GetRecordingPreviewData(have, length, fresh.data(), fresh.size());
        EXPECT_EQ(read, TkErrorSuccess) << "recording view from frame " << have;
        if (read == TkErrorSuccess) {
            m_captured.insert(m_captured.end(), fresh.begin(), fresh.end());
        }
    }
    return m_captured.size() / kChannels;
}

void RecordingSession::Run(std::chrono::milliseconds wall)
{
    const auto deadline = std::chrono::steady_clock::now() + wall;
    while (std::chrono::steady_clock::now() < deadline) {
        Queue().RunFor(std::chrono::milliseconds(10));
        Poll();
    }
}

bool RecordingSession::WaitFor(int operation, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (int op : State().operations) {
            if (op == operation) {
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        Queue().RunFor(std::chrono::milliseconds(5));
        Poll();
    }
}

const SessionLog& RecordingSession::Log() const
{
    return State();
}

std::vector<int16_t> RecordingSession::Finished() const
{
    uint64_t length = 0;
    EXPECT_EQ(Cartova_GetPreviewDataLength(&length), TkErrorSuccess);
    std::vector<int16_t> frames(static_cast<size_t>(kChannels * length));
    if (length > 0) {
        EXPECT_EQ(Cartova_GetPreviewData(0, length, frames.data(), frames.size()), TkErrorSuccess);
    }
    return frames;
}

std::vector<Segment> LocateSegments(const std::vector<int16_t>& captured, const std::vector<int16_t>& finished)
{
    // A stretch is taken where a run of at least kMatch frames (or the rest
    // of the finished view) agrees; the record's surface noise makes such a
    // run unique.
    constexpr uint64_t kMatch = 512;
    const uint64_t capturedFrames = captured.size() / kChannels;
    const uint64_t finishedFrames = finished.size() / kChannels;
    std::vector<Segment> segments;
    uint64_t from = 0; // earliest recording-view frame the next stretch may start at
    uint64_t f = 0;
    while (f < finishedFrames) {
        bool found = false;
        for (uint64_t o = from; o < capturedFrames && !found; ++o) {
            uint64_t run = 0;
            while (o + run < capturedFrames && f + run < finishedFrames && FrameEquals(captured, o + run, finished, f + run)) {
                ++run;
            }
            if (run >= kMatch || f + run == finishedFrames) {
                segments.push_back({o, o + run});
                f += run;
                from = o + run;
                found = true;
            }
        }
        if (!found) {
            return {};
        }
    }
    return segments;
}
