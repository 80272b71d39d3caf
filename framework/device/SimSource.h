// What the simulated turntable plays: a stereo signal that can be rendered
// at any rate from any frame, always the same for the same arguments.
#pragma once

#include <cstddef>
#include <cstdint>

class ISimSource {
public:
    virtual ~ISimSource() = default;
    // Writes `frames` interleaved stereo frames (full scale +-1.0) starting at
    // `firstFrame` of the signal sampled at `rate`.
    virtual void Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const = 0;
};

// A sine of one frequency and amplitude on both channels.
class ToneSource : public ISimSource {
public:
    ToneSource(double frequency, double amplitude) : m_frequency(frequency), m_amplitude(amplitude) {}
    void Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const override;

private:
    double m_frequency;
    double m_amplitude;
};
