// Streaming sample-rate converter for interleaved float frames: a windowed-sinc filter
// evaluated at the output instants, with coefficients taken from a table of polyphase
// rows (linearly interpolated between neighbouring rows). The cut-off follows the lower
// of the two rates, so downsampling does not alias. Used when the output device refuses
// the preview stream's rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Resampler {
public:
    Resampler(uint32_t inputRate, uint32_t outputRate, uint32_t channels);

    // Feeds `frames` input frames and appends every output frame that can now be made to
    // `output`. Splitting the input into blocks of any size gives the same output.
    void process(const float* input, size_t frames, std::vector<float>& output);

    // Input frames that will certainly produce at least `outputFrames` more output frames.
    size_t inputFramesFor(size_t outputFrames) const;

    uint32_t inputRate() const { return m_inputRate; }
    uint32_t outputRate() const { return m_outputRate; }
    uint32_t channels() const { return m_channels; }

private:
    static constexpr int kHalfTaps = 16;           // taps on each side of the output instant
    static constexpr int kTaps = 2 * kHalfTaps;
    static constexpr int kPhases = 256;           // table rows per input sample interval

    const uint32_t m_inputRate;
    const uint32_t m_outputRate;
    const uint32_t m_channels;
    std::vector<float> m_table;       // (kPhases + 1) rows of kTaps coefficients
    std::vector<float> m_history;     // interleaved input frames not yet fully used
    // The next output instant: m_index + m_fraction / m_outputRate frames into m_history,
    // kept exactly so that block boundaries never change the result.
    size_t m_index;
    uint64_t m_fraction = 0;
};
