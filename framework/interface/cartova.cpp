// The exported Cartova_* functions: each one forwards to the process-wide
// engine, turns its results into the C records of cartova.h, and lets no
// exception cross the interface (an exception becomes TkErrorFailed).
#include "cartova.h"

#include "ClickPlaceCopies.h"
#include "EngineInstance.h"
#include "GuardedCall.h"
#include "RecordCopies.h"
#include "TrackFindingCopies.h"
#include "engine/TempDirectory.h"
#include "engine/ToolkitManager.h"
#include "platform/Trace.h"
#include "save/CoverImage.h"
#include "restore/ClickAnalysis.h"
#include "save/TrackRange.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>


extern "C" {

CARTOVA_API TkError Cartova_Init(const ICartovaDelegate* delegate)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.Init(delegate); });
}

CARTOVA_API TkError Cartova_New(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.New(); });
}

CARTOVA_API TkError Cartova_GetAudioDevices(TkDeviceNameList** list)
{
    if (list == nullptr) {
        return TkErrorInvalidArgument;
    }
    *list = nullptr;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::vector<std::string> names;
        const TkError result = e.GetAudioDevices(names);
        if (result != TkErrorSuccess) {
            return result;
        }
        *list = CopyDeviceNameList(names);
        return *list != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseAudioDevices(TkDeviceNameList* list)
{
    FreeDeviceNameList(list);
}

CARTOVA_API TkError Cartova_GetAudioDeviceReport(char** report)
{
    if (report == nullptr) {
        return TkErrorInvalidArgument;
    }
    *report = nullptr;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::string text;
        const TkError result = e.GetAudioDeviceReport(text);
        if (result != TkErrorSuccess) {
            return result;
        }
        *report = strdup(text.c_str());
        return *report != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseAudioDeviceReport(char* report)
{
    free(report);
}

CARTOVA_API TkError Cartova_SetAudioDevice(const char* device_name)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SetAudioDevice(device_name); });
}

CARTOVA_API TkError Cartova_GetAudioDeviceInfo(TkAudioDeviceInfo** info)
{
    if (info == nullptr) {
        return TkErrorInvalidArgument;
    }
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        DeviceDescription description;
        const TkError result = e.GetAudioDeviceInfo(description);
        if (result != TkErrorSuccess) {
            return result;
        }
        TkAudioDeviceInfo* copy = CopyAudioDeviceInfo(description);
        if (copy == nullptr) {
            return TkErrorFailed;
        }
        *info = copy;
        return TkErrorSuccess;
    });
}

CARTOVA_API TkError Cartova_GetUsbDeviceDescription(int32_t vid, int32_t pid,
                                                    TkUsbDeviceDescription* description)
{
    if (description == nullptr) {
        return TkErrorInvalidArgument;
    }
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        UsbDeviceIdentity identity;
        const TkError result = e.GetUsbDeviceDescription(vid, pid, identity);
        if (result != TkErrorSuccess) {
            return result;
        }
        *description = TkUsbDeviceDescription{};
        // Cut at a character boundary so that the copy stays valid UTF-8.
        size_t length = std::min(identity.productName.size(), sizeof(description->product_name) - 1);
        while (length > 0 && length < identity.productName.size() &&
               (static_cast<unsigned char>(identity.productName[length]) & 0xC0) == 0x80) {
            --length;
        }
        std::memcpy(description->product_name, identity.productName.data(), length);
        description->bcd_device = identity.bcdDevice;
        return TkErrorSuccess;
    });
}

CARTOVA_API void Cartova_ReleaseAudioDeviceInfo(TkAudioDeviceInfo* info)
{
    FreeAudioDeviceInfo(info);
}

CARTOVA_API TkError Cartova_SetRecordSetting(const TkRecordSetting* setting)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SetRecordSetting(setting); });
}

CARTOVA_API TkError Cartova_GetRecordSetting(TkRecordSetting* setting)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.GetRecordSetting(setting); });
}

CARTOVA_API TkError Cartova_StartPreRecording(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.StartPreRecording(); });
}

CARTOVA_API TkError Cartova_Start(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.Start(); });
}

CARTOVA_API TkError Cartova_Stop(bool wait)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.Stop(wait); });
}

CARTOVA_API TkError Cartova_Pause(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.Pause(); });
}

CARTOVA_API TkError Cartova_Resume(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.Resume(); });
}

CARTOVA_API TkError Cartova_SetPauseSchedule(const TkPauseSpan* list, size_t count)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SetPauseSchedule(list, count); });
}

CARTOVA_API TkError Cartova_EnableLoopback(int8_t enable)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.EnableLoopback(enable); });
}

CARTOVA_API TkError Cartova_StartPlay(double position)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.StartPlay(position); });
}

CARTOVA_API TkError Cartova_GetPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                           size_t buffer_samples)
{
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        return e.GetPreviewData(first, end, buffer, buffer_samples, true);
    });
}

CARTOVA_API TkError Cartova_GetRecordingPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                                    size_t buffer_samples)
{
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        return e.GetPreviewData(first, end, buffer, buffer_samples, false);
    });
}

CARTOVA_API TkError Cartova_GetPreviewDataLength(uint64_t* frames)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.GetPreviewDataLength(frames, true); });
}

CARTOVA_API TkError Cartova_GetRecordingPreviewDataLength(uint64_t* frames)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.GetPreviewDataLength(frames, false); });
}

CARTOVA_API TkError Cartova_SaveFile(const TkSaveSetting* list, size_t count)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SaveFile(list, count); });
}

CARTOVA_API TkError Cartova_SaveFileProgress(int32_t* file_progress, int32_t* total_progress)
{
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        return e.SaveFileProgress(file_progress, total_progress);
    });
}

CARTOVA_API TkError Cartova_SaveFileCancel(bool delete_partial)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SaveFileCancel(delete_partial); });
}

CARTOVA_API TkError Cartova_SetPcmFileFormat(TkPcmFileFormat format, int32_t compression_level)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SetPcmFileFormat(format, compression_level); });
}

CARTOVA_API TkError Cartova_CheckCoverImage(const char* path, char** message)
{
    if (message == nullptr) {
        return TkErrorInvalidArgument;
    }
    *message = nullptr;
    if (path == nullptr) {
        return TkErrorInvalidArgument;
    }
    try {
        CoverImage image;
        std::string problem;
        const CoverProblem found = LoadCoverImage(path, image, problem);
        if (found == CoverProblem::None) {
            return TkErrorSuccess;
        }
        *message = strdup(problem.c_str());
        switch (found) {
        case CoverProblem::NotPngOrJpeg:
            return TkErrorInvalidArgument;
        case CoverProblem::TooLarge:
            return TkErrorNotSupported;
        default:
            return TkErrorFailed;
        }
    } catch (const std::exception& e) {
        TRACE("%s failed: %s", __func__, e.what());
    }
    return TkErrorFailed;
}

CARTOVA_API void Cartova_ReleaseCoverImageProblem(char* message)
{
    std::free(message);
}

CARTOVA_API uint64_t Cartova_SecondsToSamples(uint64_t sample_rate, double seconds)
{
    return SecondsToSamples(sample_rate, seconds);
}

CARTOVA_API TkError Cartova_SetTempDirectory(const char* path)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SetTempDirectory(path); });
}

CARTOVA_API TkError Cartova_DeleteTempLeftovers(const char* folder)
{
    if (folder == nullptr)
        return TkErrorInvalidArgument;
    DeleteFrameworkTempFiles(folder);
    return TkErrorSuccess;
}

CARTOVA_API TkError Cartova_GetDroppedAudio(TkDroppedAudio** list, size_t* count)
{
    if (list == nullptr || count == nullptr) {
        return TkErrorInvalidArgument;
    }
    *list = nullptr;
    *count = 0;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::vector<TkDroppedAudio> gaps;
        const TkError result = e.GetDroppedAudio(gaps);
        if (result != TkErrorSuccess || gaps.empty()) {
            return result;
        }
        *list = CopyDroppedAudio(gaps);
        if (*list == nullptr) {
            return TkErrorFailed;
        }
        *count = gaps.size();
        return TkErrorSuccess;
    });
}

CARTOVA_API void Cartova_ReleaseDroppedAudio(TkDroppedAudio* list)
{
    std::free(list);
}

CARTOVA_API TkError Cartova_GetDeviceProblem(char** message)
{
    if (message == nullptr) {
        return TkErrorInvalidArgument;
    }
    *message = nullptr;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::string problem;
        const TkError result = e.GetDeviceProblem(problem);
        if (result != TkErrorSuccess || problem.empty()) {
            return result;
        }
        *message = strdup(problem.c_str());
        return *message != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseDeviceProblem(char* message)
{
    std::free(message);
}

CARTOVA_API TkError Cartova_FindTrackGaps(const TkTrackGapSetting* setting,
                                          TkTrackBoundaryList** list)
{
    if (list == nullptr) {
        return TkErrorInvalidArgument;
    }
    *list = nullptr;
    const TrackGapParameters parameters = GapParameters(setting);
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::vector<double> boundaries;
        const TkError result = e.FindTrackGaps(parameters, boundaries);
        if (result != TkErrorSuccess) {
            return result;
        }
        *list = CopyTrackBoundaryList(boundaries);
        return *list != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseTrackGaps(TkTrackBoundaryList* list)
{
    FreeTrackBoundaryList(list);
}

CARTOVA_API TkError Cartova_FindTracks(const TkTrackGapSetting* setting, uint32_t track_count,
                                       TkTrackFinding** finding)
{
    if (finding == nullptr) {
        return TkErrorInvalidArgument;
    }
    *finding = nullptr;
    const TrackGapParameters parameters = GapParameters(setting);
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        SideAnalysis side;
        const TkError result = e.AnalyseSide(parameters, track_count, side);
        if (result != TkErrorSuccess) {
            return result;
        }
        *finding = CopyTrackFinding(side);
        return *finding != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseTrackFinding(TkTrackFinding* finding)
{
    FreeTrackFinding(finding);
}

CARTOVA_API TkError Cartova_FindClicks(TkClickSensitivity sensitivity)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.FindClicks(sensitivity); });
}

CARTOVA_API TkError Cartova_FindClicksProgress(int32_t* progress, TkClickAnalysisState* state)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.FindClicksProgress(progress, state); });
}

CARTOVA_API TkError Cartova_FindClicksCancel(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.FindClicksCancel(); });
}

CARTOVA_API TkError Cartova_GetClickPlaces(TkClickPlaceList** list)
{
    if (list == nullptr) {
        return TkErrorInvalidArgument;
    }
    *list = nullptr;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::shared_ptr<const RepairedPlaces> places;
        const TkError result = e.GetClickPlaces(places);
        if (result != TkErrorSuccess) {
            return result;
        }
        *list = CopyClickPlaceList(places.get());
        return *list != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseClickPlaces(TkClickPlaceList* list)
{
    FreeClickPlaceList(list);
}

CARTOVA_API TkError Cartova_SetClickRepair(bool on_preview, bool on_save)
{
    return Guarded(__func__, [&](ToolkitManager& e) { return e.SetClickRepair(on_preview, on_save); });
}

CARTOVA_API TkError Cartova_ClearClickPlaces(void)
{
    return Guarded(__func__, [](ToolkitManager& e) { return e.ClearClickPlaces(); });
}

CARTOVA_API TkError Cartova_GetRepairedPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                                   size_t buffer_samples)
{
    return Guarded(__func__, [&](ToolkitManager& e) {
        return e.GetRepairedPreviewData(first, end, buffer, buffer_samples);
    });
}

CARTOVA_API TkError Cartova_RepairClicksInSamples(const TkSampleSource* source, TkClickSensitivity sensitivity,
                                                  TkClickPlaceList** list)
{
    if (list == nullptr) {
        return TkErrorInvalidArgument;
    }
    *list = nullptr;
    if (source == nullptr || source->read == nullptr || source->channels == 0 || source->channels > 32 ||
        source->sample_rate == 0 || sensitivity < TkClickSensitivityLow || sensitivity > TkClickSensitivityHigh) {
        return TkErrorInvalidArgument;
    }
    // No engine: the analysis runs here, on the caller's thread and every core.
    try {
        CallbackSampleSource samples(*source);
        AnalysisControl control;
        const AnalysisOutcome outcome = AnalyseClicks(samples, static_cast<ClickSensitivity>(sensitivity), control);
        if (outcome.status != AnalysisStatus::Finished) {
            return TkErrorFailed;
        }
        *list = CopyClickPlaceList(&outcome.places);
        return *list != nullptr ? TkErrorSuccess : TkErrorFailed;
    } catch (const std::exception& e) {
        TRACE("%s failed: %s", __func__, e.what());
    }
    return TkErrorFailed;
}

} // extern "C"
