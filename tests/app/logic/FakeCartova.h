// Test double of the Cartova functions: a scripted device list and results, and a record
// of what the application asked for.
#pragma once

#include "cartova.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// The finished preview stream the fake serves: interleaved stereo 16-bit frames that a test
// appends while a worker thread reads them (all members are safe across threads).
class FakePreviewStream {
public:
    void append(const std::vector<int16_t>& interleaved);
    void clear();
    uint64_t frames() const;
    // Called (outside the stream's lock) with the 1-based number of every length query,
    // before it is answered; lets a test act at an exact point of the reader's progress.
    void setOnLengthQuery(std::function<void(int)> hook);

    TkError length(uint64_t* frames);
    TkError read(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples) const;

private:
    mutable std::mutex m_mutex;
    std::vector<int16_t> m_values;
    std::function<void(int)> m_onLengthQuery;
    int m_lengthQueries = 0;
};

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
};

// The one fake of the test program; Reset() before each test.
FakeCartova& Fake();
void ResetFake();
// The preview stream of the fake (finished view); ResetFake() empties it.
FakePreviewStream& FakePreview();
