// Producing the simulated turntable's delivered samples.
#include "device/SimSignalGenerator.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t kChunkFrames = 4096;

// Highest rate at which the record is rendered for DSD carriage.
constexpr double kDsdSourceRate = 176400;

// Words per rendered source frame: 1 at DSD64, 2 at DSD128, 4 at DSD256.
uint64_t DsdSourceStride(double wordRate)
{
    const double stride = std::ceil(wordRate / kDsdSourceRate);
    return stride > 1 ? static_cast<uint64_t>(stride) : 1;
}

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
    if (frames == 0) {
        return;
    }
    // The record is rendered at no more than kDsdSourceRate (every
    // `stride`-th word) and linearly interpolated in between: rendering it at
    // the full word rate of DSD256 would cost more than the modulator.
    const uint64_t stride = DsdSourceStride(m_format.rate);
    const uint64_t firstSource = m_position / stride;
    const uint64_t lastSource = (m_position + frames - 1) / stride + 1;
    const auto sourceFrames = static_cast<size_t>(lastSource - firstSource + 1);
    m_scratch.resize(2 * sourceFrames);
    if (m_source) {
        m_source->Render(m_format.rate / static_cast<double>(stride), firstSource, sourceFrames, m_scratch.data());
    } else {
        std::fill(m_scratch.begin(), m_scratch.end(), 0.0f);
    }
    const auto scale = static_cast<float>(kDsdModulationScale);
    for (float& value : m_scratch) {
        value = scale * std::clamp(value, -1.0f, 1.0f);
    }
    const float strideInverse = 1.0f / static_cast<float>(stride);
    std::array<uint16_t, 2> bits{};
    for (size_t i = 0; i < frames; ++i) {
        const uint64_t word = m_position + i;
        const auto k = static_cast<size_t>(word / stride - firstSource);
        const float fraction = static_cast<float>(word % stride) * strideInverse;
        const float* here = &m_scratch[2 * k];
        const std::array<float, 2> target = {here[0] + (here[2] - here[0]) * fraction,
                                             here[1] + (here[3] - here[1]) * fraction};
        // The 16 bits of one word run from the previous word's input to
        // this one's, linearly interpolated.
        m_modulator.StepWord(m_previous, target, bits);
        m_previous = target;
        for (size_t c = 0; c < 2; ++c) {
            // Earliest bit (bit 15) into the MSB of the low byte, the ninth
            // into the MSB of the high byte, as PackDsdWord does.
            const auto packed = static_cast<uint16_t>((bits[c] >> 8) | ((bits[c] & 0xFF) << 8));
            stereo[2 * i + c] = static_cast<float>(static_cast<int16_t>(packed)) / 32768.0f;
        }
    }
    m_position += frames;
}
