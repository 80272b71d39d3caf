// Test double of the Cartova functions: a scripted device list and results, and a record
// of what the application asked for.
#pragma once

#include "cartova.h"

#include <string>
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
    // The selected device's description and its USB identity.
    std::vector<uint32_t> pcmFreq{44100, 48000};
    std::vector<uint32_t> dsdFreq;
    uint16_t recordBits = 32;
    std::string usbProductName = "QT-LV200";
    int32_t usbBcdDevice = 0x0102;
};

// The one fake of the test program; Reset() before each test.
FakeCartova& Fake();
void ResetFake();
