// A WAV file as the simulated turntable's record: 8-, 16-, 24- or 32-bit
// integer or 32-bit float PCM, mono or stereo (further channels are
// ignored), with at least one frame, loaded into memory. Rendered at another rate it is linearly interpolated; after
// its end it is silent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/SimSource.h"

class WavFileSource : public ISimSource {
public:
    // Empty source; Load fills it.
    WavFileSource() = default;

    // False (with a reason that does not repeat the path) when the file cannot be read or its format is not one of the above.
    bool Load(const std::string& path, std::string& error);
    // Parses a whole file held in memory.
    bool Parse(const std::vector<uint8_t>& bytes, std::string& error);

    void Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const override;

    double SampleRate() const { return m_rate; }
    uint64_t Frames() const { return m_samples.size() / 2; }

private:
    double m_rate = 44100;
    std::vector<float> m_samples; // interleaved stereo
};
