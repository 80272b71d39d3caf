// The engine's click repair calls: the analysis of the finished PCM
// recording on a thread of its own, its places, and the repaired preview.
// Tracks get the repair through the save thread (ToolkitManagerSave.cpp).
#include "engine/ToolkitManager.h"

#include "convert/SampleTypeInfo.h"
#include "engine/RecordSampleSource.h"

#include <algorithm>
#include <vector>

namespace {

bool ToSensitivity(TkClickSensitivity value, ClickSensitivity& sensitivity)
{
    switch (value) {
    case TkClickSensitivityLow:
        sensitivity = ClickSensitivity::Low;
        return true;
    case TkClickSensitivityNormal:
        sensitivity = ClickSensitivity::Normal;
        return true;
    case TkClickSensitivityHigh:
        sensitivity = ClickSensitivity::High;
        return true;
    default:
        return false;
    }
}

} // namespace

TkError ToolkitManager::FindClicks(TkClickSensitivity value)
{
    ClickSensitivity sensitivity = ClickSensitivity::Normal;
    if (!ToSensitivity(value, sensitivity)) {
        return TkErrorInvalidArgument;
    }
    // Only a recording that is not growing can be analysed.
    const TkError state = CheckState({EngineState::Initialized, EngineState::DeviceReady});
    if (state != TkErrorSuccess) {
        return state;
    }
    const SampleTypeInfo* type = m_recordData.GetSampleTypeInfo();
    if (type == nullptr || m_recordData.GetChannels() == 0 || m_recordData.GetLength(true) == 0) {
        return TkErrorInvalidState; // nothing recorded
    }
    if (type->isDsd) {
        return TkErrorNotSupported; // DSD bits are not edited
    }
    return m_clickRepair.Start(std::make_unique<RecordSampleSource>(m_recordData), sensitivity);
}

TkError ToolkitManager::FindClicksProgress(int32_t* progress, TkClickAnalysisState* state)
{
    if (progress == nullptr || state == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    *state = m_clickRepair.State();
    *progress = m_clickRepair.Progress();
    return TkErrorSuccess;
}

TkError ToolkitManager::FindClicksCancel()
{
    m_clickRepair.Cancel();
    return TkErrorSuccess;
}

TkError ToolkitManager::GetClickPlaces(std::shared_ptr<const RepairedPlaces>& places)
{
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    places = m_clickRepair.Places();
    return TkErrorSuccess;
}

TkError ToolkitManager::SetClickRepair(bool onPreview, bool onSave)
{
    m_clickRepair.SetApplied(onPreview, onSave);
    return TkErrorSuccess;
}

TkError ToolkitManager::ClearClickPlaces()
{
    m_clickRepair.Clear();
    return TkErrorSuccess;
}

TkError ToolkitManager::GetRepairedPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples)
{
    const TkError result = GetPreviewData(first, end, buffer, bufferSamples, true);
    const std::shared_ptr<const RepairedPlaces> places = m_clickRepair.ForPreview();
    const SampleTypeInfo* type = m_recordData.GetSampleTypeInfo();
    if (result != TkErrorSuccess || places == nullptr || type == nullptr || type->isDsd || type->toInt16 == nullptr) {
        return result;
    }
    // A PCM preview frame is a recorded sample: each repaired stretch is
    // converted to 16 bits by the preview's own converter and laid in.
    const uint16_t channels = m_preview.GetChannels();
    std::vector<int16_t> converted;
    for (uint16_t c = 0; c < channels; ++c) {
        places->ForEachRepair(c, first, static_cast<size_t>(end - first),
                              [&](size_t offset, const float* samples, size_t n) {
                                  converted.resize(n);
                                  type->toInt16(converted.data(), samples, n);
                                  for (size_t i = 0; i < n; ++i) {
                                      buffer[(offset + i) * channels + c] = converted[i];
                                  }
                              });
    }
    return TkErrorSuccess;
}
