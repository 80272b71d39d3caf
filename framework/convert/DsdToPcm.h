// DSD-to-16-bit preview converter: a two-stage decimator by 64 (8 and 8)
// with the same 96-tap low-pass in both stages. Every output sample
// consumes 8 source bytes (64 one-bit samples); the state lives in the
// channel's DsdToPcmWorkBuffer between calls.
#pragma once

#include <cstdint>

#include "convert/DsdToPcmWorkBuffer.h"

// msbFirst: the earliest one-bit sample of each byte is its most significant
// bit (true) or its least significant bit (false). count is the number of
// output samples. Does nothing when work is null.
template <bool msbFirst>
void DSD_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer* work);

extern template void DSD_To_Int16LSB<true>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
extern template void DSD_To_Int16LSB<false>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
