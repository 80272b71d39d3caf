// What the device manager calls on its client (the engine): processor
// overload and device-is-alive changes from the property listeners, and every
// IO cycle's buffers from the IO procedure. Called on platform threads.
#pragma once

#include "device/AudioHardwareTypes.h"

class IAudioDeviceNotify {
public:
    virtual ~IAudioDeviceNotify() = default;

    virtual void AudioDevice_ProcessorOverload() = 0;
    virtual void AudioDevice_DeviceIsAliveChanged() = 0;
    virtual void AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList* output) = 0;
};
