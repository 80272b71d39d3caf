// Test signals for the DSD tests: a one-bit stream of a sine tone made by a
// small second-order delta-sigma modulator of the tests' own, and a tone
// level measured by correlation with the tone's frequency.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "save/DsdModulator.h"

// As MakeDsdTone, with the fifth-order modulator of the re-modulation, whose
// noise in the audio band lies far below that of the second-order one.
inline std::vector<uint8_t> MakeQuietDsdTone(uint64_t samples, double fs, double frequency, double amplitude)
{
    std::vector<uint8_t> bytes((samples + 7) / 8, 0);
    _dsm<double> state;
    const double step = 2.0 * std::numbers::pi * frequency / fs;
    for (uint64_t n = 0; n < samples; ++n) {
        if (dsm(state, amplitude * std::sin(step * double(n))) > 0)
            bytes[n / 8] |= uint8_t(0x80u >> (n % 8));
    }
    return bytes;
}

// samples one-bit samples (padded to whole bytes) of amplitude x sin(2 pi f t)
// at rate fs, earliest sample in the most significant bit of each byte.
inline std::vector<uint8_t> MakeDsdTone(uint64_t samples, double fs, double frequency, double amplitude)
{
    std::vector<uint8_t> bytes((samples + 7) / 8, 0);
    double i1 = 0.0, i2 = 0.0, y = -1.0;
    const double step = 2.0 * std::numbers::pi * frequency / fs;
    for (uint64_t n = 0; n < samples; ++n) {
        const double x = amplitude * std::sin(step * double(n));
        i1 += x - y;
        i2 += i1 - y;
        y = i2 >= 0.0 ? 1.0 : -1.0;
        if (y > 0)
            bytes[n / 8] |= uint8_t(0x80u >> (n % 8));
    }
    return bytes;
}

// Amplitude of the component at frequency in bits [first, first + count)
// of an MSB-first one-bit stream read as +1/-1.
inline double DsdToneAmplitude(const std::vector<uint8_t>& bytes, uint64_t first, uint64_t count,
                               double fs, double frequency)
{
    const double step = 2.0 * std::numbers::pi * frequency / fs;
    double re = 0.0, im = 0.0;
    for (uint64_t n = first; n < first + count; ++n) {
        const double v = (bytes[n / 8] >> (7 - n % 8)) & 1 ? 1.0 : -1.0;
        re += v * std::cos(step * double(n));
        im += v * std::sin(step * double(n));
    }
    return 2.0 * std::hypot(re, im) / double(count);
}
