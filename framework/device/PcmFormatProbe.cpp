// Probing the capture formats of a PCM; see PcmFormatProbe.h.
#include "device/PcmFormatProbe.h"

#include <cerrno>

namespace {

constexpr uint32_t kPreferredChannels = 2;

struct HwParams {
    snd_pcm_hw_params_t* p = nullptr;
    HwParams() { snd_pcm_hw_params_malloc(&p); }
    ~HwParams() { snd_pcm_hw_params_free(p); }
};

} // namespace

const std::vector<uint32_t>& CandidateCaptureRates()
{
    static const std::vector<uint32_t> rates = {44100,  48000,  88200,  96000, 176400,
                                                192000, 352800, 384000, 705600};
    return rates;
}

int ProbeCaptureFormats(snd_pcm_t* pcm, uint32_t& channels, std::vector<ProbedFormat>& probed)
{
    probed.clear();
    channels = 0;
    HwParams any;
    HwParams trial;
    if (any.p == nullptr || trial.p == nullptr) {
        return -ENOMEM;
    }
    int result = snd_pcm_hw_params_any(pcm, any.p);
    if (result < 0) {
        return result;
    }
    if ((result = snd_pcm_hw_params_set_rate_resample(pcm, any.p, 0)) < 0 ||
        (result = snd_pcm_hw_params_set_access(pcm, any.p, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0) {
        return result;
    }
    if (snd_pcm_hw_params_test_channels(pcm, any.p, kPreferredChannels) == 0) {
        channels = kPreferredChannels;
    } else {
        unsigned int minimum = 0;
        if ((result = snd_pcm_hw_params_get_channels_min(any.p, &minimum)) < 0) {
            return result;
        }
        channels = minimum;
    }
    if ((result = snd_pcm_hw_params_set_channels(pcm, any.p, channels)) < 0) {
        return result;
    }

    static const snd_pcm_format_t kFormats[] = {SND_PCM_FORMAT_S32_LE, SND_PCM_FORMAT_S24_3LE,
                                                SND_PCM_FORMAT_S16_LE};
    for (snd_pcm_format_t format : kFormats) {
        if (snd_pcm_hw_params_test_format(pcm, any.p, format) != 0) {
            continue;
        }
        snd_pcm_hw_params_copy(trial.p, any.p);
        if (snd_pcm_hw_params_set_format(pcm, trial.p, format) < 0) {
            continue;
        }
        ProbedFormat entry;
        entry.format.format = format;
        entry.format.containerBytes = static_cast<uint32_t>(snd_pcm_format_physical_width(format) / 8);
        const int sbits = snd_pcm_hw_params_get_sbits(trial.p);
        entry.format.significantBits = sbits > 0 ? static_cast<uint32_t>(sbits)
                                                 : static_cast<uint32_t>(snd_pcm_format_width(format));
        for (uint32_t rate : CandidateCaptureRates()) {
            if (snd_pcm_hw_params_test_rate(pcm, trial.p, rate, 0) == 0) {
                entry.rates.push_back(rate);
            }
        }
        if (!entry.rates.empty()) {
            probed.push_back(std::move(entry));
        }
    }
    return 0;
}

std::vector<AudioStreamRangedDescription> DescribeCaptureFormats(uint32_t channels,
                                                                 const std::vector<ProbedFormat>& probed)
{
    std::vector<AudioStreamRangedDescription> formats;
    for (const ProbedFormat& entry : probed) {
        for (uint32_t rate : entry.rates) {
            formats.push_back(DescribePcmFormat(entry.format, rate, channels));
        }
    }
    return formats;
}
