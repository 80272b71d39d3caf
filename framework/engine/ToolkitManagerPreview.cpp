// The engine's preview access: frames of the finished (recorded) or the
// recording (live) view copied into the caller's buffer, and their lengths.
// Called from the application's main thread and from its waveform and
// playback threads; the preview store serialises the accesses itself.
#include "engine/ToolkitManager.h"

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
    if (end == first) {
        return TkErrorSuccess;
    }
    // Preview seam, once PreviewData exists:
    //   channels = m_preview.GetChannels();
    //   if (channels x (end - first) > bufferSamples) return -2;
    //   read frames [first, end) of the chosen view into a temporary vector
    //   (an error of the preview is returned, nothing copied), then copy
    //   channels x (end - first) samples into buffer.
    // Until then the preview is empty and every non-empty range lies outside it.
    (void)bufferSamples;
    (void)finished;
    return TkErrorInvalidArgument;
}

TkError ToolkitManager::GetPreviewDataLength(uint64_t* frames, bool finished)
{
    if (frames == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (m_state.load() == EngineState::Uninitialized) {
        return TkErrorNotInitialized;
    }
    // Preview seam: *frames = m_preview.GetLength(finished) once PreviewData exists.
    (void)finished;
    *frames = 0;
    return TkErrorSuccess;
}
