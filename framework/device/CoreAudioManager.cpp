// The device layer: enumeration with USB identity, exclusive opening with
// full undo on failure, formats, sample type, buffer size, the DSD vendor
// request and the IO procedure.
#include "device/CoreAudioManager.h"

#include <unistd.h>

#include "device/AudioFormatChoice.h"

namespace {

// Vendor request that switches DSD carriage: host to device, vendor, recipient interface.
constexpr uint8_t kDsdSwitchRequestType = 0x41;
constexpr uint8_t kDsdSwitchRequest = 0x00;
// IOAudioStreamDirection of an input stream.
constexpr int64_t kStreamDirectionInput = 1;

} // namespace

CoreAudioManager::CoreAudioManager(std::shared_ptr<IAudioHardware> hardware,
                                   std::shared_ptr<IUsbRegistry> usb)
    : m_hardware(std::move(hardware)), m_usb(std::move(usb))
{
}

CoreAudioManager::CoreAudioManager(const AudioBackend& backend)
    : CoreAudioManager(backend.hardware, backend.usb)
{
}

CoreAudioManager::~CoreAudioManager()
{
    if (m_running) {
        Stop();
    }
    if (HasDevice()) {
        ReleaseDevice();
    }
}

TkError CoreAudioManager::ConvertErrorCode(OSStatus status)
{
    switch (status) {
    case kAudioHardwareNoError:
        return TkErrorSuccess;
    case kAudioDeviceUnsupportedFormatError:
    case kAudioHardwareUnsupportedOperationError:
        return TkErrorNotSupported;
    case kAudioHardwareBadDeviceError:
    case kAudioHardwareBadObjectError:
    case kAudioHardwareBadStreamError:
        return TkErrorDeviceNotFound;
    default:
        return TkErrorFailed;
    }
}

TkError CoreAudioManager::GetAudioDevices(std::vector<FoundDeviceInfo>& devices)
{
    devices.clear();
    if (!m_hardware) {
        return TkErrorFailed;
    }
    std::vector<AudioObjectID> ids;
    const OSStatus status = m_hardware->GetDevices(ids);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    for (AudioObjectID id : ids) {
        uint32_t alive = 0;
        if (m_hardware->GetDeviceIsAlive(id, alive) != kAudioHardwareNoError || alive == 0) {
            continue;
        }
        FoundDeviceInfo info;
        info.deviceId = id;
        if (m_hardware->GetName(id, info.name) != kAudioHardwareNoError ||
            m_hardware->GetDeviceUID(id, info.uid) != kAudioHardwareNoError ||
            m_hardware->GetModelUID(id, info.modelUid) != kAudioHardwareNoError) {
            continue;
        }
        GetVidPid(info.uid, info.vid, info.pid);
        devices.push_back(std::move(info));
    }
    return TkErrorSuccess;
}

TkError CoreAudioManager::SetAudioDevice(const FoundDeviceInfo& device, IAudioDeviceNotify* notify)
{
    if (notify == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (HasDevice()) {
        return TkErrorInvalidState;
    }
    if (!m_hardware) {
        return TkErrorFailed;
    }
    const AudioObjectID id = device.deviceId;

    std::vector<AudioObjectID> streams;
    OSStatus status = m_hardware->GetStreams(id, AudioScope::Input, streams);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    if (streams.empty()) {
        return TkErrorNotSupported;
    }
    status = m_hardware->SetHogMode(id, static_cast<int32_t>(getpid()));
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }

    // From here on every failure undoes what was done.
    TkError result = TkErrorSuccess;
    do {
        status = m_hardware->GetBufferFrameSize(id, m_initialBufferSize);
        if (status != kAudioHardwareNoError) {
            result = ConvertErrorCode(status);
            break;
        }
        m_bufferSize = m_initialBufferSize;

        status = m_hardware->GetPhysicalFormat(streams.front(), m_initialFormat);
        if (status != kAudioHardwareNoError) {
            result = ConvertErrorCode(status);
            break;
        }
        m_currentFormat = m_initialFormat;

        status = m_hardware->GetAvailablePhysicalFormats(streams.front(), m_availableFormats);
        if (status != kAudioHardwareNoError) {
            result = ConvertErrorCode(status);
            break;
        }

        if ((device.flags & DeviceFlagVendorDsdSwitch) != 0) {
            m_usbInterface = SearchInterface(device.uid);
            if (!m_usbInterface) {
                result = TkErrorFailed;
                break;
            }
            // The device starts in PCM.
            result = SetDSDMethod(false);
            if (result != TkErrorSuccess) {
                break;
            }
        }

        // The notify target is in place before any callback can reach it.
        m_notify = notify;
        m_deviceAlive = true;
        status = m_hardware->CreateIOProcID(id, &CoreAudioManager::IOProcThunk, this, m_ioProcId);
        if (status != kAudioHardwareNoError) {
            m_ioProcId = 0;
            result = ConvertErrorCode(status);
            break;
        }
        status = m_hardware->AddPropertyListener(id, AudioPropertySelector::kAudioDeviceProcessorOverload,
                                                 &CoreAudioManager::ListenerThunk, this);
        if (status != kAudioHardwareNoError) {
            result = ConvertErrorCode(status);
            break;
        }
        m_overloadListener = true;
        status = m_hardware->AddPropertyListener(id, AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive,
                                                 &CoreAudioManager::ListenerThunk, this);
        if (status != kAudioHardwareNoError) {
            result = ConvertErrorCode(status);
            break;
        }
        m_aliveListener = true;
    } while (false);

    if (result != TkErrorSuccess) {
        UndoOpen(id);
        return result;
    }
    m_deviceId = id;
    m_device = device;
    m_sampleType = kSampleTypePcm;
    m_running = false;
    return TkErrorSuccess;
}

void CoreAudioManager::RemoveListeners(AudioObjectID device)
{
    if (m_overloadListener) {
        m_hardware->RemovePropertyListener(device, AudioPropertySelector::kAudioDeviceProcessorOverload,
                                           &CoreAudioManager::ListenerThunk, this);
        m_overloadListener = false;
    }
    if (m_aliveListener) {
        m_hardware->RemovePropertyListener(device, AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive,
                                           &CoreAudioManager::ListenerThunk, this);
        m_aliveListener = false;
    }
}

void CoreAudioManager::UndoOpen(AudioObjectID device)
{
    RemoveListeners(device);
    if (m_ioProcId != 0) {
        m_hardware->DestroyIOProcID(device, m_ioProcId);
        m_ioProcId = 0;
    }
    m_usbInterface.reset();
    m_hardware->SetHogMode(device, -1);
    m_notify = nullptr;
    m_availableFormats.clear();
    m_initialFormat = {};
    m_currentFormat = {};
    m_initialBufferSize = 0;
    m_bufferSize = 0;
}

TkError CoreAudioManager::ReleaseDevice()
{
    if (!HasDevice() || m_running) {
        return TkErrorInvalidState;
    }
    const AudioObjectID id = m_deviceId;
    RemoveListeners(id);
    if (m_ioProcId != 0) {
        m_hardware->DestroyIOProcID(id, m_ioProcId);
        m_ioProcId = 0;
    }
    if (m_usbInterface) {
        SetDSDMethod(false);
        m_usbInterface.reset();
    }
    std::vector<AudioObjectID> streams;
    if (m_hardware->GetStreams(id, AudioScope::Input, streams) == kAudioHardwareNoError &&
        !streams.empty()) {
        m_hardware->SetPhysicalFormat(streams.front(), m_initialFormat);
    }
    m_hardware->SetBufferFrameSize(id, m_initialBufferSize);
    m_hardware->SetHogMode(id, -1);

    m_deviceId = kAudioObjectUnknown;
    m_device = FoundDeviceInfo{};
    m_notify = nullptr;
    m_availableFormats.clear();
    m_initialFormat = {};
    m_currentFormat = {};
    m_initialBufferSize = 0;
    m_bufferSize = 0;
    m_sampleType = kSampleTypePcm;
    return TkErrorSuccess;
}

TkError CoreAudioManager::GetChannels(uint16_t& inputChannels, uint16_t& outputChannels)
{
    inputChannels = 0;
    outputChannels = 0;
    if (!HasDevice()) {
        return TkErrorInvalidState;
    }
    uint32_t counts[2] = {0, 0};
    const AudioScope scopes[2] = {AudioScope::Input, AudioScope::Output};
    for (int i = 0; i < 2; ++i) {
        std::vector<uint32_t> shape;
        const OSStatus status = m_hardware->GetStreamConfiguration(m_deviceId, scopes[i], shape);
        if (status != kAudioHardwareNoError) {
            return ConvertErrorCode(status);
        }
        for (uint32_t channels : shape) {
            counts[i] += channels;
        }
    }
    inputChannels = static_cast<uint16_t>(counts[0]);
    outputChannels = static_cast<uint16_t>(counts[1]);
    return TkErrorSuccess;
}

TkError CoreAudioManager::GetBits(uint16_t& supportedBits, uint16_t& recordBits)
{
    if (!HasDevice()) {
        return TkErrorInvalidState;
    }
    const AudioStreamRangedDescription* best = nullptr;
    for (const auto& format : m_availableFormats) {
        if (IsIntegerLinearPcm(format.mFormat)) {
            best = CompareASRD(best, &format, 32);
        }
    }
    if (best == nullptr) {
        return TkErrorNotSupported;
    }
    const AudioStreamBasicDescription& f = best->mFormat;
    supportedBits = static_cast<uint16_t>(f.mBitsPerChannel);
    // A description without channels has no container size; its bits stand in.
    recordBits = f.mChannelsPerFrame != 0
                     ? static_cast<uint16_t>(f.mBytesPerFrame / f.mChannelsPerFrame * 8)
                     : static_cast<uint16_t>(f.mBitsPerChannel);
    return TkErrorSuccess;
}

const AudioStreamRangedDescription* CoreAudioManager::FindFormat(double rate) const
{
    if (m_sampleType == kSampleTypePcm) {
        return SearchASRD(m_availableFormats, rate, 32);
    }
    if (m_sampleType == kSampleTypeDsd) {
        const AudioStreamRangedDescription* found = SearchASRD(m_availableFormats, rate / kDsdWordBits, kDsdWordBits);
        if (found != nullptr && found->mFormat.mBitsPerChannel == kDsdWordBits) {
            return found;
        }
    }
    return nullptr;
}

TkError CoreAudioManager::CanSampleRate(double rate)
{
    if (!HasDevice()) {
        return TkErrorInvalidState;
    }
    if (m_sampleType != kSampleTypePcm && m_sampleType != kSampleTypeDsd) {
        return TkErrorFailed;
    }
    return FindFormat(rate) != nullptr ? TkErrorSuccess : TkErrorNotSupported;
}

TkError CoreAudioManager::GetSampleRate(double& rate)
{
    if (!HasDevice()) {
        return TkErrorInvalidState;
    }
    if (m_sampleType == kSampleTypePcm) {
        rate = m_currentFormat.mSampleRate;
        return TkErrorSuccess;
    }
    if (m_sampleType == kSampleTypeDsd) {
        rate = m_currentFormat.mSampleRate * kDsdWordBits;
        return TkErrorSuccess;
    }
    return TkErrorFailed;
}

TkError CoreAudioManager::SetSampleRate(double rate)
{
    if (!HasDevice() || m_running) {
        return TkErrorInvalidState;
    }
    const AudioStreamRangedDescription* found = FindFormat(rate);
    if (found == nullptr) {
        return TkErrorNotSupported;
    }
    std::vector<AudioObjectID> streams;
    const OSStatus status = m_hardware->GetStreams(m_deviceId, AudioScope::Input, streams);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    if (streams.empty()) {
        return TkErrorFailed;
    }
    AudioStreamBasicDescription format = found->mFormat;
    format.mSampleRate = m_sampleType == kSampleTypeDsd ? rate / kDsdWordBits : rate;
    const OSStatus setStatus = m_hardware->SetPhysicalFormat(streams.front(), format);
    if (setStatus != kAudioHardwareNoError) {
        return ConvertErrorCode(setStatus);
    }
    m_currentFormat = format;
    return TkErrorSuccess;
}

TkError CoreAudioManager::GetSampleType(int64_t& type)
{
    if (!HasDevice()) {
        return TkErrorInvalidState;
    }
    type = m_sampleType;
    return TkErrorSuccess;
}

TkError CoreAudioManager::SetSampleType(int64_t type)
{
    if (!HasDevice() || m_running) {
        return TkErrorInvalidState;
    }
    if (type != kSampleTypePcm && type != kSampleTypeDsd) {
        return TkErrorNotSupported;
    }
    if (type == kSampleTypeDsd && !m_usbInterface) {
        return TkErrorNotSupported;
    }
    if (m_usbInterface) {
        const TkError result = SetDSDMethod(type == kSampleTypeDsd);
        if (result != TkErrorSuccess) {
            return result;
        }
    }
    m_sampleType = type;
    return TkErrorSuccess;
}

TkError CoreAudioManager::GetBufferSize(uint32_t& frames)
{
    if (!HasDevice()) {
        return TkErrorInvalidState;
    }
    frames = m_bufferSize;
    return TkErrorSuccess;
}

TkError CoreAudioManager::SetBufferSize(uint32_t& frames)
{
    if (!HasDevice() || m_running) {
        return TkErrorInvalidState;
    }
    AudioValueRange range;
    OSStatus status = m_hardware->GetBufferFrameSizeRange(m_deviceId, range);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    uint32_t request = frames;
    if (request < range.mMinimum) {
        request = static_cast<uint32_t>(range.mMinimum);
    }
    if (request > range.mMaximum) {
        request = static_cast<uint32_t>(range.mMaximum);
    }
    status = m_hardware->SetBufferFrameSize(m_deviceId, request);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    uint32_t actual = 0;
    status = m_hardware->GetBufferFrameSize(m_deviceId, actual);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    frames = actual;
    m_bufferSize = actual;
    return TkErrorSuccess;
}

TkError CoreAudioManager::Start()
{
    if (!HasDevice() || m_running) {
        return TkErrorInvalidState;
    }
    const OSStatus status = m_hardware->DeviceStart(m_deviceId, m_ioProcId);
    if (status != kAudioHardwareNoError) {
        return ConvertErrorCode(status);
    }
    m_running = true;
    return TkErrorSuccess;
}

TkError CoreAudioManager::Stop()
{
    if (!HasDevice() || !m_running) {
        return TkErrorInvalidState;
    }
    m_running = false;
    return ConvertErrorCode(m_hardware->DeviceStop(m_deviceId, m_ioProcId));
}

TkError CoreAudioManager::SetDSDMethod(bool dsd)
{
    if (!m_usbInterface) {
        return TkErrorNotSupported;
    }
    uint8_t number = 0;
    IOReturn status = m_usbInterface->GetInterfaceNumber(number);
    if (status == kIOReturnNoDevice) {
        return TkErrorDeviceNotFound;
    }
    if (status != kIOReturnSuccess) {
        return TkErrorFailed;
    }
    UsbDeviceRequest request;
    request.bmRequestType = kDsdSwitchRequestType;
    request.bRequest = kDsdSwitchRequest;
    request.wValue = dsd ? 1 : 0;
    request.wIndex = number;
    request.wLength = 0;
    request.pData = nullptr;
    status = m_usbInterface->ControlRequest(request);
    if (status == kIOReturnNoDevice) {
        return TkErrorDeviceNotFound;
    }
    if (status != kIOReturnSuccess) {
        return TkErrorFailed;
    }
    return TkErrorSuccess;
}

void CoreAudioManager::GetVidPid(const std::string& uid, int32_t& vid, int32_t& pid)
{
    vid = -1;
    pid = -1;
    if (!m_usb) {
        return;
    }
    for (IORegistryEntryID entry : m_usb->GetMatchingServices(kIOAudioEngineClass)) {
        const auto entryUid = m_usb->GetStringProperty(entry, kIOAudioEngineGlobalUniqueIDKey);
        const auto entryVid = m_usb->GetNumberProperty(entry, kUSBVendorID);
        const auto entryPid = m_usb->GetNumberProperty(entry, kUSBProductID);
        if (!entryUid || !entryVid || !entryPid) {
            continue;
        }
        if (*entryUid == uid) {
            vid = static_cast<int32_t>(*entryVid);
            pid = static_cast<int32_t>(*entryPid);
            return;
        }
    }
}

IORegistryEntryID CoreAudioManager::FindAudioEngine(const std::string& uid)
{
    for (IORegistryEntryID entry : m_usb->GetMatchingServices(kIOAudioEngineClass)) {
        const auto entryUid = m_usb->GetStringProperty(entry, kIOAudioEngineGlobalUniqueIDKey);
        if (entryUid && *entryUid == uid) {
            return entry;
        }
    }
    return 0;
}

std::unique_ptr<IUsbInterface> CoreAudioManager::SearchInterface(const std::string& uid)
{
    if (!m_usb) {
        return nullptr;
    }
    const IORegistryEntryID engine = FindAudioEngine(uid);
    if (engine == 0) {
        return nullptr;
    }
    IORegistryEntryID inputStream = 0;
    for (IORegistryEntryID child : m_usb->GetChildren(engine, kIOServicePlane)) {
        if (!m_usb->ConformsTo(child, kIOAudioStreamClass)) {
            continue;
        }
        const auto direction = m_usb->GetNumberProperty(child, kIOAudioStreamDirectionKey);
        if (direction && *direction == kStreamDirectionInput) {
            inputStream = child;
            break;
        }
    }
    if (inputStream == 0) {
        return nullptr;
    }
    for (IORegistryEntryID parent : m_usb->GetParents(inputStream, kIOServicePlane)) {
        if (m_usb->ConformsTo(parent, kIOUSBInterfaceClass)) {
            return m_usb->CreateInterface(parent);
        }
    }
    return nullptr;
}

OSStatus CoreAudioManager::IOProcThunk(AudioObjectID, const AudioBufferList* input,
                                       AudioBufferList* output, void* clientData)
{
    auto* self = static_cast<CoreAudioManager*>(clientData);
    if (self != nullptr && self->m_notify != nullptr) {
        self->m_notify->AudioDevice_IOProc(input, output);
    }
    return kAudioHardwareNoError;
}

OSStatus CoreAudioManager::ListenerThunk(AudioObjectID object, AudioPropertySelector selector,
                                         void* clientData)
{
    auto* self = static_cast<CoreAudioManager*>(clientData);
    if (self == nullptr || self->m_notify == nullptr) {
        return kAudioHardwareNoError;
    }
    switch (selector) {
    case AudioPropertySelector::kAudioDeviceProcessorOverload:
        self->m_notify->AudioDevice_ProcessorOverload();
        break;
    case AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive: {
        // The listener tells of any change; the new state tells whether the
        // device went away or came back.
        uint32_t alive = 0;
        self->m_deviceAlive = self->m_hardware->GetDeviceIsAlive(object, alive) == kAudioHardwareNoError && alive != 0;
        self->m_notify->AudioDevice_DeviceIsAliveChanged();
        break;
    }
        break;
    }
    return kAudioHardwareNoError;
}
