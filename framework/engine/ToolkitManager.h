// The framework's engine: owns the device layer, the capture queue, the
// recorded data, the record ranges and the worker threads, keeps the engine
// state, and carries out every exported Cartova_* call. Start and stop run on
// the serial queue "RecHelperQueue"; notifications go to the application as
// tasks posted through its delegate. Workers reach the engine through the
// IToolkitManager pointer they are started with.
#pragma once

#include "capture/AsioDataQueue.h"
#include "capture/CaptureSink.h"
#include "capture/DroppedAudioLog.h"
#include "capture/RecThread.h"
#include "device/AudioDeviceList.h"
#include "device/CoreAudioManager.h"
#include "device/IAudioDeviceNotify.h"
#include "device/SystemAudioBackend.h"
#include "device/UsbDeviceLookup.h"
#include "engine/ClickRepairWork.h"
#include "engine/DelegateNotifier.h"
#include "engine/DeviceDescription.h"
#include "engine/EngineState.h"
#include "engine/IToolkitManager.h"
#include "engine/PauseSchedule.h"
#include "engine/RecordingJournal.h"
#include "engine/SerialQueue.h"
#include "engine/TempDirectory.h"
#include "interface/cartova.h"
#include "preview/ConvertThread.h"
#include "preview/PreviewData.h"
#include "preview/TrackGapFinder.h"
#include "recovery/RecoveryCatalog.h"
#include "save/SaveThread.h"
#include "save/TkSaveSettingInternal.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

class ToolkitManager : public IToolkitManager, public IAudioDeviceNotify {
public:
    // The device layer runs on the given back-end (the system's, or a test's
    // stand-in); deviceProblem says why it offers no device, when it is
    // known (GetDeviceProblem).
    explicit ToolkitManager(AudioBackend backend, std::string deviceProblem = {});
    // Posts nothing more, cancels a running save (deleting its partial
    // file), waits for queued start and stop work, stops a running capture,
    // then releases everything (the recording's temporary files are deleted).
    ~ToolkitManager() override;

    ToolkitManager(const ToolkitManager&) = delete;
    ToolkitManager& operator=(const ToolkitManager&) = delete;

    // ---- The exported calls (same names without the Cartova_ prefix). ----
    TkError Init(const ICartovaDelegate* delegate);
    TkError New();
    TkError GetAudioDevices(std::vector<std::string>& names);
    // Every device the back-end lists, with why the filter keeps or leaves
    // it out (for diagnosis).
    TkError GetAudioDeviceReport(std::string& report);
    TkError SetAudioDevice(const char* name);
    TkError GetAudioDeviceInfo(DeviceDescription& info);
    TkError GetUsbDeviceDescription(int32_t vid, int32_t pid, UsbDeviceIdentity& identity);
    TkError SetRecordSetting(const TkRecordSetting* setting);
    TkError GetRecordSetting(TkRecordSetting* setting);
    TkError StartPreRecording();
    TkError Start();
    TkError Stop(bool wait);
    TkError Pause();
    TkError Resume();
    // Plans the pauses of the recordings to come; see PauseSchedule.
    TkError SetPauseSchedule(const TkPauseSpan* list, size_t count);
    TkError EnableLoopback(int8_t enable);
    TkError StartPlay(double position);
    // finished: the recorded preview (true) or the live one (false).
    TkError GetPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples,
                           bool finished);
    TkError GetPreviewDataLength(uint64_t* frames, bool finished);
    TkError SaveFile(const TkSaveSetting* list, size_t count);
    TkError SaveFileProgress(int32_t* fileProgress, int32_t* totalProgress);
    TkError SaveFileCancel(bool deletePartial);
    // The file format of PCM tracks for the saves that follow.
    TkError SetPcmFileFormat(TkPcmFileFormat format, int32_t compressionLevel);
    TkError SetTempDirectory(const char* path);
    TkError GetDroppedAudio(std::vector<TkDroppedAudio>& gaps);
    // Why the configured device is not available (empty: nothing is wrong).
    TkError GetDeviceProblem(std::string& problem);
    // Suggested track boundaries (seconds of the recorded stream) of the
    // finished recording; -6 while a recording runs.
    TkError FindTrackGaps(const TrackGapParameters& parameters, std::vector<double>& boundaries);
    // The whole analysis of the side; trackCount 0 decides by the thresholds.
    TkError AnalyseSide(const TrackGapParameters& parameters, size_t trackCount, SideAnalysis& side);
    // Click repair of the finished recording (ToolkitManagerRestore.cpp).
    TkError FindClicks(TkClickSensitivity sensitivity);
    TkError FindClicksProgress(int32_t* progress, TkClickAnalysisState* state);
    TkError FindClicksCancel();
    // The places of the finished analysis (null when there are none).
    TkError GetClickPlaces(std::shared_ptr<const RepairedPlaces>& places);
    TkError SetClickRepair(bool onPreview, bool onSave);
    TkError ClearClickPlaces();
    TkError GetRepairedPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples);

    // Recordings left by a program that died before their tracks were
    // written (ToolkitManagerRecovery.cpp). folder empty: the temporary folder.
    TkError ListRecoverable(const std::string& folder, std::vector<RecoverableRecording>& list);
    // Opens one (by id, in the temporary folder) as the current recording:
    // its files are taken over, the preview is rebuilt in the background and
    // TkRecOperationStopped announces that it is complete. -2 no such
    // recording; -6 while recording or writing, or another program holds it;
    // -99 a journal of a newer version or not one of ours; -3 nothing of it is left.
    TkError OpenRecoverable(const std::string& id);
    // Deletes a recoverable recording's files and journal (the current one:
    // as New does). Same errors as OpenRecoverable.
    TkError DiscardRecoverable(const std::string& folder, const std::string& id);
    // Keeps the user's markers and names in the current recording's journal.
    TkError SetRecordingNotes(const std::vector<double>& markers, const std::vector<std::string>& names);
    // The notes of the current recording's journal (those of a recording
    // opened from disk, for instance). -6 without a journal.
    TkError GetRecordingNotes(std::vector<double>& markers, std::vector<std::string>& names);

    EngineState GetState() const { return m_state.load(); }

    // ---- Engine work. ----
    // The start and stop bodies; they run on the engine queue.
    void RecStartImpl(bool preRecording);
    void RecStopImpl();
    // Gives the range manager an event at the current captured length (in
    // preview frames: samples for PCM, samples / 64 for DSD).
    void AddRecordEvent(RecordEventKind kind);

    // ---- IToolkitManager (worker threads). ----
    void ConvertThread_AddDataNotify() override;
    void NotifyOperationProc(TkRecOperation operation) override;
    void NotifyStreamPosProc(double seconds) override;
    void NotifyConvertPosProc(double seconds) override;
    void NotifyErrorMessageProc(int code, const char* message) override;
    // Keeps the gap for GetDroppedAudio and announces it with
    // TkNotifyQueueOverflow, paced by DroppedAudioLog.
    void NotifyDroppedAudio(double seconds, uint64_t framesLost) override;
    // Pauses and resumes the recording as planned (recording thread).
    void RoundStored(uint64_t recorded, uint64_t captured, uint64_t rate) override;
    // Brings the journal up to date (recording thread).
    void RecordingSynced(uint64_t syncedBytes) override;
    // Removes the journal once every track is written (save thread).
    void SaveRunEnded(bool everyFileWritten) override;
    const char* GetTempDirectory() override;
    bool IsTempDirectoryExists() override;

    // ---- IAudioDeviceNotify (device layer, platform threads). ----
    void AudioDevice_ProcessorOverload() override;
    void AudioDevice_DeviceIsAliveChanged() override;
    void AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList* output) override;
    void AudioDevice_InputDropped(uint64_t frames) override;

private:
    // -1 in Uninitialized; -6 in any other state not listed; else 0.
    TkError CheckState(std::initializer_list<EngineState> accepted) const;
    // Whether the engine has opened and described a device (DeviceReady and later).
    static bool HasDeviceState(EngineState state);
    // Moves Starting on to the state a finished start leads to, unless a
    // stop request has taken the engine to Stopping meanwhile.
    void FinishStarting(EngineState next);
    // The common part of StartPreRecording and Start from DeviceReady.
    void QueueStart(bool preRecording);
    // Stops what the start sequence started (failure path, stop, shutdown).
    void StopCapture();
    // Clears the recording: journal, preview, record data and ranges.
    void ClearRecording();
    // Starts the journal of the recording RecStartImpl has just set up.
    void BeginJournal(int64_t sampleType);

    // Members in the order of their use by each other: everything the
    // device's IO thread reaches is declared before the device layer, which
    // is destroyed (and stopped) first.
    std::shared_ptr<const DeviceDescription> m_deviceInfo;
    const std::string m_deviceProblem;
    AudioDeviceList m_deviceList;
    DelegateNotifier m_notifier;
    std::vector<TkSaveSettingInternal> m_saveJobs;
    // What SetPcmFileFormat chose; each save's jobs carry it.
    PcmFileFormat m_pcmFileFormat = PcmFileFormat::Wav;
    uint32_t m_flacCompression = 5;
    // Set by Start from pre-recording; the IO thread turns it into
    // m_announceRecorded after its next cycle, and the recording thread's
    // next pass sends TkRecOperationRecordingStarted.
    std::atomic<bool> m_announceStart{false};
    std::atomic<bool> m_announceRecorded{false};
    PauseSchedule m_pauseSchedule;
    TempDirectory m_tempDirectory;
    RecordingJournal m_journal;
    // Set when the save thread skips a file in the current run.
    std::atomic<bool> m_saveSkipped{false};
    RecordRangeManager m_ranges;
    PreviewData m_preview;
    RecordData m_recordData;
    AsioDataQueue m_captureQueue;
    SaveThread m_saveThread;
    ConvertThread m_convertThread;
    RecThread m_recThread;
    CaptureSink m_captureSink;
    DroppedAudioLog m_droppedAudio;
    CoreAudioManager m_device;
    // Reads m_recordData while it analyses: destroyed (and stopped) before it.
    ClickRepairWork m_clickRepair;
    // The sample type the running capture was started with (0 PCM, 1 DSD).
    std::atomic<int64_t> m_captureSampleType{CoreAudioManager::kSampleTypePcm};
    std::atomic<EngineState> m_state{EngineState::Uninitialized};
    // Last: destroyed first, after the tasks still queued have run.
    SerialQueue m_engineQueue{"RecHelperQueue"};
};
