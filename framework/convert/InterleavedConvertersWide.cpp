// Eight-frame steps of the interleaving converters with 256-bit vectors.
// A step loads eight floats per channel, gains and converts them (clamps as
// max/min, which pick the same operand as the scalar comparisons, NaN
// included), orders stereo samples into frames with two unpacks and two
// lane permutes, and stores the packed integers.
#include "convert/InterleavedConvertersWide.h"

#include <immintrin.h>

#define WIDE __attribute__((target("avx2")))

namespace {

constexpr size_t kGroupFrames = 8;

// v > low ? v : low, then v < high ? v : high, per lane.
WIDE inline __m256 Clamp(__m256 v, float low, float high)
{
    return _mm256_min_ps(_mm256_max_ps(v, _mm256_set1_ps(low)), _mm256_set1_ps(high));
}

// Per output depth: the conversion of eight gained samples and the store of
// eight converted ones, in frame order, as little-endian integers.
struct Wide16 {
    static constexpr size_t kBytes = 2;
    // x 32768, clamp, round ties to even by adding and removing 1.5 x 2^23.
    WIDE static __m256i Convert(__m256 x)
    {
        const __m256 v = Clamp(_mm256_mul_ps(x, _mm256_set1_ps(32768.0f)), -32768.0f, 32767.0f);
        const __m256 magic = _mm256_set1_ps(12582912.0f);
        return _mm256_cvttps_epi32(_mm256_sub_ps(_mm256_add_ps(v, magic), magic));
    }
    // The values are within 16 bits, so the saturating pack only narrows.
    WIDE static void Store(uint8_t* p, __m256i values)
    {
        const __m128i packed = _mm_packs_epi32(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), packed);
    }
};

struct Wide24 {
    static constexpr size_t kBytes = 3;
    // x 8388608, clamp, truncate toward zero.
    WIDE static __m256i Convert(__m256 x)
    {
        return _mm256_cvttps_epi32(Clamp(_mm256_mul_ps(x, _mm256_set1_ps(8388608.0f)), -8388608.0f, 8388607.0f));
    }
    // The low three bytes of each value, packed to 12 bytes per 128-bit
    // lane, then the two lanes joined into 24 bytes.
    WIDE static void Store(uint8_t* p, __m256i values)
    {
        const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5,
                                              6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
        const __m256i packed = _mm256_shuffle_epi8(values, pack);
        const __m128i low = _mm256_castsi256_si128(packed);
        const __m128i high = _mm256_extracti128_si256(packed, 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_or_si128(low, _mm_slli_si128(high, 12)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + 16), _mm_srli_si128(high, 4));
    }
};

struct Wide32 {
    static constexpr size_t kBytes = 4;
    // x 2^31, clamp below 2^31, round ties to even where the magnitude is
    // below 2^23 (above it every float is a whole number), and a positive
    // overflow (the product 2^31 or more) gives INT32_MAX.
    WIDE static __m256i Convert(__m256 x)
    {
        const __m256 v = _mm256_mul_ps(x, _mm256_set1_ps(2147483648.0f));
        const __m256 inRange = Clamp(v, -2147483648.0f, 2147483520.0f);
        const __m256 negative = _mm256_cmp_ps(inRange, _mm256_setzero_ps(), _CMP_LT_OQ);
        const __m256 magic = _mm256_blendv_ps(_mm256_set1_ps(8388608.0f), _mm256_set1_ps(-8388608.0f), negative);
        const __m256 rounded = _mm256_sub_ps(_mm256_add_ps(inRange, magic), magic);
        const __m256 magnitude = _mm256_blendv_ps(inRange, _mm256_sub_ps(_mm256_setzero_ps(), inRange), negative);
        const __m256 small = _mm256_cmp_ps(magnitude, _mm256_set1_ps(8388608.0f), _CMP_LT_OQ);
        const __m256i result = _mm256_cvttps_epi32(_mm256_blendv_ps(inRange, rounded, small));
        const __m256i overflow =
            _mm256_castps_si256(_mm256_cmp_ps(v, _mm256_set1_ps(2147483648.0f), _CMP_GE_OQ));
        return _mm256_blendv_epi8(result, _mm256_set1_epi32(INT32_MAX), overflow);
    }
    WIDE static void Store(uint8_t* p, __m256i values)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), values);
    }
};

// Eight floats of one channel from frame on, gained and converted.
template <class Depth>
WIDE inline __m256i ConvertGroup(const uint8_t* channel, size_t frame, __m256 gains)
{
    const __m256 x = _mm256_loadu_ps(reinterpret_cast<const float*>(channel + frame * sizeof(float)));
    return Depth::Convert(_mm256_mul_ps(x, gains));
}

template <class Depth>
WIDE size_t RunMono(uint8_t* out, const uint8_t* channel, size_t frames, float gain)
{
    const __m256 gains = _mm256_set1_ps(gain);
    size_t i = 0;
    for (; i + kGroupFrames <= frames; i += kGroupFrames)
        Depth::Store(out + i * Depth::kBytes, ConvertGroup<Depth>(channel, i, gains));
    return i;
}

template <class Depth>
WIDE size_t RunStereo(uint8_t* out, const uint8_t* left, const uint8_t* right, size_t frames, float gain)
{
    const __m256 gains = _mm256_set1_ps(gain);
    size_t i = 0;
    for (; i + kGroupFrames <= frames; i += kGroupFrames) {
        const __m256i l = ConvertGroup<Depth>(left, i, gains);
        const __m256i r = ConvertGroup<Depth>(right, i, gains);
        // Frames 0, 1 | 4, 5 and 2, 3 | 6, 7, then 0-3 and 4-7.
        const __m256i even = _mm256_unpacklo_epi32(l, r);
        const __m256i odd = _mm256_unpackhi_epi32(l, r);
        uint8_t* group = out + i * 2 * Depth::kBytes;
        Depth::Store(group, _mm256_permute2x128_si256(even, odd, 0x20));
        Depth::Store(group + 8 * Depth::kBytes, _mm256_permute2x128_si256(even, odd, 0x31));
    }
    return i;
}

template <class Depth>
size_t Run(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames, float gain)
{
    switch (channelCount) {
    case 1: return RunMono<Depth>(out, channels[0], frames, gain);
    case 2: return RunStereo<Depth>(out, channels[0], channels[1], frames, gain);
    default: return 0;
    }
}

} // namespace

size_t InterleaveGroupsWide(uint8_t* out, const uint8_t* const* channels, size_t channelCount, size_t frames,
                            float gain, unsigned bytesPerSample)
{
    switch (bytesPerSample) {
    case 2: return Run<Wide16>(out, channels, channelCount, frames, gain);
    case 3: return Run<Wide24>(out, channels, channelCount, frames, gain);
    case 4: return Run<Wide32>(out, channels, channelCount, frames, gain);
    default: return 0;
    }
}
