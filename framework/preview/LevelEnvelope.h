// The short-term level of a preview stream: interleaved 16-bit frames are
// cut into windows of a fixed number of frames and each window becomes one
// level in dB relative to full scale (the mean square over all of its
// samples, every channel alike). Frames can be added in blocks of any size;
// a window that spans two blocks is completed by the second. The track-gap
// finder reads the levels; nothing else of the stream is kept, so a whole
// side costs a few hundred kilobytes however long it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LevelEnvelope {
public:
    // Level given to a window of digital silence (log of zero).
    static constexpr float kSilenceDb = -120.0f;

    // framesPerWindow and channels must be at least 1.
    LevelEnvelope(uint32_t framesPerWindow, uint16_t channels);

    // Adds `frames` interleaved frames.
    void Add(const int16_t* samples, size_t frames);

    // Closes a partly filled last window (if it holds any frames).
    void Finish();

    const std::vector<float>& LevelsDb() const { return m_levels; }

private:
    void CloseWindow();

    uint32_t m_framesPerWindow;
    uint16_t m_channels;
    uint32_t m_framesInWindow = 0;
    double m_sumOfSquares = 0.0;
    std::vector<float> m_levels;
};
