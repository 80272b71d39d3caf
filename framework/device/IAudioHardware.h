// The audio hardware layer the device manager is written against: the
// system's device list, device and stream properties, hog mode, property
// listeners and the IO procedure. Every call returns 0 or a four-character
// status (AudioHardwareTypes.h). Back-ends: the simulated turntable, and test
// stand-ins.
#pragma once

#include <string>
#include <vector>

#include "device/AudioHardwareTypes.h"

class IAudioHardware {
public:
    virtual ~IAudioHardware() = default;

    // The system object's device list (kAudioHardwarePropertyDevices).
    virtual OSStatus GetDevices(std::vector<AudioObjectID>& devices) = 0;

    // kAudioDevicePropertyDeviceIsAlive: non-zero while the device is usable.
    virtual OSStatus GetDeviceIsAlive(AudioObjectID device, uint32_t& alive) = 0;
    // kAudioObjectPropertyName, kAudioDevicePropertyDeviceUID, kAudioDevicePropertyModelUID (UTF-8).
    virtual OSStatus GetName(AudioObjectID device, std::string& name) = 0;
    virtual OSStatus GetDeviceUID(AudioObjectID device, std::string& uid) = 0;
    virtual OSStatus GetModelUID(AudioObjectID device, std::string& uid) = 0;

    // kAudioDevicePropertyStreams of one scope: stream ids.
    virtual OSStatus GetStreams(AudioObjectID device, AudioScope scope,
                                std::vector<AudioObjectID>& streams) = 0;
    // kAudioDevicePropertyStreamConfiguration of one scope: the shape of the
    // buffer list, one channel count per buffer.
    virtual OSStatus GetStreamConfiguration(AudioObjectID device, AudioScope scope,
                                            std::vector<uint32_t>& channelsPerBuffer) = 0;

    // kAudioDevicePropertyHogMode: the owning process id, or -1 when free.
    virtual OSStatus GetHogMode(AudioObjectID device, int32_t& pid) = 0;
    virtual OSStatus SetHogMode(AudioObjectID device, int32_t pid) = 0;

    // kAudioDevicePropertyBufferFrameSize and kAudioDevicePropertyBufferFrameSizeRange.
    virtual OSStatus GetBufferFrameSize(AudioObjectID device, uint32_t& frames) = 0;
    virtual OSStatus SetBufferFrameSize(AudioObjectID device, uint32_t frames) = 0;
    virtual OSStatus GetBufferFrameSizeRange(AudioObjectID device, AudioValueRange& range) = 0;

    // kAudioStreamPropertyPhysicalFormat and kAudioStreamPropertyAvailablePhysicalFormats.
    virtual OSStatus GetPhysicalFormat(AudioObjectID stream, AudioStreamBasicDescription& format) = 0;
    virtual OSStatus SetPhysicalFormat(AudioObjectID stream,
                                       const AudioStreamBasicDescription& format) = 0;
    virtual OSStatus GetAvailablePhysicalFormats(
        AudioObjectID stream, std::vector<AudioStreamRangedDescription>& formats) = 0;

    // AudioObjectAddPropertyListener / AudioObjectRemovePropertyListener
    // (global scope, main element). After Remove returns, the listener is
    // not running and will not be called again.
    virtual OSStatus AddPropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                         AudioObjectPropertyListenerProc listener,
                                         void* clientData) = 0;
    virtual OSStatus RemovePropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                            AudioObjectPropertyListenerProc listener,
                                            void* clientData) = 0;

    // AudioDeviceCreateIOProcID, AudioDeviceDestroyIOProcID, AudioDeviceStart,
    // AudioDeviceStop. After Stop returns, the IO procedure is not running
    // and will not be called again until the next Start.
    virtual OSStatus CreateIOProcID(AudioObjectID device, AudioDeviceIOProc proc,
                                    void* clientData, AudioDeviceIOProcID& procId) = 0;
    virtual OSStatus DestroyIOProcID(AudioObjectID device, AudioDeviceIOProcID procId) = 0;
    virtual OSStatus DeviceStart(AudioObjectID device, AudioDeviceIOProcID procId) = 0;
    virtual OSStatus DeviceStop(AudioObjectID device, AudioDeviceIOProcID procId) = 0;

    // The device frames of input lost since the last call (see
    // kAudioDevicePropertyInputDropped); back-ends that never lose input
    // report none.
    virtual OSStatus TakeDroppedInputFrames(AudioObjectID device, uint64_t& frames)
    {
        (void)device;
        frames = 0;
        return kAudioHardwareNoError;
    }
};
