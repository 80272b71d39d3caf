// What a click analysis reads: the planar float samples of a recording.
#pragma once

#include <cstddef>
#include <cstdint>

class ISampleSource {
public:
    virtual ~ISampleSource() = default;

    virtual uint16_t Channels() const = 0;
    virtual uint64_t Frames() const = 0; // samples of one channel
    virtual uint64_t Rate() const = 0;
    // Samples [first, first + count) of channel as floats (full scale
    // +-1.0); false when they cannot be read. Called from several threads
    // at once.
    virtual bool Read(uint16_t channel, uint64_t first, size_t count, float* out) = 0;
};
