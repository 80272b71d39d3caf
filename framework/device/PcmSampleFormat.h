// The integer sample formats the ALSA back-end captures in (16-bit, 24-bit
// packed in three bytes, and 32-bit containers with 24 or 32 significant
// bits), how each is described to the device manager, and the conversion of
// captured frames to the 32-bit floats the IO procedure delivers.
#pragma once

#include <alsa/asoundlib.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "device/AudioHardwareTypes.h"

struct PcmSampleFormat {
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    uint32_t containerBytes = 0;  // bytes of one sample
    uint32_t significantBits = 0; // bits that carry signal, from the top of the container
};

// Linear integer PCM description of the format at one rate and channel count
// (a sample rate range of exactly that rate).
AudioStreamRangedDescription DescribePcmFormat(const PcmSampleFormat& format, double rate, uint32_t channels);

// The capture format a description stands for; none when it is not one of
// the formats above.
std::optional<PcmSampleFormat> PcmFormatFromDescription(const AudioStreamBasicDescription& description);

// Converts interleaved little-endian integer frames to floats in [-1, 1):
// a sample is its container value divided by 2^(container bits - 1), so a
// 16-bit word w becomes exactly w / 32768.
void PcmToFloat(const PcmSampleFormat& format, const void* input, size_t samples, float* output);
