// Window levels of a 16-bit preview stream; see LevelEnvelope.h.
#include "preview/LevelEnvelope.h"

#include <algorithm>
#include <cmath>

LevelEnvelope::LevelEnvelope(uint32_t framesPerWindow, uint16_t channels)
    : m_framesPerWindow(std::max<uint32_t>(framesPerWindow, 1)),
      m_channels(std::max<uint16_t>(channels, 1))
{
}

void LevelEnvelope::Add(const int16_t* samples, size_t frames)
{
    while (frames > 0) {
        const size_t take = std::min<size_t>(frames, m_framesPerWindow - m_framesInWindow);
        const size_t count = take * m_channels;
        // Integer sum of squares: exact, and the loop vectorises.
        int64_t sum = 0;
        for (size_t i = 0; i < count; ++i) {
            const int32_t s = samples[i];
            sum += s * s;
        }
        m_sumOfSquares += static_cast<double>(sum);
        m_framesInWindow += static_cast<uint32_t>(take);
        samples += count;
        frames -= take;
        if (m_framesInWindow == m_framesPerWindow) {
            CloseWindow();
        }
    }
}

void LevelEnvelope::Finish()
{
    if (m_framesInWindow > 0) {
        CloseWindow();
    }
}

void LevelEnvelope::CloseWindow()
{
    const double fullScale = 32768.0 * 32768.0;
    const double meanSquare =
        m_sumOfSquares / (static_cast<double>(m_framesInWindow) * m_channels * fullScale);
    const float level = meanSquare > 0.0 ? static_cast<float>(10.0 * std::log10(meanSquare))
                                         : kSilenceDb;
    m_levels.push_back(std::max(level, kSilenceDb));
    m_framesInWindow = 0;
    m_sumOfSquares = 0.0;
}
