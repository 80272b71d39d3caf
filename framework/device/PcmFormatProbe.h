// Which capture formats and rates an opened PCM offers: every rate the
// framework records at (PCM rates, and the DSD carriage rates) is tried with
// the hardware parameter tests for 32-bit containers (24 or 32 significant
// bits), 24-bit packed and 16-bit samples, without resampling.
#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>
#include <vector>

#include "device/AudioHardwareTypes.h"
#include "device/PcmSampleFormat.h"

// One sample format and the rates the PCM accepts it at.
struct ProbedFormat {
    PcmSampleFormat format;
    std::vector<uint32_t> rates;
};

// The rates that are tried, ascending.
const std::vector<uint32_t>& CandidateCaptureRates();

// Probes the PCM: the channel count used (2 when offered, else the
// smallest) and, per format in order of preference, the accepted rates.
int ProbeCaptureFormats(snd_pcm_t* pcm, uint32_t& channels, std::vector<ProbedFormat>& probed);

// The available physical formats: one description per format and rate, in
// the order probed (so that among equal depths the preferred container wins).
std::vector<AudioStreamRangedDescription> DescribeCaptureFormats(uint32_t channels,
                                                                 const std::vector<ProbedFormat>& probed);
