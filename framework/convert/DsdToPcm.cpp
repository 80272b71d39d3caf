// The DSD decimator. For each output sample:
//  1. the second stage filters the first stage's history and gives the
//     output (x 32767, rounded ties to even, saturated to 16 bits);
//  2. for each of the 8 input bytes the first stage filters the bit history
//     into a new first-stage value, then the byte's 8 bits enter the bit
//     history as +1.0 / -1.0.
// Both stages therefore run one step behind their newest input.
#include "convert/DsdToPcm.h"

#include "convert/DsdFilter.h"
#include "convert/SampleBytes.h"
#include "convert/SampleMath.h"

#include <cstring>

namespace {

constexpr unsigned kBitsPerByte = 8;
constexpr unsigned kBytesPerOutput = 8;
constexpr unsigned kLastBitPos = kDsdFilterTaps - kBitsPerByte; // 88

// Four +-1.0 values per nibble, earliest sample first.
struct NibbleTables {
    float msb[16][4];
    float lsb[16][4];
};

constexpr NibbleTables MakeNibbleTables()
{
    NibbleTables tables {};
    for (unsigned nibble = 0; nibble < 16; ++nibble) {
        for (unsigned i = 0; i < 4; ++i) {
            tables.msb[nibble][i] = (nibble >> (3 - i)) & 1u ? 1.0f : -1.0f;
            tables.lsb[nibble][i] = (nibble >> i) & 1u ? 1.0f : -1.0f;
        }
    }
    return tables;
}

constexpr NibbleTables kNibbles = MakeNibbleTables();

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

template <bool msbFirst>
inline void StoreBits(float* slot, uint8_t byte)
{
    const auto& table = msbFirst ? kNibbles.msb : kNibbles.lsb;
    const unsigned first = msbFirst ? byte >> 4 : byte & 0x0f;
    const unsigned second = msbFirst ? byte & 0x0f : byte >> 4;
    std::memcpy(slot, table[first], sizeof table[first]);
    std::memcpy(slot + 4, table[second], sizeof table[second]);
}

// Positions out of range (a corrupted buffer) restart at 0 rather than
// writing outside the histories.
void SanitisePositions(DsdToPcmWorkBuffer& work)
{
    if (work.bitPos > kLastBitPos || work.bitPos % kBitsPerByte != 0) {
        work.bitPos = 0;
    }
    if (work.stage1Pos >= kDsdFilterTaps || work.stage1Pos % kBytesPerOutput != 0) {
        work.stage1Pos = 0;
    }
}

} // namespace

template <bool msbFirst>
void DSD_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer* work)
{
    if (work == nullptr || count == 0) {
        return;
    }
    const float* taps = DsdFilterTapsTwice();
    auto* out = static_cast<uint8_t*>(dst);
    const auto* in = static_cast<const uint8_t*>(src);
    SanitisePositions(*work);
    uint64_t bitPos = work->bitPos;
    uint64_t stage1Pos = work->stage1Pos;

    for (uint64_t i = 0; i < count; ++i) {
        sample_bytes::StoreInt16(out + 2 * i, ToInt16(Fir(taps, work->stage1History, stage1Pos)));
        const uint8_t* bytes = in + kBytesPerOutput * i;
        for (unsigned b = 0; b < kBytesPerOutput; ++b) {
            work->stage1History[stage1Pos] = Fir(taps, work->bitHistory, bitPos);
            ++stage1Pos;
            StoreBits<msbFirst>(work->bitHistory + bitPos, bytes[b]);
            bitPos = bitPos == kLastBitPos ? 0 : bitPos + kBitsPerByte;
        }
        if (stage1Pos >= kDsdFilterTaps) {
            stage1Pos = 0;
        }
    }
    work->bitPos = bitPos;
    work->stage1Pos = stage1Pos;
}

template void DSD_To_Int16LSB<true>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
template void DSD_To_Int16LSB<false>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
