// The engine's hand-over of a track list to the save thread, with progress
// and cancel passed straight through.
#include "engine/ToolkitManager.h"

#include <cmath>

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
    // A run that has announced its end may still be on its way out; the job
    // list it was given is replaced only after it has ended.
    m_saveThread.WaitUntilFinished();
    m_saveJobs.clear();
    for (size_t i = 0; i < count; ++i) {
        m_saveJobs.push_back(ToInternal(list[i]));
    }
    m_saveThread.SetRepairs(m_clickRepair.ForSave());
    return m_saveThread.SaveFiles(&m_saveJobs, &m_recordData, this);
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
