// Click repair on the way out. A PCM writer hands each channel's block of
// 32-bit float samples (little-endian bytes, as the converters read them)
// to LayRepairs before the gain and the conversion to the output depth;
// the samples of the places the analysis repaired are replaced there. The
// recording itself is never changed.
#pragma once

#include <cstddef>
#include <cstdint>

class RepairedPlaces;

// Replaces the repaired samples of channel in floatsLE, which holds the
// samples first .. first + count - 1. Nothing happens without repairs.
void LayRepairs(const RepairedPlaces* repairs, uint16_t channel, uint64_t first, size_t count, uint8_t* floatsLE);
