// Interleaving of per-channel sample buffers into WAV frames: frame i holds
// sample i of channel 0, then of channel 1, and so on, each sample kept as
// its 2, 3 or 4 little-endian bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// out holds channels.size() x frames x bytesPerSample bytes; every channel
// buffer holds frames samples.
void Interleave16(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames);
void Interleave24(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames);
void Interleave32(uint8_t* out, const std::vector<const uint8_t*>& channels, size_t frames);

using InterleaveFunction = void (*)(uint8_t*, const std::vector<const uint8_t*>&, size_t);

// The interleaver for 2, 3 or 4 bytes per sample; null for any other size.
InterleaveFunction InterleaverFor(unsigned bytesPerSample);
