// Frames per second of a recording's preview stream, and so of its waveform: the sampling
// frequency of a PCM recording, the bit rate of a DSD one divided by the framework's
// decimation.
#pragma once

#include "cartova.h"

#include <cstdint>

inline uint64_t PreviewFrequency(bool dsd, uint64_t rate)
{
    return dsd ? rate / CARTOVA_DSD_PREVIEW_DECIMATION : rate;
}
