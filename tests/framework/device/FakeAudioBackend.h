// A configurable stand-in for the audio hardware and the USB registry: tests
// describe devices, formats and registry entries, make single operations
// fail, and inspect what the device manager left behind.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/IAudioHardware.h"
#include "device/IUsbRegistry.h"

struct FakeDevice {
    std::string name;
    std::string uid;
    std::string modelUid = "model";
    uint32_t alive = 1;
    std::vector<AudioObjectID> inputStreams{100};
    std::vector<uint32_t> inputShape{2};
    std::vector<uint32_t> outputShape{};
    int32_t hog = -1;
    uint32_t bufferFrames = 512;
    AudioValueRange bufferRange{64, 4096};
};

inline AudioStreamRangedDescription MakeFormat(double rate, uint32_t bits, uint32_t channels = 2,
                                               uint32_t flags = kAudioFormatFlagIsSignedInteger)
{
    AudioStreamRangedDescription d;
    d.mFormat.mSampleRate = rate;
    d.mFormat.mFormatID = kAudioFormatLinearPCM;
    d.mFormat.mFormatFlags = flags;
    d.mFormat.mChannelsPerFrame = channels;
    d.mFormat.mBitsPerChannel = bits;
    d.mFormat.mBytesPerFrame = channels * (bits == 24 ? 4 : bits / 8);
    d.mSampleRateRange = {rate, rate};
    return d;
}

class FakeAudioHardware : public IAudioHardware {
public:
    std::map<AudioObjectID, FakeDevice> devices;
    std::vector<AudioStreamRangedDescription> formats; // of every input stream
    AudioStreamBasicDescription physicalFormat;
    std::map<std::string, OSStatus> failures; // operation name -> status
    std::set<AudioPropertySelector> listeners;
    std::set<AudioDeviceIOProcID> ioProcs;
    bool started = false;
    OSStatus listFailure = 0;

    OSStatus Fail(const std::string& op) const
    {
        auto it = failures.find(op);
        return it == failures.end() ? 0 : it->second;
    }
    FakeDevice* Find(AudioObjectID id)
    {
        auto it = devices.find(id);
        return it == devices.end() ? nullptr : &it->second;
    }

    OSStatus GetDevices(std::vector<AudioObjectID>& out) override
    {
        out.clear();
        for (auto& [id, d] : devices) {
            out.push_back(id);
        }
        return listFailure;
    }
    OSStatus GetDeviceIsAlive(AudioObjectID id, uint32_t& alive) override
    {
        if (auto* d = Find(id)) { alive = d->alive; return 0; }
        return kAudioHardwareBadDeviceError;
    }
    OSStatus GetName(AudioObjectID id, std::string& s) override
    {
        if (auto* d = Find(id)) { s = d->name; return d->name == "<unreadable>" ? kAudioHardwareUnspecifiedError : 0; }
        return kAudioHardwareBadDeviceError;
    }
    OSStatus GetDeviceUID(AudioObjectID id, std::string& s) override
    {
        if (auto* d = Find(id)) { s = d->uid; return 0; }
        return kAudioHardwareBadDeviceError;
    }
    OSStatus GetModelUID(AudioObjectID id, std::string& s) override
    {
        if (auto* d = Find(id)) { s = d->modelUid; return 0; }
        return kAudioHardwareBadDeviceError;
    }
    OSStatus GetStreams(AudioObjectID id, AudioScope scope, std::vector<AudioObjectID>& out) override
    {
        if (OSStatus s = Fail("GetStreams")) return s;
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        out = scope == AudioScope::Input ? d->inputStreams : std::vector<AudioObjectID>{};
        return 0;
    }
    OSStatus GetStreamConfiguration(AudioObjectID id, AudioScope scope, std::vector<uint32_t>& out) override
    {
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        out = scope == AudioScope::Input ? d->inputShape : d->outputShape;
        return 0;
    }
    OSStatus GetHogMode(AudioObjectID id, int32_t& pid) override
    {
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        pid = d->hog;
        return 0;
    }
    OSStatus SetHogMode(AudioObjectID id, int32_t pid) override
    {
        if (OSStatus s = Fail("SetHogMode")) return s;
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        d->hog = pid;
        return 0;
    }
    OSStatus GetBufferFrameSize(AudioObjectID id, uint32_t& frames) override
    {
        if (OSStatus s = Fail("GetBufferFrameSize")) return s;
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        frames = d->bufferFrames;
        return 0;
    }
    OSStatus SetBufferFrameSize(AudioObjectID id, uint32_t frames) override
    {
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        d->bufferFrames = frames;
        return 0;
    }
    OSStatus GetBufferFrameSizeRange(AudioObjectID id, AudioValueRange& range) override
    {
        auto* d = Find(id);
        if (!d) return kAudioHardwareBadDeviceError;
        range = d->bufferRange;
        return 0;
    }
    OSStatus GetPhysicalFormat(AudioObjectID, AudioStreamBasicDescription& f) override
    {
        if (OSStatus s = Fail("GetPhysicalFormat")) return s;
        f = physicalFormat;
        return 0;
    }
    OSStatus SetPhysicalFormat(AudioObjectID, const AudioStreamBasicDescription& f) override
    {
        if (OSStatus s = Fail("SetPhysicalFormat")) return s;
        physicalFormat = f;
        return 0;
    }
    OSStatus GetAvailablePhysicalFormats(AudioObjectID, std::vector<AudioStreamRangedDescription>& out) override
    {
        out = formats;
        return 0;
    }
    OSStatus AddPropertyListener(AudioObjectID, AudioPropertySelector sel, AudioObjectPropertyListenerProc,
                                 void*) override
    {
        if (sel == AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive) {
            if (OSStatus s = Fail("AddAliveListener")) return s;
        }
        listeners.insert(sel);
        return 0;
    }
    OSStatus RemovePropertyListener(AudioObjectID, AudioPropertySelector sel, AudioObjectPropertyListenerProc,
                                    void*) override
    {
        listeners.erase(sel);
        return 0;
    }
    OSStatus CreateIOProcID(AudioObjectID, AudioDeviceIOProc, void*, AudioDeviceIOProcID& id) override
    {
        if (OSStatus s = Fail("CreateIOProcID")) return s;
        id = 7;
        ioProcs.insert(id);
        return 0;
    }
    OSStatus DestroyIOProcID(AudioObjectID, AudioDeviceIOProcID id) override
    {
        ioProcs.erase(id);
        return 0;
    }
    OSStatus DeviceStart(AudioObjectID, AudioDeviceIOProcID) override
    {
        if (OSStatus s = Fail("DeviceStart")) return s;
        started = true;
        return 0;
    }
    OSStatus DeviceStop(AudioObjectID, AudioDeviceIOProcID) override
    {
        started = false;
        return 0;
    }
};

// A USB interface that records control requests.
class FakeUsbInterface : public IUsbInterface {
public:
    FakeUsbInterface(std::vector<UsbDeviceRequest>& log, int& openCount, IOReturn requestStatus)
        : m_log(log), m_openCount(openCount), m_requestStatus(requestStatus)
    {
        ++m_openCount;
    }
    ~FakeUsbInterface() override { --m_openCount; }
    IOReturn GetInterfaceNumber(uint8_t& number) override
    {
        number = 3;
        return kIOReturnSuccess;
    }
    IOReturn ControlRequest(UsbDeviceRequest& request) override
    {
        m_log.push_back(request);
        return m_requestStatus;
    }

private:
    std::vector<UsbDeviceRequest>& m_log;
    int& m_openCount;
    IOReturn m_requestStatus;
};

// Registry: one audio engine per entry of `engines` (id = index + 1), each
// with an input stream child (id + 100) whose parent interface is id + 200.
class FakeUsbRegistry : public IUsbRegistry {
public:
    struct Engine {
        std::string uid;
        int64_t vid;
        int64_t pid;
        bool hasInterface = true;
    };
    std::vector<Engine> engines;
    std::vector<UsbDeviceRequest> requests;
    int openInterfaces = 0;
    IOReturn requestStatus = kIOReturnSuccess;

    std::vector<IORegistryEntryID> GetMatchingServices(const std::string& cls) override
    {
        std::vector<IORegistryEntryID> out;
        if (cls == kIOAudioEngineClass) {
            for (size_t i = 0; i < engines.size(); ++i) out.push_back(i + 1);
        }
        return out;
    }
    std::vector<IORegistryEntryID> GetChildren(IORegistryEntryID e, const std::string&) override
    {
        return e >= 1 && e <= engines.size() ? std::vector<IORegistryEntryID>{e + 100} : std::vector<IORegistryEntryID>{};
    }
    std::vector<IORegistryEntryID> GetParents(IORegistryEntryID e, const std::string&) override
    {
        if (e > 100 && e <= 100 + engines.size() && engines[e - 101].hasInterface) return {e - 100, e + 100};
        return {};
    }
    bool ConformsTo(IORegistryEntryID e, const std::string& cls) override
    {
        if (e > 200) return cls == kIOUSBInterfaceClass;
        if (e > 100) return cls == kIOAudioStreamClass;
        return cls == kIOAudioEngineClass;
    }
    std::optional<std::string> GetStringProperty(IORegistryEntryID e, const std::string& key) override
    {
        if (e >= 1 && e <= engines.size() && key == kIOAudioEngineGlobalUniqueIDKey) return engines[e - 1].uid;
        return std::nullopt;
    }
    std::optional<int64_t> GetNumberProperty(IORegistryEntryID e, const std::string& key) override
    {
        if (e >= 1 && e <= engines.size()) {
            if (key == kUSBVendorID) return engines[e - 1].vid;
            if (key == kUSBProductID) return engines[e - 1].pid;
        }
        if (e > 100 && e < 200 && key == kIOAudioStreamDirectionKey) return 1;
        return std::nullopt;
    }
    std::unique_ptr<IUsbInterface> CreateInterface(IORegistryEntryID) override
    {
        return std::make_unique<FakeUsbInterface>(requests, openInterfaces, requestStatus);
    }
};
