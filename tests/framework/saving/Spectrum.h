// Level of a tone and the noise floor around it, from a Blackman-Harris
// windowed power spectrum of one channel of decoded audio.
#pragma once

#include <cstddef>
#include <vector>

namespace saving {

struct ToneAnalysis {
    double toneDb = 0.0;      // power of the tone's main lobe, dB (relative)
    double noiseFloorDb = 0.0; // median bin power between the band edges, away from the tone's harmonics, dB
};

// Analyses `length` frames (a power of two) of channel `channel` of the
// interleaved samples, starting at frame `first`.
ToneAnalysis AnalyseTone(const std::vector<float>& interleaved, size_t channels, size_t channel, size_t first,
                         size_t length, double rate, double toneHz, double bandLowHz, double bandHighHz);

} // namespace saving
