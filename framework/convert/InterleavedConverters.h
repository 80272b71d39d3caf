// Converters from several channels of 32-bit floats straight into
// interleaved little-endian integer frames, with a gain applied on the way:
// the WAV writer's gain, conversion and interleaving in one pass over the
// samples. Each sample becomes exactly what Float32_To_Int16LSB,
// Float32_To_Int24LSB or Float32_To_Int32LSB make of (x * gain), the product
// taken in single precision.
#pragma once

#include <cstddef>
#include <cstdint>

// channels holds channelCount pointers, each to frames little-endian 32-bit
// floats; out receives frames x channelCount samples, channel 0 first in
// every frame, with 2, 3 or 4 bytes per sample.
void Float32_To_Interleaved16LSB(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                                 float gain);
void Float32_To_Interleaved24LSB(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                                 float gain);
void Float32_To_Interleaved32LSB(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                                 float gain);

using InterleavedConverter = void (*)(uint8_t*, const uint8_t* const*, size_t, size_t, float);

// The interleaving converter for 2, 3 or 4 bytes per sample; null for any other size.
InterleavedConverter InterleavedConverterFor(unsigned bytesPerSample);
