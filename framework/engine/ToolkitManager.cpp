// The engine: initialisation, state checks, devices, record settings, the
// temporary folder, notifications and device callbacks. Start, stop and the
// capture path are in ToolkitManagerCapture.cpp; preview and saving in
// ToolkitManagerPreview.cpp and ToolkitManagerSave.cpp.
#include "engine/ToolkitManager.h"

#include "device/DeviceReport.h"
#include "platform/Trace.h"

ToolkitManager::ToolkitManager(AudioBackend backend, std::string deviceProblem)
    : m_deviceProblem(std::move(deviceProblem))
    , m_preview(this)
    , m_recordData(this)
    , m_captureSink(m_captureQueue, m_recThread)
    , m_device(std::move(backend.hardware), std::move(backend.usb))
{
}

ToolkitManager::~ToolkitManager()
{
    // The engine goes away with the process: the application's main queue
    // may be gone already, so nothing more is posted to it, and a save still
    // running is cancelled at once, its partial file deleted, rather than
    // waited for.
    m_notifier.Close();
    m_saveThread.SaveCancel(true);
    // Let queued start and stop work finish, then make sure nothing runs
    // that would outlive the members it uses.
    m_engineQueue.Sync([] {});
    StopCapture();
    m_saveThread.WaitUntilFinished();
    // A recording whose tracks were not all written stays recoverable.
    if (m_journal.IsOpen()) {
        m_recordData.KeepFiles();
        m_journal.Close();
    }
}

TkError ToolkitManager::CheckState(std::initializer_list<EngineState> accepted) const
{
    const EngineState state = m_state.load();
    for (EngineState s : accepted) {
        if (s == state) {
            return TkErrorSuccess;
        }
    }
    return state == EngineState::Uninitialized ? TkErrorNotInitialized : TkErrorInvalidState;
}

bool ToolkitManager::HasDeviceState(EngineState state)
{
    return state != EngineState::Uninitialized && state != EngineState::Initialized;
}

TkError ToolkitManager::Init(const ICartovaDelegate* delegate)
{
    if (delegate == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() != EngineState::Uninitialized) {
        return TkErrorAlreadyInitialized;
    }
    // Every callback is required; a missing one would leave notifications
    // (or the main queue itself) unreachable.
    if (delegate->NotifyOperationProc == nullptr || delegate->NotifyStreamPosProc == nullptr ||
        delegate->NotifyConvertPosProc == nullptr || delegate->NotifyErrorMessageProc == nullptr ||
        delegate->post_to_main_queue == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (!m_notifier.SetDelegate(*delegate)) {
        return TkErrorAlreadyInitialized;
    }
    m_state.store(EngineState::Initialized);
    return TkErrorSuccess;
}

TkError ToolkitManager::New()
{
    const TkError result = CheckState({EngineState::Initialized, EngineState::DeviceReady});
    if (result != TkErrorSuccess) {
        return result;
    }
    ClearRecording();
    m_droppedAudio.Clear();
    return TkErrorSuccess;
}

void ToolkitManager::ClearRecording()
{
    // The click analysis reads the recording: it stops first.
    m_clickRepair.Clear();
    m_journal.Remove();
    m_preview.TemporaryClear();
    m_recordData.TemporaryClear();
    m_ranges.Reset();
}

TkError ToolkitManager::GetAudioDevices(std::vector<std::string>& names)
{
    names.clear();
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    std::vector<FoundDeviceInfo> devices;
    const TkError result = m_device.GetAudioDevices(devices);
    if (result != TkErrorSuccess) {
        return result;
    }
    m_deviceList.FilterDevices(devices);
    for (const FoundDeviceInfo& device : devices) {
        names.push_back(device.name);
    }
    return TkErrorSuccess;
}

TkError ToolkitManager::GetAudioDeviceReport(std::string& report)
{
    report.clear();
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    std::vector<FoundDeviceInfo> devices;
    const TkError result = m_device.GetAudioDevices(devices);
    if (result != TkErrorSuccess) {
        return result;
    }
    report = DescribeDeviceSearch(devices);
    return TkErrorSuccess;
}

TkError ToolkitManager::SetAudioDevice(const char* name)
{
    if (name == nullptr) {
        return TkErrorInvalidArgument;
    }
    TkError result = CheckState({EngineState::Initialized, EngineState::DeviceReady});
    if (result != TkErrorSuccess) {
        return result;
    }
    if (m_device.HasDevice()) {
        m_device.ReleaseDevice();
    }
    m_deviceInfo.reset();
    m_state.store(EngineState::Initialized);

    std::vector<FoundDeviceInfo> devices;
    result = m_device.GetAudioDevices(devices);
    if (result != TkErrorSuccess) {
        return result;
    }
    m_deviceList.FilterDevices(devices);
    const FoundDeviceInfo* chosen = nullptr;
    for (const FoundDeviceInfo& device : devices) {
        if (device.name == name) { // byte for byte, case included
            chosen = &device;
            break;
        }
    }
    if (chosen == nullptr) {
        return TkErrorDeviceNotFound;
    }
    result = m_device.SetAudioDevice(*chosen, this);
    if (result != TkErrorSuccess) {
        return result;
    }
    auto description = std::make_shared<DeviceDescription>();
    result = BuildDeviceDescription(m_device, *chosen, *description);
    if (result != TkErrorSuccess) {
        m_device.ReleaseDevice();
        return result;
    }
    m_deviceInfo = std::move(description);
    m_state.store(EngineState::DeviceReady);
    return TkErrorSuccess;
}

TkError ToolkitManager::GetAudioDeviceInfo(DeviceDescription& info)
{
    const EngineState state = m_state.load();
    if (state == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    if (!HasDeviceState(state) || !m_deviceInfo) {
        return TkErrorInvalidState;
    }
    info = *m_deviceInfo;
    return TkErrorSuccess;
}

TkError ToolkitManager::GetUsbDeviceDescription(int32_t vid, int32_t pid, UsbDeviceIdentity& identity)
{
    // Reads the registry only; the registry answers from any thread.
    IUsbRegistry* registry = m_device.UsbRegistry();
    if (registry == nullptr) {
        return TkErrorDeviceNotFound;
    }
    const std::optional<UsbDeviceIdentity> found = FindUsbDevice(*registry, vid, pid);
    if (!found) {
        return TkErrorDeviceNotFound;
    }
    identity = *found;
    return TkErrorSuccess;
}

TkError ToolkitManager::SetRecordSetting(const TkRecordSetting* setting)
{
    if (setting == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (setting->rec_type != 0 && setting->rec_type != 1) {
        return TkErrorInvalidArgument;
    }
    if (setting->rec_type == 0 && (setting->bits < 16 || setting->bits > 32)) {
        return TkErrorInvalidArgument;
    }
    TkError result = CheckState({EngineState::DeviceReady});
    if (result != TkErrorSuccess) {
        return result;
    }
    const int64_t type =
        setting->rec_type != 0 ? CoreAudioManager::kSampleTypeDsd : CoreAudioManager::kSampleTypePcm;
    result = m_device.SetSampleType(type);
    if (result != TkErrorSuccess) {
        return result;
    }
    result = m_device.SetSampleRate(static_cast<double>(setting->freq));
    if (result != TkErrorSuccess) {
        return result;
    }
    m_saveThread.SetBits(setting->bits);
    return TkErrorSuccess;
}

TkError ToolkitManager::GetRecordSetting(TkRecordSetting* setting)
{
    if (setting == nullptr) {
        return TkErrorInvalidArgument;
    }
    const EngineState state = m_state.load();
    if (state == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    if (!HasDeviceState(state)) {
        return TkErrorInvalidState;
    }
    int64_t type = 0;
    TkError result = m_device.GetSampleType(type);
    if (result != TkErrorSuccess) {
        return result;
    }
    double rate = 0.0;
    result = m_device.GetSampleRate(rate);
    if (result != TkErrorSuccess) {
        return result;
    }
    TkRecordSetting current{};
    if (type == CoreAudioManager::kSampleTypeDsd) {
        current.rec_type = 1;
        current.bits = 1;
    } else if (type == CoreAudioManager::kSampleTypePcm) {
        current.rec_type = 0;
        current.bits = m_saveThread.GetBits();
    } else {
        return TkErrorFailed;
    }
    current.freq = rate > 0.0 ? static_cast<uint64_t>(rate) : 0;
    *setting = current;
    return TkErrorSuccess;
}

TkError ToolkitManager::EnableLoopback(int8_t)
{
    return TkErrorNotSupported;
}

TkError ToolkitManager::StartPlay(double)
{
    return TkErrorNotSupported;
}

TkError ToolkitManager::SetTempDirectory(const char* path)
{
    if (path == nullptr) {
        return TkErrorInvalidArgument;
    }
    const TkError result = CheckState({EngineState::Initialized, EngineState::DeviceReady});
    if (result != TkErrorSuccess) {
        return result;
    }
    return m_tempDirectory.Set(path);
}

const char* ToolkitManager::GetTempDirectory()
{
    return m_tempDirectory.Get();
}

bool ToolkitManager::IsTempDirectoryExists()
{
    return m_tempDirectory.Exists();
}

void ToolkitManager::NotifyOperationProc(TkRecOperation operation)
{
    m_notifier.PostOperation(operation);
}

void ToolkitManager::NotifyStreamPosProc(double seconds)
{
    m_notifier.PostStreamPos(seconds);
}

void ToolkitManager::NotifyConvertPosProc(double seconds)
{
    m_notifier.PostConvertPos(seconds);
}

void ToolkitManager::NotifyErrorMessageProc(int code, const char* message)
{
    if (code == TkNotifyFileSkipped) {
        m_saveSkipped.store(true);
    }
    m_notifier.PostErrorMessage(code, message);
}

void ToolkitManager::NotifyDroppedAudio(double seconds, uint64_t framesLost)
{
    if (m_droppedAudio.Add(seconds, framesLost)) {
        NotifyErrorMessageProc(TkNotifyQueueOverflow, m_droppedAudio.LastMessage().c_str());
    }
}

TkError ToolkitManager::GetDeviceProblem(std::string& problem)
{
    problem.clear();
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    problem = m_deviceProblem;
    return TkErrorSuccess;
}

TkError ToolkitManager::GetDroppedAudio(std::vector<TkDroppedAudio>& gaps)
{
    gaps.clear();
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    gaps = m_droppedAudio.Entries();
    return TkErrorSuccess;
}

void ToolkitManager::AudioDevice_ProcessorOverload()
{
}

void ToolkitManager::AudioDevice_DeviceIsAliveChanged()
{
    // Only going away is a loss; a device that comes back (plugged in
    // again) is not reported.
    if (m_device.IsDeviceAlive()) {
        TRACE("the audio device is alive again");
        return;
    }
    NotifyErrorMessageProc(TkNotifyDeviceLost, nullptr);
}
