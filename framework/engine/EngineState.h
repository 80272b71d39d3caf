// The engine's states; the exported calls are accepted or refused by them.
#pragma once

#include <cstdint>

enum class EngineState : int32_t {
    Uninitialized = 0, // before Init
    Initialized = 1,   // delegate set, no device
    DeviceReady = 2,   // device opened and described
    Starting = 3,      // asynchronous start queued
    Recording = 4,
    Stopping = 5,      // asynchronous stop queued
    Standby = 6,       // device running, nothing recorded: pre-recording or paused
};
