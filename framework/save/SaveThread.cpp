// Job flow of a save run, progress, cancellation, directory creation and
// removal, and the checks of the destination volume.
#include "save/SaveThread.h"

#include "convert/SampleTypeInfo.h"
#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "save/SaveFlacFile.h"
#include "save/SaveWavFile.h"
#include "save/TrackRange.h"
#include "storage/RecordData.h"

#include <algorithm>

SaveThread::SaveThread() : m_volumeQueries(SaveVolumeQueries::System()) {}

SaveThread::~SaveThread() {
    // A run still going on when the engine goes away is aborted; its body
    // uses this object until it returns.
    if (IsRunning()) SaveCancel(true);
    WaitUntilFinished();
}

TkError SaveThread::Start(const JobList* jobs, RecordData* recordData, PreviewData* previewData,
                          IToolkitManager* manager) {
    if (manager == nullptr) return TkErrorInvalidArgument;
    // A run that has already announced its end is let finish, so that a new
    // save asked for on that announcement is not refused.
    if (m_finishing.load()) WaitUntilFinished();
    bool expected = false;
    if (!m_running.compare_exchange_strong(expected, true)) return TkErrorFailed;
    m_finishing.store(false);
    m_jobs = jobs;
    m_recordData = recordData;
    m_previewData = previewData;
    m_manager = manager;
    m_cancelMode.store(kCancelNone);
    ResetProgress();
    {
        std::lock_guard<std::mutex> lock(m_directoryMutex);
        m_createdDirectory.clear();
    }
    if (!Create(PriorityNormal)) {
        std::lock_guard<std::mutex> lock(m_runMutex);
        m_running.store(false);
        m_runEnded.notify_all();
        return TkErrorFailed;
    }
    return TkErrorSuccess;
}

TkError SaveThread::SaveFiles(const JobList* jobs, RecordData* recordData, IToolkitManager* manager) {
    return Start(jobs, recordData, nullptr, manager);
}

TkError SaveThread::SaveCancel(bool deleteFile) {
    uint32_t expected = kCancelNone;
    m_cancelMode.compare_exchange_strong(expected, deleteFile ? kCancelDelete : kCancelAfterFile);
    return TkErrorSuccess;
}

TkError SaveThread::GetProgress(int32_t& fileProgress, int32_t& totalProgress) const {
    const uint64_t totalSamples = m_totalSamples.load(std::memory_order_relaxed);
    if (totalSamples == 0) return TkErrorInvalidState;
    const uint64_t totalDone = m_totalDone.load(std::memory_order_relaxed);
    const uint64_t fileSamples = m_fileSamples.load(std::memory_order_relaxed);
    const uint64_t fileDone = m_fileDone.load(std::memory_order_relaxed);
    totalProgress = static_cast<int32_t>(static_cast<double>(totalDone) / static_cast<double>(totalSamples) * 1000.0);
    fileProgress = fileSamples == 0
                       ? 0
                       : static_cast<int32_t>(static_cast<double>(fileDone) / static_cast<double>(fileSamples) * 1000.0);
    return TkErrorSuccess;
}

void SaveThread::SetBits(uint16_t bits) { m_bits.store(bits); }

uint16_t SaveThread::GetBits() const { return m_bits.load(); }

bool SaveThread::IsRunning() const { return m_running.load() && !m_finishing.load(); }

void SaveThread::WaitUntilFinished() {
    std::unique_lock<std::mutex> lock(m_runMutex);
    m_runEnded.wait(lock, [this] { return !m_running.load(); });
}

void SaveThread::SetVolumeQueries(SaveVolumeQueries queries) { m_volumeQueries = std::move(queries); }

std::string SaveThread::GetCreatedDirectory() const {
    std::lock_guard<std::mutex> lock(m_directoryMutex);
    return m_createdDirectory;
}

RecordData* SaveThread::GetRecordData() { return m_recordData; }

void SaveThread::SetRepairs(std::shared_ptr<const RepairedPlaces> repairs) { m_repairs = std::move(repairs); }

const RepairedPlaces* SaveThread::GetRepairs() { return m_repairs.get(); }

uint32_t SaveThread::GetCancelMode() { return m_cancelMode.load(); }

void SaveThread::SetFileProgress(uint64_t fileDone, uint64_t fileSamples) {
    m_fileSamples.store(fileSamples, std::memory_order_relaxed);
    m_fileDone.store(fileDone, std::memory_order_relaxed);
}

void SaveThread::AddTotalDone(uint64_t samples) {
    m_totalDone.fetch_add(samples, std::memory_order_relaxed);
}

TkError SaveThread::SaveCreateDirectory(const std::string& path) {
    const std::string dir = DirectoryPart(path);
    if (dir.empty()) return TkErrorFailed;
    if (CreateDirectory(dir.c_str(), nullptr)) {
        std::lock_guard<std::mutex> lock(m_directoryMutex);
        m_createdDirectory = dir;
    }
    return TkErrorSuccess;
}

bool SaveThread::CheckDiskSpace(const std::string& path, uint64_t bytes) {
    return HasDiskSpace(m_volumeQueries, path, bytes);
}

bool SaveThread::CheckFileSystemFileSizeLimit(const std::string& path, uint64_t bytes) {
    return FitsFileSystem(m_volumeQueries, path, bytes);
}

void SaveThread::SetFailureCause(const std::string& cause) { m_failureCause = cause; }

void SaveThread::NotifyFileSkipped(const std::string& path) {
    TRACE("skipped %s", path.c_str());
    m_manager->NotifyErrorMessageProc(TkNotifyFileSkipped, path.c_str());
}

uint64_t SaveThread::JobLength(const TkSaveSettingInternal& job) const {
    const uint64_t rate = m_recordData->GetSampleRate();
    // Counted over the same samples the writers take, so that the run's
    // progress reaches its end.
    const auto [first, end] = TrackSampleRange(rate, job.start, job.end, m_recordData->GetLength(true),
                                               m_recordData->GetSampleTypeInfo()->isDsd);
    return end > first ? end - first : 0;
}

bool SaveThread::WritesFlac(const TkSaveSettingInternal& job) const {
    return job.pcmFormat == PcmFileFormat::Flac && !m_recordData->GetSampleTypeInfo()->isDsd;
}

TkError SaveThread::WriteJob(const TkSaveSettingInternal& job) {
    if (m_recordData->GetSampleTypeInfo()->isDsd) return SaveDsfFile(*this, &job);
    if (WritesFlac(job)) return SaveFlacFile(*this, &job, GetBits());
    return SaveWavFile(*this, &job, GetBits());
}

void SaveThread::RemoveCreatedDirectoryIfEmpty() {
    const std::string dir = GetCreatedDirectory();
    if (!dir.empty() && PathIsDirectory(dir.c_str()) && PathIsDirectoryEmpty(dir.c_str())) {
        RemoveDirectory(dir.c_str());
    }
}

void SaveThread::ThreadImpl() {
    TkError result = TkErrorSuccess;
    const TkSaveSettingInternal* current = nullptr;
    if (HaveWork()) {
        for (const TkSaveSettingInternal& job : *m_jobs) {
            // A cancellation that arrived after the previous file was
            // completed starts no further file.
            if (m_cancelMode.load() != kCancelNone) {
                result = TkErrorCancelled;
                current = nullptr;
                break;
            }
            current = &job;
            m_failureCause.clear();
            result = WriteJob(job);
            if (result != TkErrorSuccess) break;
            // The writers count blocks as they start them; a written file is complete.
            m_fileDone.store(m_fileSamples.load(std::memory_order_relaxed), std::memory_order_relaxed);
        }
    }

    if (result != TkErrorSuccess && result != TkErrorCancelled) {
        // Everything the abort message needs is copied before the end is
        // announced: from then on a new save may replace the job list.
        const std::string path = current ? current->path : std::string();
        const std::string message = m_failureCause.empty() ? path : m_failureCause + ": " + path;
        TRACE("save aborted (%d): %s", result, message.c_str());
        Detach();
        m_finishing.store(true);
        m_manager->SaveRunEnded(false);
        m_manager->NotifyOperationProc(TkRecOperationSaveFinished);
        if (m_manager->IsTempDirectoryExists()) {
            m_manager->NotifyErrorMessageProc(TkNotifySaveAborted, message.c_str());
        } else {
            m_manager->NotifyErrorMessageProc(TkNotifyTempFolderUnusable, nullptr);
        }
        RemoveCreatedDirectoryIfEmpty();
    } else {
        if (result == TkErrorCancelled && m_cancelMode.load() == kCancelDelete && current != nullptr) {
            // The writer has discarded its unfinished file itself; a file
            // that had the name before is not the one that was cancelled.
            RemoveCreatedDirectoryIfEmpty();
        }
        current = nullptr;
        Detach();
        m_finishing.store(true);
        m_manager->SaveRunEnded(result == TkErrorSuccess);
        m_manager->NotifyOperationProc(TkRecOperationSaveFinished);
    }
    FinishRun();
}

bool SaveThread::HaveWork() const {
    return m_jobs != nullptr && m_recordData != nullptr && m_recordData->GetSampleTypeInfo() != nullptr &&
           !m_jobs->empty();
}

void SaveThread::ResetProgress() {
    // Reset before the thread starts, so that progress read right after a new
    // save never shows the previous run's figures.
    m_totalDone.store(0);
    m_fileDone.store(0);
    m_fileSamples.store(0);
    uint64_t total = 0;
    if (HaveWork()) {
        for (const TkSaveSettingInternal& job : *m_jobs) total += JobLength(job);
    }
    m_totalSamples.store(total);
}

void SaveThread::FinishRun() {
    std::lock_guard<std::mutex> lock(m_runMutex);
    m_running.store(false);
    m_runEnded.notify_all();
}
