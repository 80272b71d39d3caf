// The engine's hand-over of a track list to the save thread (with the PCM
// file format and, for FLAC, the cover pictures loaded once), with progress
// and cancel passed straight through.
#include "engine/ToolkitManager.h"

#include "platform/Trace.h"
#include "save/CoverImage.h"
#include "save/FlacTags.h"

#include <cmath>
#include <map>
#include <memory>

namespace {

// A track whose strings are missing cannot be written; it is refused before
// anything is handed to the save thread.
bool IsValidSaveSetting(const TkSaveSetting& setting)
{
    if (setting.path == nullptr || (setting.tags == nullptr && setting.tag_count != 0)) {
        return false;
    }
    // A NaN or infinite gain would write full-scale DC or silence.
    if (!std::isfinite(setting.gain)) {
        return false;
    }
    for (size_t i = 0; i < setting.tag_count; ++i) {
        if (setting.tags[i].key == nullptr || setting.tags[i].value == nullptr) {
            return false;
        }
    }
    return true;
}

// The FLAC tags of a track that must be numbers are, when given.
bool HasValidTrackNumbers(const TkSaveSettingInternal& job)
{
    for (const char* key : {kTagTrackNumber, kTagTrackTotal}) {
        const std::string value = TagValue(job.tags, key);
        if (!value.empty() && PlainTrackNumber(value).empty()) {
            return false;
        }
    }
    return true;
}

// Loads the cover of every job that names one, each picture once; false
// when one cannot be used.
bool LoadCovers(std::vector<TkSaveSettingInternal>& jobs)
{
    std::map<std::string, std::shared_ptr<const CoverImage>> loaded;
    for (TkSaveSettingInternal& job : jobs) {
        const std::string path = TagValue(job.tags, kTagCoverImage);
        if (path.empty()) {
            continue;
        }
        auto& cover = loaded[path];
        if (cover == nullptr) {
            auto image = std::make_shared<CoverImage>();
            std::string message;
            if (LoadCoverImage(path, *image, message) != CoverProblem::None) {
                TRACE("cover refused: %s", message.c_str());
                return false;
            }
            cover = std::move(image);
        }
        job.cover = cover;
    }
    return true;
}

TkSaveSettingInternal ToInternal(const TkSaveSetting& setting)
{
    TkSaveSettingInternal job;
    job.path = setting.path;
    job.start = setting.start;
    job.end = setting.end;
    job.gain = setting.gain;
    for (size_t i = 0; i < setting.tag_count; ++i) {
        job.tags[setting.tags[i].key] = setting.tags[i].value;
    }
    return job;
}

} // namespace

TkError ToolkitManager::SaveFile(const TkSaveSetting* list, size_t count)
{
    if (list == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    for (size_t i = 0; i < count; ++i) {
        if (!IsValidSaveSetting(list[i])) {
            return TkErrorInvalidArgument;
        }
    }
    // The running job list must stay as it is until its run has ended.
    if (m_saveThread.IsRunning()) {
        return TkErrorFailed;
    }
    std::vector<TkSaveSettingInternal> jobs;
    for (size_t i = 0; i < count; ++i) {
        jobs.push_back(ToInternal(list[i]));
        jobs.back().pcmFormat = m_pcmFileFormat;
        jobs.back().flacCompression = m_flacCompression;
        if (m_pcmFileFormat == PcmFileFormat::Flac && !HasValidTrackNumbers(jobs.back())) {
            return TkErrorInvalidArgument;
        }
    }
    // A cover that cannot be used refuses the save before anything is written.
    if (m_pcmFileFormat == PcmFileFormat::Flac && !LoadCovers(jobs)) {
        return TkErrorInvalidArgument;
    }
    // A run that has announced its end may still be on its way out; the job
    // list it was given is replaced only after it has ended.
    m_saveThread.WaitUntilFinished();
    m_saveJobs = std::move(jobs);
    m_saveSkipped.store(false);
    m_saveThread.SetRepairs(m_clickRepair.ForSave());
    return m_saveThread.SaveFiles(&m_saveJobs, &m_recordData, this);
}

void ToolkitManager::SaveRunEnded(bool everyFileWritten)
{
    // The journal goes only once the last track file is complete: a run cut
    // short leaves the recording recoverable.
    if (everyFileWritten && !m_saveSkipped.load()) {
        m_journal.Remove();
    }
}

TkError ToolkitManager::SetPcmFileFormat(TkPcmFileFormat format, int32_t compressionLevel)
{
    if ((format != TkPcmFileFormatWav && format != TkPcmFileFormatFlac) || compressionLevel < 0 ||
        compressionLevel > 8) {
        return TkErrorInvalidArgument;
    }
    m_pcmFileFormat = format == TkPcmFileFormatFlac ? PcmFileFormat::Flac : PcmFileFormat::Wav;
    m_flacCompression = static_cast<uint32_t>(compressionLevel);
    return TkErrorSuccess;
}

TkError ToolkitManager::SaveFileProgress(int32_t* fileProgress, int32_t* totalProgress)
{
    if (fileProgress == nullptr || totalProgress == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    int32_t file = 0;
    int32_t total = 0;
    const TkError result = m_saveThread.GetProgress(file, total);
    if (result != TkErrorSuccess) {
        return result;
    }
    *fileProgress = file;
    *totalProgress = total;
    return TkErrorSuccess;
}

TkError ToolkitManager::SaveFileCancel(bool deletePartial)
{
    m_saveThread.SaveCancel(deletePartial);
    return TkErrorSuccess;
}
