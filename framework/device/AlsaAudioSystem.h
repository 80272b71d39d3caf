// The real back-end: the system's ALSA sound cards as the audio hardware
// layer, and their USB devices (from sysfs) as the registry the device
// manager reads USB identity from and sends the DSD vendor request through.
//
// Devices are the cards of the identity scan, each with an object id that
// stays the same while the card stays on its USB port (also across
// re-plugging). Hog mode is the exclusive open of the card's hw: PCM, after
// the session's sound server was asked to release it. The IO procedure runs
// on a capture thread per started device. Cards coming and going (udev
// hot-plug, or the PCM reporting that its device is gone) change their
// device-is-alive state and call those listeners.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/DeviceReservation.h"
#include "device/IAudioHardware.h"
#include "device/ICapturePcm.h"
#include "device/OverrunWarnings.h"
#include "device/IUsbDeviceAccess.h"
#include "device/IUsbRegistry.h"
#include "device/PcmCaptureThread.h"
#include "device/SoundCardScan.h"
#include "device/UdevSoundMonitor.h"

struct AlsaSystemOptions {
    // The cards: the identity scan of the system, or a fixed list.
    std::function<std::vector<SoundCard>()> scan;
    // Opens a capture PCM by name; alsa-lib when not set.
    std::function<int(const std::string& name, std::unique_ptr<ICapturePcm>& pcm)> openPcm;
    // USB access for the vendor request; null refuses the request.
    std::shared_ptr<IUsbDeviceAccess> usb;
    // Ask the session's sound server to release a card before opening it.
    bool reserveCards = true;
    // Watch udev for cards coming and going.
    bool watchHotplug = true;
};

class AlsaAudioSystem : public IAudioHardware, public IUsbRegistry {
public:
    static constexpr uint32_t kMinBufferFrames = 64;
    static constexpr uint32_t kMaxBufferFrames = 32768;
    static constexpr uint32_t kDefaultBufferFrames = 4096;

    explicit AlsaAudioSystem(AlsaSystemOptions options);
    ~AlsaAudioSystem() override;

    AlsaAudioSystem(const AlsaAudioSystem&) = delete;
    AlsaAudioSystem& operator=(const AlsaAudioSystem&) = delete;

    // IAudioHardware
    OSStatus GetDevices(std::vector<AudioObjectID>& devices) override;
    OSStatus GetDeviceIsAlive(AudioObjectID device, uint32_t& alive) override;
    OSStatus GetName(AudioObjectID device, std::string& name) override;
    OSStatus GetDeviceUID(AudioObjectID device, std::string& uid) override;
    OSStatus GetModelUID(AudioObjectID device, std::string& uid) override;
    OSStatus GetStreams(AudioObjectID device, AudioScope scope, std::vector<AudioObjectID>& streams) override;
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
    OSStatus TakeDroppedInputFrames(AudioObjectID device, uint64_t& frames) override;

    // IUsbRegistry: per card an audio engine (uid, idVendor, idProduct), its
    // input stream, the USB interface of that stream, and for a USB card its
    // USB device ("USB Product Name", idVendor, idProduct, bcdDevice).
    std::vector<IORegistryEntryID> GetMatchingServices(const std::string& className) override;
    std::vector<IORegistryEntryID> GetChildren(IORegistryEntryID entry, const std::string& plane) override;
    std::vector<IORegistryEntryID> GetParents(IORegistryEntryID entry, const std::string& plane) override;
    bool ConformsTo(IORegistryEntryID entry, const std::string& className) override;
    std::optional<std::string> GetStringProperty(IORegistryEntryID entry, const std::string& key) override;
    std::optional<int64_t> GetNumberProperty(IORegistryEntryID entry, const std::string& key) override;
    std::unique_ptr<IUsbInterface> CreateInterface(IORegistryEntryID entry) override;

    // A hot-plug event for the card `sysName` ("cardN"): the cards are
    // scanned again and the listeners of every device whose presence
    // changed are called. The udev monitor calls this; tests may too.
    void OnSoundCardEvent(SoundCardEvent event, const std::string& sysName);

    // Overruns the capture of a device has recovered from since its start.
    uint64_t OverrunCount(AudioObjectID device) const;

private:
    struct Listener {
        AudioObjectID object;
        AudioPropertySelector selector;
        AudioObjectPropertyListenerProc proc;
        void* clientData;
    };
    struct IOProcEntry {
        AudioDeviceIOProc proc = nullptr;
        void* clientData = nullptr;
    };
    struct Device {
        SoundCard card;
        bool present = false;
        bool failed = false; // its capture ended with an error: not alive until reopened
        int32_t hogOwner = -1;
        std::unique_ptr<DeviceReservation> reservation;
        std::unique_ptr<ICapturePcm> pcm;
        uint32_t channels = 0;
        std::vector<AudioStreamRangedDescription> formats;
        AudioStreamBasicDescription format;
        uint32_t bufferFrames = kDefaultBufferFrames;
        std::map<AudioDeviceIOProcID, IOProcEntry> procs;
        AudioDeviceIOProcID runningProc = 0;
        std::unique_ptr<PcmCaptureThread> capture;
        uint64_t overruns = 0;
        uint64_t droppedFrames = 0; // lost and not yet taken
        OverrunWarnings overrunWarnings;
    };
    class CardUsbInterface;

    // Scans the cards and updates presence; the ids whose alive state changed.
    std::vector<AudioObjectID> RefreshLocked();
    Device* FindLocked(AudioObjectID device);
    Device* FindPresentLocked(AudioObjectID device);
    // One text field of a present device's card, read under the lock.
    OSStatus ReadCardText(AudioObjectID device, std::string SoundCard::*field, std::string& text);
    Device* FindByStreamLocked(AudioObjectID stream);
    void CallListeners(AudioObjectID device, AudioPropertySelector selector);
    void CallAliveListeners(const std::vector<AudioObjectID>& devices);
    int OpenPcm(const std::string& name, std::unique_ptr<ICapturePcm>& pcm);
    // Opens the card's PCM again after a vendor switch closed it, waiting for
    // a re-enumerating device to come back.
    OSStatus ReopenLocked(std::unique_lock<std::mutex>& lock, AudioObjectID id);
    void StopCaptureLocked(std::unique_lock<std::mutex>& lock, Device& device);
    void OnCaptureEnded(AudioObjectID id, int error);
    void OnOverrun(AudioObjectID id, uint64_t position, uint64_t lost);
    IOReturn SendVendorRequest(AudioObjectID id, const UsbDeviceRequest& request);
    IOReturn InterfaceNumber(AudioObjectID id, uint8_t& number);

    AlsaSystemOptions m_options;

    mutable std::mutex m_mutex; // guards everything below
    std::condition_variable m_cardsChanged;
    std::map<AudioObjectID, Device> m_devices;
    std::map<std::string, AudioObjectID> m_idsByUid;
    AudioObjectID m_nextId = 0x100;
    AudioDeviceIOProcID m_nextProcId = 1;
    std::vector<Listener> m_listeners;

    // Held while listeners run, so that removing one waits for its call.
    std::mutex m_listenerCallMutex;

    UdevSoundMonitor m_monitor;
};
