// The one-pass gain, conversion and interleaving of InterleavedConverters.h
// for mono and stereo, compiled for 256-bit vectors: eight frames per step,
// put in frame order and packed to 2, 3 or 4 bytes per sample in registers.
// Every lane computes exactly what the scalar conversions compute (the same
// single-precision products, clamps, rounding and truncation), so the bytes
// are those of the portable loops. Only called where the processor has
// 256-bit vectors (UseWideVectors).
#pragma once

#include <cstddef>
#include <cstdint>

// Converts the whole groups of eight frames at the start of channels[0..
// channelCount) into out, with bytesPerSample 2, 3 or 4. Returns the frames
// done: frames rounded down to a multiple of eight, or 0 for a channel count
// other than 1 or 2, which the caller then converts itself.
size_t InterleaveGroupsWide(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                            float gain, unsigned bytesPerSample);
