// Test double of the Cartova functions: a scripted device list and results, and a record
// of what the application asked for.
#pragma once

#include "cartova.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

struct FakeCartova {
    std::vector<std::string> devices{"QT-LV200"};
    std::string selected;           // empty: no device selected yet
    TkError getDevicesResult = TkErrorSuccess;
    TkError setTempDirectoryResult = TkErrorSuccess;
    std::string tempDirectory;
    TkRecordSetting lastSetting{};
    const ICartovaDelegate* delegate = nullptr;
    int newCalls = 0;
    std::vector<bool> stopCalls;
    int pauseCalls = 0;

    // Writing: the last accepted job list, the result to give, progress and cancels.
    struct SavedTrack {
        std::string path;
        double start = 0.0;
        double end = 0.0;
        double gain = 0.0;
        std::map<std::string, std::string> tags;
    };
    TkError saveFileResult = TkErrorSuccess;
    std::vector<SavedTrack> savedTracks;
    int saveFileCalls = 0;
    std::pair<int32_t, int32_t> saveProgress{0, 0};
    std::vector<bool> saveCancels;
};

// The one fake of the test program; Reset() before each test.
FakeCartova& Fake();
void ResetFake();
