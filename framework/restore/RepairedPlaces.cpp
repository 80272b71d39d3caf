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

void RepairedPlaces::Apply(uint16_t channel, uint64_t first, size_t count, float* out) const
{
    const uint64_t end = first + count;
    // The first place that ends after first.
    auto it = std::upper_bound(m_places.begin(), m_places.end(), first,
                               [](uint64_t position, const RepairedPlace& place) { return position < place.End(); });
    for (; it != m_places.end() && it->position < end; ++it) {
        const float* samples = ChannelSamplesOf(*it, channel);
        if (samples == nullptr) {
            continue;
        }
        const uint64_t from = std::max(first, it->position);
        const uint64_t to = std::min(end, it->End());
        std::copy(samples + (from - it->position), samples + (to - it->position), out + (from - first));
    }
}

size_t RepairedPlaces::Count(PlaceKind kind, bool repaired) const
{
    return static_cast<size_t>(std::count_if(m_places.begin(), m_places.end(), [&](const RepairedPlace& place) {
        return place.kind == kind && place.repaired == repaired;
    }));
}
