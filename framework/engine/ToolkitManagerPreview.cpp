// The engine's preview access: frames of the finished (recorded) or the
// recording (live) view copied into the caller's buffer, and their lengths.
// Called from the application's main thread and from its waveform and
// playback threads; the preview store serialises the accesses itself.
#include "engine/ToolkitManager.h"

#include <algorithm>
#include <cstddef>

TkError ToolkitManager::GetPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                       size_t bufferSamples, bool finished)
{
    if (buffer == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    if (end < first) {
        return TkErrorInvalidArgument;
    }
    const uint64_t channels = m_preview.GetChannels();
    const uint64_t frames = end - first;
    if (channels == 0 || frames > bufferSamples / channels) {
        return TkErrorInvalidArgument; // nothing to read, or the buffer is too small
    }
    std::vector<int16_t> samples;
    const TkError result = m_preview.GetData(first, end, samples, finished);
    if (result != TkErrorSuccess) {
        return result;
    }
    const size_t count = static_cast<size_t>(channels * frames);
    if (samples.size() < count) {
        return TkErrorFailed;
    }
    std::copy(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(count), buffer);
    return TkErrorSuccess;
}

TkError ToolkitManager::GetPreviewDataLength(uint64_t* frames, bool finished)
{
    if (frames == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    *frames = m_preview.GetLength(finished);
    return TkErrorSuccess;
}
