// The test program's one engine on the simulated turntable, driven through
// the exported functions: initialisation with the simulator's record and
// pace, recordings made one after another, and track writes waited for on
// the main queue with their progress polled.
#pragma once

#include "MainQueue.h"
#include "cartova.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace saving {

// Notifications received by the delegate, in arrival order.
struct Received {
    std::vector<int> operations;
    std::vector<std::pair<int, std::string>> errors;
};

MainQueue& Queue();
Received& Log();

// Sets CARTOVA_DEVICE=sim, CARTOVA_SIM_SOURCE and CARTOVA_SIM_SPEED, then
// initialises the engine and selects the turntable; only the first call of a
// process does anything. False (with a reason) on failure.
bool InitEngineOnce(const std::string& sourceWav, double speed, std::string& error);

// A folder of this process under the system's temporary folder, created on first use.
const std::string& ScratchFolder();

// One stretch of a recording: record for `recordMs` of wall time (and at least
// until the recording holds that much audio at the turntable's speed), then
// pause for `pauseMs` (skipped when 0) and record `resumeMs` more.
struct RecordPlan {
    TkRecordSetting setting{};
    int recordMs = 0;
    int pauseMs = 0;
    int resumeMs = 0;
};

// Makes a new recording as planned and waits for its stop. `previewFrames`
// receives the finished preview's length.
bool Record(const RecordPlan& plan, uint64_t& previewFrames, std::string& error);

// Chooses the WAV bit depth of later writes (the record setting, same rate).
bool SelectPcmFormat(uint32_t rate, uint16_t bits);

struct Track {
    std::string path;
    double start = 0.0;
    double end = 0.0;
    double gain = 0.0;
    std::map<std::string, std::string> tags;
};

struct SaveOutcome {
    TkError started = TkErrorFailed; // result of Cartova_SaveFile
    bool finished = false;           // TkRecOperationSaveFinished arrived
    int32_t fileProgress = -1;       // last progress read after the end
    int32_t totalProgress = -1;
    int32_t highestTotalSeen = -1;   // highest total progress polled while running
    std::vector<std::pair<int, std::string>> errors;
};

// Hands the tracks to Cartova_SaveFile and waits for the end of the run,
// polling the progress every few milliseconds. `whilePolling`, if given, is
// called with each file progress read during the run (for cancelling).
SaveOutcome SaveTracks(const std::vector<Track>& tracks,
                       const std::function<void(int32_t fileProgress)>& whilePolling = {},
                       std::chrono::seconds timeout = std::chrono::seconds(120));

// Reads the finished preview frames [first, end), interleaved stereo.
std::vector<int16_t> FinishedPreview(uint64_t first, uint64_t end);

} // namespace saving
