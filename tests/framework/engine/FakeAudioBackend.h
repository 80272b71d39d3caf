// A stand-in audio back-end for engine tests: one turntable-like device (or
// a configurable list), a USB registry that knows it, IO cycles driven by the
// test, unplugging, and a device start that can be made to fail.
#pragma once

#include "device/IAudioHardware.h"
#include "device/IUsbRegistry.h"
#include "device/SystemAudioBackend.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct FakeDevice {
    AudioObjectID id = 0;
    std::string name;
    int32_t vid = 0;
    int32_t pid = 0;
    uint32_t inputChannels = 2;
    bool alive = true;
};

class FakeAudioHardware : public IAudioHardware {
public:
    // One turntable with the project's identity.
    FakeAudioHardware();

    void SetDevices(std::vector<FakeDevice> devices);
    const std::vector<FakeDevice>& Devices() const { return m_devices; }
    std::atomic<bool> failStart{false};
    std::atomic<bool> failDeviceList{false};

    // Runs one IO cycle with `frames` interleaved frames of `value` when the
    // device runs; false when it does not.
    bool Cycle(uint32_t frames, float value = 0.25f);
    // Tells the device-is-alive listener that the device is gone.
    void Unplug();
    bool IsRunning();
    int32_t HogOwner();

    OSStatus GetDevices(std::vector<AudioObjectID>& devices) override;
    OSStatus GetDeviceIsAlive(AudioObjectID device, uint32_t& alive) override;
    OSStatus GetName(AudioObjectID device, std::string& name) override;
    OSStatus GetDeviceUID(AudioObjectID device, std::string& uid) override;
    OSStatus GetModelUID(AudioObjectID device, std::string& uid) override;
    OSStatus GetStreams(AudioObjectID device, AudioScope scope,
                        std::vector<AudioObjectID>& streams) override;
    OSStatus GetStreamConfiguration(AudioObjectID device, AudioScope scope,
                                    std::vector<uint32_t>& channelsPerBuffer) override;
    OSStatus GetHogMode(AudioObjectID device, int32_t& pid) override;
    OSStatus SetHogMode(AudioObjectID device, int32_t pid) override;
    OSStatus GetBufferFrameSize(AudioObjectID device, uint32_t& frames) override;
    OSStatus SetBufferFrameSize(AudioObjectID device, uint32_t frames) override;
    OSStatus GetBufferFrameSizeRange(AudioObjectID device, AudioValueRange& range) override;
    OSStatus GetPhysicalFormat(AudioObjectID stream, AudioStreamBasicDescription& format) override;
    OSStatus SetPhysicalFormat(AudioObjectID stream, const AudioStreamBasicDescription& format) override;
    OSStatus GetAvailablePhysicalFormats(AudioObjectID stream,
                                         std::vector<AudioStreamRangedDescription>& formats) override;
    OSStatus AddPropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                 AudioObjectPropertyListenerProc listener, void* clientData) override;
    OSStatus RemovePropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                    AudioObjectPropertyListenerProc listener, void* clientData) override;
    OSStatus CreateIOProcID(AudioObjectID device, AudioDeviceIOProc proc, void* clientData,
                            AudioDeviceIOProcID& procId) override;
    OSStatus DestroyIOProcID(AudioObjectID device, AudioDeviceIOProcID procId) override;
    OSStatus DeviceStart(AudioObjectID device, AudioDeviceIOProcID procId) override;
    OSStatus DeviceStop(AudioObjectID device, AudioDeviceIOProcID procId) override;

private:
    const FakeDevice* Find(AudioObjectID id) const;

    std::vector<FakeDevice> m_devices;
    std::mutex m_lock;
    int32_t m_hog = -1;
    uint32_t m_bufferFrames = 512;
    AudioStreamBasicDescription m_format;
    AudioDeviceIOProc m_proc = nullptr;
    void* m_procData = nullptr;
    bool m_running = false;
    std::map<AudioPropertySelector, std::pair<AudioObjectPropertyListenerProc, void*>> m_listeners;
};

// Registry: every fake device's audio engine (uid "uid-<id>") with its
// identifiers, an input stream below it and a USB interface above that.
class FakeUsbRegistry : public IUsbRegistry {
public:
    explicit FakeUsbRegistry(FakeAudioHardware& hardware) : m_hardware(hardware) {}

    // Values of the vendor requests sent so far (1 DSD, 0 PCM).
    std::vector<uint16_t> Requests();

    std::vector<IORegistryEntryID> GetMatchingServices(const std::string& className) override;
    std::vector<IORegistryEntryID> GetChildren(IORegistryEntryID entry, const std::string& plane) override;
    std::vector<IORegistryEntryID> GetParents(IORegistryEntryID entry, const std::string& plane) override;
    bool ConformsTo(IORegistryEntryID entry, const std::string& className) override;
    std::optional<std::string> GetStringProperty(IORegistryEntryID entry, const std::string& key) override;
    std::optional<int64_t> GetNumberProperty(IORegistryEntryID entry, const std::string& key) override;
    std::unique_ptr<IUsbInterface> CreateInterface(IORegistryEntryID entry) override;

private:
    friend class FakeUsbInterface;
    FakeAudioHardware& m_hardware;
    std::mutex m_lock;
    std::vector<uint16_t> m_requests;
};

// A back-end holding both; the fakes stay reachable through the pointers.
struct FakeBackend {
    std::shared_ptr<FakeAudioHardware> hardware = std::make_shared<FakeAudioHardware>();
    std::shared_ptr<FakeUsbRegistry> usb = std::make_shared<FakeUsbRegistry>(*hardware);
    AudioBackend Backend() const { return AudioBackend{hardware, usb}; }
};
