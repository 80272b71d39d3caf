// The simulated turntable: device properties, hog mode, listeners, the IO
// thread, and its entries in the USB registry with the vendor request.
#include "device/SimulatedTurntable.h"

#include <algorithm>
#include <chrono>

#include "device/DemoAlbumSource.h"
#include "device/SimSignalGenerator.h"
#include "device/TurntableIdentity.h"

namespace {

constexpr double kPcmRates[] = {44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000};
constexpr double kDsdCarriageRates[] = {176400, 352800, 705600};
constexpr uint32_t kChannels = 2;

// Registry entries of the simulated device.
constexpr IORegistryEntryID kEngineEntry = 1;
constexpr IORegistryEntryID kInputStreamEntry = 2;
constexpr IORegistryEntryID kInterfaceEntry = 3;
constexpr IORegistryEntryID kUsbDeviceEntry = 4;

constexpr uint8_t kVendorRequestType = 0x41;
constexpr uint8_t kDsdSwitchRequest = 0x00;

AudioStreamRangedDescription IntegerFormat(double rate, uint32_t bits)
{
    AudioStreamRangedDescription d;
    d.mFormat.mSampleRate = rate;
    d.mFormat.mFormatID = kAudioFormatLinearPCM;
    const uint32_t bytes = bits == 24 ? 4 : bits / 8; // 24 bits sit high in 32-bit containers
    d.mFormat.mFormatFlags = kAudioFormatFlagIsSignedInteger |
                             (bits == 24 ? kAudioFormatFlagIsAlignedHigh : kAudioFormatFlagIsPacked);
    d.mFormat.mBytesPerPacket = bytes * kChannels;
    d.mFormat.mFramesPerPacket = 1;
    d.mFormat.mBytesPerFrame = bytes * kChannels;
    d.mFormat.mChannelsPerFrame = kChannels;
    d.mFormat.mBitsPerChannel = bits;
    d.mSampleRateRange = {rate, rate};
    return d;
}

std::vector<AudioStreamRangedDescription> AvailableFormats()
{
    std::vector<AudioStreamRangedDescription> formats;
    for (double rate : kPcmRates) {
        formats.push_back(IntegerFormat(rate, 24));
    }
    for (double rate : kDsdCarriageRates) {
        formats.push_back(IntegerFormat(rate, 16));
    }
    return formats;
}

bool SameLayout(const AudioStreamBasicDescription& a, const AudioStreamBasicDescription& b)
{
    return a.mFormatID == b.mFormatID && a.mFormatFlags == b.mFormatFlags &&
           a.mBytesPerFrame == b.mBytesPerFrame && a.mChannelsPerFrame == b.mChannelsPerFrame &&
           a.mBitsPerChannel == b.mBitsPerChannel;
}

bool IsDsdCarriageFormat(const AudioStreamBasicDescription& format)
{
    return format.mBitsPerChannel == 16 &&
           std::find(std::begin(kDsdCarriageRates), std::end(kDsdCarriageRates), format.mSampleRate) !=
               std::end(kDsdCarriageRates);
}

} // namespace

// The opened USB interface; it reaches the device through its owner.
class SimulatedTurntable::SimUsbInterface : public IUsbInterface {
public:
    explicit SimUsbInterface(SimulatedTurntable& owner) : m_owner(owner) {}

    IOReturn GetInterfaceNumber(uint8_t& number) override
    {
        std::lock_guard lock(m_owner.m_mutex);
        if (!m_owner.m_alive) {
            return kIOReturnNoDevice;
        }
        if (const IOReturn failure = m_owner.Failure(SimOperation::GetInterfaceNumber)) {
            return failure;
        }
        number = kAudioInterfaceNumber;
        return kIOReturnSuccess;
    }

    IOReturn ControlRequest(UsbDeviceRequest& request) override { return m_owner.HandleControlRequest(request); }

private:
    SimulatedTurntable& m_owner;
};

SimulatedTurntable::SimulatedTurntable(SimulatorOptions options)
    : m_source(options.source ? options.source : std::make_shared<DemoAlbumSource>()),
      m_format(IntegerFormat(44100, 24).mFormat), m_speed(options.speed), m_dropAtSeconds(options.dropAtSeconds),
      m_dropFrames(options.dropFrames)
{
}

SimulatedTurntable::~SimulatedTurntable()
{
    std::unique_lock lock(m_mutex);
    StopIoThread(lock);
}

bool SimulatedTurntable::IsDevice(AudioObjectID device) const { return device == kDeviceId && m_alive; }

OSStatus SimulatedTurntable::Failure(SimOperation operation) const
{
    const auto it = m_failures.find(operation);
    return it == m_failures.end() ? 0 : it->second;
}

// --- Device list and identity ---

OSStatus SimulatedTurntable::GetDevices(std::vector<AudioObjectID>& devices)
{
    std::lock_guard lock(m_mutex);
    devices.clear();
    if (m_alive) {
        devices.push_back(kDeviceId);
    }
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetDeviceIsAlive(AudioObjectID device, uint32_t& alive)
{
    std::lock_guard lock(m_mutex);
    if (device != kDeviceId) {
        return kAudioHardwareBadObjectError;
    }
    alive = m_alive ? 1 : 0;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetName(AudioObjectID device, std::string& name)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    name = kTurntableName;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetDeviceUID(AudioObjectID device, std::string& uid)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    uid = kDeviceUid;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetModelUID(AudioObjectID device, std::string& uid)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    uid = kModelUid;
    return kAudioHardwareNoError;
}

// --- Streams and formats ---

OSStatus SimulatedTurntable::GetStreams(AudioObjectID device, AudioScope scope,
                                        std::vector<AudioObjectID>& streams)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    if (const OSStatus failure = Failure(SimOperation::GetStreams)) {
        return failure;
    }
    streams.clear();
    if (scope == AudioScope::Input) {
        streams.push_back(kInputStreamId);
    }
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetStreamConfiguration(AudioObjectID device, AudioScope scope,
                                                    std::vector<uint32_t>& channelsPerBuffer)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    channelsPerBuffer.clear();
    if (scope == AudioScope::Input) {
        channelsPerBuffer.push_back(kChannels);
    }
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetPhysicalFormat(AudioObjectID stream, AudioStreamBasicDescription& format)
{
    std::lock_guard lock(m_mutex);
    if (stream != kInputStreamId || !m_alive) {
        return kAudioHardwareBadStreamError;
    }
    format = m_format;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::SetPhysicalFormat(AudioObjectID stream, const AudioStreamBasicDescription& format)
{
    std::lock_guard lock(m_mutex);
    if (stream != kInputStreamId || !m_alive) {
        return kAudioHardwareBadStreamError;
    }
    if (const OSStatus failure = Failure(SimOperation::SetPhysicalFormat)) {
        return failure;
    }
    if (m_runningProc != 0) {
        return kAudioHardwareIllegalOperationError;
    }
    for (const auto& available : AvailableFormats()) {
        if (SameLayout(available.mFormat, format) && available.mFormat.mSampleRate == format.mSampleRate) {
            m_format = available.mFormat;
            return kAudioHardwareNoError;
        }
    }
    return kAudioDeviceUnsupportedFormatError;
}

OSStatus SimulatedTurntable::GetAvailablePhysicalFormats(AudioObjectID stream,
                                                         std::vector<AudioStreamRangedDescription>& formats)
{
    std::lock_guard lock(m_mutex);
    if (stream != kInputStreamId || !m_alive) {
        return kAudioHardwareBadStreamError;
    }
    formats = AvailableFormats();
    return kAudioHardwareNoError;
}

// --- Hog mode and buffer size ---

OSStatus SimulatedTurntable::GetHogMode(AudioObjectID device, int32_t& pid)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    pid = m_hogOwner;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::SetHogMode(AudioObjectID device, int32_t pid)
{
    std::lock_guard lock(m_mutex);
    if (device != kDeviceId) {
        return kAudioHardwareBadObjectError;
    }
    // Releasing always works, also on an unplugged device, so that clean-up completes.
    if (pid == -1) {
        m_hogOwner = -1;
        return kAudioHardwareNoError;
    }
    if (!m_alive) {
        return kAudioHardwareBadDeviceError;
    }
    if (const OSStatus failure = Failure(SimOperation::SetHogMode)) {
        return failure;
    }
    // One owner at a time, also within one process.
    if (m_hogOwner != -1) {
        return kAudioDevicePermissionsError;
    }
    m_hogOwner = pid;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetBufferFrameSize(AudioObjectID device, uint32_t& frames)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    if (const OSStatus failure = Failure(SimOperation::GetBufferFrameSize)) {
        return failure;
    }
    frames = m_bufferFrames;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::SetBufferFrameSize(AudioObjectID device, uint32_t frames)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    if (const OSStatus failure = Failure(SimOperation::SetBufferFrameSize)) {
        return failure;
    }
    if (m_runningProc != 0) {
        return kAudioHardwareIllegalOperationError;
    }
    if (frames < kMinBufferFrames || frames > kMaxBufferFrames) {
        return kAudioHardwareIllegalOperationError;
    }
    m_bufferFrames = frames;
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::GetBufferFrameSizeRange(AudioObjectID device, AudioValueRange& range)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    range = {static_cast<double>(kMinBufferFrames), static_cast<double>(kMaxBufferFrames)};
    return kAudioHardwareNoError;
}

// --- Listeners ---

OSStatus SimulatedTurntable::AddPropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                                 AudioObjectPropertyListenerProc listener, void* clientData)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(object)) {
        return kAudioHardwareBadDeviceError;
    }
    if (listener == nullptr) {
        return kAudioHardwareIllegalOperationError;
    }
    if (const OSStatus failure = Failure(SimOperation::AddPropertyListener)) {
        return failure;
    }
    m_listeners.push_back({selector, listener, clientData});
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::RemovePropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                                    AudioObjectPropertyListenerProc listener, void* clientData)
{
    // Waits for a listener call in progress, so none runs after removal.
    std::lock_guard callLock(m_listenerCallMutex);
    std::lock_guard lock(m_mutex);
    if (object != kDeviceId) {
        return kAudioHardwareBadObjectError;
    }
    const auto it = std::find_if(m_listeners.begin(), m_listeners.end(), [&](const Listener& l) {
        return l.selector == selector && l.proc == listener && l.clientData == clientData;
    });
    if (it == m_listeners.end()) {
        return kAudioHardwareIllegalOperationError;
    }
    m_listeners.erase(it);
    return kAudioHardwareNoError;
}

void SimulatedTurntable::CallListeners(AudioPropertySelector selector)
{
    std::lock_guard callLock(m_listenerCallMutex);
    std::vector<Listener> listeners;
    {
        std::lock_guard lock(m_mutex);
        listeners = m_listeners;
    }
    for (const Listener& l : listeners) {
        if (l.selector == selector) {
            l.proc(kDeviceId, selector, l.clientData);
        }
    }
}

// --- IO procedure ---

OSStatus SimulatedTurntable::CreateIOProcID(AudioObjectID device, AudioDeviceIOProc proc, void* clientData,
                                            AudioDeviceIOProcID& procId)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    if (proc == nullptr) {
        return kAudioHardwareIllegalOperationError;
    }
    if (const OSStatus failure = Failure(SimOperation::CreateIOProcID)) {
        return failure;
    }
    procId = m_nextIoProcId++;
    m_ioProcs[procId] = {proc, clientData};
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::DestroyIOProcID(AudioObjectID device, AudioDeviceIOProcID procId)
{
    std::unique_lock lock(m_mutex);
    if (device != kDeviceId) {
        return kAudioHardwareBadObjectError;
    }
    if (m_ioProcs.count(procId) == 0) {
        return kAudioHardwareBadObjectError;
    }
    if (m_runningProc == procId) {
        StopIoThread(lock);
    }
    m_ioProcs.erase(procId);
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::DeviceStart(AudioObjectID device, AudioDeviceIOProcID procId)
{
    std::lock_guard lock(m_mutex);
    if (!IsDevice(device)) {
        return kAudioHardwareBadDeviceError;
    }
    const auto it = m_ioProcs.find(procId);
    if (it == m_ioProcs.end()) {
        return kAudioHardwareBadObjectError;
    }
    if (const OSStatus failure = Failure(SimOperation::DeviceStart)) {
        return failure;
    }
    if (m_runningProc == procId) {
        return kAudioHardwareNoError;
    }
    if (m_runningProc != 0) {
        return kAudioHardwareIllegalOperationError;
    }
    m_runningProc = procId;
    m_stopRequested = false;
    m_deliveredFrames = 0;
    m_deliveredCycles = 0;
    m_ioThread = std::thread(&SimulatedTurntable::IoThread, this, it->second.proc, it->second.clientData);
    return kAudioHardwareNoError;
}

OSStatus SimulatedTurntable::DeviceStop(AudioObjectID device, AudioDeviceIOProcID procId)
{
    std::unique_lock lock(m_mutex);
    if (device != kDeviceId) {
        return kAudioHardwareBadObjectError;
    }
    if (m_ioProcs.count(procId) == 0) {
        return kAudioHardwareBadObjectError;
    }
    if (m_runningProc == procId) {
        StopIoThread(lock);
    }
    return kAudioHardwareNoError;
}

void SimulatedTurntable::StopIoThread(std::unique_lock<std::mutex>& lock)
{
    if (!m_ioThread.joinable()) {
        m_runningProc = 0;
        return;
    }
    m_stopRequested = true;
    m_wake.notify_all();
    std::thread thread = std::move(m_ioThread);
    if (thread.get_id() == std::this_thread::get_id()) {
        // Stopped from inside the IO procedure: the loop ends on its own.
        thread.detach();
    } else {
        lock.unlock();
        thread.join();
        lock.lock();
    }
    m_runningProc = 0;
}

void SimulatedTurntable::IoThread(AudioDeviceIOProc proc, void* clientData)
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    const SimDeliveryFormat format{m_format.mSampleRate, m_format.mBitsPerChannel,
                                   m_dsdCarriage && IsDsdCarriageFormat(m_format)};
    const uint32_t frames = m_bufferFrames;
    lock.unlock();

    SimSignalGenerator generator(m_source, format);
    std::vector<float> samples(static_cast<size_t>(frames) * kChannels);
    AudioBuffer inputBuffer{kChannels, static_cast<uint32_t>(samples.size() * sizeof(float)), samples.data()};
    AudioBufferList input{1, &inputBuffer};
    AudioBufferList output{0, nullptr};
    const double cycleSeconds = frames / format.rate;

    // Cycles are paced against a base point that moves when the speed
    // changes or the thread falls hopelessly behind.
    Clock::time_point base = Clock::now();
    uint64_t cyclesSinceBase = 0;
    double speed = 0;
    // The planned overrun: the frames of the record from dropAt on are skipped.
    const uint64_t dropAt = static_cast<uint64_t>(m_dropAtSeconds * format.rate);
    bool dropped = m_dropFrames == 0;
    uint64_t played = 0;

    lock.lock();
    while (!m_stopRequested) {
        if (!m_alive) {
            // Unplugged: no more cycles until stopped.
            m_wake.wait(lock, [this] { return m_stopRequested; });
            break;
        }
        if (m_speed != speed) {
            speed = m_speed;
            base = Clock::now();
            cyclesSinceBase = 0;
        }
        lock.unlock();

        if (!dropped && played >= dropAt) {
            for (uint64_t skipped = 0; skipped < m_dropFrames; skipped += frames) {
                generator.Next(static_cast<size_t>(std::min<uint64_t>(frames, m_dropFrames - skipped)), samples.data());
            }
            played += m_dropFrames;
            m_droppedInput += m_dropFrames;
            dropped = true;
            // Before the next cycle, as a device reports an overrun.
            CallListeners(AudioPropertySelector::kAudioDevicePropertyInputDropped);
        }
        generator.Next(frames, samples.data());
        played += frames;
        proc(kDeviceId, &input, &output, clientData);
        m_deliveredFrames += frames;
        m_deliveredCycles += 1;
        ++cyclesSinceBase;

        bool overloaded = false;
        lock.lock();
        if (speed > 0) {
            const auto due = base + std::chrono::duration_cast<Clock::duration>(
                                        std::chrono::duration<double>(cyclesSinceBase * cycleSeconds / speed));
            if (Clock::now() - due > std::chrono::duration<double>(4 * cycleSeconds / speed)) {
                overloaded = true;
                base = Clock::now();
                cyclesSinceBase = 0;
            } else {
                m_wake.wait_until(lock, due, [this] { return m_stopRequested; });
            }
        }
        if (overloaded) {
            lock.unlock();
            CallListeners(AudioPropertySelector::kAudioDeviceProcessorOverload);
            lock.lock();
        }
    }
}

// --- Test controls ---

void SimulatedTurntable::Unplug()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_alive) {
            return;
        }
        m_alive = false;
        m_dsdCarriage = false;
        m_wake.notify_all();
    }
    CallListeners(AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive);
}

void SimulatedTurntable::Replug()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_alive) {
            return;
        }
        m_alive = true;
    }
    CallListeners(AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive);
}

OSStatus SimulatedTurntable::TakeDroppedInputFrames(AudioObjectID device, uint64_t& frames)
{
    if (device != kDeviceId) {
        return kAudioHardwareBadDeviceError;
    }
    frames = m_droppedInput.exchange(0);
    return kAudioHardwareNoError;
}

void SimulatedTurntable::TriggerProcessorOverload()
{
    CallListeners(AudioPropertySelector::kAudioDeviceProcessorOverload);
}

void SimulatedTurntable::InjectFailure(SimOperation operation, int32_t status)
{
    std::lock_guard lock(m_mutex);
    m_failures[operation] = status;
}

void SimulatedTurntable::ClearFailures()
{
    std::lock_guard lock(m_mutex);
    m_failures.clear();
}

void SimulatedTurntable::SetSpeed(double speed)
{
    std::lock_guard lock(m_mutex);
    m_speed = speed;
    m_wake.notify_all();
}

std::vector<UsbDeviceRequest> SimulatedTurntable::ReceivedRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool SimulatedTurntable::IsDsdCarriage() const
{
    std::lock_guard lock(m_mutex);
    return m_dsdCarriage;
}

AudioStreamBasicDescription SimulatedTurntable::CurrentFormat() const
{
    std::lock_guard lock(m_mutex);
    return m_format;
}

uint32_t SimulatedTurntable::BufferFrames() const
{
    std::lock_guard lock(m_mutex);
    return m_bufferFrames;
}

int32_t SimulatedTurntable::HogOwner() const
{
    std::lock_guard lock(m_mutex);
    return m_hogOwner;
}

uint64_t SimulatedTurntable::DeliveredFrames() const { return m_deliveredFrames; }

uint64_t SimulatedTurntable::DeliveredCycles() const { return m_deliveredCycles; }

std::vector<float> SimulatedTurntable::Regenerate(uint64_t firstFrame, size_t frames) const
{
    SimDeliveryFormat format;
    {
        std::lock_guard lock(m_mutex);
        format = {m_format.mSampleRate, m_format.mBitsPerChannel, m_dsdCarriage && IsDsdCarriageFormat(m_format)};
    }
    SimSignalGenerator generator(m_source, format);
    generator.Skip(firstFrame);
    std::vector<float> samples(frames * kChannels);
    generator.Next(frames, samples.data());
    return samples;
}

// --- USB registry ---

std::vector<IORegistryEntryID> SimulatedTurntable::GetMatchingServices(const std::string& className)
{
    std::lock_guard lock(m_mutex);
    if (!m_alive) {
        return {};
    }
    if (className == kIOAudioEngineClass) {
        return {kEngineEntry};
    }
    if (className == kIOAudioStreamClass) {
        return {kInputStreamEntry};
    }
    if (className == kIOUSBInterfaceClass) {
        return {kInterfaceEntry};
    }
    if (className == kIOUSBDeviceClass) {
        return {kUsbDeviceEntry};
    }
    return {};
}

std::vector<IORegistryEntryID> SimulatedTurntable::GetChildren(IORegistryEntryID entry, const std::string& plane)
{
    if (plane != kIOServicePlane) {
        return {};
    }
    switch (entry) {
    case kUsbDeviceEntry:
        return {kInterfaceEntry};
    case kInterfaceEntry:
        return {kEngineEntry};
    case kEngineEntry:
        return {kInputStreamEntry};
    default:
        return {};
    }
}

std::vector<IORegistryEntryID> SimulatedTurntable::GetParents(IORegistryEntryID entry, const std::string& plane)
{
    if (plane != kIOServicePlane) {
        return {};
    }
    switch (entry) {
    case kInputStreamEntry:
        return {kEngineEntry, kInterfaceEntry};
    case kEngineEntry:
        return {kInterfaceEntry};
    case kInterfaceEntry:
        return {kUsbDeviceEntry};
    default:
        return {};
    }
}

bool SimulatedTurntable::ConformsTo(IORegistryEntryID entry, const std::string& className)
{
    switch (entry) {
    case kEngineEntry:
        return className == kIOAudioEngineClass;
    case kInputStreamEntry:
        return className == kIOAudioStreamClass;
    case kInterfaceEntry:
        return className == kIOUSBInterfaceClass;
    case kUsbDeviceEntry:
        return className == kIOUSBDeviceClass;
    default:
        return false;
    }
}

std::optional<std::string> SimulatedTurntable::GetStringProperty(IORegistryEntryID entry, const std::string& key)
{
    if (entry == kEngineEntry && key == kIOAudioEngineGlobalUniqueIDKey) {
        return std::string(kDeviceUid);
    }
    if (entry == kUsbDeviceEntry && key == kUSBProductString) {
        return std::string(kTurntableName);
    }
    return std::nullopt;
}

std::optional<int64_t> SimulatedTurntable::GetNumberProperty(IORegistryEntryID entry, const std::string& key)
{
    if (entry == kEngineEntry || entry == kUsbDeviceEntry) {
        if (key == kUSBVendorID) {
            return kTurntableVendorId;
        }
        if (key == kUSBProductID) {
            return kTurntableProductId;
        }
    }
    if (entry == kUsbDeviceEntry && key == kUSBDeviceReleaseNumber) {
        return kFirmwareVersion;
    }
    if (entry == kInputStreamEntry && key == kIOAudioStreamDirectionKey) {
        return 1;
    }
    if (entry == kInterfaceEntry && key == "bInterfaceNumber") {
        return kAudioInterfaceNumber;
    }
    return std::nullopt;
}

std::unique_ptr<IUsbInterface> SimulatedTurntable::CreateInterface(IORegistryEntryID entry)
{
    std::lock_guard lock(m_mutex);
    if (entry != kInterfaceEntry || !m_alive) {
        return nullptr;
    }
    return std::make_unique<SimUsbInterface>(*this);
}

IOReturn SimulatedTurntable::HandleControlRequest(const UsbDeviceRequest& request)
{
    std::lock_guard lock(m_mutex);
    if (!m_alive) {
        return kIOReturnNoDevice;
    }
    if (const IOReturn failure = Failure(SimOperation::ControlRequest)) {
        return failure;
    }
    m_requests.push_back(request);
    // The only request the turntable knows: switch DSD carriage on (1) or off (0).
    if (request.bmRequestType != kVendorRequestType || request.bRequest != kDsdSwitchRequest ||
        request.wIndex != kAudioInterfaceNumber || request.wLength != 0 || request.wValue > 1) {
        return kIOReturnError; // stalled
    }
    m_dsdCarriage = request.wValue == 1;
    return kIOReturnSuccess;
}
