// The engine's side of recovery: the journal of the recording being made,
// and listing, opening and discarding the recordings a program that died
// left in the temporary folder.
#include "engine/ToolkitManager.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unistd.h>

#include "convert/SampleTypeInfo.h"
#include "platform/Trace.h"

namespace {

// A claim that failed, as the engine's answer.
TkError ClaimError(ClaimResult claim, JournalProblem problem)
{
    switch (claim) {
    case ClaimResult::Missing:
        return TkErrorInvalidArgument;
    case ClaimResult::InUse:
        return TkErrorInvalidState;
    case ClaimResult::Refused:
        return problem == JournalProblem::Torn ? TkErrorFailed : TkErrorNotSupported;
    case ClaimResult::Claimed:
        break;
    }
    return TkErrorSuccess;
}

// Files taken over from disk that will not be used after all stay there.
void KeepAll(std::vector<std::vector<TemporaryFile>>& files)
{
    for (std::vector<TemporaryFile>& channel : files) {
        for (TemporaryFile& file : channel) {
            file.Keep();
        }
    }
}

} // namespace

void ToolkitManager::BeginJournal(int64_t sampleType)
{
    JournalContents format;
    format.startedUnix = static_cast<int64_t>(std::time(nullptr));
    format.sampleType = sampleType;
    format.isDsd = sampleType == CoreAudioManager::kSampleTypeDsd;
    format.channels = m_recordData.GetChannels();
    format.sampleRate = m_recordData.GetSampleRate();
    format.bitsPerSample = m_recordData.GetBitsPerSample();
    format.fileBits = static_cast<uint16_t>(format.isDsd ? 1 : m_saveThread.GetBits());
    format.chunkBytes = m_recordData.GetChunkBytes();
    m_journal.Begin(GetTempDirectory(), format);
}

void ToolkitManager::RecordingSynced(uint64_t syncedBytes)
{
    m_journal.Update(m_recordData, m_ranges.GetRanges(), syncedBytes, false);
}

TkError ToolkitManager::ListRecoverable(const std::string& folder, std::vector<RecoverableRecording>& list)
{
    list.clear();
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    const std::string where = folder.empty() ? std::string(GetTempDirectory()) : folder;
    if (where.empty()) {
        return TkErrorInvalidArgument;
    }
    const std::string current = m_journal.Id();
    for (RecoverableRecording& recording : ListRecordings(where)) {
        // The engine's own recording is not something to recover.
        if (recording.id == current && where == GetTempDirectory()) {
            continue;
        }
        if (recording.problem == JournalProblem::None && !recording.inUse && recording.recoverableBytes == 0) {
            continue;
        }
        list.push_back(std::move(recording));
    }
    return TkErrorSuccess;
}

TkError ToolkitManager::OpenRecoverable(const std::string& id)
{
    TkError result = CheckState({EngineState::Initialized, EngineState::DeviceReady});
    if (result != TkErrorSuccess) {
        return result;
    }
    if (m_saveThread.IsRunning()) {
        return TkErrorInvalidState;
    }
    const std::string folder = GetTempDirectory();
    JournalFile file;
    RecoverableRecording recording;
    recording.id = id;
    recording.folder = folder;
    JournalProblem problem = JournalProblem::None;
    const ClaimResult claim = file.Claim(folder, id, recording.contents, problem);
    if (claim != ClaimResult::Claimed) {
        return ClaimError(claim, problem);
    }
    const JournalContents& contents = recording.contents;
    const SampleTypeInfo* typeInfo = GetSampleTypeInfo(contents.sampleType);
    if (typeInfo == nullptr) {
        return TkErrorNotSupported;
    }
    MeasureRecording(recording);
    for (const std::string& missing : recording.missing) {
        TRACE("recovering %s: %s", id.c_str(), missing.c_str());
    }
    const uint64_t length = recording.recoverableBytes;
    if (length == 0) {
        return TkErrorFailed;
    }

    // The previous recording goes first (its journal with it); the engine
    // queue is idle, so the conversion thread is not running.
    m_engineQueue.Sync([] {});
    ClearRecording();
    // Each file holds its channel's stream from its start to the next
    // file's start; the last one up to the recovered length (a longer
    // channel's extra bytes are not read).
    std::vector<std::vector<TemporaryFile>> files(contents.channels);
    for (size_t c = 0; c < contents.files.size(); ++c) {
        const std::vector<JournalTempFile>& named = contents.files[c];
        for (size_t i = 0; i < named.size() && named[i].start < length; ++i) {
            const uint64_t end = i + 1 < named.size() ? std::min(named[i + 1].start, length) : length;
            TemporaryFile adopted;
            result = adopted.Adopt(folder + "/" + named[i].name, named[i].start, end - named[i].start);
            if (result != TkErrorSuccess) {
                TRACE("cannot open %s: errno %d", named[i].name.c_str(), errno);
                KeepAll(files);
                return result;
            }
            files[c].push_back(std::move(adopted));
        }
    }
    if (contents.chunkBytes == 0) {
        KeepAll(files);
        return TkErrorFailed;
    }
    m_recordData.Adopt(contents.sampleRate, contents.bitsPerSample, contents.isDsd, typeInfo, &m_ranges,
                       contents.chunkBytes, std::move(files), length);
    m_captureSampleType.store(contents.sampleType);
    if (!contents.isDsd && contents.fileBits != 0) {
        m_saveThread.SetBits(contents.fileBits);
    }
    const unsigned shift = contents.isDsd ? 6 : 0;
    const uint64_t samples = length * 8 / contents.bitsPerSample;
    m_ranges.AddRecordEvent(0, RecordEventStart);
    m_ranges.AddRecordEvent(samples >> shift, RecordEventStop);
    m_droppedAudio.Clear();
    m_journal.Adopt(std::move(file), contents);

    const uint64_t previewRate = contents.isDsd ? contents.sampleRate / CARTOVA_DSD_PREVIEW_DECIMATION : contents.sampleRate;
    result = m_preview.Init(contents.channels, previewRate, &m_ranges);
    if (result == TkErrorSuccess) {
        result = m_convertThread.Start(this, &m_recordData, &m_preview, true);
    }
    if (result != TkErrorSuccess) {
        return result;
    }
    // The conversion runs through everything, then ends; the engine queue
    // keeps a start from overlapping it.
    m_engineQueue.Async([this] {
        m_convertThread.Stop();
        NotifyOperationProc(TkRecOperationStopped);
    });
    return TkErrorSuccess;
}

TkError ToolkitManager::DiscardRecoverable(const std::string& folder, const std::string& id)
{
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    const std::string where = folder.empty() ? std::string(GetTempDirectory()) : folder;
    if (!id.empty() && id == m_journal.Id() && where == GetTempDirectory()) {
        return New();
    }
    JournalFile file;
    JournalContents contents;
    JournalProblem problem = JournalProblem::None;
    const ClaimResult claim = file.Claim(where, id, contents, problem);
    if (claim != ClaimResult::Claimed) {
        return ClaimError(claim, problem);
    }
    for (const std::vector<JournalTempFile>& channel : contents.files) {
        for (const JournalTempFile& named : channel) {
            const std::string path = where + "/" + named.name;
            if (unlink(path.c_str()) != 0 && errno != ENOENT) {
                TRACE("cannot delete %s: errno %d", path.c_str(), errno);
            }
        }
    }
    return file.Remove() ? TkErrorSuccess : TkErrorFailed;
}

TkError ToolkitManager::GetRecordingNotes(std::vector<double>& markers, std::vector<std::string>& names)
{
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    return m_journal.GetNotes(markers, names) ? TkErrorSuccess : TkErrorInvalidState;
}

TkError ToolkitManager::SetRecordingNotes(const std::vector<double>& markers, const std::vector<std::string>& names)
{
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    return m_journal.SetNotes(markers, names) ? TkErrorSuccess : TkErrorInvalidState;
}
