// The DSD decimator: its filter table, steady-state levels, bit orders,
// state carried between calls, and agreement with a direct computation.
#include "convert/DsdFilter.h"
#include "convert/DsdToPcm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<int16_t> Convert(const std::vector<uint8_t>& bytes, bool msbFirst, DsdToPcmWorkBuffer& work)
{
    std::vector<int16_t> out(bytes.size() / 8);
    if (msbFirst) {
        DSD_To_Int16LSB<true>(out.data(), bytes.data(), out.size(), &work);
    } else {
        DSD_To_Int16LSB<false>(out.data(), bytes.data(), out.size(), &work);
    }
    return out;
}

std::vector<int16_t> ConvertFresh(const std::vector<uint8_t>& bytes, bool msbFirst = true)
{
    DsdToPcmWorkBuffer work {};
    return Convert(bytes, msbFirst, work);
}

uint8_t ReverseBits(uint8_t b)
{
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i) {
        r = static_cast<uint8_t>((r << 1) | ((b >> i) & 1));
    }
    return r;
}

std::vector<uint8_t> RandomBytes(size_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes) {
        b = static_cast<uint8_t>(rng());
    }
    return bytes;
}

} // namespace

TEST(DsdFilter, TableMatchesItsCheckValues)
{
    const auto taps = ComputeDsdFilterTaps();
    EXPECT_FLOAT_EQ(taps[0], 3.13044097e-08f);
    EXPECT_FLOAT_EQ(taps[8], -2.01746025e-06f);
    EXPECT_FLOAT_EQ(taps[32], -0.00900790468f);
    EXPECT_FLOAT_EQ(taps[47], 0.0995073169f);
    double sum = 0.0;
    for (unsigned m = 0; m < kDsdFilterTaps; ++m) {
        EXPECT_EQ(taps[m], taps[kDsdFilterTaps - 1 - m]) << m;
        sum += taps[m];
    }
    EXPECT_NEAR(sum, 0.99999695, 5e-8);

    const float* twice = DsdFilterTapsTwice();
    for (unsigned m = 0; m < kDsdFilterTaps; ++m) {
        ASSERT_EQ(twice[m], taps[m]);
        ASSERT_EQ(twice[m + kDsdFilterTaps], taps[m]);
    }
}

TEST(DsdToPcm, ConstantStreamsSettleOnExactLevels)
{
    const struct {
        uint8_t byte;
        int16_t level;
    } cases[] = {{0xff, 32767}, {0x00, -32767}, {0x55, 0}, {0xaa, 0}};
    for (const auto& c : cases) {
        const auto out = ConvertFresh(std::vector<uint8_t>(8 * 40, c.byte));
        for (size_t i = 14; i < out.size(); ++i) {
            ASSERT_EQ(out[i], c.level) << "byte " << int(c.byte) << " sample " << i;
        }
    }
    // Both histories start silent, so the output rises from 0.
    const auto ones = ConvertFresh(std::vector<uint8_t>(8 * 20, 0xff));
    EXPECT_EQ(ones[0], 0);
    EXPECT_LT(ones[6], ones[8]);
}

TEST(DsdToPcm, LsbFirstIsMsbFirstWithReversedBytes)
{
    const auto bytes = RandomBytes(8 * 300, 7);
    std::vector<uint8_t> reversed(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        reversed[i] = ReverseBits(bytes[i]);
    }
    EXPECT_EQ(ConvertFresh(bytes, true), ConvertFresh(reversed, false));
    EXPECT_NE(ConvertFresh(bytes, true), ConvertFresh(bytes, false));
}

TEST(DsdToPcm, StateCarriesAcrossCallsOfAnySize)
{
    const auto bytes = RandomBytes(8 * 257, 11);
    const auto whole = ConvertFresh(bytes);

    DsdToPcmWorkBuffer work {};
    std::vector<int16_t> pieces;
    size_t done = 0;
    for (size_t step : {1, 0, 13, 100, 143}) {
        std::vector<uint8_t> part(bytes.begin() + 8 * done, bytes.begin() + 8 * (done + step));
        const auto out = Convert(part, true, work);
        pieces.insert(pieces.end(), out.begin(), out.end());
        done += step;
    }
    ASSERT_EQ(done, 257u);
    EXPECT_EQ(pieces, whole);
}

TEST(DsdToPcm, ZeroCountWritesNothingAndKeepsState)
{
    DsdToPcmWorkBuffer work {};
    Convert(RandomBytes(8 * 5, 3), true, work);
    const DsdToPcmWorkBuffer before = work;
    int16_t out[2] = {1234, 1234};
    const uint8_t bytes[8] = {};
    DSD_To_Int16LSB<true>(out, bytes, 0, &work);
    EXPECT_EQ(out[0], 1234);
    EXPECT_EQ(std::memcmp(&before, &work, sizeof work), 0);
    // Without a work buffer nothing can be converted.
    DSD_To_Int16LSB<true>(out, bytes, 1, nullptr);
    EXPECT_EQ(out[0], 1234);
}

// Direct form: first-stage value j filters the 96 bits before byte j, output
// i filters the 96 first-stage values before it, oldest weighted by h[0].
TEST(DsdToPcm, AgreesWithDirectComputation)
{
    const auto bytes = RandomBytes(8 * 200, 5);
    const auto taps = ComputeDsdFilterTaps();
    std::vector<double> bits;
    for (uint8_t b : bytes) {
        for (int k = 7; k >= 0; --k) {
            bits.push_back((b >> k) & 1 ? 1.0 : -1.0);
        }
    }
    auto at = [](const std::vector<double>& v, long index) { return index < 0 ? 0.0 : v[size_t(index)]; };
    std::vector<double> stage1(bytes.size());
    for (long j = 0; j < long(stage1.size()); ++j) {
        double s = 0.0;
        for (long m = 0; m < 96; ++m) {
            s += taps[size_t(m)] * at(bits, 8 * j - 96 + m);
        }
        stage1[size_t(j)] = s;
    }
    const auto out = ConvertFresh(bytes);
    for (long i = 0; i < long(out.size()); ++i) {
        double y = 0.0;
        for (long m = 0; m < 96; ++m) {
            y += taps[size_t(m)] * at(stage1, 8 * i - 96 + m);
        }
        ASSERT_NEAR(out[size_t(i)], std::nearbyint(y * 32767.0), 1.0) << i;
    }
}

TEST(DsdToPcm, CorruptPositionsStayInsideTheHistories)
{
    DsdToPcmWorkBuffer work {};
    work.bytesSeen = 1000;
    work.stage1Pos = 97;
    std::vector<int16_t> out(4);
    const std::vector<uint8_t> bytes(32, 0xff);
    DSD_To_Int16LSB<true>(out.data(), bytes.data(), out.size(), &work);
    EXPECT_LE(work.bytesSeen, 12u);
    EXPECT_LE(work.stage1Pos, 95u);
}
