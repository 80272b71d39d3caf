// Constant description of a captured sample type with its converters,
// looked up by the device layer's sample-type code.
#pragma once

#include <cstdint>

#include "convert/DsdToPcmWorkBuffer.h"

// The device layer's sample-type codes.
constexpr int64_t kSampleTypeFloat32 = 0; // 32-bit float PCM, little-endian
constexpr int64_t kSampleTypeDsd = 1;     // one-bit DSD, eight samples per byte

// (destination bytes, source bytes, sample count)
using SampleConverter = void (*)(void* dst, const void* src, uint64_t count);
// The same with the channel's work buffer; for DSD, count is the number of
// output samples, each consuming 8 source bytes.
using PreviewConverter = void (*)(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer* work);

struct SampleTypeInfo {
    int64_t type;
    PreviewConverter toPreview; // one channel to 16-bit preview samples
    SampleConverter toInt16;    // null where the type has no such conversion
    SampleConverter toInt24;
    SampleConverter toInt32;
    SampleConverter toFloat32;
    uint8_t bits;        // significant bits per sample
    uint8_t paddingBits; // filler bits stored with each sample
    bool isDsd;
    bool isFloat;
    bool msbFirst; // DSD: the earliest sample is each byte's most significant bit
};

// The record of the given type, or null when there is none.
const SampleTypeInfo* GetSampleTypeInfo(int64_t type);
