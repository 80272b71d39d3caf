// Producing the simulated turntable's delivered samples.
#include "device/SimSignalGenerator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t kChunkFrames = 4096;

float Quantise(float value, uint32_t bits)
{
    const double scale = std::ldexp(1.0, static_cast<int>(bits) - 1);
    const double q = std::clamp(std::nearbyint(static_cast<double>(value) * scale), -scale, scale - 1);
    return static_cast<float>(q / scale);
}

} // namespace

int16_t PackDsdWord(const bool (&bits)[16])
{
    uint8_t first = 0;
    uint8_t second = 0;
    for (int i = 0; i < 8; ++i) {
        first = static_cast<uint8_t>(first | (bits[i] ? 0x80 >> i : 0));
        second = static_cast<uint8_t>(second | (bits[8 + i] ? 0x80 >> i : 0));
    }
    const auto word = static_cast<uint16_t>(first | (second << 8));
    return static_cast<int16_t>(word);
}

SimSignalGenerator::SimSignalGenerator(std::shared_ptr<const ISimSource> source, SimDeliveryFormat format)
    : m_source(std::move(source)), m_format(format)
{
    if (m_format.bits < 8) {
        m_format.bits = 8;
    }
    if (m_format.bits > 32) {
        m_format.bits = 32;
    }
}

void SimSignalGenerator::Next(size_t frames, float* stereo)
{
    if (m_format.dsdCarriage) {
        NextDsd(frames, stereo);
    } else {
        NextPcm(frames, stereo);
    }
}

void SimSignalGenerator::Skip(uint64_t frames)
{
    if (!m_format.dsdCarriage) {
        m_position += frames;
        return;
    }
    // The modulator's state depends on everything before, so DSD is run through.
    std::vector<float> discard(2 * kChunkFrames);
    while (frames > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(frames, kChunkFrames));
        NextDsd(n, discard.data());
        frames -= n;
    }
}

void SimSignalGenerator::NextPcm(size_t frames, float* stereo)
{
    if (m_source) {
        m_source->Render(m_format.rate, m_position, frames, stereo);
    } else {
        std::fill(stereo, stereo + 2 * frames, 0.0f);
    }
    for (size_t i = 0; i < 2 * frames; ++i) {
        stereo[i] = Quantise(stereo[i], m_format.bits);
    }
    m_position += frames;
}

void SimSignalGenerator::NextDsd(size_t frames, float* stereo)
{
    m_scratch.resize(2 * frames);
    if (m_source) {
        m_source->Render(m_format.rate, m_position, frames, m_scratch.data());
    } else {
        std::fill(m_scratch.begin(), m_scratch.end(), 0.0f);
    }
    for (size_t i = 0; i < frames; ++i) {
        for (size_t c = 0; c < 2; ++c) {
            const double target = kDsdModulationScale * std::clamp(static_cast<double>(m_scratch[2 * i + c]), -1.0, 1.0);
            const double start = m_previous[c];
            // The 16 bits of one word run from the previous source sample to
            // this one, linearly interpolated.
            bool bits[16];
            for (int b = 0; b < 16; ++b) {
                const double x = start + (target - start) * (b + 1) / 16.0;
                bits[b] = m_modulators[c].Step(x);
            }
            m_previous[c] = target;
            stereo[2 * i + c] = static_cast<float>(PackDsdWord(bits)) / 32768.0f;
        }
    }
    m_position += frames;
}
