// The exported functions over the one process-wide engine, on the simulated
// turntable: copies handed out and released, and a short recording whose
// notifications arrive in order on the main queue. Each test initialises the
// engine if no earlier test of the process has done so.
#include "MainQueue.h"
#include "support/ScratchFolderAtExit.h"
#include "cartova.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Received {
    std::vector<int> operations;
    std::vector<int> errors;
    bool wrongThread = false;
    std::thread::id mainThread;
};

MainQueue& Queue()
{
    static MainQueue queue;
    return queue;
}

Received& Log()
{
    static Received log;
    return log;
}

void CheckThread()
{
    if (std::this_thread::get_id() != Log().mainThread) {
        Log().wrongThread = true;
    }
}

void OnOperation(void*, TkRecOperation op)
{
    CheckThread();
    Log().operations.push_back(op);
}
void OnStream(void*, double) { CheckThread(); }
void OnConvert(void*, double) { CheckThread(); }
void OnError(void*, TkNotifyError code, const char*)
{
    CheckThread();
    Log().errors.push_back(code);
}

// Initialises the engine once per process on the simulated turntable.
void EnsureInitialised()
{
    static bool done = false;
    if (done) {
        return;
    }
    setenv("CARTOVA_DEVICE", "sim", 1);
    setenv("CARTOVA_SIM_SPEED", "4", 1);
    Log().mainThread = std::this_thread::get_id();
    const ICartovaDelegate delegate{&Queue(), OnOperation, OnStream, OnConvert, OnError,
                                    MainQueue::PostToMainQueue};
    const TkError result = Cartova_Init(&delegate);
    ASSERT_TRUE(result == TkErrorSuccess || result == TkErrorAlreadyInitialized);
    ASSERT_EQ(Cartova_Init(&delegate), TkErrorAlreadyInitialized);
    // Removed with whatever is left in it when the process ends.
    static const ScratchFolderAtExit folder("cartova-if-XXXXXX");
    ASSERT_FALSE(folder.Path().empty());
    ASSERT_EQ(Cartova_SetTempDirectory(folder.Path().c_str()), TkErrorSuccess);
    ASSERT_EQ(Cartova_SetAudioDevice("QT-LV200"), TkErrorSuccess);
    done = true;
}

bool HasOperation(int op)
{
    for (int o : Log().operations) {
        if (o == op) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(ExportedInterface, DeviceListAndDescriptionAreCopiesTheCallerReleases)
{
    EnsureInitialised();
    TkDeviceNameList* list = nullptr;
    ASSERT_EQ(Cartova_GetAudioDevices(&list), TkErrorSuccess);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count, 1u);
    EXPECT_STREQ(list->names[0], "QT-LV200");
    Cartova_ReleaseAudioDevices(list);

    TkAudioDeviceInfo* info = nullptr;
    ASSERT_EQ(Cartova_GetAudioDeviceInfo(&info), TkErrorSuccess);
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->device_name, "QT-LV200");
    EXPECT_EQ(info->i_ch, 2);
    EXPECT_EQ(info->o_ch, 0);
    std::vector<uint32_t> pcm(info->PCM_supported_freq, info->PCM_supported_freq + info->PCM_supported_freq_count);
    std::vector<uint32_t> dsd(info->DSD_supported_freq, info->DSD_supported_freq + info->DSD_supported_freq_count);
    EXPECT_EQ(pcm, (std::vector<uint32_t>{44100, 48000, 96000, 192000, 384000}));
    EXPECT_EQ(dsd, (std::vector<uint32_t>{2822400, 5644800, 11289600}));
    // The USB identity of the described device: product name and release number.
    TkUsbDeviceDescription usb{};
    ASSERT_EQ(Cartova_GetUsbDeviceDescription(info->vid, info->pid, &usb), TkErrorSuccess);
    EXPECT_STREQ(usb.product_name, "QT-LV200");
    EXPECT_EQ(usb.bcd_device, 0x0102);
    EXPECT_EQ(Cartova_GetUsbDeviceDescription(info->vid, info->pid + 1, &usb), TkErrorDeviceNotFound);
    EXPECT_EQ(Cartova_GetUsbDeviceDescription(-1, -1, &usb), TkErrorDeviceNotFound);
    EXPECT_EQ(Cartova_GetUsbDeviceDescription(info->vid, info->pid, nullptr), TkErrorInvalidArgument);
    Cartova_ReleaseAudioDeviceInfo(info);

    EXPECT_EQ(Cartova_SetAudioDevice("qt-lv200"), TkErrorDeviceNotFound);
    ASSERT_EQ(Cartova_SetAudioDevice("QT-LV200"), TkErrorSuccess);
}

TEST(ExportedInterface, ShortRecordingNotifiesInOrderOnTheMainQueue)
{
    EnsureInitialised();
    const TkRecordSetting pcm{0, 48000, 24};
    ASSERT_EQ(Cartova_SetRecordSetting(&pcm), TkErrorSuccess);
    TkRecordSetting current{};
    ASSERT_EQ(Cartova_GetRecordSetting(&current), TkErrorSuccess);
    EXPECT_EQ(current.freq, 48000u);
    EXPECT_EQ(current.bits, 24);

    Log().operations.clear();
    ASSERT_EQ(Cartova_New(), TkErrorSuccess);
    ASSERT_EQ(Cartova_StartPreRecording(), TkErrorSuccess);
    ASSERT_TRUE(Queue().RunUntil([] { return HasOperation(TkRecOperationCaptureStarted); },
                                 std::chrono::seconds(10)));
    EXPECT_EQ(Cartova_Pause(), TkErrorInvalidState); // pre-recording is Standby
    ASSERT_EQ(Cartova_Start(), TkErrorSuccess);
    ASSERT_TRUE(Queue().RunUntil([] { return HasOperation(TkRecOperationRecordingStarted); },
                                 std::chrono::seconds(10)));
    Queue().RunFor(std::chrono::milliseconds(300));
    TkTrackBoundaryList* growing = nullptr;
    EXPECT_EQ(Cartova_FindTrackGaps(nullptr, &growing), TkErrorInvalidState);
    EXPECT_EQ(growing, nullptr);
    TkTrackFinding* growingSide = nullptr;
    EXPECT_EQ(Cartova_FindTracks(nullptr, 0, &growingSide), TkErrorInvalidState);
    EXPECT_EQ(growingSide, nullptr);
    ASSERT_EQ(Cartova_Stop(false), TkErrorSuccess);
    ASSERT_TRUE(Queue().RunUntil([] { return HasOperation(TkRecOperationStopped); },
                                 std::chrono::seconds(10)));
    EXPECT_EQ(Log().operations,
              (std::vector<int>{TkRecOperationCaptureStarted, TkRecOperationRecordingStarted,
                                TkRecOperationStopped}));
    EXPECT_TRUE(Log().errors.empty());
    EXPECT_FALSE(Log().wrongThread);

    uint64_t frames = 0;
    ASSERT_EQ(Cartova_GetPreviewDataLength(&frames), TkErrorSuccess);
    ASSERT_GT(frames, 0u);
    std::vector<int16_t> buffer(2 * 64);
    EXPECT_EQ(Cartova_GetPreviewData(0, 64, buffer.data(), 2 * 64 - 1), TkErrorInvalidArgument);
    EXPECT_EQ(Cartova_GetPreviewData(0, 64, buffer.data(), buffer.size()), TkErrorSuccess);
    uint64_t live = 0;
    ASSERT_EQ(Cartova_GetRecordingPreviewDataLength(&live), TkErrorSuccess);
    EXPECT_GE(live, frames); // the live view also holds the pre-recording

    // A fraction of a second has no gap between tracks; bad settings are refused.
    EXPECT_EQ(Cartova_FindTrackGaps(nullptr, nullptr), TkErrorInvalidArgument);
    const TkTrackGapSetting noGap{0.0, 0.0, 0.2};
    TkTrackBoundaryList* gaps = nullptr;
    EXPECT_EQ(Cartova_FindTrackGaps(&noGap, &gaps), TkErrorInvalidArgument);
    ASSERT_EQ(Cartova_FindTrackGaps(nullptr, &gaps), TkErrorSuccess);
    ASSERT_NE(gaps, nullptr);
    EXPECT_EQ(gaps->count, 0u);
    Cartova_ReleaseTrackGaps(gaps);
    // The whole analysis names why there are no tracks to suggest.
    EXPECT_EQ(Cartova_FindTracks(nullptr, 0, nullptr), TkErrorInvalidArgument);
    TkTrackFinding* finding = nullptr;
    EXPECT_EQ(Cartova_FindTracks(&noGap, 0, &finding), TkErrorInvalidArgument);
    ASSERT_EQ(Cartova_FindTracks(nullptr, 4, &finding), TkErrorSuccess);
    ASSERT_NE(finding, nullptr);
    EXPECT_NE(finding->problem, TkSideProblemNone);
    EXPECT_EQ(finding->count, 0u);
    Cartova_ReleaseTrackFinding(finding);
}
