// The engine's recording control: start and stop requests, their bodies on
// the engine queue, pause and resume, record events, and the device's IO
// callback that feeds the capture queue.
#include "engine/ToolkitManager.h"

#include "capture/IOProcSplitter.h"
#include "convert/SampleTypeInfo.h"
#include "platform/Trace.h"

namespace {

// IO buffer length requested at start: 50 ms of the rate (for DSD of the
// DSD bit rate; the device layer clamps it to its range).
constexpr uint64_t kBufferMilliseconds = 50;

// DSD preview frames are 64 one-bit samples long.
constexpr uint64_t kDsdPreviewDecimation = CARTOVA_DSD_PREVIEW_DECIMATION;

// Bytes the capture queue stores per frame and channel: a 16-bit DSD
// carriage word, or the 32-bit float the device delivered.
constexpr size_t kDsdWordBytes = 2;
constexpr size_t kFloatBytes = 4;

} // namespace

TkError ToolkitManager::StartPreRecording()
{
    const TkError result = CheckState({EngineState::DeviceReady});
    if (result != TkErrorSuccess) {
        return result;
    }
    QueueStart(true);
    return TkErrorSuccess;
}

TkError ToolkitManager::Start()
{
    const EngineState state = m_state.load();
    if (state == EngineState::DeviceReady) {
        QueueStart(false);
        return TkErrorSuccess;
    }
    if (state == EngineState::Standby) {
        // Pre-recording (or a pause) turns into a recording from now on; the
        // IO callback announces it after its next cycle.
        m_state.store(EngineState::Recording);
        AddRecordEvent(RecordEventStart);
        m_announceStart.store(true);
        return TkErrorSuccess;
    }
    return state == EngineState::Uninitialized ? TkErrorNotInitialized : TkErrorInvalidState;
}

void ToolkitManager::QueueStart(bool preRecording)
{
    m_state.store(EngineState::Starting);
    m_droppedAudio.Clear();
    m_engineQueue.Async([this, preRecording] { RecStartImpl(preRecording); });
}

TkError ToolkitManager::Stop(bool wait)
{
    const TkError result =
        CheckState({EngineState::Starting, EngineState::Recording, EngineState::Standby});
    if (result != TkErrorSuccess) {
        return result;
    }
    m_announceStart.store(false);
    m_announceRecorded.store(false);
    m_state.store(EngineState::Stopping);
    AddRecordEvent(RecordEventStop);
    // The queue is serial: a start still queued runs before this stop.
    if (wait) {
        m_engineQueue.Sync([this] { RecStopImpl(); });
    } else {
        m_engineQueue.Async([this] { RecStopImpl(); });
    }
    return TkErrorSuccess;
}

TkError ToolkitManager::Pause()
{
    const TkError result = CheckState({EngineState::Recording});
    if (result != TkErrorSuccess) {
        return result;
    }
    AddRecordEvent(RecordEventPause);
    m_state.store(EngineState::Standby);
    return TkErrorSuccess;
}

TkError ToolkitManager::Resume()
{
    const TkError result = CheckState({EngineState::Standby});
    if (result != TkErrorSuccess) {
        return result;
    }
    AddRecordEvent(RecordEventResume);
    m_state.store(EngineState::Recording);
    return TkErrorSuccess;
}

TkError ToolkitManager::SetPauseSchedule(const TkPauseSpan* list, size_t count)
{
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    return m_pauseSchedule.Set(list, count);
}

void ToolkitManager::RoundStored(uint64_t recorded, uint64_t captured, uint64_t rate)
{
    const PauseSchedule::Step step =
        m_pauseSchedule.Next(recorded, captured, rate, m_state.load() == EngineState::Recording);
    // The event lands at the end of the buffer just stored, so the pause or
    // the resumption takes effect with the next one. The state moves first,
    // so that a Pause or Resume of the caller at the same moment does not
    // add the same event again.
    if (step == PauseSchedule::Step::Pause) {
        EngineState expected = EngineState::Recording;
        if (m_state.compare_exchange_strong(expected, EngineState::Standby)) {
            AddRecordEvent(RecordEventPause);
        }
    } else if (step == PauseSchedule::Step::Resume) {
        EngineState expected = EngineState::Standby;
        if (m_state.compare_exchange_strong(expected, EngineState::Recording)) {
            AddRecordEvent(RecordEventResume);
        }
    }
}

void ToolkitManager::AddRecordEvent(RecordEventKind kind)
{
    // 64 one-bit samples make one preview frame.
    const unsigned shift = m_captureSampleType.load() == CoreAudioManager::kSampleTypeDsd ? 6 : 0;
    m_recordData.AddRecordEvent(m_ranges, kind, shift);
}

void ToolkitManager::FinishStarting(EngineState next)
{
    // A stop requested while the start was queued has moved the state to
    // Stopping; the queued stop then takes it to DeviceReady.
    EngineState expected = EngineState::Starting;
    m_state.compare_exchange_strong(expected, next);
}

void ToolkitManager::RecStartImpl(bool preRecording)
{
    TkError result = TkErrorSuccess;
    ClearRecording();
    m_pauseSchedule.Restart();

    double rate = 0.0;
    int64_t sampleType = -1;
    uint16_t inputChannels = 0;
    uint16_t outputChannels = 0;
    uint32_t bufferFrames = 0;
    const SampleTypeInfo* typeInfo = nullptr;

    result = m_device.GetSampleRate(rate);
    if (result == TkErrorSuccess) {
        result = m_device.GetSampleType(sampleType);
    }
    if (result == TkErrorSuccess) {
        typeInfo = GetSampleTypeInfo(sampleType);
        if (typeInfo == nullptr || rate < 1.0) {
            result = TkErrorFailed; // a sample type the engine does not know
        }
    }
    const uint64_t sampleRate = rate >= 1.0 ? static_cast<uint64_t>(rate) : 0;
    if (result == TkErrorSuccess) {
        m_captureSampleType.store(sampleType);
        bufferFrames = static_cast<uint32_t>(sampleRate * kBufferMilliseconds / 1000);
        result = m_device.SetBufferSize(bufferFrames);
    }
    if (result == TkErrorSuccess) {
        result = m_device.GetChannels(inputChannels, outputChannels);
    }
    if (result == TkErrorSuccess) {
        // One slot holds a whole IO cycle of the granted buffer size, so the
        // IO thread only ever writes into memory allocated here.
        const size_t frameBytes = typeInfo->isDsd ? kDsdWordBytes : kFloatBytes;
        result = m_captureQueue.Init(inputChannels, static_cast<size_t>(bufferFrames) * frameBytes);
    }
    if (result == TkErrorSuccess) {
        result = m_recordData.Init(inputChannels, sampleRate, typeInfo, &m_ranges);
    }
    if (result == TkErrorSuccess) {
        const uint64_t previewRate =
            typeInfo->isDsd ? sampleRate / kDsdPreviewDecimation : sampleRate;
        result = m_preview.Init(inputChannels, previewRate, &m_ranges);
    }
    if (result == TkErrorSuccess) {
        BeginJournal(sampleType);
        result = m_recThread.Start(this, &m_captureQueue, &m_recordData, inputChannels);
    }
    if (result == TkErrorSuccess) {
        result = m_convertThread.Start(this, &m_recordData, &m_preview);
    }
    if (result == TkErrorSuccess) {
        result = m_device.Start();
    }

    if (result != TkErrorSuccess) {
        TRACE("start failed: %d", static_cast<int>(result));
        StopCapture();
        FinishStarting(EngineState::DeviceReady);
        NotifyErrorMessageProc(TkNotifyDeviceLost, nullptr);
        return;
    }
    // The start event goes in before the state says Recording: a Pause
    // accepted in between would otherwise find no open range to close, and
    // the range opened after it would keep recording while paused.
    if (!preRecording) {
        AddRecordEvent(RecordEventStart);
    }
    FinishStarting(preRecording ? EngineState::Standby : EngineState::Recording);
    NotifyOperationProc(TkRecOperationCaptureStarted);
}

void ToolkitManager::StopCapture()
{
    if (m_device.IsRunning()) {
        m_device.Stop();
    }
    m_recThread.Stop();
    m_convertThread.Stop();
}

void ToolkitManager::RecStopImpl()
{
    StopCapture();
    // Closes a range that is still open: a stop requested while its start
    // was queued found nothing recording yet, so its own event was ignored.
    AddRecordEvent(RecordEventStop);
    uint64_t synced = 0;
    if (m_recordData.SyncToDisk(synced) == TkErrorSuccess) {
        m_journal.Update(m_recordData, m_ranges.GetRanges(), synced, true);
    }
    m_state.store(EngineState::DeviceReady);
    NotifyOperationProc(TkRecOperationStopped);
}

void ToolkitManager::AudioDevice_InputDropped(uint64_t frames)
{
    // Stored bytes per device frame and channel: a 32-bit float for PCM, a
    // 16-bit carriage word (16 one-bit samples) for DSD.
    const bool dsd = m_captureSampleType.load() == CoreAudioManager::kSampleTypeDsd;
    m_captureSink.InputDropped(frames * (dsd ? 2u : 4u));
}

void ToolkitManager::ConvertThread_AddDataNotify()
{
    // The recording thread's pass after the first recorded cycle announces
    // the recording: posting the notification allocates, which the IO thread
    // must not do.
    if (m_announceRecorded.exchange(false)) {
        NotifyOperationProc(TkRecOperationRecordingStarted);
    }
    m_convertThread.AddDataNotify();
}

void ToolkitManager::AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList*)
{
    const bool dsd = m_captureSampleType.load() == CoreAudioManager::kSampleTypeDsd;
    SplitBufferList(input, dsd, m_captureSink);
    if (m_announceStart.exchange(false)) {
        m_announceRecorded.store(true);
    }
}
