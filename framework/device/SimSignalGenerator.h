// What the simulated turntable delivers per IO cycle, frame after frame:
// its record rendered at the device rate and quantised to the physical
// format's depth (PCM), or modulated to one bit and packed 16 DSD bits per
// 16-bit word (DSD carriage), always as the floats the platform hands out
// (integer / 2^(bits-1)).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/DeltaSigmaModulator.h"
#include "device/SimSource.h"

struct SimDeliveryFormat {
    double rate = 44100;   // device frames per second (DSD: the bit rate / 16)
    uint32_t bits = 24;    // depth of the integer physical format
    bool dsdCarriage = false;
};

class SimSignalGenerator {
public:
    // Modulator input for a full-scale record: DSD full scale is 50 % modulation.
    static constexpr double kDsdModulationScale = 0.5;

    SimSignalGenerator(std::shared_ptr<const ISimSource> source, SimDeliveryFormat format);

    // The next `frames` interleaved stereo frames.
    void Next(size_t frames, float* stereo);
    // Advances by `frames` frames without delivering them.
    void Skip(uint64_t frames);
    uint64_t Position() const { return m_position; }

private:
    void NextPcm(size_t frames, float* stereo);
    void NextDsd(size_t frames, float* stereo);

    std::shared_ptr<const ISimSource> m_source;
    SimDeliveryFormat m_format;
    uint64_t m_position = 0;
    std::vector<float> m_scratch;
    DeltaSigmaModulator m_modulator; // both channels side by side
    std::array<float, 2> m_previous{}; // last modulator input per channel, for interpolation
};

// Packs 16 DSD bits (earliest first) into the carriage word as the capture
// path reads it back: the earliest bit in the most significant bit of the
// word's first byte in memory (its low byte), the ninth in the MSB of the
// second byte.
int16_t PackDsdWord(const bool (&bits)[16]);
