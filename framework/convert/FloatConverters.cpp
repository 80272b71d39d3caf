// The members of the conversion family with floating-point sources.
#include "convert/SampleConverters.h"

#include "convert/ConvertLoop.h"
#include "convert/SampleBytes.h"
#include "convert/SampleMath.h"

using namespace sample_bytes;
using namespace sample_math;

namespace {

const auto kStore16 = [](uint8_t* p, int16_t v) { StoreInt16(p, v); };
const auto kStore24 = [](uint8_t* p, int32_t v) { StoreInt24(p, v); };
const auto kStore32 = [](uint8_t* p, int32_t v) { StoreInt32(p, v); };
const auto kStoreFloat = [](uint8_t* p, float v) { StoreFloat32(p, v); };

} // namespace

// --- 32-bit float sources ---------------------------------------------------

template <bool swap>
void Float32_To_Int16LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<4, 2>(dst, src, count, LoadFloat32<swap>, Float32ToInt16, kStore16);
}

template <bool swap>
void Float32_To_Int24LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<4, 3>(dst, src, count, LoadFloat32<swap>, Float32ToInt24, kStore24);
}

template <bool swap>
void Float32_To_Int32LSB(void* dst, const void* src, uint64_t count)
{
    convert_loop::Run<4, 4>(dst, src, count, LoadFloat32<swap>, Float32ToInt32, kStore32);
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
    convert_loop::Run<8, 3>(dst, src, count, LoadFloat64<swap>, Float64ToInt24, kStore24);
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
