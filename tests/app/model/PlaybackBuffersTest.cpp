// The playback path's building blocks: the byte FIFO between reader and output, and the
// sample-rate converter used when the output device refuses the preview rate.
#include "playback/Resampler.h"
#include "playback/RingBuffer.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

TEST(RingBuffer, KeepsOrderAcrossTheWrapAndTakesOnlyWhatFits)
{
    auto ring = RingBuffer::initWithBufferSize(10);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->usedSize(), 0u);
    EXPECT_EQ(ring->freeSize(), 10u);

    std::vector<uint8_t> in(16);
    std::iota(in.begin(), in.end(), uint8_t(1));
    EXPECT_EQ(ring->enqueue(in.data(), 7), 7u);
    uint8_t out[16] = {};
    EXPECT_EQ(ring->dequeue(out, 5), 5u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 5), std::vector<uint8_t>({1, 2, 3, 4, 5}));

    // 8 free bytes, of which 3 at the end and 5 at the start: only 8 of 9 go in.
    EXPECT_EQ(ring->enqueue(in.data() + 7, 9), 8u);
    EXPECT_EQ(ring->usedSize() + ring->freeSize(), ring->bufferSize());
    EXPECT_EQ(ring->freeSize(), 0u);
    EXPECT_EQ(ring->enqueue(in.data(), 1), 0u);

    EXPECT_EQ(ring->dequeue(out, 16), 10u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 10), std::vector<uint8_t>({6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(ring->dequeue(out, 1), 0u);
    EXPECT_EQ(ring->freeSize(), 10u);
}

TEST(RingBuffer, RefusesAnEmptyBuffer)
{
    EXPECT_FALSE(RingBuffer::initWithBufferSize(0));
}

namespace {

std::vector<float> StereoSine(double hz, uint32_t rate, size_t frames, double amplitude)
{
    std::vector<float> s(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * M_PI * hz * double(i) / rate);
        s[2 * i] = float(v);
        s[2 * i + 1] = float(-v);
    }
    return s;
}

} // namespace

TEST(Resampler, ConvertsASineToTheNewRateWithoutDelay)
{
    const auto in = StereoSine(1000.0, 44100, 44100, 0.5);
    Resampler r(44100, 48000, 2);
    std::vector<float> out;
    r.process(in.data(), 44100, out);
    ASSERT_GT(out.size() / 2, 47000u);
    double worst = 0.0;
    for (size_t i = 100; i < 47000; ++i) {
        const double expected = 0.5 * std::sin(2.0 * M_PI * 1000.0 * double(i) / 48000.0);
        worst = std::max({worst, std::fabs(out[2 * i] - expected), std::fabs(out[2 * i + 1] + expected)});
    }
    EXPECT_LT(worst, 1e-3);
}

TEST(Resampler, GivesTheSameOutputForAnySplitOfTheInput)
{
    const auto in = StereoSine(440.0, 88200, 20000, 0.8);
    Resampler whole(88200, 48000, 2);
    std::vector<float> expected;
    whole.process(in.data(), 20000, expected);

    Resampler pieces(88200, 48000, 2);
    std::vector<float> got;
    const size_t blocks[] = {1, 7, 300, 4096, 13};
    size_t at = 0;
    for (size_t k = 0; at < 20000; ++k) {
        const size_t n = std::min(blocks[k % 5], size_t(20000) - at);
        pieces.process(in.data() + at * 2, n, got);
        at += n;
    }
    EXPECT_EQ(got, expected);
}

TEST(Resampler, DownsamplingRemovesWhatTheLowerRateCannotCarryAndAsksForEnoughInput)
{
    // 30 kHz fits 96 kHz but not 48 kHz: it must not fold back as an audible tone.
    const auto in = StereoSine(30000.0, 96000, 9600, 1.0);
    Resampler r(96000, 48000, 2);
    const size_t need = r.inputFramesFor(1000);
    std::vector<float> out;
    r.process(in.data(), need, out);
    ASSERT_GE(out.size() / 2, 1000u);
    r.process(in.data() + need * 2, 9600 - need, out);
    double peak = 0.0;
    for (size_t i = 64; i < out.size(); ++i)
        peak = std::max(peak, double(std::fabs(out[i])));
    EXPECT_LT(peak, 0.01);
}
