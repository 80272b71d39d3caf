// Types, constants and status codes of the audio hardware layer as the device
// manager sees it: object identifiers, stream descriptions, buffer lists for
// the IO procedure, and the four-character status codes that
// CoreAudioManager::ConvertErrorCode maps to TkError.
#pragma once

#include <cstdint>

using OSStatus = int32_t;
using AudioObjectID = uint32_t;
using AudioDeviceIOProcID = uint32_t; // 0 = none
using Float64 = double;

constexpr AudioObjectID kAudioObjectUnknown = 0;

// Builds a four-character code, first character in the most significant byte.
constexpr uint32_t FourCharCode(const char (&text)[5])
{
    return (static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}

// Status codes.
constexpr OSStatus kAudioHardwareNoError = 0;
constexpr OSStatus kAudioHardwareNotRunningError = static_cast<OSStatus>(FourCharCode("stop"));
constexpr OSStatus kAudioHardwareUnspecifiedError = static_cast<OSStatus>(FourCharCode("what"));
constexpr OSStatus kAudioHardwareUnknownPropertyError = static_cast<OSStatus>(FourCharCode("who?"));
constexpr OSStatus kAudioHardwareIllegalOperationError = static_cast<OSStatus>(FourCharCode("nope"));
constexpr OSStatus kAudioHardwareUnsupportedOperationError = static_cast<OSStatus>(FourCharCode("unop"));
constexpr OSStatus kAudioHardwareBadObjectError = static_cast<OSStatus>(FourCharCode("!obj"));
constexpr OSStatus kAudioHardwareBadDeviceError = static_cast<OSStatus>(FourCharCode("!dev"));
constexpr OSStatus kAudioHardwareBadStreamError = static_cast<OSStatus>(FourCharCode("!str"));
constexpr OSStatus kAudioDeviceUnsupportedFormatError = static_cast<OSStatus>(FourCharCode("!dat"));
constexpr OSStatus kAudioDevicePermissionsError = static_cast<OSStatus>(FourCharCode("!hog"));

// Direction of a device property.
enum class AudioScope : uint32_t { Global = 0, Input = 1, Output = 2 };

// Properties that can be listened to (global scope, main element).
enum class AudioPropertySelector : uint32_t {
    kAudioDeviceProcessorOverload = FourCharCode("over"),
    kAudioDevicePropertyDeviceIsAlive = FourCharCode("livn"),
    // Input was lost (an overrun the back-end recovered from); the frames
    // are taken with IAudioHardware::TakeDroppedInputFrames. Called on the
    // IO thread, before the next cycle.
    kAudioDevicePropertyInputDropped = FourCharCode("drop"),
};

// Stream formats.
constexpr uint32_t kAudioFormatLinearPCM = FourCharCode("lpcm");
constexpr uint32_t kAudioFormatFlagIsFloat = 1u << 0;
constexpr uint32_t kAudioFormatFlagIsBigEndian = 1u << 1;
constexpr uint32_t kAudioFormatFlagIsSignedInteger = 1u << 2;
constexpr uint32_t kAudioFormatFlagIsPacked = 1u << 3;
constexpr uint32_t kAudioFormatFlagIsAlignedHigh = 1u << 4;
constexpr uint32_t kAudioFormatFlagIsNonInterleaved = 1u << 5;
constexpr uint32_t kAudioFormatFlagIsNonMixable = 1u << 6;

struct AudioStreamBasicDescription {
    Float64 mSampleRate = 0;
    uint32_t mFormatID = 0;
    uint32_t mFormatFlags = 0;
    uint32_t mBytesPerPacket = 0;
    uint32_t mFramesPerPacket = 0;
    uint32_t mBytesPerFrame = 0;
    uint32_t mChannelsPerFrame = 0;
    uint32_t mBitsPerChannel = 0;
};

struct AudioValueRange {
    Float64 mMinimum = 0;
    Float64 mMaximum = 0;
};

// One available physical format; a sample rate of 0 stands for every rate of
// the range.
struct AudioStreamRangedDescription {
    AudioStreamBasicDescription mFormat;
    AudioValueRange mSampleRateRange;
};

// One buffer of an IO cycle: mNumberChannels interleaved 32-bit float channels.
struct AudioBuffer {
    uint32_t mNumberChannels = 0;
    uint32_t mDataByteSize = 0;
    void* mData = nullptr;
};

// The buffers of one IO cycle: mBuffers points at mNumberBuffers buffers.
struct AudioBufferList {
    uint32_t mNumberBuffers = 0;
    AudioBuffer* mBuffers = nullptr;
};

// Called once per IO cycle on the device's IO thread.
using AudioDeviceIOProc = OSStatus (*)(AudioObjectID device, const AudioBufferList* input,
                                       AudioBufferList* output, void* clientData);

// Called on a platform thread when a listened-to property changes.
using AudioObjectPropertyListenerProc = OSStatus (*)(AudioObjectID object,
                                                     AudioPropertySelector selector,
                                                     void* clientData);
