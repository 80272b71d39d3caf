// The outcome of a click analysis: every damaged place with the samples
// that replace it. Positions count samples of one channel from the start of
// the analysed stream. The recording itself is never changed: whoever
// reads it (the track writers, the preview) lays the repaired samples over
// what it read (Apply).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

enum class PlaceKind { Click = 0, Pop = 1, Crackle = 2 };

struct RepairedPlace {
    uint64_t position = 0;     // first sample of the place
    uint32_t length = 0;       // samples
    uint32_t channelMask = 0;  // bit c: channel c is damaged here
    float strengthDb = 0.0f;   // how far the damage stands above the noise around it
    PlaceKind kind = PlaceKind::Click;
    bool repaired = false;     // false: left as recorded (it could not be rebuilt)
    // When repaired: for each channel of the mask in ascending order,
    // `length` samples (the recorded ones where that channel was not damaged).
    std::vector<float> samples;

    uint64_t End() const { return position + length; }
};

// The repaired samples of `channel` at place, or null when the place does
// not repair that channel.
const float* ChannelSamplesOf(const RepairedPlace& place, uint16_t channel);

class RepairedPlaces {
public:
    RepairedPlaces() = default;
    // places ascending and not overlapping.
    RepairedPlaces(uint64_t rate, uint16_t channels, std::vector<RepairedPlace> places);

    uint64_t Rate() const { return m_rate; }
    uint16_t Channels() const { return m_channels; }
    const std::vector<RepairedPlace>& Places() const { return m_places; }

    // Overwrites out[i], the sample first + i of channel, with its repaired
    // value wherever a repaired place covers it (i < count).
    void Apply(uint16_t channel, uint64_t first, size_t count, float* out) const;

    // Calls visit(i, samples, n) for every stretch of repaired samples of
    // channel within [first, first + count): samples[0 .. n) replace the
    // samples first + i .. first + i + n - 1.
    template <class Visit>
    void ForEachRepair(uint16_t channel, uint64_t first, size_t count, Visit&& visit) const
    {
        const uint64_t end = first + count;
        for (auto it = FirstEndingAfter(first); it != m_places.end() && it->position < end; ++it) {
            const float* samples = ChannelSamplesOf(*it, channel);
            if (samples != nullptr) {
                const uint64_t from = std::max(first, it->position);
                const uint64_t to = std::min(end, it->End());
                visit(static_cast<size_t>(from - first), samples + (from - it->position), static_cast<size_t>(to - from));
            }
        }
    }

private:
    std::vector<RepairedPlace>::const_iterator FirstEndingAfter(uint64_t position) const;

    uint64_t m_rate = 0;
    uint16_t m_channels = 0;
    std::vector<RepairedPlace> m_places;
};
