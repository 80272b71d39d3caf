// Repaired places and their use on the way out; see RepairedPlaces.h.
#include "restore/RepairedPlaces.h"

#include <algorithm>
#include <bit>

RepairedPlaces::RepairedPlaces(uint64_t rate, uint16_t channels, std::vector<RepairedPlace> places)
    : m_rate(rate), m_channels(channels), m_places(std::move(places))
{
}

const float* ChannelSamplesOf(const RepairedPlace& place, uint16_t channel)
{
    if (!place.repaired || channel >= 32 || (place.channelMask & (1u << channel)) == 0) {
        return nullptr;
    }
    const auto index = static_cast<size_t>(std::popcount(place.channelMask & ((1u << channel) - 1u)));
    return place.samples.data() + index * place.length;
}

std::vector<RepairedPlace>::const_iterator RepairedPlaces::FirstEndingAfter(uint64_t position) const
{
    // Places are ascending and do not overlap, so their ends ascend too.
    return std::upper_bound(m_places.begin(), m_places.end(), position,
                            [](uint64_t p, const RepairedPlace& place) { return p < place.End(); });
}

void RepairedPlaces::Apply(uint16_t channel, uint64_t first, size_t count, float* out) const
{
    ForEachRepair(channel, first, count,
                  [&](size_t offset, const float* samples, size_t n) { std::copy(samples, samples + n, out + offset); });
}
