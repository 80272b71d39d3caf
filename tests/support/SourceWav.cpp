// Building and writing the simulator's records.
#include "support/SourceWav.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

void PutLE16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void PutLE32(std::vector<uint8_t>& out, uint32_t v)
{
    PutLE16(out, v & 0xFFFF);
    PutLE16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

} // namespace

SourceSignal MakeSignal(uint32_t rate, uint64_t frames,
                        const std::function<double(uint64_t frame, int channel)>& value)
{
    SourceSignal signal;
    signal.rate = rate;
    signal.samples.resize(frames * 2);
    for (uint64_t i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            const double scaled = std::nearbyint(value(i, c) * 8388608.0);
            signal.samples[2 * i + c] = static_cast<int32_t>(std::clamp(scaled, -8388608.0, 8388607.0));
        }
    }
    return signal;
}

SourceSignal MakeTone(uint32_t rate, double seconds, double frequency, double amplitude)
{
    const auto frames = static_cast<uint64_t>(seconds * rate);
    return MakeSignal(rate, frames, [&](uint64_t i, int) {
        return amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    });
}

SourceSignal MakeNoisyTones(uint32_t rate, double seconds)
{
    const auto frames = static_cast<uint64_t>(seconds * rate);
    uint32_t state = 0x2545F491u;
    double noise[2] = {0.0, 0.0};
    return MakeSignal(rate, frames, [&](uint64_t i, int c) {
        // One new noise value per sample, from a 32-bit linear congruential generator.
        state = state * 1664525u + 1013904223u;
        noise[c] = (static_cast<double>(state >> 8) / 16777216.0) * 2.0 - 1.0;
        const double t = static_cast<double>(i) / rate;
        const double frequency = c == 0 ? 440.0 : 1234.0;
        return 0.45 * std::sin(2.0 * std::numbers::pi * frequency * t) + 0.3 * noise[c];
    });
}

bool WriteSourceWav(const SourceSignal& signal, const std::string& path)
{
    const uint32_t dataBytes = static_cast<uint32_t>(signal.samples.size() * 3);
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    PutTag(bytes, "RIFF");
    PutLE32(bytes, 36 + dataBytes);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    PutLE32(bytes, 16);
    PutLE16(bytes, 1);              // integer PCM
    PutLE16(bytes, 2);              // channels
    PutLE32(bytes, signal.rate);
    PutLE32(bytes, signal.rate * 6); // byte rate
    PutLE16(bytes, 6);              // block align
    PutLE16(bytes, 24);
    PutTag(bytes, "data");
    PutLE32(bytes, dataBytes);
    for (int32_t v : signal.samples) {
        const auto u = static_cast<uint32_t>(v);
        bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<uint8_t>((u >> 8) & 0xFF));
        bytes.push_back(static_cast<uint8_t>((u >> 16) & 0xFF));
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
