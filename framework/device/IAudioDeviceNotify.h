// What the device manager calls on its client (the engine): processor
// overload and device-is-alive changes from the property listeners, every
// IO cycle's buffers from the IO procedure, and input the device lost
// (an overrun a back-end detected). Called on platform threads.
#pragma once

#include <cstdint>

#include "device/AudioHardwareTypes.h"

class IAudioDeviceNotify {
public:
    virtual ~IAudioDeviceNotify() = default;

    virtual void AudioDevice_ProcessorOverload() = 0;
    virtual void AudioDevice_DeviceIsAliveChanged() = 0;
    virtual void AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList* output) = 0;
    // `frames` device frames of input were lost between the last cycle
    // delivered to AudioDevice_IOProc and the next one. Call it on the IO
    // thread, before that next cycle.
    virtual void AudioDevice_InputDropped(uint64_t frames) { (void)frames; }
};
