// The save thread's runs: job flow with a skipped file, progress, both
// cancel modes, the folder it creates and removes, aborts for a full volume
// or a vanished temporary folder, and the DSD branch.
#include "save_fixture.h"

#include "save/SaveThread.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace savetest;

namespace {

bool IsSaveFinished(const Notification& n) { return !n.isError && n.code == TkRecOperationSaveFinished; }

class SaveThreadTest : public ::testing::Test {
protected:
    // Runs jobs to the end and returns the notifications.
    std::vector<Notification> RunToEnd(const SaveThread::JobList& jobs, RecordData& data) {
        EXPECT_EQ(thread.SaveFiles(&jobs, &data, &engine), TkErrorSuccess);
        thread.WaitUntilFinished();
        return engine.Log();
    }

    ScratchDir dir;
    FakeEngine engine{dir.Path()};
    SaveThread thread;
};

} // namespace

TEST_F(SaveThreadTest, UncreatableSecondFileIsSkippedAndTheOthersAreWritten) {
    PcmRecording rec(engine, 2, 44100, 44100);
    fs::create_directories(dir / "album/blocked.wav"); // a folder where the file should go
    const SaveThread::JobList jobs{Job(dir / "album/1.wav", 0.0, 0.3), Job(dir / "album/blocked.wav", 0.3, 0.6),
                                   Job(dir / "album/3.wav", 0.6, 1.0, 0.0, {{"Title", "Three"}})};
    int32_t file = 0, total = 0;
    EXPECT_EQ(thread.GetProgress(file, total), TkErrorInvalidState);
    thread.SetBits(16);

    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].isError);
    EXPECT_EQ(log[0].code, TkNotifyFileSkipped);
    EXPECT_EQ(log[0].message, jobs[1].path);
    EXPECT_TRUE(IsSaveFinished(log[1]));
    EXPECT_EQ(ReadFile(jobs[0].path).size(), 44u + 13230u * 4);
    EXPECT_EQ(ProbeValue(Probe(jobs[2].path), "TAG:title"), "Three");
    ASSERT_EQ(thread.GetProgress(file, total), TkErrorSuccess);
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(file, 1000);
    EXPECT_FALSE(thread.IsRunning());
}

TEST_F(SaveThreadTest, ProgressReachesTheEndWhenATrackIsCutAtTheRecordedLength) {
    PcmRecording rec(engine, 1, 8000, 8000);
    const SaveThread::JobList jobs{Job(dir / "a/1.wav", 0.5, 3.0)};
    RunToEnd(jobs, rec.data);
    int32_t file = 0, total = 0;
    ASSERT_EQ(thread.GetProgress(file, total), TkErrorSuccess);
    EXPECT_EQ(total, 1000);
    EXPECT_EQ(file, 1000);
    EXPECT_EQ(LE16(ReadFile(jobs[0].path), 34), 32u); // 32 bits until set
}

TEST_F(SaveThreadTest, CancelWithDeletionRemovesPartialFileAndCreatedFolder) {
    PcmRecording rec(engine, 2, 44100, 44100);
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    // The cancel arrives while the first file is being prepared.
    queries.freeBytesAvailable = [this](const std::string&, uint64_t& bytes) {
        thread.SaveCancel(true);
        thread.SaveCancel(false); // a second cancel keeps the first mode
        bytes = UINT64_MAX;
        return true;
    };
    thread.SetVolumeQueries(queries);
    const SaveThread::JobList jobs{Job(dir / "new/1.wav", 0.0, 0.5), Job(dir / "new/2.wav", 0.5, 1.0)};
    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(IsSaveFinished(log[0]));
    EXPECT_FALSE(fs::exists(dir / "new"));
}

TEST_F(SaveThreadTest, CancelWithDeletionKeepsAFolderTheRunDidNotCreate) {
    PcmRecording rec(engine, 2, 44100, 44100);
    fs::create_directories(dir / "mine");
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    queries.freeBytesAvailable = [this](const std::string&, uint64_t& bytes) {
        thread.SaveCancel(true);
        bytes = UINT64_MAX;
        return true;
    };
    thread.SetVolumeQueries(queries);
    const SaveThread::JobList jobs{Job(dir / "mine/1.wav", 0.0, 0.5)};
    RunToEnd(jobs, rec.data);
    EXPECT_FALSE(fs::exists(jobs[0].path));
    EXPECT_TRUE(fs::is_directory(dir / "mine"));
}

TEST_F(SaveThreadTest, CancelWithoutDeletionCompletesTheFileAndStartsNoOther) {
    PcmRecording rec(engine, 2, 44100, 44100);
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    queries.freeBytesAvailable = [this](const std::string&, uint64_t& bytes) {
        thread.SaveCancel(false);
        thread.SaveCancel(true); // ignored: the first mode stays
        bytes = UINT64_MAX;
        return true;
    };
    thread.SetVolumeQueries(queries);
    const SaveThread::JobList jobs{Job(dir / "keep/1.wav", 0.0, 0.5), Job(dir / "keep/2.wav", 0.5, 1.0)};
    thread.SetBits(24);
    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(IsSaveFinished(log[0]));
    EXPECT_EQ(DecodeWithSox(jobs[0].path, 24).size(), 22050u * 2);
    EXPECT_FALSE(fs::exists(jobs[1].path));

    // The next run starts with no cancel mode.
    thread.SetVolumeQueries(SaveVolumeQueries::System());
    RunToEnd(jobs, rec.data);
    EXPECT_TRUE(fs::exists(jobs[1].path));
}

TEST_F(SaveThreadTest, FullVolumeAbortsTheRunAndRemovesTheEmptyNewFolder) {
    PcmRecording rec(engine, 2, 44100, 44100);
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    queries.freeBytesAvailable = [](const std::string&, uint64_t& bytes) {
        bytes = 1000;
        return true;
    };
    thread.SetVolumeQueries(queries);
    const SaveThread::JobList jobs{Job(dir / "full/1.wav", 0.0, 0.5), Job(dir / "full/2.wav", 0.5, 1.0)};
    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(IsSaveFinished(log[0]));
    EXPECT_TRUE(log[1].isError);
    EXPECT_EQ(log[1].code, TkNotifySaveAborted);
    EXPECT_EQ(log[1].message, "not enough free space: " + jobs[0].path);
    EXPECT_FALSE(fs::exists(dir / "full"));
}

TEST_F(SaveThreadTest, AbortMessageSaysWhyTheWriteFailed) {
    PcmRecording rec(engine, 2, 44100, 4410);
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    queries.freeBytesAvailable = [](const std::string&, uint64_t& bytes) {
        bytes = uint64_t(1) << 40;
        return true;
    };
    thread.SetVolumeQueries(queries);
    thread.SetBits(16);
    const SaveThread::JobList jobs{Job("/dev/full", 0.0, 0.1)};  // every write: ENOSPC
    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].code, TkNotifySaveAborted);
    EXPECT_EQ(log[1].message, "write failed: No space left on device: /dev/full");

    thread.SetBits(12);  // no WAV sample size
    const SaveThread::JobList odd{Job(dir / "odd.wav", 0.0, 0.1)};
    const std::vector<Notification> oddLog = RunToEnd(odd, rec.data);
    ASSERT_EQ(oddLog.size(), 4u);
    EXPECT_EQ(oddLog[3].message, "unsupported bit depth 12: " + odd[0].path);
}

TEST_F(SaveThreadTest, AbortWithVanishedTemporaryFolderReportsItInstead) {
    PcmRecording rec(engine, 1, 44100, 4410);
    engine.tempExists = false;
    const SaveThread::JobList jobs{Job("no-folder.wav", 0.0, 0.1)};
    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(IsSaveFinished(log[0]));
    EXPECT_EQ(log[1].code, TkNotifyTempFolderUnusable);
    EXPECT_EQ(log[1].message, "");
}

TEST_F(SaveThreadTest, VolumeThatCannotBeQueriedSkipsTheFile) {
    PcmRecording rec(engine, 1, 44100, 4410);
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    queries.fileSystemName = [](const std::string&, std::string&) { return false; };
    thread.SetVolumeQueries(queries);
    const SaveThread::JobList jobs{Job(dir / "q/1.wav", 0.0, 0.1)};
    const std::vector<Notification> log = RunToEnd(jobs, rec.data);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].code, TkNotifyFileSkipped);
    EXPECT_TRUE(IsSaveFinished(log[1]));
    EXPECT_FALSE(fs::exists(jobs[0].path));
}

TEST_F(SaveThreadTest, EmptyListOrMissingDataOnlyReportsTheEnd) {
    PcmRecording rec(engine, 1, 44100, 4410);
    const SaveThread::JobList none;
    EXPECT_EQ(RunToEnd(none, rec.data).size(), 1u);
    EXPECT_EQ(thread.SaveFiles(nullptr, &rec.data, &engine), TkErrorSuccess);
    thread.WaitUntilFinished();
    EXPECT_EQ(engine.Log().size(), 2u);
    EXPECT_TRUE(IsSaveFinished(engine.Log()[1]));
    EXPECT_EQ(thread.SaveFiles(&none, &rec.data, nullptr), TkErrorInvalidArgument);
}

TEST_F(SaveThreadTest, DsdRecordingIsWrittenAsDsf) {
    RecordRangeManager ranges;
    RecordData data(&engine);
    ASSERT_EQ(data.Init(2, 2822400, GetSampleTypeInfo(kSampleTypeDsd), &ranges), TkErrorSuccess);
    ranges.AddRecordEvent(0, RecordEventStart);
    for (int block = 0; block < 4; ++block) {
        for (uint16_t c = 0; c < 2; ++c) EXPECT_EQ(data.Add(c, std::vector<uint8_t>(44100, 0x69)), TkErrorSuccess);
    }
    const SaveThread::JobList jobs{Job(dir / "dsd/1.dsf", 0.0, 0.25, 0.0, {{"Title", "t"}})};
    const std::vector<Notification> log = RunToEnd(jobs, data);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(IsSaveFinished(log[0]));
    const std::vector<uint8_t> file = ReadFile(jobs[0].path);
    ASSERT_GT(file.size(), 92u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "DSD ");
}

namespace {

// An engine whose save thread lingers after announcing the end of a run, as
// it may on a busy machine before its last steps.
class LingeringFinishEngine : public FakeEngine {
public:
    using FakeEngine::FakeEngine;
    void NotifyOperationProc(TkRecOperation operation) override {
        FakeEngine::NotifyOperationProc(operation);
        if (operation == TkRecOperationSaveFinished) {
            finished = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    std::atomic<bool> finished{false};
};

} // namespace

TEST(SaveThreadRestart, ASaveAskedForOnTheFinishAnnouncementIsAccepted) {
    ScratchDir dir;
    LingeringFinishEngine engine{dir.Path()};
    SaveThread thread;
    thread.SetBits(16);
    PcmRecording rec(engine, 1, 8000, 8000);
    const SaveThread::JobList first{Job(dir / "a/1.wav", 0.0, 1.0)};
    const SaveThread::JobList second{Job(dir / "a/2.wav", 0.0, 0.5)};

    ASSERT_EQ(thread.SaveFiles(&first, &rec.data, &engine), TkErrorSuccess);
    while (!engine.finished) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.SaveFiles(&second, &rec.data, &engine), TkErrorSuccess);
    thread.WaitUntilFinished();
    EXPECT_TRUE(fs::exists(dir / "a/2.wav"));
    int32_t file = 0, total = 0;
    ASSERT_EQ(thread.GetProgress(file, total), TkErrorSuccess);
    EXPECT_EQ(total, 1000);
}

namespace {

// An engine that, like an application asking for a new save on the finish
// announcement, throws the announced run's job list away at once.
class JobDiscardingEngine : public FakeEngine {
public:
    using FakeEngine::FakeEngine;
    void NotifyOperationProc(TkRecOperation operation) override {
        FakeEngine::NotifyOperationProc(operation);
        if (operation == TkRecOperationSaveFinished && jobs != nullptr) {
            jobs->assign(1, TkSaveSettingInternal{});
            jobs->shrink_to_fit();
        }
    }
    SaveThread::JobList* jobs = nullptr;
};

} // namespace

TEST(SaveThreadRestart, AnAbortMessageDoesNotReadTheJobListAfterTheEndIsAnnounced) {
    ScratchDir dir;
    JobDiscardingEngine engine{dir.Path()};
    SaveThread thread;
    SaveVolumeQueries queries = SaveVolumeQueries::System();
    queries.freeBytesAvailable = [](const std::string&, uint64_t& bytes) {
        bytes = 10;
        return true;
    };
    thread.SetVolumeQueries(queries);
    PcmRecording rec(engine, 1, 8000, 8000);
    const std::string path = dir / std::string(200, 'x') + ".wav";  // not a short string kept inline
    SaveThread::JobList jobs{Job(path, 0.0, 1.0)};
    engine.jobs = &jobs;
    ASSERT_EQ(thread.SaveFiles(&jobs, &rec.data, &engine), TkErrorSuccess);
    thread.WaitUntilFinished();
    const std::vector<Notification> log = engine.Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].message, "not enough free space: " + path);
}
