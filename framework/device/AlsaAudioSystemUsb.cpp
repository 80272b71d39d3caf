// The ALSA back-end's USB registry and the DSD vendor request; see
// AlsaAudioSystem.h. Each device id d gives four registry entries: its audio
// engine, input stream, USB interface and USB device (4d to 4d + 3).
#include "device/AlsaAudioSystem.h"

#include "platform/Trace.h"

namespace {

enum EntryKind : IORegistryEntryID { kEngine = 0, kStream = 1, kInterface = 2, kUsbDevice = 3 };
constexpr IORegistryEntryID kKinds = 4;
constexpr IOReturn kIOReturnUnsupported = -536870201;
constexpr IOReturn kIOReturnBusy = -536870187;
constexpr const char* kInterfaceNumberKey = "bInterfaceNumber";

IORegistryEntryID Entry(AudioObjectID device, EntryKind kind)
{
    return static_cast<IORegistryEntryID>(device) * kKinds + kind;
}

AudioObjectID DeviceOf(IORegistryEntryID entry)
{
    return static_cast<AudioObjectID>(entry / kKinds);
}

EntryKind KindOf(IORegistryEntryID entry)
{
    return static_cast<EntryKind>(entry % kKinds);
}

// A card has an audio engine in the registry when it has USB identity.
bool HasEngine(const SoundCard& card)
{
    return card.hasCapture && (card.usb || card.pcmOnly);
}

bool HasUsbDevice(const SoundCard& card)
{
    return card.usb && !card.pcmOnly;
}

} // namespace

// The USB interface of a card's capture stream, reached through its device id.
class AlsaAudioSystem::CardUsbInterface : public IUsbInterface {
public:
    CardUsbInterface(AlsaAudioSystem& owner, AudioObjectID device) : m_owner(owner), m_device(device) {}

    IOReturn GetInterfaceNumber(uint8_t& number) override { return m_owner.InterfaceNumber(m_device, number); }
    IOReturn ControlRequest(UsbDeviceRequest& request) override { return m_owner.SendVendorRequest(m_device, request); }

private:
    AlsaAudioSystem& m_owner;
    AudioObjectID m_device;
};

std::vector<IORegistryEntryID> AlsaAudioSystem::GetMatchingServices(const std::string& className)
{
    std::lock_guard lock(m_mutex);
    std::vector<IORegistryEntryID> entries;
    for (const auto& [id, device] : m_devices) {
        if (!device.present || !HasEngine(device.card)) {
            continue;
        }
        if (className == kIOAudioEngineClass) {
            entries.push_back(Entry(id, kEngine));
        } else if (className == kIOAudioStreamClass) {
            entries.push_back(Entry(id, kStream));
        } else if (className == kIOUSBInterfaceClass) {
            entries.push_back(Entry(id, kInterface));
        } else if (className == kIOUSBDeviceClass && HasUsbDevice(device.card)) {
            entries.push_back(Entry(id, kUsbDevice));
        }
    }
    return entries;
}

std::vector<IORegistryEntryID> AlsaAudioSystem::GetChildren(IORegistryEntryID entry, const std::string& plane)
{
    if (plane != kIOServicePlane) {
        return {};
    }
    const AudioObjectID id = DeviceOf(entry);
    switch (KindOf(entry)) {
    case kUsbDevice:
        return {Entry(id, kInterface)};
    case kInterface:
        return {Entry(id, kEngine)};
    case kEngine:
        return {Entry(id, kStream)};
    default:
        return {};
    }
}

std::vector<IORegistryEntryID> AlsaAudioSystem::GetParents(IORegistryEntryID entry, const std::string& plane)
{
    if (plane != kIOServicePlane) {
        return {};
    }
    const AudioObjectID id = DeviceOf(entry);
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(id);
    if (found == nullptr) {
        return {};
    }
    switch (KindOf(entry)) {
    case kStream:
        return {Entry(id, kEngine), Entry(id, kInterface)};
    case kEngine:
        return {Entry(id, kInterface)};
    case kInterface:
        if (HasUsbDevice(found->card)) {
            return {Entry(id, kUsbDevice)};
        }
        return {};
    default:
        return {};
    }
}

bool AlsaAudioSystem::ConformsTo(IORegistryEntryID entry, const std::string& className)
{
    switch (KindOf(entry)) {
    case kEngine:
        return className == kIOAudioEngineClass;
    case kStream:
        return className == kIOAudioStreamClass;
    case kInterface:
        return className == kIOUSBInterfaceClass;
    case kUsbDevice:
        return className == kIOUSBDeviceClass;
    }
    return false;
}

std::optional<std::string> AlsaAudioSystem::GetStringProperty(IORegistryEntryID entry, const std::string& key)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(DeviceOf(entry));
    if (found == nullptr || !HasEngine(found->card)) {
        return std::nullopt;
    }
    if (KindOf(entry) == kEngine && key == kIOAudioEngineGlobalUniqueIDKey) {
        return found->card.uid;
    }
    if (KindOf(entry) == kUsbDevice && key == kUSBProductString && HasUsbDevice(found->card)) {
        return found->card.name;
    }
    return std::nullopt;
}

std::optional<int64_t> AlsaAudioSystem::GetNumberProperty(IORegistryEntryID entry, const std::string& key)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(DeviceOf(entry));
    if (found == nullptr || !HasEngine(found->card)) {
        return std::nullopt;
    }
    const SoundCard& card = found->card;
    const EntryKind kind = KindOf(entry);
    if ((kind == kEngine || (kind == kUsbDevice && HasUsbDevice(card))) && card.vid >= 0 && card.pid >= 0) {
        if (key == kUSBVendorID) {
            return card.vid;
        }
        if (key == kUSBProductID) {
            return card.pid;
        }
    }
    if (kind == kUsbDevice && key == kUSBDeviceReleaseNumber && HasUsbDevice(card) && card.firmware >= 0) {
        return card.firmware;
    }
    if (kind == kStream && key == kIOAudioStreamDirectionKey) {
        return 1; // input
    }
    if (kind == kInterface && key == kInterfaceNumberKey && card.interfaceNumber >= 0) {
        return card.interfaceNumber;
    }
    return std::nullopt;
}

std::unique_ptr<IUsbInterface> AlsaAudioSystem::CreateInterface(IORegistryEntryID entry)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(DeviceOf(entry));
    if (KindOf(entry) != kInterface || found == nullptr || !HasEngine(found->card)) {
        return nullptr;
    }
    return std::make_unique<CardUsbInterface>(*this, DeviceOf(entry));
}

IOReturn AlsaAudioSystem::InterfaceNumber(AudioObjectID id, uint8_t& number)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(id);
    if (found == nullptr) {
        return kIOReturnNoDevice;
    }
    if (found->card.pcmOnly) {
        number = 0;
        return kIOReturnSuccess;
    }
    if (found->card.interfaceNumber < 0 || found->card.interfaceNumber > 255) {
        return kIOReturnError;
    }
    number = static_cast<uint8_t>(found->card.interfaceNumber);
    return kIOReturnSuccess;
}

IOReturn AlsaAudioSystem::SendVendorRequest(AudioObjectID id, const UsbDeviceRequest& request)
{
    std::unique_lock lock(m_mutex);
    Device* found = FindPresentLocked(id);
    if (found == nullptr) {
        return kIOReturnNoDevice;
    }
    if (found->card.pcmOnly) {
        // A named PCM has no switch: it stays in PCM, and asking for PCM is
        // all it accepts.
        return request.wValue == 0 ? kIOReturnSuccess : kIOReturnUnsupported;
    }
    if (!m_options.usb) {
        return kIOReturnUnsupported;
    }
    if (found->runningProc != 0) {
        return kIOReturnBusy;
    }
    const int bus = found->card.busNumber;
    const int address = found->card.deviceAddress;
    // The stream is closed while the device switches (it may enumerate
    // again); DeviceStart opens it again if the reopen below cannot.
    const bool reopen = found->pcm != nullptr;
    found->pcm.reset();
    lock.unlock();

    IOReturn status = kIOReturnSuccess;
    std::unique_ptr<IUsbDeviceHandle> handle = m_options.usb->Open(bus, address, status);
    if (handle) {
        status = handle->ControlTransfer(request);
        handle.reset();
    }

    lock.lock();
    if (reopen) {
        ReopenLocked(lock, id);
    }
    return status;
}
