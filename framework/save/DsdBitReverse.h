// Bit reversal of DSD bytes: one-bit streams are stored either with the
// earliest sample in the most or in the least significant bit of a byte, and
// the writer and the re-modulator convert between the two through m_br.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace dsd_detail {
constexpr std::array<uint8_t, 256> MakeBitReverseTable()
{
    std::array<uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (value & (1u << bit))
                reversed |= 0x80u >> bit;
        }
        table[value] = static_cast<uint8_t>(reversed);
    }
    return table;
}
} // namespace dsd_detail

// Maps every byte to the byte with its bit order reversed (built at compile time).
inline constexpr std::array<uint8_t, 256> m_br = dsd_detail::MakeBitReverseTable();

// Reverses the bit order of every byte of bytes[0, count) in place.
inline void ReverseBitsInPlace(uint8_t* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        bytes[i] = m_br[bytes[i]];
}
