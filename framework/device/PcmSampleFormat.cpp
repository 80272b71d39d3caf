// Describing and converting the captured integer formats; see PcmSampleFormat.h.
#include "device/PcmSampleFormat.h"

#include <cstring>

namespace {

constexpr float kScale16 = 1.0f / 32768.0f;
constexpr float kScale24 = 1.0f / 8388608.0f;
constexpr float kScale32 = 1.0f / 2147483648.0f;

int32_t ReadLe24(const uint8_t* p)
{
    const uint32_t raw = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                         (static_cast<uint32_t>(p[2]) << 16);
    // Sign-extend from bit 23.
    return static_cast<int32_t>(raw << 8) >> 8;
}

} // namespace

AudioStreamRangedDescription DescribePcmFormat(const PcmSampleFormat& format, double rate, uint32_t channels)
{
    AudioStreamRangedDescription d;
    d.mFormat.mSampleRate = rate;
    d.mFormat.mFormatID = kAudioFormatLinearPCM;
    const bool alignedHigh = format.significantBits < format.containerBytes * 8;
    d.mFormat.mFormatFlags =
        kAudioFormatFlagIsSignedInteger | (alignedHigh ? kAudioFormatFlagIsAlignedHigh : kAudioFormatFlagIsPacked);
    d.mFormat.mBytesPerFrame = format.containerBytes * channels;
    d.mFormat.mBytesPerPacket = d.mFormat.mBytesPerFrame;
    d.mFormat.mFramesPerPacket = 1;
    d.mFormat.mChannelsPerFrame = channels;
    d.mFormat.mBitsPerChannel = format.significantBits;
    d.mSampleRateRange = {rate, rate};
    return d;
}

std::optional<PcmSampleFormat> PcmFormatFromDescription(const AudioStreamBasicDescription& d)
{
    if (d.mFormatID != kAudioFormatLinearPCM || (d.mFormatFlags & kAudioFormatFlagIsSignedInteger) == 0 ||
        (d.mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsBigEndian)) != 0 ||
        d.mChannelsPerFrame == 0 || d.mBytesPerFrame % d.mChannelsPerFrame != 0) {
        return std::nullopt;
    }
    const uint32_t bytes = d.mBytesPerFrame / d.mChannelsPerFrame;
    const uint32_t bits = d.mBitsPerChannel;
    if (bytes == 2 && bits == 16) {
        return PcmSampleFormat{SND_PCM_FORMAT_S16_LE, 2, 16};
    }
    if (bytes == 3 && bits == 24) {
        return PcmSampleFormat{SND_PCM_FORMAT_S24_3LE, 3, 24};
    }
    if (bytes == 4 && bits >= 16 && bits <= 32) {
        return PcmSampleFormat{SND_PCM_FORMAT_S32_LE, 4, bits};
    }
    return std::nullopt;
}

void PcmToFloat(const PcmSampleFormat& format, const void* input, size_t samples, float* output)
{
    const auto* in = static_cast<const uint8_t*>(input);
    switch (format.containerBytes) {
    case 2:
        for (size_t i = 0; i < samples; ++i) {
            const auto v = static_cast<int16_t>(static_cast<uint16_t>(in[2 * i] | (in[2 * i + 1] << 8)));
            output[i] = static_cast<float>(v) * kScale16;
        }
        break;
    case 3:
        for (size_t i = 0; i < samples; ++i) {
            output[i] = static_cast<float>(ReadLe24(in + 3 * i)) * kScale24;
        }
        break;
    case 4:
        for (size_t i = 0; i < samples; ++i) {
            uint32_t raw;
            std::memcpy(&raw, in + 4 * i, sizeof raw); // little-endian host
            output[i] = static_cast<float>(static_cast<int32_t>(raw)) * kScale32;
        }
        break;
    default:
        std::memset(output, 0, samples * sizeof(float));
        break;
    }
}
