// Members of the conversion family: edge values on the vector and the scalar
// path alike, byte orders, and the sample-type table.
#include "convert/SampleConverters.h"
#include "convert/SampleTypeInfo.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// 11 copies: eight go through the vector path, three through the scalar one.
constexpr size_t kCopies = 11;

using Converter = void (*)(void*, const void*, uint64_t);

// kCopies 3-byte samples.
std::vector<uint8_t> Repeat3(uint8_t b0, uint8_t b1, uint8_t b2)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < kCopies; ++i) {
        bytes.insert(bytes.end(), {b0, b1, b2});
    }
    return bytes;
}

template <typename T>
std::vector<uint8_t> Repeat(T value)
{
    std::vector<uint8_t> bytes(kCopies * sizeof(T));
    for (size_t i = 0; i < kCopies; ++i) {
        std::memcpy(bytes.data() + i * sizeof(T), &value, sizeof(T));
    }
    return bytes;
}

int32_t ReadLE(const uint8_t* p, size_t bytes)
{
    uint32_t u = 0;
    for (size_t i = 0; i < bytes; ++i) {
        u |= uint32_t(p[i]) << (8 * i);
    }
    const unsigned shift = unsigned(32 - 8 * bytes);
    return static_cast<int32_t>(u << shift) >> shift;
}

// Converts every copy of the source and checks that all outputs equal expected.
void ExpectAll(Converter convert, const std::vector<uint8_t>& source, size_t outBytes, int32_t expected,
               const char* what)
{
    std::vector<uint8_t> out(kCopies * outBytes + 1, 0xee);
    convert(out.data(), source.data(), kCopies);
    for (size_t i = 0; i < kCopies; ++i) {
        EXPECT_EQ(ReadLE(out.data() + i * outBytes, outBytes), expected) << what << ", copy " << i;
    }
    EXPECT_EQ(out.back(), 0xee) << what << ": wrote past the end";
}

void ExpectFloat(Converter convert, float input, size_t outBytes, int32_t expected)
{
    ExpectAll(convert, Repeat(input), outBytes, expected, std::to_string(input).c_str());
}

} // namespace

TEST(FloatConverters, Float32ToInt16RoundsTiesToEvenAndClamps)
{
    const Converter f = &Float32_To_Int16LSB<false>;
    ExpectFloat(f, 1.0f, 2, 32767);
    ExpectFloat(f, -1.0f, 2, -32768);
    ExpectFloat(f, 2.0f, 2, 32767);
    ExpectFloat(f, -2.0f, 2, -32768);
    ExpectFloat(f, 0.5f, 2, 16384);
    ExpectFloat(f, 0.00001f, 2, 0);
    ExpectFloat(f, 0.5f / 32768, 2, 0);
    ExpectFloat(f, 1.5f / 32768, 2, 2);
    ExpectFloat(f, 2.5f / 32768, 2, 2);
    ExpectFloat(f, -2.5f / 32768, 2, -2);
    ExpectFloat(f, 32766.5f / 32768, 2, 32766);
    ExpectFloat(f, std::numeric_limits<float>::infinity(), 2, 32767);
    ExpectFloat(f, std::numeric_limits<float>::quiet_NaN(), 2, -32768);
}

TEST(FloatConverters, Float32ToInt24Truncates)
{
    const Converter f = &Float32_To_Int24LSB<false>;
    ExpectFloat(f, 0.99999994f, 3, 8388607);
    ExpectFloat(f, -1.0f, 3, -8388608);
    ExpectFloat(f, 2.0f, 3, 8388607);
    ExpectFloat(f, 1.5f / 8388608, 3, 1);
    ExpectFloat(f, -1.5f / 8388608, 3, -1);
    ExpectFloat(f, 0.5f, 3, 4194304);
}

TEST(FloatConverters, Float32ToInt32RoundsTiesToEvenAndSaturates)
{
    const Converter f = &Float32_To_Int32LSB<false>;
    const float unit = 1.0f / 2147483648.0f;
    ExpectFloat(f, 1.0f, 4, 2147483647);
    ExpectFloat(f, 3.0f, 4, 2147483647);
    ExpectFloat(f, -1.0f, 4, INT32_MIN);
    ExpectFloat(f, -3.0f, 4, INT32_MIN);
    ExpectFloat(f, 0.5f * unit, 4, 0);
    ExpectFloat(f, 2.5f * unit, 4, 2);
    ExpectFloat(f, 3.5f * unit, 4, 4);
    ExpectFloat(f, -3.5f * unit, 4, -4);
    ExpectFloat(f, 4194304.5f * unit, 4, 4194304);
    ExpectFloat(f, 0.99999994f, 4, 2147483520);
}

TEST(FloatConverters, BigEndianSourcesAreSwapped)
{
    const float value = 0.5f;
    const uint32_t swapped = __builtin_bswap32(std::bit_cast<uint32_t>(value));
    ExpectAll(&Float32_To_Int16LSB<true>, Repeat(swapped), 2, 16384, "swapped to 16");
    ExpectAll(&Float32_To_Int24LSB<true>, Repeat(swapped), 3, 4194304, "swapped to 24");
    ExpectAll(&Float32_To_Float32LSB<true>, Repeat(swapped), 4, std::bit_cast<int32_t>(value), "swapped copy");

    const uint64_t swappedDouble = __builtin_bswap64(std::bit_cast<uint64_t>(-0.25));
    ExpectAll(&Float64_To_Int16LSB<true>, Repeat(swappedDouble), 2, -8192, "double swapped to 16");
}

TEST(FloatConverters, Float64SourcesScaleInDoublePrecision)
{
    ExpectAll(&Float64_To_Int16LSB<false>, Repeat(2.5 / 32768), 2, 2, "double tie");
    ExpectAll(&Float64_To_Int24LSB<false>, Repeat(8388607.9 / 8388608), 3, 8388607, "double truncation");
    ExpectAll(&Float64_To_Int32LSB<false>, Repeat(1.0), 4, 2147483647, "double full scale");
    ExpectAll(&Float64_To_Int32LSB<false>, Repeat(5.5 / 2147483648.0), 4, 6, "double tie 32");
    ExpectAll(&Float64_To_Float32LSB<false>, Repeat(0.1), 4, std::bit_cast<int32_t>(0.1f), "narrowing");
}

TEST(IntegerConverters, WideningShiftsAndNarrowingTruncates)
{
    ExpectAll(&Int24_To_Int16LSB<false>, Repeat3(0x80, 0x34, 0x12), 2, 0x1234, "24 to 16");
    ExpectAll(&Int24_To_Int16LSB<true>, Repeat3(0x12, 0x80, 0xff), 2, 0x1280,
              "big-endian 24 to 16");
    ExpectAll(&Int16_To_Int24LSB<false>, Repeat<int16_t>(-2), 3, -512, "16 to 24");
    ExpectAll(&Int16_To_Int32LSB<false>, Repeat<int16_t>(-32768), 4, INT32_MIN, "16 to 32");
    ExpectAll(&Int16_To_Int16LSB<true>, Repeat<uint16_t>(0x3412), 2, 0x1234, "16 swapped copy");
    ExpectAll(&Int32_To_Int16LSB<false, 24>, Repeat<int32_t>(-0x123456), 2, -0x1235, "24-bit word to 16");
    ExpectAll(&Int32_To_Int16LSB<false, 32>, Repeat<int32_t>(INT32_MAX), 2, 32767, "32-bit word to 16");
    ExpectAll(&Int32_To_Int24LSB<false, 20>, Repeat<int32_t>(-1), 3, -16, "20-bit word to 24");
    ExpectAll(&Int32_To_Int24LSB<false, 32>, Repeat<int32_t>(0x12345678), 3, 0x123456, "32-bit word to 24");
    ExpectAll(&Int32_To_Int32LSB<false, 18>, Repeat<int32_t>(-3), 4, -3 * (1 << 14), "18-bit word to 32");
    ExpectAll(&Int32_To_Int32LSB<true, 16>, Repeat<uint32_t>(0xffff0000u), 4, -65536, "swapped 16-bit word");
}

TEST(IntegerConverters, ToFloatScalesByFullScale)
{
    auto expectFloat = [](Converter convert, const std::vector<uint8_t>& source, float expected) {
        ExpectAll(convert, source, 4, std::bit_cast<int32_t>(expected), std::to_string(expected).c_str());
    };
    expectFloat(&Int16_To_Float32LSB<false>, Repeat<int16_t>(-32768), -1.0f);
    expectFloat(&Int16_To_Float32LSB<false>, Repeat<int16_t>(16384), 0.5f);
    expectFloat(&Int24_To_Float32LSB<false>, Repeat3(0x00, 0x00, 0xc0), -0.5f);
    expectFloat(&Int32_To_Float32LSB<false, 20>, Repeat<int32_t>(1 << 18), 0.5f);
    expectFloat(&Int32_To_Float32LSB<false, 32>, Repeat<int32_t>(INT32_MIN), -1.0f);
}

TEST(Converters, ZeroCountWritesNothing)
{
    uint8_t out[8];
    std::memset(out, 0x5a, sizeof out);
    const float in[2] = {0.5f, 0.5f};
    Float32_To_Int16LSB<false>(out, in, 0);
    Float32_To_Int24LSB<false>(out, in, 0);
    Float32_To_Int32LSB<false>(out, in, 0);
    Float32_To_Float32LSB<false>(out, in, 0);
    for (uint8_t b : out) {
        EXPECT_EQ(b, 0x5a);
    }
}

TEST(Converters, VectorAndScalarPathsAgreeOnMixedData)
{
    // A sweep across and beyond full scale, converted as one block and one
    // sample at a time (only the scalar path).
    std::vector<float> in;
    for (int i = -70000; i <= 70000; i += 7) {
        in.push_back(static_cast<float>(i) / 65536.0f + static_cast<float>(i % 3) * 0.25f / 32768.0f);
    }
    std::vector<int16_t> block(in.size()), single(in.size());
    Float32_To_Int16LSB<false>(block.data(), in.data(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        Float32_To_Int16LSB<false>(&single[i], &in[i], 1);
    }
    EXPECT_EQ(block, single);

    std::vector<int32_t> block32(in.size()), single32(in.size());
    Float32_To_Int32LSB<false>(block32.data(), in.data(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        Float32_To_Int32LSB<false>(&single32[i], &in[i], 1);
    }
    EXPECT_EQ(block32, single32);
}

TEST(SampleTypeInfo, TableHoldsFloatAndDsd)
{
    const SampleTypeInfo* pcm = GetSampleTypeInfo(0);
    ASSERT_NE(pcm, nullptr);
    EXPECT_EQ(pcm->type, 0);
    EXPECT_EQ(pcm->bits, 32);
    EXPECT_EQ(pcm->paddingBits, 0);
    EXPECT_TRUE(pcm->isFloat);
    EXPECT_FALSE(pcm->isDsd);
    EXPECT_EQ(pcm->toInt16, static_cast<SampleConverter>(&Float32_To_Int16LSB<false>));
    EXPECT_EQ(pcm->toInt24, static_cast<SampleConverter>(&Float32_To_Int24LSB<false>));
    EXPECT_EQ(pcm->toInt32, static_cast<SampleConverter>(&Float32_To_Int32LSB<false>));
    EXPECT_EQ(pcm->toFloat32, static_cast<SampleConverter>(&Float32_To_Float32LSB<false>));
    const float half = 0.5f;
    int16_t preview = 0;
    pcm->toPreview(&preview, &half, 1, nullptr);
    EXPECT_EQ(preview, 16384);

    const SampleTypeInfo* dsd = GetSampleTypeInfo(1);
    ASSERT_NE(dsd, nullptr);
    EXPECT_EQ(dsd->bits, 1);
    EXPECT_TRUE(dsd->isDsd);
    EXPECT_TRUE(dsd->msbFirst);
    EXPECT_FALSE(dsd->isFloat);
    EXPECT_NE(dsd->toPreview, nullptr);
    EXPECT_EQ(dsd->toInt16, nullptr);
    EXPECT_EQ(dsd->toInt24, nullptr);
    EXPECT_EQ(dsd->toInt32, nullptr);
    EXPECT_EQ(dsd->toFloat32, nullptr);

    EXPECT_EQ(GetSampleTypeInfo(2), nullptr);
    EXPECT_EQ(GetSampleTypeInfo(-1), nullptr);
}
