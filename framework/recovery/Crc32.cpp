// Table-driven CRC-32, one byte at a time.
#include "recovery/Crc32.h"

#include <array>

namespace {

std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

} // namespace

uint32_t Crc32(const uint8_t* bytes, size_t count)
{
    static const std::array<uint32_t, 256> table = MakeTable();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}
