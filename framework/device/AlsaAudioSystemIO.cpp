// The ALSA back-end's listeners, IO procedure (one capture thread per
// started device) and hot-plug; see AlsaAudioSystem.h.
#include "device/AlsaAudioSystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/Trace.h"

namespace {

// The PCM buffer holds about one second; the hardware interrupts about 32
// times per buffer.
constexpr uint32_t kPeriodsPerBuffer = 32;
// How long a device may take to come back after a vendor switch made it
// enumerate again.
constexpr std::chrono::seconds kReenumerationWait{5};
constexpr std::chrono::milliseconds kReopenRetry{250};

void TraceOverruns(const OverrunWarnings::Line& line)
{
    if (line.overruns == 1) {
        TRACE("capture overrun at frame %llu: %llu frames lost", static_cast<unsigned long long>(line.position),
              static_cast<unsigned long long>(line.framesLost));
    } else {
        TRACE("capture overruns: %llu since the last report, %llu frames lost, the latest at frame %llu",
              static_cast<unsigned long long>(line.overruns), static_cast<unsigned long long>(line.framesLost),
              static_cast<unsigned long long>(line.position));
    }
}

} // namespace

// --- Listeners ---

OSStatus AlsaAudioSystem::AddPropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                              AudioObjectPropertyListenerProc listener, void* clientData)
{
    std::lock_guard lock(m_mutex);
    if (FindPresentLocked(object) == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    if (listener == nullptr) {
        return kAudioHardwareIllegalOperationError;
    }
    m_listeners.push_back({object, selector, listener, clientData});
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::RemovePropertyListener(AudioObjectID object, AudioPropertySelector selector,
                                                 AudioObjectPropertyListenerProc listener, void* clientData)
{
    std::lock_guard callLock(m_listenerCallMutex);
    std::lock_guard lock(m_mutex);
    const auto it = std::find_if(m_listeners.begin(), m_listeners.end(), [&](const Listener& l) {
        return l.object == object && l.selector == selector && l.proc == listener && l.clientData == clientData;
    });
    if (it == m_listeners.end()) {
        return kAudioHardwareIllegalOperationError;
    }
    m_listeners.erase(it);
    return kAudioHardwareNoError;
}

void AlsaAudioSystem::CallListeners(AudioObjectID device, AudioPropertySelector selector)
{
    std::lock_guard callLock(m_listenerCallMutex);
    std::vector<Listener> listeners;
    {
        std::lock_guard lock(m_mutex);
        listeners = m_listeners;
    }
    for (const Listener& l : listeners) {
        if (l.object == device && l.selector == selector) {
            l.proc(device, selector, l.clientData);
        }
    }
}

void AlsaAudioSystem::CallAliveListeners(const std::vector<AudioObjectID>& devices)
{
    for (AudioObjectID id : devices) {
        CallListeners(id, AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive);
    }
}

// --- IO procedure ---

OSStatus AlsaAudioSystem::CreateIOProcID(AudioObjectID device, AudioDeviceIOProc proc, void* clientData,
                                         AudioDeviceIOProcID& procId)
{
    std::lock_guard lock(m_mutex);
    Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    if (proc == nullptr) {
        return kAudioHardwareIllegalOperationError;
    }
    procId = m_nextProcId++;
    found->procs[procId] = {proc, clientData};
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::DestroyIOProcID(AudioObjectID device, AudioDeviceIOProcID procId)
{
    std::unique_lock lock(m_mutex);
    Device* found = FindLocked(device);
    if (found == nullptr || found->procs.count(procId) == 0) {
        return kAudioHardwareBadObjectError;
    }
    if (found->runningProc == procId) {
        StopCaptureLocked(lock, *found);
    }
    found->procs.erase(procId);
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::ReopenLocked(std::unique_lock<std::mutex>& lock, AudioObjectID id)
{
    const auto deadline = std::chrono::steady_clock::now() + kReenumerationWait;
    for (;;) {
        Device* found = FindPresentLocked(id);
        if (found != nullptr && found->pcm) {
            return kAudioHardwareNoError;
        }
        if (found != nullptr) {
            const std::string name = found->card.pcmName;
            lock.unlock();
            std::unique_ptr<ICapturePcm> pcm;
            const int result = OpenPcm(name, pcm);
            lock.lock();
            found = FindPresentLocked(id);
            if (result == 0 && found != nullptr) {
                found->pcm = std::move(pcm);
                return kAudioHardwareNoError;
            }
            if (result == -EBUSY) {
                return kAudioDevicePermissionsError;
            }
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            TRACE("the device did not come back after the vendor switch");
            return kAudioHardwareBadDeviceError;
        }
        m_cardsChanged.wait_for(lock, kReopenRetry);
    }
}

OSStatus AlsaAudioSystem::DeviceStart(AudioObjectID device, AudioDeviceIOProcID procId)
{
    std::unique_lock lock(m_mutex);
    Device* found = FindPresentLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadDeviceError;
    }
    const auto proc = found->procs.find(procId);
    if (proc == found->procs.end()) {
        return kAudioHardwareBadObjectError;
    }
    if (found->runningProc == procId) {
        return kAudioHardwareNoError;
    }
    if (found->runningProc != 0 || found->hogOwner == -1) {
        // The card is captured only while held exclusively.
        return kAudioHardwareIllegalOperationError;
    }
    const std::optional<PcmSampleFormat> format = PcmFormatFromDescription(found->format);
    if (!format || found->format.mSampleRate < 1) {
        return kAudioDeviceUnsupportedFormatError;
    }
    if (!found->pcm) {
        const OSStatus status = ReopenLocked(lock, device);
        found = FindPresentLocked(device);
        if (status != kAudioHardwareNoError || found == nullptr) {
            return status != kAudioHardwareNoError ? status : kAudioHardwareBadDeviceError;
        }
    }

    PcmHardwareConfig wanted;
    wanted.format = *format;
    wanted.channels = found->channels;
    wanted.rate = static_cast<uint32_t>(found->format.mSampleRate);
    wanted.bufferFrames = wanted.rate;
    wanted.periodFrames = wanted.rate / kPeriodsPerBuffer;
    PcmHardwareConfig granted;
    int result = found->pcm->Configure(wanted, granted);
    if (result < 0) {
        return result == -ENODEV ? kAudioHardwareBadDeviceError : kAudioDeviceUnsupportedFormatError;
    }
    // A cycle never exceeds half the buffer, so reading one leaves room.
    const uint32_t cycle = static_cast<uint32_t>(
        std::min<uint64_t>(found->bufferFrames, std::max<uint64_t>(granted.bufferFrames / 2, 1)));

    CaptureCallbacks callbacks;
    const AudioDeviceIOProc ioProc = proc->second.proc;
    void* const clientData = proc->second.clientData;
    callbacks.cycle = [device, ioProc, clientData, output = AudioBufferList{}](const AudioBufferList& input) mutable {
        ioProc(device, &input, &output, clientData);
    };
    callbacks.overrun = [this, device](uint64_t position, uint64_t lost) { OnOverrun(device, position, lost); };
    callbacks.ended = [this, device](int error) { OnCaptureEnded(device, error); };

    found->capture = std::make_unique<PcmCaptureThread>();
    found->runningProc = procId;
    found->overruns = 0;
    result = found->capture->Start(*found->pcm, granted, cycle, std::move(callbacks));
    if (result < 0) {
        found->capture.reset();
        found->runningProc = 0;
        TRACE("cannot start the capture thread: %s", std::strerror(-result));
        return kAudioHardwareUnspecifiedError;
    }
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::DeviceStop(AudioObjectID device, AudioDeviceIOProcID procId)
{
    std::unique_lock lock(m_mutex);
    Device* found = FindLocked(device);
    if (found == nullptr || found->procs.count(procId) == 0) {
        return kAudioHardwareBadObjectError;
    }
    if (found->runningProc == procId) {
        StopCaptureLocked(lock, *found);
    }
    return kAudioHardwareNoError;
}

OSStatus AlsaAudioSystem::TakeDroppedInputFrames(AudioObjectID device, uint64_t& frames)
{
    std::lock_guard lock(m_mutex);
    Device* found = FindLocked(device);
    if (found == nullptr) {
        return kAudioHardwareBadObjectError;
    }
    frames = found->droppedFrames;
    found->droppedFrames = 0;
    return kAudioHardwareNoError;
}

void AlsaAudioSystem::StopCaptureLocked(std::unique_lock<std::mutex>& lock, Device& device)
{
    std::unique_ptr<PcmCaptureThread> capture = std::move(device.capture);
    device.runningProc = 0;
    if (capture) {
        // The thread's own callbacks take the lock: join without it.
        lock.unlock();
        capture->Stop();
        lock.lock();
    }
    OverrunWarnings::Line line;
    if (device.overrunWarnings.Flush(line))
        TraceOverruns(line);
}

void AlsaAudioSystem::OnOverrun(AudioObjectID id, uint64_t position, uint64_t lost)
{
    OverrunWarnings::Line line;
    bool logDue = false;
    {
        std::lock_guard lock(m_mutex);
        if (Device* found = FindLocked(id)) {
            ++found->overruns;
            found->droppedFrames += lost;
            logDue = found->overrunWarnings.Add(OverrunWarnings::Clock::now(), position, lost, line);
        }
    }
    if (logDue)
        TraceOverruns(line);
    // On the capture thread, before the next cycle: the gap lands exactly.
    CallListeners(id, AudioPropertySelector::kAudioDevicePropertyInputDropped);
    CallListeners(id, AudioPropertySelector::kAudioDeviceProcessorOverload);
}

void AlsaAudioSystem::OnCaptureEnded(AudioObjectID id, int error)
{
    bool wasAlive = false;
    {
        std::lock_guard lock(m_mutex);
        Device* found = FindLocked(id);
        if (found == nullptr) {
            return;
        }
        wasAlive = found->present && !found->failed;
        found->failed = true;
    }
    TRACE("capture stopped: %s", error == -ENODEV ? "the device is gone" : std::strerror(-error));
    if (wasAlive) {
        CallListeners(id, AudioPropertySelector::kAudioDevicePropertyDeviceIsAlive);
    }
}

// --- Hot-plug ---

void AlsaAudioSystem::OnSoundCardEvent(SoundCardEvent event, const std::string& sysName)
{
    std::vector<AudioObjectID> changed;
    {
        std::unique_lock lock(m_mutex);
        changed = RefreshLocked();
        m_cardsChanged.notify_all();
    }
    TRACE("sound card %s %s", sysName.c_str(), event == SoundCardEvent::Removed ? "removed" : "ready");
    CallAliveListeners(changed);
}
