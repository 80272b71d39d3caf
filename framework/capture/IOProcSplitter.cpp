// De-interleaving of one IO cycle into the channels of a capture slot; see IOProcSplitter.h.
#include "capture/IOProcSplitter.h"

#include <cstring>

#include "capture/Float_To_DSD16.h"

namespace {

constexpr size_t kFloatBytes = 4;

// Copies one channel's 32-bit words out of an interleaved buffer, unchanged.
void CopyFloatChannel(const uint8_t* src, size_t frames, size_t stride, uint8_t* dst)
{
    for (size_t f = 0; f < frames; ++f) {
        std::memcpy(dst + f * kFloatBytes, src + f * stride, kFloatBytes);
    }
}

// Converts one channel's floats to 16-bit DSD words, stored little-endian.
void ConvertDsdChannel(const uint8_t* src, size_t frames, size_t stride, uint8_t* dst)
{
    for (size_t f = 0; f < frames; ++f) {
        float x;
        std::memcpy(&x, src + f * stride, sizeof x);
        const auto word = static_cast<uint16_t>(DsdWordFromFloat(x));
        dst[2 * f] = static_cast<uint8_t>(word & 0xFF);
        dst[2 * f + 1] = static_cast<uint8_t>(word >> 8);
    }
}

} // namespace

size_t CaptureFrames(const CaptureInputBuffer& buffer)
{
    if (buffer.channels == 0 || buffer.data == nullptr) {
        return 0; // nothing to number; a zero count would divide by zero
    }
    return buffer.byteSize / (static_cast<size_t>(buffer.channels) * kFloatBytes);
}

size_t WriteChannelFrames(const CaptureInputBuffer& buffer, uint32_t channel, size_t first,
                          size_t count, bool dsd, uint8_t* out)
{
    const size_t frames = CaptureFrames(buffer);
    if (channel >= buffer.channels || first >= frames) {
        return 0;
    }
    const size_t take = std::min(count, frames - first);
    const size_t stride = static_cast<size_t>(buffer.channels) * kFloatBytes;
    const uint8_t* src =
        static_cast<const uint8_t*>(buffer.data) + first * stride + channel * kFloatBytes;
    if (dsd) {
        ConvertDsdChannel(src, take, stride, out);
    } else {
        CopyFloatChannel(src, take, stride, out);
    }
    return take;
}

void IOProc_PCM(const CaptureInputBuffer* buffers, size_t count, ICaptureTarget& target)
{
    SplitCycle(
        buffers != nullptr ? count : 0, [buffers](size_t i) { return buffers[i]; }, false, target);
}

void IOProc_DSD16(const CaptureInputBuffer* buffers, size_t count, ICaptureTarget& target)
{
    SplitCycle(
        buffers != nullptr ? count : 0, [buffers](size_t i) { return buffers[i]; }, true, target);
}
