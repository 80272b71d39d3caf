// Engine calls before and at initialisation, argument checks that come before
// state checks, the temporary folder through the engine, and saving hand-over.
#include "EngineTestSupport.h"

#include <filesystem>
#include <fstream>

TEST_F(EngineTest, InitRefusesNullOrIncompleteDelegateAndThenSecondInit)
{
    EXPECT_EQ(engine->Init(nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(engine->GetState(), EngineState::Uninitialized);

    ICartovaDelegate incomplete = delegate.Delegate();
    incomplete.post_to_main_queue = nullptr;
    EXPECT_EQ(engine->Init(&incomplete), TkErrorInvalidArgument);
    EXPECT_EQ(engine->GetState(), EngineState::Uninitialized);
    EXPECT_EQ(engine->New(), TkErrorNotInitialized);

    InitEngine();
    EXPECT_EQ(engine->GetState(), EngineState::Initialized);
    MainQueue other;
    RecordingDelegate second(other);
    const ICartovaDelegate d2 = second.Delegate();
    EXPECT_EQ(engine->Init(&d2), TkErrorAlreadyInitialized);
    EXPECT_EQ(engine->Init(nullptr), TkErrorInvalidArgument); // pointer check first
    EXPECT_EQ(engine->GetState(), EngineState::Initialized);
}

TEST_F(EngineTest, EveryCallBeforeInitIsNotInitializedUnlessAPointerIsMissing)
{
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(engine->GetAudioDevices(names), TkErrorNotInitialized);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(engine->New(), TkErrorNotInitialized);
    EXPECT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorNotInitialized);
    DeviceDescription info;
    EXPECT_EQ(engine->GetAudioDeviceInfo(info), TkErrorNotInitialized);
    const TkRecordSetting pcm{0, 44100, 24};
    EXPECT_EQ(engine->SetRecordSetting(&pcm), TkErrorNotInitialized);
    TkRecordSetting out{};
    EXPECT_EQ(engine->GetRecordSetting(&out), TkErrorNotInitialized);
    EXPECT_EQ(engine->StartPreRecording(), TkErrorNotInitialized);
    EXPECT_EQ(engine->Start(), TkErrorNotInitialized);
    EXPECT_EQ(engine->Stop(false), TkErrorNotInitialized);
    EXPECT_EQ(engine->Stop(true), TkErrorNotInitialized);
    EXPECT_EQ(engine->Pause(), TkErrorNotInitialized);
    EXPECT_EQ(engine->Resume(), TkErrorNotInitialized);
    int16_t buffer[8] = {};
    EXPECT_EQ(engine->GetPreviewData(0, 1, buffer, 8, true), TkErrorNotInitialized);
    EXPECT_EQ(engine->GetPreviewData(0, 1, buffer, 8, false), TkErrorNotInitialized);
    uint64_t frames = 0;
    EXPECT_EQ(engine->GetPreviewDataLength(&frames, true), TkErrorNotInitialized);
    EXPECT_EQ(engine->GetPreviewDataLength(&frames, false), TkErrorNotInitialized);
    const TkSaveSetting track{"/tmp/x.wav", 0.0, 1.0, 0.0, nullptr, 0};
    EXPECT_EQ(engine->SaveFile(&track, 1), TkErrorNotInitialized);
    int32_t fileProgress = 0;
    int32_t totalProgress = 0;
    EXPECT_EQ(engine->SaveFileProgress(&fileProgress, &totalProgress), TkErrorNotInitialized);
    EXPECT_EQ(engine->SetTempDirectory("/tmp"), TkErrorNotInitialized);

    // Not state-checked at all.
    EXPECT_EQ(engine->EnableLoopback(1), TkErrorNotSupported);
    EXPECT_EQ(engine->StartPlay(0.0), TkErrorNotSupported);
    EXPECT_EQ(engine->SaveFileCancel(true), TkErrorSuccess);

    // Missing pointers are reported first.
    EXPECT_EQ(engine->SetAudioDevice(nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetRecordSetting(nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(engine->GetRecordSetting(nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(engine->GetPreviewData(0, 1, nullptr, 8, true), TkErrorInvalidArgument);
    EXPECT_EQ(engine->GetPreviewDataLength(nullptr, false), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SaveFile(nullptr, 0), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SaveFileProgress(nullptr, &totalProgress), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SaveFileProgress(&fileProgress, nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetTempDirectory(nullptr), TkErrorInvalidArgument);
    EXPECT_EQ(engine->GetState(), EngineState::Uninitialized);
}

TEST_F(EngineTest, RecordSettingArgumentsAreCheckedBeforeTheState)
{
    const TkRecordSetting badType{2, 44100, 24};
    const TkRecordSetting pcm15{0, 44100, 15};
    const TkRecordSetting pcm33{0, 44100, 33};
    const TkRecordSetting dsdBits0{1, 2822400, 0};
    const TkRecordSetting pcm16{0, 44100, 16};
    const TkRecordSetting pcm32{0, 44100, 32};

    // Before Init the bad records are still -2.
    EXPECT_EQ(engine->SetRecordSetting(&badType), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetRecordSetting(&pcm15), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetRecordSetting(&pcm33), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetRecordSetting(&dsdBits0), TkErrorNotInitialized);

    InitEngine(); // no device yet
    EXPECT_EQ(engine->SetRecordSetting(&pcm15), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetRecordSetting(&pcm33), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SetRecordSetting(&pcm16), TkErrorInvalidState);
    EXPECT_EQ(engine->SetRecordSetting(&dsdBits0), TkErrorInvalidState);
    TkRecordSetting out{};
    EXPECT_EQ(engine->GetRecordSetting(&out), TkErrorInvalidState);
    DeviceDescription info;
    EXPECT_EQ(engine->GetAudioDeviceInfo(info), TkErrorInvalidState);

    ASSERT_EQ(engine->SetAudioDevice("QT-LV200"), TkErrorSuccess);
    EXPECT_EQ(engine->SetRecordSetting(&dsdBits0), TkErrorSuccess); // DSD bits are not checked
    EXPECT_EQ(engine->SetRecordSetting(&pcm16), TkErrorSuccess);
    EXPECT_EQ(engine->SetRecordSetting(&pcm32), TkErrorSuccess);
}

TEST_F(EngineTest, TemporaryFolderThroughTheEngine)
{
    namespace fs = std::filesystem;
    const ICartovaDelegate d = delegate.Delegate();
    ASSERT_EQ(engine->Init(&d), TkErrorSuccess); // no folder set yet
    EXPECT_EQ(engine->SetTempDirectory("/nonexistent/engine-test"), TkErrorInvalidArgument);
    EXPECT_FALSE(engine->IsTempDirectoryExists());
    EXPECT_STREQ(engine->GetTempDirectory(), "/nonexistent/engine-test");

    std::string a = (fs::temp_directory_path() / "engine-tmp-XXXXXX").string();
    std::string b = a;
    ASSERT_NE(mkdtemp(a.data()), nullptr);
    ASSERT_NE(mkdtemp(b.data()), nullptr);
    const fs::path oldLeftover = fs::path(a) / "tmpa1B2c3";
    const fs::path newLeftover = fs::path(b) / "tmpd4E5f6";
    const fs::path foreign = fs::path(a) / "tmp-notes.txt";
    const fs::path sub = fs::path(a) / "tmpSUB001";
    std::ofstream(oldLeftover) << "1";
    std::ofstream(newLeftover) << "2";
    std::ofstream(foreign) << "3";
    fs::create_directory(sub);

    ASSERT_EQ(engine->SetTempDirectory(a.c_str()), TkErrorSuccess);
    EXPECT_TRUE(engine->IsTempDirectoryExists());
    std::ofstream(oldLeftover) << "1"; // a leftover made after the first set
    ASSERT_EQ(engine->SetTempDirectory(b.c_str()), TkErrorSuccess);
    EXPECT_FALSE(fs::exists(oldLeftover));
    EXPECT_TRUE(fs::exists(newLeftover));
    EXPECT_TRUE(fs::exists(foreign));
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_STREQ(engine->GetTempDirectory(), b.c_str());

    fs::remove_all(a);
    fs::remove_all(b);
}

TEST_F(EngineTest, SavingHandOverChecksAndProgressBeforeAnySave)
{
    InitEngine();
    int32_t fileProgress = -7;
    int32_t totalProgress = -7;
    EXPECT_EQ(engine->SaveFileProgress(&fileProgress, &totalProgress), TkErrorInvalidState);
    EXPECT_EQ(fileProgress, -7); // untouched on failure

    const TkTag badTag{"Title", nullptr};
    const TkSaveSetting noPath{nullptr, 0.0, 1.0, 0.0, nullptr, 0};
    const TkSaveSetting missingTags{"/tmp/x.wav", 0.0, 1.0, 0.0, nullptr, 2};
    const TkSaveSetting nullValue{"/tmp/x.wav", 0.0, 1.0, 0.0, &badTag, 1};
    EXPECT_EQ(engine->SaveFile(&noPath, 1), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SaveFile(&missingTags, 1), TkErrorInvalidArgument);
    EXPECT_EQ(engine->SaveFile(&nullValue, 1), TkErrorInvalidArgument);

    // An empty list is a run with nothing to write; it still ends with
    // save-finished on the main queue.
    const TkSaveSetting unused{"/tmp/x.wav", 0.0, 1.0, 0.0, nullptr, 0};
    ASSERT_EQ(engine->SaveFile(&unused, 0), TkErrorSuccess);
    EXPECT_TRUE(delegate.WaitForOperation(TkRecOperationSaveFinished));
    EXPECT_FALSE(delegate.wrongThread);
}
