// The capture half of the device's IO callback: splits one cycle's input
// buffers into one byte buffer per channel and hands them to the capture
// target as one cycle, so that the cycle is queued or refused for all
// channels together. PCM channels keep the 32-bit floats as delivered; DSD
// channels are turned back into their 16-bit carriage words. Runs on the
// real-time IO thread: it allocates one vector per channel and touches no file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

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

// Appends one buffer's channels to `cycle`, in order. Buffers without
// channels are skipped.
void SplitInputBuffer(const CaptureInputBuffer& buffer, bool dsd, std::vector<std::vector<uint8_t>>& cycle);

// Hands a split cycle to the target (nothing when it has no channel) and
// wakes the recording thread.
void DeliverCycle(std::vector<std::vector<uint8_t>>&& cycle, ICaptureTarget& target);

template <class BufferList>
void SplitBufferList(const BufferList* list, bool dsd, ICaptureTarget& target)
{
    std::vector<std::vector<uint8_t>> cycle;
    if (list != nullptr) {
        cycle.reserve(list->mNumberBuffers * 2u);
        for (uint32_t i = 0; i < list->mNumberBuffers; ++i) {
            const auto& b = list->mBuffers[i];
            CaptureInputBuffer buffer{static_cast<uint32_t>(b.mNumberChannels),
                                      static_cast<uint32_t>(b.mDataByteSize), b.mData};
            SplitInputBuffer(buffer, dsd, cycle);
        }
    }
    DeliverCycle(std::move(cycle), target);
}
