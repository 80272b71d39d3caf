// The stand-in audio back-end of the engine tests.
#include "FakeAudioBackend.h"

#include "device/TurntableIdentity.h"

namespace {

constexpr IORegistryEntryID kEngineBase = 1000;
constexpr IORegistryEntryID kStreamBase = 2000;
constexpr IORegistryEntryID kInterfaceBase = 3000;
constexpr AudioObjectID kStreamOffset = 500; // stream id = device id + offset

AudioStreamRangedDescription Format(double rate, uint32_t bits)
{
    AudioStreamRangedDescription d;
    d.mFormat.mSampleRate = rate;
    d.mFormat.mFormatID = kAudioFormatLinearPCM;
    d.mFormat.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked;
    d.mFormat.mChannelsPerFrame = 2;
    d.mFormat.mBitsPerChannel = bits;
    d.mFormat.mBytesPerFrame = bits == 16 ? 4 : 8;
    d.mFormat.mBytesPerPacket = d.mFormat.mBytesPerFrame;
    d.mFormat.mFramesPerPacket = 1;
    d.mSampleRateRange = {rate, rate};
    return d;
}

} // namespace

FakeAudioHardware::FakeAudioHardware()
{
    m_devices.push_back(FakeDevice{7, kTurntableName, kTurntableVendorId, kTurntableProductId, 2, true});
    m_format = Format(44100, 24).mFormat;
}

void FakeAudioHardware::SetDevices(std::vector<FakeDevice> devices)
{
    m_devices = std::move(devices);
}

const FakeDevice* FakeAudioHardware::Find(AudioObjectID id) const
{
    for (const FakeDevice& d : m_devices) {
        if (d.id == id || d.id + kStreamOffset == id) {
            return &d;
        }
    }
    return nullptr;
}

bool FakeAudioHardware::Cycle(uint32_t frames, float value)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_running || m_proc == nullptr) {
        return false;
    }
    std::vector<float> samples(static_cast<size_t>(frames) * 2, value);
    AudioBuffer buffer{2, static_cast<uint32_t>(samples.size() * sizeof(float)), samples.data()};
    AudioBufferList list{1, &buffer};
    m_proc(m_devices.front().id, &list, nullptr, m_procData);
    return true;
}

void FakeAudioHardware::Unplug()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_devices.front().alive = false;
    auto it = m_listeners.find(AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive);
    if (it != m_listeners.end()) {
        it->second.first(m_devices.front().id, it->first, it->second.second);
    }
}

bool FakeAudioHardware::IsRunning()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_running;
}

int32_t FakeAudioHardware::HogOwner()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_hog;
}

OSStatus FakeAudioHardware::GetDevices(std::vector<AudioObjectID>& devices)
{
    if (failDeviceList) {
        return kAudioHardwareUnspecifiedError;
    }
    devices.clear();
    for (const FakeDevice& d : m_devices) {
        devices.push_back(d.id);
    }
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetDeviceIsAlive(AudioObjectID device, uint32_t& alive)
{
    const FakeDevice* d = Find(device);
    if (d == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    alive = d->alive ? 1 : 0;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetName(AudioObjectID device, std::string& name)
{
    const FakeDevice* d = Find(device);
    if (d == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    name = d->name;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetDeviceUID(AudioObjectID device, std::string& uid)
{
    if (Find(device) == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    uid = "uid-" + std::to_string(device);
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetModelUID(AudioObjectID device, std::string& uid)
{
    if (Find(device) == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    uid = "model";
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetStreams(AudioObjectID device, AudioScope scope,
                                       std::vector<AudioObjectID>& streams)
{
    const FakeDevice* d = Find(device);
    if (d == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    streams.clear();
    if (scope == AudioScope::Input && d->inputChannels > 0) {
        streams.push_back(device + kStreamOffset);
    }
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetStreamConfiguration(AudioObjectID device, AudioScope scope,
                                                   std::vector<uint32_t>& channelsPerBuffer)
{
    const FakeDevice* d = Find(device);
    if (d == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    channelsPerBuffer.clear();
    if (scope == AudioScope::Input) {
        channelsPerBuffer.push_back(d->inputChannels);
    }
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetHogMode(AudioObjectID, int32_t& pid)
{
    std::lock_guard<std::mutex> guard(m_lock);
    pid = m_hog;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::SetHogMode(AudioObjectID, int32_t pid)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_hog = pid;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetBufferFrameSize(AudioObjectID, uint32_t& frames)
{
    std::lock_guard<std::mutex> guard(m_lock);
    frames = m_bufferFrames;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::SetBufferFrameSize(AudioObjectID, uint32_t frames)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_bufferFrames = frames;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetBufferFrameSizeRange(AudioObjectID, AudioValueRange& range)
{
    range = {64, 8192};
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetPhysicalFormat(AudioObjectID, AudioStreamBasicDescription& format)
{
    std::lock_guard<std::mutex> guard(m_lock);
    format = m_format;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::SetPhysicalFormat(AudioObjectID, const AudioStreamBasicDescription& format)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_format = format;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::GetAvailablePhysicalFormats(AudioObjectID,
                                                        std::vector<AudioStreamRangedDescription>& formats)
{
    formats.clear();
    for (double rate : {44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0, 352800.0, 384000.0}) {
        formats.push_back(Format(rate, 24));
    }
    for (double rate : {176400.0, 352800.0, 705600.0}) {
        formats.push_back(Format(rate, 16));
    }
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::AddPropertyListener(AudioObjectID, AudioPropertySelector selector,
                                                AudioObjectPropertyListenerProc listener, void* clientData)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_listeners[selector] = {listener, clientData};
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::RemovePropertyListener(AudioObjectID, AudioPropertySelector selector,
                                                   AudioObjectPropertyListenerProc, void*)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_listeners.erase(selector);
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::CreateIOProcID(AudioObjectID, AudioDeviceIOProc proc, void* clientData,
                                           AudioDeviceIOProcID& procId)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_proc = proc;
    m_procData = clientData;
    procId = 1;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::DestroyIOProcID(AudioObjectID, AudioDeviceIOProcID)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_proc = nullptr;
    m_procData = nullptr;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::DeviceStart(AudioObjectID, AudioDeviceIOProcID)
{
    if (failStart) {
        return kAudioHardwareUnspecifiedError;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_running = true;
    return kAudioHardwareNoError;
}

OSStatus FakeAudioHardware::DeviceStop(AudioObjectID, AudioDeviceIOProcID)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_running = false;
    return kAudioHardwareNoError;
}

// ---------------------------------------------------------------------------

class FakeUsbInterface : public IUsbInterface {
public:
    explicit FakeUsbInterface(FakeUsbRegistry& registry) : m_registry(registry) {}
    IOReturn GetInterfaceNumber(uint8_t& number) override
    {
        number = 1;
        return kIOReturnSuccess;
    }
    IOReturn ControlRequest(UsbDeviceRequest& request) override
    {
        std::lock_guard<std::mutex> guard(m_registry.m_lock);
        m_registry.m_requests.push_back(request.wValue);
        return kIOReturnSuccess;
    }

private:
    FakeUsbRegistry& m_registry;
};

std::vector<uint16_t> FakeUsbRegistry::Requests()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

std::vector<IORegistryEntryID> FakeUsbRegistry::GetMatchingServices(const std::string& className)
{
    std::vector<IORegistryEntryID> entries;
    if (className == kIOAudioEngineClass) {
        for (const FakeDevice& d : m_hardware.Devices()) {
            entries.push_back(kEngineBase + d.id);
        }
    }
    return entries;
}

std::vector<IORegistryEntryID> FakeUsbRegistry::GetChildren(IORegistryEntryID entry, const std::string&)
{
    if (entry >= kEngineBase && entry < kStreamBase) {
        return {kStreamBase + (entry - kEngineBase)};
    }
    return {};
}

std::vector<IORegistryEntryID> FakeUsbRegistry::GetParents(IORegistryEntryID entry, const std::string&)
{
    if (entry >= kStreamBase && entry < kInterfaceBase) {
        return {kInterfaceBase + (entry - kStreamBase)};
    }
    return {};
}

bool FakeUsbRegistry::ConformsTo(IORegistryEntryID entry, const std::string& className)
{
    if (entry >= kInterfaceBase) {
        return className == kIOUSBInterfaceClass;
    }
    if (entry >= kStreamBase) {
        return className == kIOAudioStreamClass;
    }
    return className == kIOAudioEngineClass;
}

std::optional<std::string> FakeUsbRegistry::GetStringProperty(IORegistryEntryID entry, const std::string& key)
{
    if (entry >= kEngineBase && entry < kStreamBase && key == kIOAudioEngineGlobalUniqueIDKey) {
        return "uid-" + std::to_string(entry - kEngineBase);
    }
    return std::nullopt;
}

std::optional<int64_t> FakeUsbRegistry::GetNumberProperty(IORegistryEntryID entry, const std::string& key)
{
    if (entry >= kEngineBase && entry < kStreamBase) {
        for (const FakeDevice& d : m_hardware.Devices()) {
            if (kEngineBase + d.id == entry) {
                if (key == kUSBVendorID) {
                    return d.vid;
                }
                if (key == kUSBProductID) {
                    return d.pid;
                }
            }
        }
    }
    if (entry >= kStreamBase && entry < kInterfaceBase && key == kIOAudioStreamDirectionKey) {
        return 1;
    }
    return std::nullopt;
}

std::unique_ptr<IUsbInterface> FakeUsbRegistry::CreateInterface(IORegistryEntryID entry)
{
    if (entry < kInterfaceBase) {
        return nullptr;
    }
    return std::make_unique<FakeUsbInterface>(*this);
}
