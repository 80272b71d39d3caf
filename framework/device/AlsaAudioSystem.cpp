// The ALSA back-end's devices: the card list with stable ids, identity,
// streams, hog mode (reservation and exclusive open), formats and buffer
// size. Listeners, the IO procedure and hot-plug are in
// AlsaAudioSystemIO.cpp; the USB registry in AlsaAudioSystemUsb.cpp.
#include "device/AlsaAudioSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device/AlsaCapturePcm.h"
#include "platform/Trace.h"

namespace {

// Stream ids are the device id with this bit set.
constexpr AudioObjectID kStreamBit = 0x80000000u;
constexpr double kInitialRate = 44100;

OSStatus StatusFromErrno(int error)
{
    switch (error) {
    case -EBUSY:
    case -EPERM:
    case -EACCES:
        return kAudioDevicePermissionsError;
    case -ENOENT:
    case -ENODEV:
    case -ENXIO:
        return kAudioHardwareBadDeviceError;
    case -EINVAL:
        return kAudioDeviceUnsupportedFormatError;
    default:
        return kAudioHardwareUnspecifiedError;
    }
}

bool SameFormat(const AudioStreamBasicDescription& a, const AudioStreamBasicDescription& b)
{
    return a.mSampleRate == b.mSampleRate && a.mFormatID == b.mFormatID && a.mFormatFlags == b.mFormatFlags &&
           a.mBytesPerFrame == b.mBytesPerFrame && a.mChannelsPerFrame == b.mChannelsPerFrame &&
           a.mBitsPerChannel == b.mBitsPerChannel;
}

} // namespace

AlsaAudioSystem::AlsaAudioSystem(AlsaSystemOptions options) : m_options(std::move(options))
{
    {
        std::unique_lock lock(m_mutex);
        RefreshLocked();
    }
    if (m_options.watchHotplug) {
        m_monitor.Start([this](SoundCardEvent event, const std::string& sysName) { OnSoundCardEvent(event, sysName); });
    }
}

AlsaAudioSystem::~AlsaAudioSystem()
{
    m_monitor.Stop();
    std::unique_lock lock(m_mutex);
    for (auto& [id, device] : m_devices) {
        StopCaptureLocked(lock, device);
        device.pcm.reset();
        device.reservation.reset();
    }
}

int AlsaAudioSystem::OpenPcm(const std::string& name, std::unique_ptr<ICapturePcm>& pcm)
{
    if (m_options.openPcm) {
        return m_options.openPcm(name, pcm);
    }
    std::unique_ptr<AlsaCapturePcm> alsa;
    const int result = AlsaCapturePcm::Open(name, alsa);
    pcm = std::move(alsa);
    return result;
}

std::vector<AudioObjectID> AlsaAudioSystem::RefreshLocked()
{
    std::vector<SoundCard> cards = m_options.scan ? m_options.scan() : std::vector<SoundCard>{};
    std::map<AudioObjectID, bool> wasAlive;
    std::map<AudioObjectID, bool> wasPresent;
    for (auto& [id, device] : m_devices) {
        wasAlive[id] = device.present && !device.failed;
        wasPresent[id] = device.present;
        device.present = false;
    }
    for (SoundCard& card : cards) {
        auto [it, inserted] = m_idsByUid.try_emplace(card.uid, m_nextId);
        if (inserted) {
            ++m_nextId;
        }
        Device& device = m_devices[it->second];
        if (!wasPresent[it->second]) {
            // New, or back after it was gone: a fresh device.
            device.failed = false;
        }
        device.present = true;
        device.card = std::move(card);
    }
    std::vector<AudioObjectID> changed;
    for (auto& [id, device] : m_devices) {
        if (wasAlive[id] != (device.present && !device.failed)) {
            changed.push_back(id);
        }
    }
    return changed;
}

AlsaAudioSystem::Device* AlsaAudioSystem::FindLocked(AudioObjectID device)
{
    const auto it = m_devices.find(device);
    return it == m_devices.end() ? nullptr : &it->second;
}

AlsaAudioSystem::Device* AlsaAudioSystem::FindPresentLocked(AudioObjectID device)
{
    Device* found = FindLocked(device);
    return found != nullptr && found->present ? found : nullptr;
}

AlsaAudioSystem::Device* AlsaAudioSystem::FindByStreamLocked(AudioObjectID stream)
{
    if ((stream & kStreamBit) == 0) {
        return nullptr;
    }
    Device* found = FindPresentLocked(stream & ~kStreamBit);
    return found != nullptr && found->card.hasCapture ? found : nullptr;
}

// --- Device list and identity ---

OSStatus AlsaAudioSystem::GetDevices(std::vector<AudioObjectID>& devices)
{
    std::vector<AudioObjectID> changed;
    {
        std::unique_lock lock(m_mutex);
        changed = RefreshLocked();
        devices.clear();
        for (const auto& [id, device] : m_devices) {
            if (device.present) {
                devices.push_back(id);
            }
        }
    }
    CallAliveListeners(changed);
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::GetDeviceIsAlive(AudioObjectID device, uint32_t& alive)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadObjectError;
    }
    alive = found->present && !found->failed ? 1 : 0;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::ReadCardText(AudioObjectID device, std::string SoundCard::*field,
                                      std::string& text)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    text = found->card.*field;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::GetName(AudioObjectID device, std::string& name)
{
    return ReadCardText(device, &SoundCard::name, name);
}

OSStatus AlsaAudioSystem::GetDeviceUID(AudioObjectID device, std::string& uid)
{
    return ReadCardText(device, &SoundCard::uid, uid);
}

OSStatus AlsaAudioSystem::GetModelUID(AudioObjectID device, std::string& uid)
{
    return ReadCardText(device, &SoundCard::modelUid, uid);
}

// --- Streams and formats ---

OSStatus AlsaAudioSystem::GetStreams(AudioObjectID device, AudioScope scope, std::vector<AudioObjectID>& streams)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    streams.clear();
    // Only capture is used; playback streams are not offered.
    if (scope == AudioScope::Input && found->card.hasCapture) {
        streams.push_back(device | kStreamBit);
    }
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::GetStreamConfiguration(AudioObjectID device, AudioScope scope,
                                                 std::vector<uint32_t>& channelsPerBuffer)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    channelsPerBuffer.clear();
    if (scope == AudioScope::Input && found->card.hasCapture) {
        // The channel count is known once the PCM has been probed (hog mode).
        if (found->channels == 0) {
            return kAudioHardwareIllegalOperationError;
        }
        channelsPerBuffer.push_back(found->channels);
    }
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::GetPhysicalFormat(AudioObjectID stream, AudioStreamBasicDescription& format)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindByStreamLocked(stream);
    if (found == nullptr) {
        return kAudioHardwareBadStreamError;
    }
    if (found->formats.empty()) {
        return kAudioHardwareIllegalOperationError;
    }
    format = found->format;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::SetPhysicalFormat(AudioObjectID stream, const AudioStreamBasicDescription& format)
{
    std::lock_guard lock(m_mutex);
    Device* found = FindByStreamLocked(stream);
    if (found == nullptr) {
        return kAudioHardwareBadStreamError;
    }
    if (found->runningProc != 0) {
        return kAudioHardwareIllegalOperationError;
    }
    // Exactly one of the probed formats; the stream is set up with it at start.
    const bool offered = std::any_of(found->formats.begin(), found->formats.end(),
                                     [&](const AudioStreamRangedDescription& d) { return SameFormat(d.mFormat, format); });
    if (!offered) {
        return kAudioDeviceUnsupportedFormatError;
    }
    found->format = format;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::GetAvailablePhysicalFormats(AudioObjectID stream,
                                                      std::vector<AudioStreamRangedDescription>& formats)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindByStreamLocked(stream);
    if (found == nullptr) {
        return kAudioHardwareBadStreamError;
    }
    if (found->formats.empty()) {
        return kAudioHardwareIllegalOperationError;
    }
    formats = found->formats;
    return kAudioHardwareNoError;
}

// --- Hog mode ---

OSStatus AlsaAudioSystem::GetHogMode(AudioObjectID device, int32_t& pid)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadObjectError;
    }
    pid = found->hogOwner;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::SetHogMode(AudioObjectID device, int32_t pid)
{
    std::unique_lock lock(m_mutex);
    Device* found = FindLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadObjectError;
    }
    if (pid == -1) {
        StopCaptureLocked(lock, *found);
        found->pcm.reset();
        found->reservation.reset();
        found->hogOwner = -1;
        found->failed = false;
        found->formats.clear();
        found->channels = 0;
        return kAudioHardwareNoError;
    }
    if (!found->present) {
        return kAudioHardwareBadDeviceError;
    }
    if (found->hogOwner != -1) {
        return kAudioDevicePermissionsError;
    }
    const SoundCard card = found->card;
    lock.unlock();

    // Reservation and opening may wait on other programs: without the lock.
    std::unique_ptr<DeviceReservation> reservation;
    if (m_options.reserveCards && !card.pcmOnly && card.index >= 0) {
        std::string refusal;
        const int result = DeviceReservation::Acquire(card.index, card.pcmName, reservation, refusal);
        if (result == -EBUSY) {
            TRACE("%s is in use: %s", card.name.c_str(), refusal.c_str());
            return kAudioDevicePermissionsError;
        }
    }
    std::unique_ptr<ICapturePcm> pcm;
    int result = OpenPcm(card.pcmName, pcm);
    if (result < 0) {
        if (result == -EBUSY) {
            TRACE("%s (%s) is in use by another program", card.name.c_str(), card.pcmName.c_str());
        }
        return StatusFromErrno(result);
    }
    uint32_t channels = 0;
    std::vector<ProbedFormat> probed;
    result = pcm->ProbeFormats(channels, probed);
    std::vector<AudioStreamRangedDescription> formats = DescribeCaptureFormats(channels, probed);
    if (result < 0 || formats.empty()) {
        TRACE("%s offers no capture format the framework records in", card.pcmName.c_str());
        return kAudioDeviceUnsupportedFormatError;
    }

    lock.lock();
    found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    if (found->hogOwner != -1) {
        return kAudioDevicePermissionsError;
    }
    found->hogOwner = pid;
    found->failed = false;
    found->reservation = std::move(reservation);
    found->pcm = std::move(pcm);
    found->channels = channels;
    found->formats = std::move(formats);
    // Until a rate is chosen: the preferred format at 44100 Hz, else the first.
    const auto initial = std::find_if(found->formats.begin(), found->formats.end(),
                                      [](const AudioStreamRangedDescription& d) { return d.mFormat.mSampleRate == kInitialRate; });
    found->format = (initial != found->formats.end() ? *initial : found->formats.front()).mFormat;
    return kAudioHardwareNoError;
}

// --- Buffer size (frames per IO cycle) ---

OSStatus AlsaAudioSystem::GetBufferFrameSize(AudioObjectID device, uint32_t& frames)
{
    std::lock_guard lock(m_mutex);
    const Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    frames = found->bufferFrames;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::SetBufferFrameSize(AudioObjectID device, uint32_t frames)
{
    std::lock_guard lock(m_mutex);
    Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    if (found->runningProc != 0 || frames < kMinBufferFrames || frames > kMaxBufferFrames) {
        return kAudioHardwareIllegalOperationError;
    }
    found->bufferFrames = frames;
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::GetBufferFrameSizeRange(AudioObjectID device, AudioValueRange& range)
{
    std::lock_guard lock(m_mutex);
    if (FindPresentLocked(device) == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    range = {static_cast<double>(kMinBufferFrames), static_cast<double>(kMaxBufferFrames)};
    return kAudioHardwareNoError;
}

uint64_t AlsaAudioSystem::OverrunCount(AudioObjectID device) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_devices.find(device);
    return it == m_devices.end() ? 0 : it->second.overruns;
}
