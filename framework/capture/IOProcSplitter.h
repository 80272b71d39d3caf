// The capture half of the device's IO callback: splits one cycle's input
// buffers into one byte buffer per channel, written straight into a slot of
// the capture target, and queues the slot as one cycle, so that the cycle is
// queued or refused for all channels together. PCM channels keep the 32-bit
// floats as delivered; DSD channels are turned back into their 16-bit
// carriage words. Runs on the real-time IO thread: it allocates nothing,
// takes no lock of its own and touches no file.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "capture/ICaptureTarget.h"

// One input buffer of a cycle: `channels` interleaved 32-bit float channels.
struct CaptureInputBuffer {
    uint32_t channels;
    uint32_t byteSize;
    const void* data;
};

// Splits the buffers in list order; channels are numbered across buffers
// (a stereo buffer gives channels 0 and 1, two mono buffers do too), then the
// recording thread is woken. An empty list only wakes it.
void IOProc_PCM(const CaptureInputBuffer* buffers, size_t count, ICaptureTarget& target);
void IOProc_DSD16(const CaptureInputBuffer* buffers, size_t count, ICaptureTarget& target);

// The same for any buffer list laid out like the audio layer's
// (mNumberBuffers, mBuffers[i].mNumberChannels / mDataByteSize / mData);
// a null list only wakes the recording thread.
template <class BufferList>
void SplitBufferList(const BufferList* list, bool dsd, ICaptureTarget& target);

// ---------------------------------------------------------------------------

// Whole frames in a buffer (0 without channels or data).
size_t CaptureFrames(const CaptureInputBuffer& buffer);
// Stored bytes per frame of one channel: 2 for DSD words, 4 for floats.
constexpr size_t StoredFrameBytes(bool dsd)
{
    return dsd ? 2 : 4;
}
// Converts frames [first, first + count) of one channel of `buffer` (clipped
// to the buffer's frames) into `out`; returns the frames written.
size_t WriteChannelFrames(const CaptureInputBuffer& buffer, uint32_t channel, size_t first,
                          size_t count, bool dsd, uint8_t* out);

// Splits a cycle whose buffer i is bufferAt(i), for i < count. Cycles longer
// than a slot go out as consecutive slots, each queued or refused whole.
template <class BufferAt>
void SplitCycle(size_t count, const BufferAt& bufferAt, bool dsd, ICaptureTarget& target)
{
    size_t channels = 0;
    size_t frames = 0;
    for (size_t i = 0; i < count; ++i) {
        const CaptureInputBuffer buffer = bufferAt(i);
        channels += buffer.channels;
        frames = std::max(frames, CaptureFrames(buffer));
    }
    const size_t frameBytes = StoredFrameBytes(dsd);
    const size_t slotFrames = target.CycleCapacity() / frameBytes;
    if (channels == 0 || channels > USHRT_MAX || slotFrames == 0) {
        frames = 0;
    }
    for (size_t first = 0; first < frames; first += slotFrames) {
        const size_t take = std::min(slotFrames, frames - first);
        CaptureCycle* cycle = nullptr;
        // A refused cycle is remembered by the queue as a gap; nothing to do here.
        if (target.BeginCycle(static_cast<unsigned short>(channels), take * frameBytes, cycle) !=
            TkErrorSuccess) {
            continue;
        }
        unsigned short channel = 0;
        for (size_t i = 0; i < count; ++i) {
            const CaptureInputBuffer buffer = bufferAt(i);
            for (uint32_t c = 0; c < buffer.channels; ++c, ++channel) {
                const size_t written =
                    WriteChannelFrames(buffer, c, first, take, dsd, cycle->Data(channel));
                cycle->SetSize(channel, written * frameBytes);
            }
        }
        target.CommitCycle();
    }
    target.RecThread_AddDataNotify();
}

template <class BufferList>
void SplitBufferList(const BufferList* list, bool dsd, ICaptureTarget& target)
{
    const size_t count = list != nullptr ? list->mNumberBuffers : 0;
    SplitCycle(
        count,
        [list](size_t i) {
            const auto& b = list->mBuffers[i];
            return CaptureInputBuffer{static_cast<uint32_t>(b.mNumberChannels),
                                      static_cast<uint32_t>(b.mDataByteSize), b.mData};
        },
        dsd, target);
}
