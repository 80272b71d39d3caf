// The loop shared by the sample converters: whole groups of eight samples
// through fixed-size local arrays, which GCC turns into vector code, then
// the remainder one sample at a time. Both use the same per-sample
// functions, so every sample gets the same result on either path.
#pragma once

#include <cstddef>
#include <cstdint>

namespace convert_loop {

constexpr uint64_t kGroup = 8;

// load(const uint8_t*) -> value, convert(value) -> result, store(uint8_t*, result).
template <size_t InBytes, size_t OutBytes, typename Load, typename Convert, typename Store>
inline void Run(void* dst, const void* src, uint64_t count, Load load, Convert convert, Store store)
{
    auto* out = static_cast<uint8_t*>(dst);
    const auto* in = static_cast<const uint8_t*>(src);
    using Value = decltype(load(in));
    using Result = decltype(convert(load(in)));
    uint64_t i = 0;
    for (; i + kGroup <= count; i += kGroup) {
        Value values[kGroup];
        Result results[kGroup];
        for (uint64_t k = 0; k < kGroup; ++k) {
            values[k] = load(in + (i + k) * InBytes);
        }
        for (uint64_t k = 0; k < kGroup; ++k) {
            results[k] = convert(values[k]);
        }
        for (uint64_t k = 0; k < kGroup; ++k) {
            store(out + (i + k) * OutBytes, results[k]);
        }
    }
    for (; i < count; ++i) {
        store(out + i * OutBytes, convert(load(in + i * InBytes)));
    }
}

} // namespace convert_loop
