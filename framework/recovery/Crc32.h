// CRC-32 as used by IEEE 802.3 and ISO 3309 (reflected polynomial
// 0xEDB88320, initial value and final XOR 0xFFFFFFFF); the check value of
// "123456789" is 0xCBF43926.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t Crc32(const uint8_t* bytes, size_t count);
