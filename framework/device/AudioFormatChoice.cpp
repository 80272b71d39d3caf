// Choosing among a device's available physical formats.
#include "device/AudioFormatChoice.h"

const AudioStreamRangedDescription* CompareASRD(const AudioStreamRangedDescription* a,
                                                const AudioStreamRangedDescription* b,
                                                uint32_t wishBits)
{
    if (a == nullptr) {
        return b;
    }
    if (b == nullptr) {
        return a;
    }
    const uint32_t bitsA = a->mFormat.mBitsPerChannel;
    const uint32_t bitsB = b->mFormat.mBitsPerChannel;
    if (bitsA == bitsB) {
        return b->mFormat.mChannelsPerFrame > a->mFormat.mChannelsPerFrame ? b : a;
    }
    const AudioStreamRangedDescription* low = bitsA < bitsB ? a : b;
    const AudioStreamRangedDescription* high = bitsA < bitsB ? b : a;
    if (low->mFormat.mBitsPerChannel == wishBits) {
        return low;
    }
    if (high->mFormat.mBitsPerChannel == wishBits) {
        return high;
    }
    if (low->mFormat.mBitsPerChannel >= wishBits) {
        return low;
    }
    return high;
}

bool IsIntegerLinearPcm(const AudioStreamBasicDescription& format)
{
    const uint32_t mask = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsNonMixable;
    return format.mFormatID == kAudioFormatLinearPCM &&
           (format.mFormatFlags & mask) == kAudioFormatFlagIsSignedInteger;
}

const AudioStreamRangedDescription* SearchASRD(const std::vector<AudioStreamRangedDescription>& formats,
                                               double rate, uint32_t wishBits)
{
    const AudioStreamRangedDescription* best = nullptr;
    for (const auto& candidate : formats) {
        if (!IsIntegerLinearPcm(candidate.mFormat)) {
            continue;
        }
        const double candidateRate = candidate.mFormat.mSampleRate;
        const bool rateMatches =
            candidateRate == rate ||
            (candidateRate == 0 && candidate.mSampleRateRange.mMinimum <= rate &&
             rate <= candidate.mSampleRateRange.mMaximum);
        if (rateMatches) {
            best = CompareASRD(best, &candidate, wishBits);
        }
    }
    return best;
}
