// The DSD decimator. For each output sample:
//  1. the second stage filters the first stage's history and gives the
//     output (x 32767, rounded ties to even, saturated to 16 bits);
//  2. for each of the 8 input bytes the first stage filters the 96 one-bit
//     samples before that byte into a new first-stage value.
// Both stages therefore run one step behind their newest input. The first
// stage reads byte tables instead of multiplying: each byte adds the sum of
// the eight taps it meets with the signs of its bits, to all eight values of
// an output at once, in one fixed order.
#include "convert/DsdToPcm.h"

#include "convert/DsdFilter.h"
#include "convert/SampleBytes.h"
#include "convert/SampleMath.h"
#include "platform/CpuFeatures.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned kBitsPerByte = 8;
constexpr unsigned kBytesPerOutput = 8;

constexpr unsigned kBlockBytes = kDsdHistoryBytes + kBytesPerOutput - 1; // 19 bytes feed one output's stage
constexpr unsigned kRowFloats = 32;

// The first stage's table. Byte k of a first-stage value's 12 bytes (k = 0
// the oldest) adds T_k(v) = the sum of taps h[8k + q] times +1 or -1 for bit q
// (q = 0 the earliest sample) of its value v, summed in double and stored as
// float. One output's eight first-stage values read 19 bytes; the row of a
// byte value holds, from float 8 on, T_11(v) ... T_0(v) with zeros around, so
// that one eight-float read at row + 19 - n gives byte n's share of all eight
// values (zero where the byte is outside a value's window). One set of rows
// per bit order.
struct ByteRows {
    alignas(64) float msb[256][kRowFloats];
    alignas(64) float lsb[256][kRowFloats];
};

ByteRows MakeByteRows()
{
    ByteRows rows {};
    const auto taps = ComputeDsdFilterTaps();
    for (unsigned k = 0; k < kDsdHistoryBytes; ++k) {
        for (unsigned value = 0; value < 256; ++value) {
            double msb = 0.0;
            double lsb = 0.0;
            for (unsigned q = 0; q < kBitsPerByte; ++q) {
                const double tap = taps[kBitsPerByte * k + q];
                msb += (value >> (7 - q)) & 1u ? tap : -tap;
                lsb += (value >> q) & 1u ? tap : -tap;
            }
            rows.msb[value][8 + 11 - k] = static_cast<float>(msb);
            rows.lsb[value][8 + 11 - k] = static_cast<float>(lsb);
        }
    }
    return rows;
}

const ByteRows& Rows()
{
    static const ByteRows rows = MakeByteRows();
    return rows;
}

using ByteRow = float[kRowFloats];
typedef float Float8 __attribute__((vector_size(32)));

// The eight first-stage values of one output from its 19 bytes (the oldest
// first), leaving out the first skip bytes (silence before the first input).
// Every value sums its shares in a fixed order: the bytes at even n, the
// bytes at odd n, each in ascending n, then the two sums.
[[gnu::always_inline]] inline void Stage1Block(const ByteRow* rows, const uint8_t* block, unsigned skip, float* dst)
{
    Float8 even = {};
    Float8 odd = {};
#pragma GCC unroll 19
    for (unsigned n = 0; n < kBlockBytes; ++n) {
        if (n < skip) {
            continue;
        }
        Float8 share;
        std::memcpy(&share, rows[block[n]] + (kBlockBytes - n), sizeof share);
        if (n % 2 == 0) {
            even += share;
        } else {
            odd += share;
        }
    }
    const Float8 sum = even + odd;
    std::memcpy(dst, &sum, sizeof sum);
}

// Sum over m of h[m] x history[(pos + m) mod 96], oldest value first, where
// taps = h twice in a row: history[k] pairs with taps[96 - pos + k]. Eight
// running sums, one per lane, so that the loop vectorises.
inline float Fir(const float* tapsTwice, const float* history, uint64_t pos)
{
    const float* taps = tapsTwice + (kDsdFilterTaps - pos);
    float sums[8] = {};
    for (unsigned k = 0; k < kDsdFilterTaps; k += 8) {
        for (unsigned lane = 0; lane < 8; ++lane) {
            sums[lane] += taps[k + lane] * history[k + lane];
        }
    }
    return ((sums[0] + sums[4]) + (sums[1] + sums[5])) + ((sums[2] + sums[6]) + (sums[3] + sums[7]));
}

inline int16_t ToInt16(float y)
{
    const float v = sample_math::Clamp(y * 32767.0f, -32768.0f, 32767.0f);
    return static_cast<int16_t>(static_cast<int32_t>(sample_math::RoundEvenSmall(v)));
}

// Values out of range (a corrupted buffer) restart at 0 or count as a full
// history rather than reading or writing outside the histories.
void SanitisePositions(DsdToPcmWorkBuffer& work)
{
    if (work.bytesSeen > kDsdHistoryBytes) {
        work.bytesSeen = kDsdHistoryBytes;
    }
    if (work.stage1Pos >= kDsdFilterTaps || work.stage1Pos % kBytesPerOutput != 0) {
        work.stage1Pos = 0;
    }
}

// The decimator's loop.
[[gnu::always_inline]] inline void Decimate(const ByteRow* rows, uint8_t* out, const uint8_t* in, uint64_t count,
                                            DsdToPcmWorkBuffer& work)
{
    const float* taps = DsdFilterTapsTwice();
    uint64_t stage1Pos = work.stage1Pos;
    const uint64_t seen = work.bytesSeen;
    const uint64_t bytes = kBytesPerOutput * count;

    // The first two outputs' bytes reach back into the history.
    uint8_t head[kDsdHistoryBytes + 2 * kBytesPerOutput] = {};
    std::memcpy(head, work.byteHistory, kDsdHistoryBytes);
    std::memcpy(head + kDsdHistoryBytes, in, static_cast<size_t>(std::min<uint64_t>(bytes, 2 * kBytesPerOutput)));

    for (uint64_t i = 0; i < count; ++i) {
        sample_bytes::StoreInt16(out + 2 * i, ToInt16(Fir(taps, work.stage1History, stage1Pos)));
        float* dst = work.stage1History + stage1Pos;
        if (i >= 2) {
            Stage1Block(rows, in + (kBytesPerOutput * i - kDsdHistoryBytes), 0, dst);
        } else {
            // History bytes older than the bytes seen are silence.
            const int64_t silent = int64_t(kDsdHistoryBytes - seen) - int64_t(kBytesPerOutput * i);
            Stage1Block(rows, head + kBytesPerOutput * i, unsigned(std::max<int64_t>(silent, 0)), dst);
        }
        stage1Pos += kBytesPerOutput;
        if (stage1Pos >= kDsdFilterTaps) {
            stage1Pos = 0;
        }
    }
    // The newest 12 bytes are the next call's history.
    if (bytes >= kDsdHistoryBytes) {
        std::memcpy(work.byteHistory, in + (bytes - kDsdHistoryBytes), kDsdHistoryBytes);
    } else {
        std::memcpy(work.byteHistory, head + bytes, kDsdHistoryBytes);
    }
    work.bytesSeen = std::min<uint64_t>(seen + bytes, kDsdHistoryBytes);
    work.stage1Pos = stage1Pos;
}

// The same loop compiled for 256-bit vectors, chosen at run time where the
// processor has them (UseWideVectors); the sums per lane are the same, so are
// the results.
__attribute__((target("avx2"))) void DecimateWide(const ByteRow* rows, uint8_t* out, const uint8_t* in,
                                                  uint64_t count, DsdToPcmWorkBuffer& work)
{
    Decimate(rows, out, in, count, work);
}

void DecimateBasic(const ByteRow* rows, uint8_t* out, const uint8_t* in, uint64_t count, DsdToPcmWorkBuffer& work)
{
    Decimate(rows, out, in, count, work);
}

} // namespace

template <bool msbFirst>
void DSD_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer* work)
{
    if (work == nullptr || count == 0) {
        return;
    }
    SanitisePositions(*work);
    const ByteRow* rows = msbFirst ? Rows().msb : Rows().lsb;
    if (UseWideVectors()) {
        DecimateWide(rows, static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src), count, *work);
    } else {
        DecimateBasic(rows, static_cast<uint8_t*>(dst), static_cast<const uint8_t*>(src), count, *work);
    }
}

template void DSD_To_Int16LSB<true>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
template void DSD_To_Int16LSB<false>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
