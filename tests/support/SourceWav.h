// Records for the simulated turntable to play: a stereo 24-bit WAV file
// written by the test, with its samples kept in memory for comparison.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct SourceSignal {
    uint32_t rate = 48000;
    // Interleaved stereo 24-bit sample values.
    std::vector<int32_t> samples;

    uint64_t Frames() const { return samples.size() / 2; }
};

// Fills frames x 2 samples from value(frame, channel) (full scale +-1.0),
// quantised to 24 bits.
SourceSignal MakeSignal(uint32_t rate, uint64_t frames,
                        const std::function<double(uint64_t frame, int channel)>& value);

// A 1 kHz sine of the given amplitude on both channels.
SourceSignal MakeTone(uint32_t rate, double seconds, double frequency, double amplitude);

// Two different tones with pseudo-random noise on top, loud enough that a
// gain of +6 dB clips: no stretch of it repeats, so a recorded stretch can be
// located in it.
SourceSignal MakeNoisyTones(uint32_t rate, double seconds);

// Writes the signal as a canonical 44-byte-header PCM WAV file.
bool WriteSourceWav(const SourceSignal& signal, const std::string& path);
