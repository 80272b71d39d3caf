// The simulated turntable: an audio device and its USB registry entries,
// presented as the framework expects the real one (name "QT-LV200", the
// turntable's USB identifiers, two input channels, no outputs, 24-bit PCM
// formats at the PCM rates, 16-bit formats at 176400, 352800 and 705600 for
// DSD carriage, a buffer-size range, hog mode and the vendor request that
// switches DSD carriage). Its IO cycles run on a thread of their own, paced
// in real time times a speed factor. In DSD carriage it modulates its record
// to one bit and delivers 16 DSD bits per 16-bit word, as floats word / 32768.
//
// Tests can unplug it, make operations fail, see the vendor requests it
// received, and regenerate exactly what it delivered.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "device/IAudioHardware.h"
#include "device/IUsbRegistry.h"
#include "device/SimSource.h"

struct SimulatorOptions {
    // What it plays; null plays the demo album.
    std::shared_ptr<const ISimSource> source;
    // Pace of the IO cycles: 1 = real time, 4 = four times as fast; 0 or
    // less runs cycles back to back.
    double speed = 1.0;
    // A planned overrun, for tests of what follows lost input: once the
    // record has played dropAtSeconds, dropFrames frames of it are never
    // delivered and are reported as dropped input. No overrun when 0 frames.
    double dropAtSeconds = 0.0;
    uint64_t dropFrames = 0;
};

// Operations whose failure a test can inject.
enum class SimOperation {
    GetStreams,
    SetHogMode,
    GetBufferFrameSize,
    SetBufferFrameSize,
    SetPhysicalFormat,
    AddPropertyListener,
    CreateIOProcID,
    DeviceStart,
    GetInterfaceNumber,
    ControlRequest,
};

class SimulatedTurntable : public IAudioHardware, public IUsbRegistry {
public:
    static constexpr AudioObjectID kDeviceId = 0x51;
    static constexpr AudioObjectID kInputStreamId = 0x52;
    static constexpr const char* kDeviceUid = "sim-turntable:qt-lv200:0";
    static constexpr const char* kModelUid = "sim-turntable:qt-lv200";
    static constexpr uint16_t kFirmwareVersion = 0x0102; // "bcdDevice"
    static constexpr uint8_t kAudioInterfaceNumber = 2;
    static constexpr uint32_t kMinBufferFrames = 32;
    static constexpr uint32_t kMaxBufferFrames = 32768;
    static constexpr uint32_t kDefaultBufferFrames = 512;

    explicit SimulatedTurntable(SimulatorOptions options = {});
    ~SimulatedTurntable() override;

    // IAudioHardware
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
    OSStatus TakeDroppedInputFrames(AudioObjectID device, uint64_t& frames) override;
    OSStatus CreateIOProcID(AudioObjectID device, AudioDeviceIOProc proc, void* clientData,
                            AudioDeviceIOProcID& procId) override;
    OSStatus DestroyIOProcID(AudioObjectID device, AudioDeviceIOProcID procId) override;
    OSStatus DeviceStart(AudioObjectID device, AudioDeviceIOProcID procId) override;
    OSStatus DeviceStop(AudioObjectID device, AudioDeviceIOProcID procId) override;

    // IUsbRegistry
    std::vector<IORegistryEntryID> GetMatchingServices(const std::string& className) override;
    std::vector<IORegistryEntryID> GetChildren(IORegistryEntryID entry, const std::string& plane) override;
    std::vector<IORegistryEntryID> GetParents(IORegistryEntryID entry, const std::string& plane) override;
    bool ConformsTo(IORegistryEntryID entry, const std::string& className) override;
    std::optional<std::string> GetStringProperty(IORegistryEntryID entry, const std::string& key) override;
    std::optional<int64_t> GetNumberProperty(IORegistryEntryID entry, const std::string& key) override;
    std::unique_ptr<IUsbInterface> CreateInterface(IORegistryEntryID entry) override;

    // --- Test controls ---

    // Unplugging stops the IO cycles, makes the device vanish from the list
    // and calls the device-is-alive listeners on the caller's thread;
    // plugging it back in calls them again.
    void Unplug();
    void Replug();
    // Calls the processor-overload listeners on the caller's thread.
    void TriggerProcessorOverload();
    // From now on `operation` returns `status` (an OSStatus, or an IOReturn
    // for the USB operations), until cleared.
    void InjectFailure(SimOperation operation, int32_t status);
    void ClearFailures();
    void SetSpeed(double speed);

    // The vendor requests received, oldest first.
    std::vector<UsbDeviceRequest> ReceivedRequests() const;
    // Whether the vendor request last switched DSD carriage on.
    bool IsDsdCarriage() const;
    // The current physical format and buffer size.
    AudioStreamBasicDescription CurrentFormat() const;
    uint32_t BufferFrames() const;
    // Owner of hog mode, -1 when free.
    int32_t HogOwner() const;
    // Frames and cycles delivered since the last DeviceStart.
    uint64_t DeliveredFrames() const;
    uint64_t DeliveredCycles() const;
    // The interleaved stereo floats it delivers from frame `firstFrame` after
    // a DeviceStart in the current format and carriage (each start plays the
    // record from its beginning).
    std::vector<float> Regenerate(uint64_t firstFrame, size_t frames) const;

private:
    struct Listener {
        AudioPropertySelector selector;
        AudioObjectPropertyListenerProc proc;
        void* clientData;
    };
    struct IOProcEntry {
        AudioDeviceIOProc proc = nullptr;
        void* clientData = nullptr;
    };
    class SimUsbInterface;

    bool IsDevice(AudioObjectID device) const;
    OSStatus Failure(SimOperation operation) const;
    void CallListeners(AudioPropertySelector selector);
    void StopIoThread(std::unique_lock<std::mutex>& lock);
    void IoThread(AudioDeviceIOProc proc, void* clientData);
    IOReturn HandleControlRequest(const UsbDeviceRequest& request);

    const std::shared_ptr<const ISimSource> m_source;

    mutable std::mutex m_mutex; // guards everything below except where noted
    bool m_alive = true;
    int32_t m_hogOwner = -1;
    uint32_t m_bufferFrames = kDefaultBufferFrames;
    AudioStreamBasicDescription m_format;
    bool m_dsdCarriage = false;
    double m_speed = 1.0;
    std::map<SimOperation, int32_t> m_failures;
    std::vector<UsbDeviceRequest> m_requests;
    std::vector<Listener> m_listeners;
    std::map<AudioDeviceIOProcID, IOProcEntry> m_ioProcs;
    AudioDeviceIOProcID m_nextIoProcId = 1;
    AudioDeviceIOProcID m_runningProc = 0;
    std::thread m_ioThread;
    bool m_stopRequested = false;
    std::condition_variable m_wake;

    // Held while a listener runs, so that removing a listener waits for it.
    std::mutex m_listenerCallMutex;

    std::atomic<uint64_t> m_deliveredFrames{0};
    // The planned overrun (set at construction), and the lost frames not yet
    // taken by the listener of dropped input.
    const double m_dropAtSeconds;
    const uint64_t m_dropFrames;
    std::atomic<uint64_t> m_droppedInput{0};
    std::atomic<uint64_t> m_deliveredCycles{0};
};
