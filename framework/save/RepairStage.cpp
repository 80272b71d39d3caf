// Click repair on the way out; see RepairStage.h.
#include "save/RepairStage.h"

#include "restore/RepairedPlaces.h"

#include <bit>
#include <cstring>

void LayRepairs(const RepairedPlaces* repairs, uint16_t channel, uint64_t first, size_t count, uint8_t* floatsLE)
{
    if (repairs == nullptr) {
        return;
    }
    repairs->ForEachRepair(channel, first, count, [&](size_t offset, const float* samples, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const auto bits = std::bit_cast<uint32_t>(samples[i]);
            uint8_t* p = floatsLE + (offset + i) * sizeof(float);
            p[0] = static_cast<uint8_t>(bits);
            p[1] = static_cast<uint8_t>(bits >> 8);
            p[2] = static_cast<uint8_t>(bits >> 16);
            p[3] = static_cast<uint8_t>(bits >> 24);
        }
    });
}
