// The one-pass gain, conversion and interleaving against the per-channel
// converters followed by a plain interleave: same bytes for every depth,
// for mono, stereo and three channels, on the vector and the scalar path,
// with edge values (clipping, NaN, infinities, ties) among the samples.
#include "convert/InterleavedConverters.h"
#include "convert/SampleConverters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using Converter = void (*)(void*, const void*, uint64_t);

std::vector<float> Samples(size_t count, unsigned seed)
{
    static const float kEdges[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.99999994f, 2.0f, -2.0f, 1.5f / 8388608.0f,
                                   0.5f / 32768.0f, 1.5f / 32768.0f, 2.5f / 32768.0f,
                                   std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                   std::numeric_limits<float>::quiet_NaN(), 1e-40f, 3e38f, -3e38f};
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> level(-1.3f, 1.3f);
    std::vector<float> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = i % 5 == 0 ? kEdges[(i / 5 + seed) % std::size(kEdges)] : level(random);
    }
    return samples;
}

// Reference: gain per channel, the family's converter, then frame order.
std::vector<uint8_t> Reference(const std::vector<std::vector<float>>& channels, size_t frames, float gain,
                               Converter convert, size_t bytes)
{
    std::vector<uint8_t> out(frames * channels.size() * bytes);
    std::vector<uint8_t> converted(frames * bytes);
    for (size_t c = 0; c < channels.size(); ++c) {
        std::vector<float> gained(frames);
        for (size_t i = 0; i < frames; ++i) gained[i] = channels[c][i] * gain;
        convert(converted.data(), gained.data(), frames);
        for (size_t i = 0; i < frames; ++i) {
            std::memcpy(&out[(i * channels.size() + c) * bytes], &converted[i * bytes], bytes);
        }
    }
    return out;
}

TEST(InterleavedConverters, MatchPerChannelConversionAndInterleave)
{
    const Converter converters[] = {&Float32_To_Int16LSB<false>, &Float32_To_Int24LSB<false>,
                                    &Float32_To_Int32LSB<false>};
    for (unsigned bytes = 2; bytes <= 4; ++bytes) {
        for (size_t channelCount : {1u, 2u, 3u}) {
            for (size_t frames : {0u, 5u, 8u, 67u, 4099u}) {
                for (float gain : {1.0f, 1.4125376f, 0.5f}) {
                    std::vector<std::vector<float>> channels;
                    std::vector<const uint8_t*> pointers;
                    for (size_t c = 0; c < channelCount; ++c) {
                        channels.push_back(Samples(frames, unsigned(c * 7 + frames)));
                    }
                    for (const auto& channel : channels) {
                        pointers.push_back(reinterpret_cast<const uint8_t*>(channel.data()));
                    }
                    const auto expected = Reference(channels, frames, gain, converters[bytes - 2], bytes);
                    std::vector<uint8_t> out(expected.size() + 1, 0xee);
                    InterleavedConverterFor(bytes)(out.data(), pointers.data(), channelCount, frames, gain);
                    EXPECT_EQ(out.back(), 0xee) << "wrote past the end";
                    out.pop_back();
                    EXPECT_EQ(out, expected) << bytes << " bytes, " << channelCount << " channels, " << frames
                                             << " frames, gain " << gain;
                }
            }
        }
    }
    EXPECT_EQ(InterleavedConverterFor(1), nullptr);
    EXPECT_EQ(InterleavedConverterFor(5), nullptr);
}

// The float converters' vector path against their own scalar path: a
// sample converted inside a group of eight and alone gives the same bytes.
TEST(FloatConverters, VectorGroupsMatchSingleSamples)
{
    const std::pair<Converter, size_t> converters[] = {{&Float32_To_Int16LSB<false>, 2},
                                                       {&Float32_To_Int24LSB<false>, 3},
                                                       {&Float32_To_Int32LSB<false>, 4}};
    const auto samples = Samples(4000, 3);
    for (const auto& [convert, bytes] : converters) {
        std::vector<uint8_t> grouped(samples.size() * bytes);
        convert(grouped.data(), samples.data(), samples.size());
        std::vector<uint8_t> single(bytes);
        for (size_t i = 0; i < samples.size(); ++i) {
            convert(single.data(), &samples[i], 1);
            ASSERT_EQ(0, std::memcmp(single.data(), &grouped[i * bytes], bytes))
                << bytes << " bytes, sample " << i << " = " << samples[i];
        }
    }
}

} // namespace
