// Gain, conversion and interleaving of float channels in one pass. Groups
// of eight frames are converted per channel with the vector forms,
// transposed into frame order and stored together; the remaining frames go
// one sample at a time through the scalar functions, which give the same
// result as every vector lane. Mono and stereo take the 256-bit loops of
// InterleavedConvertersWide.cpp where the processor has them.
#include "convert/InterleavedConverters.h"

#include "convert/SampleBytes.h"
#include "convert/InterleavedConvertersWide.h"
#include "convert/SampleMath.h"
#include "convert/VectorConverters.h"
#include "platform/CpuFeatures.h"

using namespace sample_bytes;
using namespace sample_math;

namespace {

constexpr size_t kGroupFrames = 8;

// Per output depth: the bytes per sample, the vector and the scalar
// conversion, and the store of one sample.
struct Depth16 {
    static constexpr size_t kBytes = 2;
    static sample_vector::Int4 Vector(sample_vector::Float4 x) { return sample_vector::Float32ToInt16(x); }
    static int32_t Convert(float x) { return Float32ToInt16(x); }
    static void Store(uint8_t* p, int32_t v) { StoreInt16(p, static_cast<int16_t>(v)); }
};

struct Depth24 {
    static constexpr size_t kBytes = 3;
    static sample_vector::Int4 Vector(sample_vector::Float4 x) { return sample_vector::Float32ToInt24(x); }
    static int32_t Convert(float x) { return Float32ToInt24(x); }
    static void Store(uint8_t* p, int32_t v) { StoreInt24(p, v); }
};

struct Depth32 {
    static constexpr size_t kBytes = 4;
    static sample_vector::Int4 Vector(sample_vector::Float4 x) { return sample_vector::Float32ToInt32(x); }
    static int32_t Convert(float x) { return Float32ToInt32(x); }
    static void Store(uint8_t* p, int32_t v) { StoreInt32(p, v); }
};

template <class Depth>
int32_t ConvertAt(const uint8_t* channel, size_t frame, float gain)
{
    return Depth::Convert(LoadFloat32<false>(channel + frame * sizeof(float)) * gain);
}

// Frames [frame, frame + 8) of one channel, gained and converted.
template <class Depth>
void ConvertGroup(int32_t* out, const uint8_t* channel, size_t frame, float gain)
{
    using namespace sample_vector;
    const Float4 gains = Splat(gain);
    const uint8_t* in = channel + frame * sizeof(float);
    StoreInt32x4(out, Depth::Vector(LoadFloat32x4<false>(in) * gains));
    StoreInt32x4(out + 4, Depth::Vector(LoadFloat32x4<false>(in + 16) * gains));
}

// Frames [from, frames) one sample at a time.
template <class Depth>
void RunSamples(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t from, size_t frames,
                float gain)
{
    for (size_t i = from; i < frames; ++i) {
        for (size_t c = 0; c < channelCount; ++c) {
            Depth::Store(out + (i * channelCount + c) * Depth::kBytes, ConvertAt<Depth>(channels[c], i, gain));
        }
    }
}

// A channel count known at compile time (mono, stereo): whole groups are
// put in frame order and stored eight samples at a time.
template <class Depth, size_t Channels>
void RunFixed(uint8_t* out, const uint8_t* const* channels, size_t frames, float gain)
{
    size_t i = 0;
    for (; i + kGroupFrames <= frames; i += kGroupFrames) {
        int32_t converted[Channels][kGroupFrames];
        for (size_t c = 0; c < Channels; ++c) {
            ConvertGroup<Depth>(converted[c], channels[c], i, gain);
        }
        int32_t ordered[kGroupFrames * Channels];
        for (size_t k = 0; k < kGroupFrames; ++k) {
            for (size_t c = 0; c < Channels; ++c) {
                ordered[k * Channels + c] = converted[c][k];
            }
        }
        uint8_t* group = out + i * Channels * Depth::kBytes;
        for (size_t at = 0; at < kGroupFrames * Channels; at += 8) {
            sample_vector::StoreGroup8<Depth::kBytes>(group + at * Depth::kBytes, ordered + at);
        }
    }
    RunSamples<Depth>(out, channels, Channels, i, frames, gain);
}

// Any other channel count: groups converted per channel, stored sample by sample.
template <class Depth>
void RunAny(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames, float gain)
{
    size_t i = 0;
    for (; i + kGroupFrames <= frames; i += kGroupFrames) {
        for (size_t c = 0; c < channelCount; ++c) {
            int32_t converted[kGroupFrames];
            ConvertGroup<Depth>(converted, channels[c], i, gain);
            for (size_t k = 0; k < kGroupFrames; ++k) {
                Depth::Store(out + ((i + k) * channelCount + c) * Depth::kBytes, converted[k]);
            }
        }
    }
    RunSamples<Depth>(out, channels, channelCount, i, frames, gain);
}

template <class Depth>
void Run(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames, float gain)
{
    if ((channelCount == 1 || channelCount == 2) && UseWideVectors()) {
        const size_t done = InterleaveGroupsWide(out, channels, channelCount, frames, gain, Depth::kBytes);
        RunSamples<Depth>(out, channels, channelCount, done, frames, gain);
        return;
    }
    switch (channelCount) {
    case 1: RunFixed<Depth, 1>(out, channels, frames, gain); break;
    case 2: RunFixed<Depth, 2>(out, channels, frames, gain); break;
    default: RunAny<Depth>(out, channels, channelCount, frames, gain); break;
    }
}

} // namespace

void Float32_To_Interleaved16LSB(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                                 float gain)
{
    Run<Depth16>(out, channels, channelCount, frames, gain);
}

void Float32_To_Interleaved24LSB(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                                 float gain)
{
    Run<Depth24>(out, channels, channelCount, frames, gain);
}

void Float32_To_Interleaved32LSB(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                                 float gain)
{
    Run<Depth32>(out, channels, channelCount, frames, gain);
}

InterleavedConverter InterleavedConverterFor(unsigned bytesPerSample)
{
    static constexpr InterleavedConverter kConverters[] = {
        Float32_To_Interleaved16LSB, Float32_To_Interleaved24LSB, Float32_To_Interleaved32LSB};
    if (bytesPerSample < 2 || bytesPerSample > 4) return nullptr;
    return kConverters[bytesPerSample - 2];
}
