// The save thread: writes the engine's list of tracks one after the other
// from the recorded stream of RecordData, as DSF files for DSD recordings and
// WAV or FLAC files (as each job asks) for PCM recordings. It keeps the
// progress that the application polls, accepts a cancellation (abort and
// delete the file being written, or stop after it), creates the album folder
// and removes it again when the run leaves it empty, and reports the end of
// every run with TkRecOperationSaveFinished (plus TkNotifySaveAborted or
// TkNotifyTempFolderUnusable when a run fails).
#pragma once

#include "engine/IToolkitManager.h"
#include "save/SaveDsfFile.h"
#include "save/SaveVolumeChecks.h"
#include "save/TkSaveSettingInternal.h"
#include "thread/ThreadBase.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class PreviewData;
class RecordData;
class RepairedPlaces;

class SaveThread : public ThreadBase, public IDsfWriterHost {
public:
    using JobList = std::vector<TkSaveSettingInternal>;

    // Cancel modes.
    static constexpr uint32_t kCancelNone = 0;
    static constexpr uint32_t kCancelDelete = 1; // abort now, delete the file being written
    static constexpr uint32_t kCancelAfterFile = 2; // finish the file being written, start no other

    SaveThread();
    ~SaveThread() override;

    // Starts a run over jobs (not owned; must not change while the run
    // lasts). -2 without a manager; -3 while a run is going on or when the
    // thread cannot be created; else 0. previewData is only stored.
    TkError Start(const JobList* jobs, RecordData* recordData, PreviewData* previewData,
                  IToolkitManager* manager);
    // Start without preview data; what the engine uses.
    TkError SaveFiles(const JobList* jobs, RecordData* recordData, IToolkitManager* manager);

    // Sets the cancel mode unless one is already set; always 0.
    TkError SaveCancel(bool deleteFile);

    // Progress of the current file and of the run, in thousandths.
    // -6 when no run has had anything to write yet.
    TkError GetProgress(int32_t& fileProgress, int32_t& totalProgress) const;

    // Bit depth of WAV and FLAC output: 16, 24 or 32 (32 until set).
    void SetBits(uint16_t bits);
    uint16_t GetBits() const;

    // True from Start until the thread body has returned.
    bool IsRunning() const;
    // Blocks until the current run (if any) has ended.
    void WaitUntilFinished();

    // The click repairs the next runs lay over the tracks they write (null:
    // none). Only while no run is going on.
    void SetRepairs(std::shared_ptr<const RepairedPlaces> repairs);

    // Replaces the volume queries behind the disk-space and file-system
    // checks. Only while no run is going on.
    void SetVolumeQueries(SaveVolumeQueries queries);


    // The directory this run created last (with its trailing "/"), or empty.
    std::string GetCreatedDirectory() const;

    // What the writers use (IDsfWriterHost).
    RecordData* GetRecordData() override;
    uint32_t GetCancelMode() override;
    void SetFileProgress(uint64_t fileDone, uint64_t fileSamples) override;
    void AddTotalDone(uint64_t samples) override;
    // Creates the one directory level of path's directory part; -3 when path
    // has no "/", else 0 whether or not a directory was created.
    TkError SaveCreateDirectory(const std::string& path) override;
    bool CheckDiskSpace(const std::string& path, uint64_t bytes) override;
    bool CheckFileSystemFileSizeLimit(const std::string& path, uint64_t bytes) override;
    void NotifyFileSkipped(const std::string& path) override;
    void SetFailureCause(const std::string& cause) override;
    const RepairedPlaces* GetRepairs() override;

protected:
    void ThreadImpl() override;

private:
    // Length of a job in samples as the writer will count it.
    uint64_t JobLength(const TkSaveSettingInternal& job) const;
    // True when job is written by the FLAC writer (a PCM recording whose
    // job asks for FLAC).
    bool WritesFlac(const TkSaveSettingInternal& job) const;
    TkError WriteJob(const TkSaveSettingInternal& job);
    // Removes the directory this run created when it is empty.
    void RemoveCreatedDirectoryIfEmpty();
    bool HaveWork() const;
    void ResetProgress();
    void FinishRun();

    const JobList* m_jobs = nullptr;
    RecordData* m_recordData = nullptr;
    PreviewData* m_previewData = nullptr;
    IToolkitManager* m_manager = nullptr;
    SaveVolumeQueries m_volumeQueries;
    std::shared_ptr<const RepairedPlaces> m_repairs;

    std::atomic<uint16_t> m_bits{32};
    std::atomic<uint32_t> m_cancelMode{kCancelNone};
    std::atomic<uint64_t> m_totalDone{0};
    std::atomic<uint64_t> m_totalSamples{0};
    std::atomic<uint64_t> m_fileDone{0};
    std::atomic<uint64_t> m_fileSamples{0};

    mutable std::mutex m_directoryMutex;
    std::string m_createdDirectory;
    // Why the current job failed; written and read by the save thread only.
    std::string m_failureCause;

    std::mutex m_runMutex;
    std::condition_variable m_runEnded;
    std::atomic<bool> m_running{false};
    // Set once the run has announced its end; it then only tidies up.
    std::atomic<bool> m_finishing{false};
};
