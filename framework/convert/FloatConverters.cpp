// The members of the conversion family with floating-point sources.
#include "convert/SampleConverters.h"

#include "convert/ConvertLoop.h"
#include "convert/SampleBytes.h"
#include "convert/SampleMath.h"
#include "convert/VectorConverters.h"

using namespace sample_bytes;
using namespace sample_math;
using sample_vector::LoadFloat32x4;
using sample_vector::StoreGroup8;
using sample_vector::StoreInt32x4;

namespace {

const auto kStore16 = [](uint8_t* p, int16_t v) { StoreInt16(p, v); };
const auto kStore24 = [](uint8_t* p, int32_t v) { StoreInt24(p, v); };
const auto kStore32 = [](uint8_t* p, int32_t v) { StoreInt32(p, v); };
const auto kStoreFloat = [](uint8_t* p, float v) { StoreFloat32(p, v); };

// 32-bit float sources to integers: groups of eight through two vector
// conversions and a group store, the rest one sample at a time with the
// scalar function, which gives every lane's result.
template <bool swap, size_t OutBytes, typename VectorConvert, typename Convert, typename Store>
void RunFloat32(void* dst, const void* src, uint64_t count, VectorConvert vectorConvert, Convert convert,
                Store store)
{
    auto* out = static_cast<uint8_t*>(dst);
    const auto* in = static_cast<const uint8_t*>(src);
    uint64_t i = 0;
    for (; i + 8 <= count; i += 8) {
        int32_t results[8];
        StoreInt32x4(results, vectorConvert(LoadFloat32x4<swap>(in + i * 4)));
        StoreInt32x4(results + 4, vectorConvert(LoadFloat32x4<swap>(in + i * 4 + 16)));
        StoreGroup8<OutBytes>(out + i * OutBytes, results);
    }
    for (; i < count; ++i) {
        store(out + i * OutBytes, convert(LoadFloat32<swap>(in + i * 4)));
    }
}

// 64-bit float sources to 24 bits: the conversion through an array of
// eight and the packed group store (byte-wise 3-byte stores keep GCC from
// vectorising the conversion), the rest one sample at a time.
template <bool swap>
void RunFloat64ToInt24(void* dst, const void* src, uint64_t count)
{
    auto* out = static_cast<uint8_t*>(dst);
    const auto* in = static_cast<const uint8_t*>(src);
    uint64_t i = 0;
    for (; i + 8 <= count; i += 8) {
        int32_t results[8];
        for (uint64_t k = 0; k < 8; ++k) {
            results[k] = Float64ToInt24(LoadFloat64<swap>(in + (i + k) * 8));
        }
        StoreGroup8<3>(out + i * 3, results);
    }
    for (; i < count; ++i) {
        StoreInt24(out + i * 3, Float64ToInt24(LoadFloat64<swap>(in + i * 8)));
    }
}

} // namespace

// --- 32-bit float sources ---------------------------------------------------

template <bool swap>
void Float32_To_Int16LSB(void* dst, const void* src, uint64_t count)
{
    RunFloat32<swap, 2>(dst, src, count, sample_vector::Float32ToInt16, Float32ToInt16, kStore16);
}

template <bool swap>
void Float32_To_Int24LSB(void* dst, const void* src, uint64_t count)
{
    RunFloat32<swap, 3>(dst, src, count, sample_vector::Float32ToInt24, Float32ToInt24, kStore24);
}

template <bool swap>
void Float32_To_Int32LSB(void* dst, const void* src, uint64_t count)
{
    RunFloat32<swap, 4>(dst, src, count, sample_vector::Float32ToInt32, Float32ToInt32, kStore32);
}

template <bool swap>
void Float32_To_Float32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<4, 4>(dst, src, count, LoadFloat32<swap>, [](float v) { return v; }, kStoreFloat);
}

// --- 64-bit float sources ---------------------------------------------------

template <bool swap>
void Float64_To_Int16LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<8, 2>(dst, src, count, LoadFloat64<swap>, Float64ToInt16, kStore16);
}

template <bool swap>
void Float64_To_Int24LSB(void* dst, const void* src, uint64_t count)
{
    RunFloat64ToInt24<swap>(dst, src, count);
}

template <bool swap>
void Float64_To_Int32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<8, 4>(dst, src, count, LoadFloat64<swap>, Float64ToInt32, kStore32);
}

template <bool swap>
void Float64_To_Float32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<8, 4>(dst, src, count, LoadFloat64<swap>,
                            [](double v) { return static_cast<float>(v); }, kStoreFloat);
}

// --- work-buffer forms ------------------------------------------------------

template <bool swap>
void Float32_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer*)
{
    Float32_To_Int16LSB<swap>(dst, src, count);
}

template <bool swap>
void Float64_To_Int16LSB(void* dst, const void* src, uint64_t count, DsdToPcmWorkBuffer*)
{
    Float64_To_Int16LSB<swap>(dst, src, count);
}

// --- instantiations ---------------------------------------------------------

#define CARTOVA_PLAIN(name, swap) template void name<swap>(void*, const void*, uint64_t);
#define CARTOVA_PREVIEW(name, swap) \
    template void name<swap>(void*, const void*, uint64_t, DsdToPcmWorkBuffer*);

#define CARTOVA_FLOAT_SOURCES(swap)               \
    CARTOVA_PLAIN(Float32_To_Int16LSB, swap)      \
    CARTOVA_PLAIN(Float32_To_Int24LSB, swap)      \
    CARTOVA_PLAIN(Float32_To_Int32LSB, swap)      \
    CARTOVA_PLAIN(Float32_To_Float32LSB, swap)    \
    CARTOVA_PREVIEW(Float32_To_Int16LSB, swap)    \
    CARTOVA_PLAIN(Float64_To_Int16LSB, swap)      \
    CARTOVA_PLAIN(Float64_To_Int24LSB, swap)      \
    CARTOVA_PLAIN(Float64_To_Int32LSB, swap)      \
    CARTOVA_PLAIN(Float64_To_Float32LSB, swap)    \
    CARTOVA_PREVIEW(Float64_To_Int16LSB, swap)

CARTOVA_FLOAT_SOURCES(false)
CARTOVA_FLOAT_SOURCES(true)
