// The sample-format conversion family. Every member converts count samples
// of one channel from src to dst: (destination bytes, source bytes, count).
// The template flag swap tells the source byte order (false little-endian,
// true big-endian); the output is always little-endian. Int32 sources carry
// the number of valid bits N (16, 18, 20, 24 or 32) in the low bits of each
// word. Narrowing integer conversions truncate; no member adds dither.
//
// Each Int16-output member also has a work-buffer form (the shape of a
// preview converter) that ignores the work buffer.
//
// All members are instantiated in this module for both byte orders and all
// five N; the definitions are not in the header.
#pragma once

#include <cstdint>

#include "convert/DsdToPcmWorkBuffer.h"

// Declares the plain form of one source/destination pair.
#define CARTOVA_DECLARE_CONVERTER(name)                                        \
    template <bool swap>                                                       \
    void name(void* dst, const void* src, uint64_t count)
#define CARTOVA_DECLARE_CONVERTER_N(name)                                      \
    template <bool swap, unsigned validBits>                                   \
    void name(void* dst, const void* src, uint64_t count)
#define CARTOVA_DECLARE_PREVIEW_FORM(name)                                     \
    template <bool swap>                                                       \
    void name(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer* work)
#define CARTOVA_DECLARE_PREVIEW_FORM_N(name)                                   \
    template <bool swap, unsigned validBits>                                   \
    void name(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer* work)

// From 16-bit integers.
CARTOVA_DECLARE_CONVERTER(Int16_To_Int16LSB);   // copy
CARTOVA_DECLARE_CONVERTER(Int16_To_Int24LSB);   // shift left by 8
CARTOVA_DECLARE_CONVERTER(Int16_To_Int32LSB);   // shift left by 16
CARTOVA_DECLARE_CONVERTER(Int16_To_Float32LSB); // x 2^-15
CARTOVA_DECLARE_PREVIEW_FORM(Int16_To_Int16LSB);

// From 24-bit (3-byte) integers.
CARTOVA_DECLARE_CONVERTER(Int24_To_Int16LSB);   // upper two bytes
CARTOVA_DECLARE_CONVERTER(Int24_To_Int24LSB);   // copy
CARTOVA_DECLARE_CONVERTER(Int24_To_Int32LSB);   // shift left by 8
CARTOVA_DECLARE_CONVERTER(Int24_To_Float32LSB); // x 2^-23
CARTOVA_DECLARE_PREVIEW_FORM(Int24_To_Int16LSB);

// From 32-bit words with validBits significant bits.
CARTOVA_DECLARE_CONVERTER_N(Int32_To_Int16LSB);   // shift right by N - 16
CARTOVA_DECLARE_CONVERTER_N(Int32_To_Int24LSB);   // shift by 24 - N
CARTOVA_DECLARE_CONVERTER_N(Int32_To_Int32LSB);   // shift left by 32 - N
CARTOVA_DECLARE_CONVERTER_N(Int32_To_Float32LSB); // x 2^-(N-1)
CARTOVA_DECLARE_PREVIEW_FORM_N(Int32_To_Int16LSB);

// From 32-bit floats, full scale +-1.0.
CARTOVA_DECLARE_CONVERTER(Float32_To_Int16LSB);   // x 32768, round ties to even, clamp
CARTOVA_DECLARE_CONVERTER(Float32_To_Int24LSB);   // x 8388608, truncate, clamp
CARTOVA_DECLARE_CONVERTER(Float32_To_Int32LSB);   // x 2^31, round ties to even, clamp
CARTOVA_DECLARE_CONVERTER(Float32_To_Float32LSB); // copy (byte-swapped when swap)
CARTOVA_DECLARE_PREVIEW_FORM(Float32_To_Int16LSB);

// From 64-bit floats, full scale +-1.0; scaled in double precision.
CARTOVA_DECLARE_CONVERTER(Float64_To_Int16LSB);
CARTOVA_DECLARE_CONVERTER(Float64_To_Int24LSB);
CARTOVA_DECLARE_CONVERTER(Float64_To_Int32LSB);
CARTOVA_DECLARE_CONVERTER(Float64_To_Float32LSB); // narrowed to the nearest float
CARTOVA_DECLARE_PREVIEW_FORM(Float64_To_Int16LSB);

#undef CARTOVA_DECLARE_CONVERTER
#undef CARTOVA_DECLARE_CONVERTER_N
#undef CARTOVA_DECLARE_PREVIEW_FORM
#undef CARTOVA_DECLARE_PREVIEW_FORM_N
