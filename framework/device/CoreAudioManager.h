// The device layer: lists the system's audio devices with their USB
// identity, opens one for exclusive use, reports and sets its formats,
// frequency, sample type (PCM or DSD carried in 16-bit words at the DSD bit
// rate / 16) and buffer size, switches DSD with the vendor request, and runs
// the IO procedure that forwards every cycle to IAudioDeviceNotify.
//
// Calls come from one thread at a time (the main thread or the engine
// queue); the IO procedure and listeners run on platform threads and only
// call the notify interface. Every operation returns a TkError.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/AudioHardwareTypes.h"
#include "device/FoundDeviceInfo.h"
#include "device/IAudioDeviceNotify.h"
#include "device/IAudioHardware.h"
#include "device/IUsbRegistry.h"
#include "device/SystemAudioBackend.h"
#include "interface/cartova.h"

class CoreAudioManager {
public:
    // Sample types of the device layer (also the SampleTypeInfo keys).
    static constexpr int64_t kSampleTypePcm = 0;
    static constexpr int64_t kSampleTypeDsd = 1;
    // A DSD bit rate runs the device at this fraction of it.
    static constexpr uint32_t kDsdWordBits = 16;

    CoreAudioManager(std::shared_ptr<IAudioHardware> hardware, std::shared_ptr<IUsbRegistry> usb);
    explicit CoreAudioManager(const AudioBackend& backend);
    // Stops a running device and closes an open one.
    ~CoreAudioManager();

    CoreAudioManager(const CoreAudioManager&) = delete;
    CoreAudioManager& operator=(const CoreAudioManager&) = delete;

    TkError GetAudioDevices(std::vector<FoundDeviceInfo>& devices);
    TkError SetAudioDevice(const FoundDeviceInfo& device, IAudioDeviceNotify* notify);
    TkError ReleaseDevice();

    TkError GetChannels(uint16_t& inputChannels, uint16_t& outputChannels);
    TkError GetBits(uint16_t& supportedBits, uint16_t& recordBits);
    // Rates are DSD bit rates while the sample type is DSD.
    TkError CanSampleRate(double rate);
    TkError GetSampleRate(double& rate);
    TkError SetSampleRate(double rate);
    TkError GetSampleType(int64_t& type);
    TkError SetSampleType(int64_t type);
    TkError GetBufferSize(uint32_t& frames);
    // Clamps the request into the device's range and returns the size set.
    TkError SetBufferSize(uint32_t& frames);
    TkError Start();
    TkError Stop();
    TkError SetDSDMethod(bool dsd);

    // Whether a device is open / the IO procedure runs.
    bool HasDevice() const { return m_deviceId != kAudioObjectUnknown; }
    bool IsRunning() const { return m_running; }
    // Whether the open device was alive when its alive state last changed
    // (true from the open on); readable from any thread.
    bool IsDeviceAlive() const { return m_deviceAlive.load(); }
    const FoundDeviceInfo& Device() const { return m_device; }

    static TkError ConvertErrorCode(OSStatus status);

    // USB identity of a device uid from the registry; both -1 when not found.
    void GetVidPid(const std::string& uid, int32_t& vid, int32_t& pid);
    // The USB interface carrying the device's input stream; null when not found.
    std::unique_ptr<IUsbInterface> SearchInterface(const std::string& uid);

private:
    static OSStatus IOProcThunk(AudioObjectID device, const AudioBufferList* input,
                                AudioBufferList* output, void* clientData);
    static OSStatus ListenerThunk(AudioObjectID object, AudioPropertySelector selector,
                                  void* clientData);

    IORegistryEntryID FindAudioEngine(const std::string& uid);
    const AudioStreamRangedDescription* FindFormat(double rate) const;
    void RemoveListeners(AudioObjectID device);
    void UndoOpen(AudioObjectID device);

    std::shared_ptr<IAudioHardware> m_hardware;
    std::shared_ptr<IUsbRegistry> m_usb;

    AudioObjectID m_deviceId = kAudioObjectUnknown;
    FoundDeviceInfo m_device;
    IAudioDeviceNotify* m_notify = nullptr;
    std::unique_ptr<IUsbInterface> m_usbInterface;
    AudioDeviceIOProcID m_ioProcId = 0;
    bool m_running = false;
    uint32_t m_initialBufferSize = 0;
    uint32_t m_bufferSize = 0;
    AudioStreamBasicDescription m_initialFormat;
    AudioStreamBasicDescription m_currentFormat;
    std::vector<AudioStreamRangedDescription> m_availableFormats;
    int64_t m_sampleType = kSampleTypePcm;
    // Read by the device-is-alive listener when it is called.
    std::atomic<bool> m_deviceAlive{false};

    // Which listeners were added, so that a failed open removes only those.
    bool m_overloadListener = false;
    bool m_aliveListener = false;
};
