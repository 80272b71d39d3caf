// Driving the one engine of the test program through the exported functions.
#include "SavingSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

namespace saving {

namespace {

void OnOperation(void*, TkRecOperation operation) { Log().operations.push_back(operation); }
void OnStreamPos(void*, double) {}
void OnConvertPos(void*, double) {}
void OnError(void*, TkNotifyError code, const char* message)
{
    Log().errors.emplace_back(code, message != nullptr ? message : "");
}

bool HasOperation(int operation)
{
    for (int o : Log().operations) {
        if (o == operation) {
            return true;
        }
    }
    return false;
}

bool WaitForOperation(int operation, std::chrono::milliseconds timeout)
{
    return Queue().RunUntil([operation] { return HasOperation(operation); }, timeout);
}

std::string ResultText(const char* call, TkError result)
{
    return std::string(call) + " returned " + std::to_string(result);
}

// Removes the scratch folder after the last test, unless a test failed:
// then its files are kept for a look.
bool ScratchUsed();

class ScratchCleanup : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (!ScratchUsed()) {
            return;
        }
        if (::testing::UnitTest::GetInstance()->Failed()) {
            std::cerr << "track files kept in " << ScratchFolder() << "\n";
            return;
        }
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolder(), ignored);
    }
};

bool& ScratchUsedFlag()
{
    static bool used = false;
    return used;
}

bool ScratchUsed() { return ScratchUsedFlag(); }

[[maybe_unused]] ::testing::Environment* const cleanup = ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

} // namespace

MainQueue& Queue()
{
    static MainQueue queue;
    return queue;
}

Received& Log()
{
    static Received received;
    return received;
}

const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "cartova-saving-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        ScratchUsedFlag() = made != nullptr;
        return made != nullptr ? std::string(made) : std::string();
    }();
    return folder;
}

namespace {

// How much longer than planned a recording runs in wall time, because the
// simulated turntable runs slower than the tests asked for.
double& WallTimeStretch()
{
    static double stretch = 1.0;
    return stretch;
}

// The simulated turntable's speed, as the engine was initialised with it.
double& SimSpeed()
{
    static double speed = 1.0;
    return speed;
}

// Preview frames of a second of the recording for setting.
double PreviewFramesPerSecond(const TkRecordSetting& setting)
{
    return setting.rec_type == 1 ? double(setting.freq) / CARTOVA_DSD_PREVIEW_DECIMATION : double(setting.freq);
}

std::chrono::milliseconds Stretched(int ms)
{
    return std::chrono::milliseconds(static_cast<int64_t>(ms * WallTimeStretch()));
}

} // namespace

bool InitEngineOnce(const std::string& sourceWav, double speed, std::string& error)
{
    static bool done = false;
    static std::string failure;
    if (done) {
        error = failure;
        return failure.empty();
    }
    done = true;
    setenv("CARTOVA_DEVICE", "sim", 1);
    setenv("CARTOVA_SIM_SOURCE", sourceWav.c_str(), 1);
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer slows every thread several times over; in real time the
    // conversion thread still keeps up with the simulated turntable, and the
    // recordings last longer in wall time to hold the same audio.
    WallTimeStretch() = speed / std::min(speed, 1.0);
    speed = std::min(speed, 1.0);
#endif
    setenv("CARTOVA_SIM_SPEED", std::to_string(speed).c_str(), 1);
    SimSpeed() = speed;
    static const ICartovaDelegate delegate{&Queue(), OnOperation, OnStreamPos, OnConvertPos, OnError,
                                           MainQueue::PostToMainQueue};
    TkError result = Cartova_Init(&delegate);
    if (result != TkErrorSuccess) {
        failure = ResultText("Cartova_Init", result);
    } else if (ScratchFolder().empty()) {
        failure = "no scratch folder";
    } else {
        const std::string temp = ScratchFolder() + "/temp";
        std::filesystem::create_directories(temp);
        result = Cartova_SetTempDirectory(temp.c_str());
        if (result != TkErrorSuccess) {
            failure = ResultText("Cartova_SetTempDirectory", result);
        } else if ((result = Cartova_SetAudioDevice("QT-LV200")) != TkErrorSuccess) {
            failure = ResultText("Cartova_SetAudioDevice", result);
        }
    }
    error = failure;
    return failure.empty();
}

bool Record(const RecordPlan& plan, uint64_t& previewFrames, std::string& error)
{
    TkError result = Cartova_SetRecordSetting(&plan.setting);
    if (result != TkErrorSuccess) {
        error = ResultText("Cartova_SetRecordSetting", result);
        return false;
    }
    if ((result = Cartova_New()) != TkErrorSuccess) {
        error = ResultText("Cartova_New", result);
        return false;
    }
    Log().operations.clear();
    Log().errors.clear();
    // Recording straight from the ready state: it records from the device's
    // first sample, which is the start of the simulator's record.
    if ((result = Cartova_Start()) != TkErrorSuccess) {
        error = ResultText("Cartova_Start", result);
        return false;
    }
    if (!WaitForOperation(TkRecOperationCaptureStarted, std::chrono::seconds(60))) {
        Cartova_Stop(true);
        error = "recording did not start";
        return false;
    }
    Queue().RunFor(Stretched(plan.recordMs));
    // A loaded machine (or a sanitizer) may slow the turntable below its pace:
    // the first stretch lasts until it holds the audio it was planned for.
    const auto planned = static_cast<uint64_t>(plan.recordMs / 1000.0 * SimSpeed() * PreviewFramesPerSecond(plan.setting));
    Queue().RunUntil(
        [planned] {
            uint64_t frames = 0;
            return Cartova_GetRecordingPreviewDataLength(&frames) == TkErrorSuccess && frames >= planned;
        },
        std::chrono::seconds(60));
    if (plan.pauseMs > 0) {
        if ((result = Cartova_Pause()) != TkErrorSuccess) {
            error = ResultText("Cartova_Pause", result);
            return false;
        }
        Queue().RunFor(Stretched(plan.pauseMs));
        if ((result = Cartova_Resume()) != TkErrorSuccess) {
            error = ResultText("Cartova_Resume", result);
            return false;
        }
        Queue().RunFor(Stretched(plan.resumeMs));
    }
    if ((result = Cartova_Stop(false)) != TkErrorSuccess) {
        error = ResultText("Cartova_Stop", result);
        return false;
    }
    if (!WaitForOperation(TkRecOperationStopped, std::chrono::seconds(60))) {
        error = "recording did not stop";
        return false;
    }
    if (!Log().errors.empty()) {
        error = "error notification " + std::to_string(Log().errors.front().first) + " while recording";
        return false;
    }
    if ((result = Cartova_GetPreviewDataLength(&previewFrames)) != TkErrorSuccess) {
        error = ResultText("Cartova_GetPreviewDataLength", result);
        return false;
    }
    return true;
}

bool SelectPcmFormat(uint32_t rate, uint16_t bits)
{
    const TkRecordSetting setting{0, rate, bits};
    return Cartova_SetRecordSetting(&setting) == TkErrorSuccess;
}

SaveOutcome SaveTracks(const std::vector<Track>& tracks,
                       const std::function<void(int32_t fileProgress)>& whilePolling,
                       std::chrono::seconds timeout)
{
    // The C records point into these until Cartova_SaveFile has copied them.
    std::vector<std::vector<TkTag>> tagLists;
    std::vector<TkSaveSetting> settings;
    tagLists.reserve(tracks.size());
    for (const Track& track : tracks) {
        auto& tags = tagLists.emplace_back();
        for (const auto& [key, value] : track.tags) {
            tags.push_back(TkTag{key.c_str(), value.c_str()});
        }
        settings.push_back(TkSaveSetting{track.path.c_str(), track.start, track.end, track.gain,
                                         tags.data(), tags.size()});
    }

    SaveOutcome outcome;
    Queue().RunUntilIdle();
    Log().operations.clear();
    Log().errors.clear();
    // The end of the previous run is announced just before its thread
    // returns; a new run is refused until it has.
    const auto refusedUntil = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while ((outcome.started = Cartova_SaveFile(settings.data(), settings.size())) == TkErrorFailed &&
           std::chrono::steady_clock::now() < refusedUntil) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (outcome.started != TkErrorSuccess) {
        return outcome;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!HasOperation(TkRecOperationSaveFinished) && std::chrono::steady_clock::now() < deadline) {
        int32_t file = 0;
        int32_t total = 0;
        if (Cartova_SaveFileProgress(&file, &total) == TkErrorSuccess) {
            outcome.highestTotalSeen = std::max(outcome.highestTotalSeen, total);
            if (whilePolling) {
                whilePolling(file);
            }
        }
        Queue().RunFor(std::chrono::milliseconds(2));
    }
    outcome.finished = HasOperation(TkRecOperationSaveFinished);
    // Let the notifications posted right after the end arrive too.
    Queue().RunFor(std::chrono::milliseconds(50));
    outcome.errors = Log().errors;
    if (Cartova_SaveFileProgress(&outcome.fileProgress, &outcome.totalProgress) != TkErrorSuccess) {
        outcome.fileProgress = outcome.totalProgress = -1;
    }
    return outcome;
}

std::vector<int16_t> FinishedPreview(uint64_t first, uint64_t end)
{
    std::vector<int16_t> frames(2 * (end - first));
    if (Cartova_GetPreviewData(first, end, frames.data(), frames.size()) != TkErrorSuccess) {
        frames.clear();
    }
    return frames;
}

} // namespace saving
