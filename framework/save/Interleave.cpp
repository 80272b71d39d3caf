// Per-sample-size interleavers; the fixed sample size lets the compiler turn
// the inner copy into plain loads and stores.
#include "save/Interleave.h"

#include <cstring>

namespace {

template <size_t Bytes>
void InterleaveFixed(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames) {
    const size_t count = channels.size();
    const size_t stride = count * Bytes;
    for (size_t c = 0; c < count; ++c) {
        const uint8_t* in = channels[c];
        uint8_t* dst = out + c * Bytes;
        for (size_t i = 0; i < frames; ++i) {
            std::memcpy(dst + i * stride, in + i * Bytes, Bytes);
        }
    }
}

} // namespace

void Interleave16(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames) {
    InterleaveFixed<2>(out, channels, frames);
}

void Interleave24(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames) {
    InterleaveFixed<3>(out, channels, frames);
}

void Interleave32(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames) {
    InterleaveFixed<4>(out, channels, frames);
}

InterleaveFunction InterleaverFor(unsigned bytesPerSample) {
    static constexpr InterleaveFunction kInterleavers[] = {Interleave16, Interleave24, Interleave32};
    if (bytesPerSample < 2 || bytesPerSample > 4) return nullptr;
    return kInterleavers[bytesPerSample - 2];
}
