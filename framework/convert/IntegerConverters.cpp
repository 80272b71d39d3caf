// The members of the conversion family with integer sources.
#include "convert/SampleConverters.h"

#include "convert/ConvertLoop.h"
#include "convert/SampleBytes.h"
#include "convert/SampleMath.h"

using namespace sample_bytes;
using namespace sample_math;

namespace {

template <bool swap>
int32_t LoadWord(const uint8_t* p)
{
    return static_cast<int32_t>(Load32<swap>(p));
}

const auto kStore16 = [](uint8_t* p, int16_t v) { StoreInt16(p, v); };
const auto kStore24 = [](uint8_t* p, int32_t v) { StoreInt24(p, v); };
const auto kStore32 = [](uint8_t* p, int32_t v) { StoreInt32(p, v); };
const auto kStoreFloat = [](uint8_t* p, float v) { StoreFloat32(p, v); };

} // namespace

// --- 16-bit sources ---------------------------------------------------------

template <bool swap>
void Int16_To_Int16LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<2, 2>(dst, src, count, LoadInt16<swap>, [](int16_t v) { return v; }, kStore16);
}

template <bool swap>
void Int16_To_Int24LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<2, 3>(dst, src, count, LoadInt16<swap>,
                            [](int16_t v) { return static_cast<int32_t>(v) * 256; }, kStore24);
}

template <bool swap>
void Int16_To_Int32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<2, 4>(dst, src, count, LoadInt16<swap>,
                            [](int16_t v) { return static_cast<int32_t>(v) * 65536; }, kStore32);
}

template <bool swap>
void Int16_To_Float32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<2, 4>(dst, src, count, LoadInt16<swap>,
                            [](int16_t v) { return static_cast<float>(v) * 3.0517578125e-5f; }, kStoreFloat);
}

// --- 24-bit sources ---------------------------------------------------------

template <bool swap>
void Int24_To_Int16LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<3, 2>(dst, src, count, LoadInt24<swap>,
                            [](int32_t v) { return static_cast<int16_t>(v >> 8); }, kStore16);
}

template <bool swap>
void Int24_To_Int24LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<3, 3>(dst, src, count, LoadInt24<swap>, [](int32_t v) { return v; }, kStore24);
}

template <bool swap>
void Int24_To_Int32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<3, 4>(dst, src, count, LoadInt24<swap>, [](int32_t v) { return v * 256; }, kStore32);
}

template <bool swap>
void Int24_To_Float32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<3, 4>(dst, src, count, LoadInt24<swap>,
                            [](int32_t v) { return static_cast<float>(v) * 1.1920928955078125e-7f; }, kStoreFloat);
}

// --- 32-bit sources with N valid bits ---------------------------------------

template <bool swap, unsigned validBits>
void Int32_To_Int16LSB(void* dst, const void* src, uint64_t count)
{
    static_assert(validBits >= 16 && validBits <= 32);
    convert_loop::Run<4, 2>(dst, src, count, LoadWord<swap>, [](int32_t word) {
        const int32_t v = SignExtend<validBits>(static_cast<uint32_t>(word)) >> (validBits - 16);
        return static_cast<int16_t>(Clamp<int32_t>(v, INT16_MIN, INT16_MAX));
    }, kStore16);
}

template <bool swap, unsigned validBits>
void Int32_To_Int24LSB(void* dst, const void* src, uint64_t count)
{
    static_assert(validBits >= 16 && validBits <= 32);
    convert_loop::Run<4, 3>(dst, src, count, LoadWord<swap>, [](int32_t word) {
        const int32_t v = SignExtend<validBits>(static_cast<uint32_t>(word));
        if constexpr (validBits <= 24) {
            return v * (1 << (24 - validBits));
        } else {
            return v >> (validBits - 24);
        }
    }, kStore24);
}

template <bool swap, unsigned validBits>
void Int32_To_Int32LSB(void* dst, const void* src, uint64_t count)
{
    static_assert(validBits >= 16 && validBits <= 32);
    convert_loop::Run<4, 4>(dst, src, count, LoadWord<swap>, [](int32_t word) {
        const uint32_t v = static_cast<uint32_t>(SignExtend<validBits>(static_cast<uint32_t>(word)));
        return static_cast<int32_t>(v << (32 - validBits));
    }, kStore32);
}

template <bool swap, unsigned validBits>
void Int32_To_Float32LSB(void* dst, const void* src, uint64_t count)
{
    static_assert(validBits >= 16 && validBits <= 32);
    constexpr float scale = 1.0f / static_cast<float>(uint64_t(1) << (validBits - 1));
    convert_loop::Run<4, 4>(dst, src, count, LoadWord<swap>, [](int32_t word) {
        return static_cast<float>(SignExtend<validBits>(static_cast<uint32_t>(word))) * scale;
    }, kStoreFloat);
}

// --- work-buffer forms ------------------------------------------------------

template <bool swap>
void Int16_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer*)
{
    Int16_To_Int16LSB<swap>(dst, src, count);
}

template <bool swap>
void Int24_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer*)
{
    Int24_To_Int16LSB<swap>(dst, src, count);
}

template <bool swap, unsigned validBits>
void Int32_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer*)
{
    Int32_To_Int16LSB<swap, validBits>(dst, src, count);
}

// --- instantiations ---------------------------------------------------------

#define CARTOVA_PLAIN(name, swap) template void name<swap>(void*, const void*, uint64_t);
#define CARTOVA_PREVIEW(name, swap) \
    template void name<swap>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);
#define CARTOVA_PLAIN_N(name, swap, n) template void name<swap, n>(void*, const void*, uint64_t);
#define CARTOVA_PREVIEW_N(name, swap, n) \
    template void name<swap, n>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);

#define CARTOVA_INT_SOURCES(swap)                     \
    CARTOVA_PLAIN(Int16_To_Int16LSB, swap)            \
    CARTOVA_PLAIN(Int16_To_Int24LSB, swap)            \
    CARTOVA_PLAIN(Int16_To_Int32LSB, swap)            \
    CARTOVA_PLAIN(Int16_To_Float32LSB, swap)          \
    CARTOVA_PREVIEW(Int16_To_Int16LSB, swap)          \
    CARTOVA_PLAIN(Int24_To_Int16LSB, swap)            \
    CARTOVA_PLAIN(Int24_To_Int24LSB, swap)            \
    CARTOVA_PLAIN(Int24_To_Int32LSB, swap)            \
    CARTOVA_PLAIN(Int24_To_Float32LSB, swap)          \
    CARTOVA_PREVIEW(Int24_To_Int16LSB, swap)

#define CARTOVA_INT32_SOURCE(swap, n)                 \
    CARTOVA_PLAIN_N(Int32_To_Int16LSB, swap, n)       \
    CARTOVA_PLAIN_N(Int32_To_Int24LSB, swap, n)       \
    CARTOVA_PLAIN_N(Int32_To_Int32LSB, swap, n)       \
    CARTOVA_PLAIN_N(Int32_To_Float32LSB, swap, n)     \
    CARTOVA_PREVIEW_N(Int32_To_Int16LSB, swap, n)

#define CARTOVA_INT32_SOURCES(swap)                   \
    CARTOVA_INT32_SOURCE(swap, 16)                    \
    CARTOVA_INT32_SOURCE(swap, 18)                    \
    CARTOVA_INT32_SOURCE(swap, 20)                    \
    CARTOVA_INT32_SOURCE(swap, 24)                    \
    CARTOVA_INT32_SOURCE(swap, 32)

CARTOVA_INT_SOURCES(false)
CARTOVA_INT_SOURCES(true)
CARTOVA_INT32_SOURCES(false)
CARTOVA_INT32_SOURCES(true)
