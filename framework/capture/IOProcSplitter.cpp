// De-interleaving of one IO cycle into per-channel buffers; see IOProcSplitter.h.
#include "capture/IOProcSplitter.h"

#include <cstring>
#include <utility>
#include <vector>

#include "capture/Float_To_DSD16.h"

namespace {

constexpr size_t kFloatBytes = 4;

// Copies one channel's 32-bit words out of an interleaved buffer, unchanged.
std::vector<uint8_t> ExtractFloatChannel(const uint8_t* src, size_t frames, size_t stride)
{
    std::vector<uint8_t> out(frames * kFloatBytes);
    uint8_t* dst = out.data();
    for (size_t f = 0; f < frames; ++f) {
        std::memcpy(dst + f * kFloatBytes, src + f * stride, kFloatBytes);
    }
    return out;
}

// Converts one channel's floats to 16-bit DSD words, stored little-endian.
std::vector<uint8_t> ExtractDsdChannel(const uint8_t* src, size_t frames, size_t stride)
{
    std::vector<uint8_t> out(frames * 2);
    uint8_t* dst = out.data();
    for (size_t f = 0; f < frames; ++f) {
        float x;
        std::memcpy(&x, src + f * stride, sizeof x);
        const auto word = static_cast<uint16_t>(DsdWordFromFloat(x));
        dst[2 * f] = static_cast<uint8_t>(word & 0xFF);
        dst[2 * f + 1] = static_cast<uint8_t>(word >> 8);
    }
    return out;
}

void SplitList(const CaptureInputBuffer* buffers, size_t count, bool dsd, ICaptureTarget& target)
{
    std::vector<std::vector<uint8_t>> cycle;
    if (buffers != nullptr) {
        for (size_t i = 0; i < count; ++i) {
            SplitInputBuffer(buffers[i], dsd, cycle);
        }
    }
    DeliverCycle(std::move(cycle), target);
}

}  // namespace

void SplitInputBuffer(const CaptureInputBuffer& buffer, bool dsd, std::vector<std::vector<uint8_t>>& cycle)
{
    if (buffer.channels == 0) {
        return;  // nothing to number; a zero count would divide by zero below
    }
    const size_t stride = static_cast<size_t>(buffer.channels) * kFloatBytes;
    const size_t frames = buffer.data != nullptr ? buffer.byteSize / stride : 0;
    const auto* base = static_cast<const uint8_t*>(buffer.data);
    for (uint32_t c = 0; c < buffer.channels; ++c) {
        const uint8_t* src = base != nullptr ? base + c * kFloatBytes : nullptr;
        cycle.push_back(dsd ? ExtractDsdChannel(src, frames, stride) : ExtractFloatChannel(src, frames, stride));
    }
}

void DeliverCycle(std::vector<std::vector<uint8_t>>&& cycle, ICaptureTarget& target)
{
    // A refused cycle is remembered by the queue as a gap; nothing to do here.
    if (!cycle.empty()) {
        target.EnqueueCycle(std::move(cycle));
    }
    target.RecThread_AddDataNotify();
}

void IOProc_PCM(const CaptureInputBuffer* buffers, size_t count, ICaptureTarget& target)
{
    SplitList(buffers, count, false, target);
}

void IOProc_DSD16(const CaptureInputBuffer* buffers, size_t count, ICaptureTarget& target)
{
    SplitList(buffers, count, true, target);
}
