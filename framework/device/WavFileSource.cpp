// Reading a WAV file for the simulated turntable: RIFF chunks are walked
// with explicit little-endian reads; the samples are kept as stereo floats.
#include "device/WavFileSource.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatFloat = 3;
constexpr uint16_t kWaveFormatExtensible = 0xFFFE;

uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool TagIs(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

float DecodeSample(const uint8_t* p, uint16_t format, uint16_t bits)
{
    if (format == kWaveFormatFloat) {
        const uint32_t word = ReadLE32(p);
        float value;
        std::memcpy(&value, &word, sizeof value);
        return std::isfinite(value) ? value : 0.0f;
    }
    if (bits == 8) {
        // 8-bit WAV samples are unsigned, with silence at 128.
        return static_cast<float>(static_cast<int>(p[0]) - 128) / 128.0f;
    }
    if (bits == 16) {
        return static_cast<float>(static_cast<int16_t>(ReadLE16(p))) / 32768.0f;
    }
    if (bits == 32) {
        return static_cast<float>(static_cast<double>(static_cast<int32_t>(ReadLE32(p))) / 2147483648.0);
    }
    // 24-bit: sign-extend the three bytes.
    int32_t value = static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    if ((value & 0x800000) != 0) {
        value -= 0x1000000;
    }
    return static_cast<float>(value) / 8388608.0f;
}

} // namespace

bool WavFileSource::Load(const std::string& path, std::string& error)
{
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        error = "it is a folder";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = std::string("cannot read it: ") + std::strerror(errno);
        return false;
    }
    return Parse(bytes, error);
}

bool WavFileSource::Parse(const std::vector<uint8_t>& bytes, std::string& error)
{
    if (bytes.size() < 12 || !TagIs(bytes.data(), "RIFF") || !TagIs(bytes.data() + 8, "WAVE")) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    uint16_t format = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
    bool haveFormat = false;
    const uint8_t* data = nullptr;
    size_t dataSize = 0;

    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        const size_t declared = ReadLE32(chunk + 4);
        const size_t available = bytes.size() - pos - 8;
        const size_t size = declared < available ? declared : available;
        if (TagIs(chunk, "fmt ")) {
            if (size < 16) {
                error = "format chunk too short";
                return false;
            }
            format = ReadLE16(chunk + 8);
            channels = ReadLE16(chunk + 10);
            rate = ReadLE32(chunk + 12);
            blockAlign = ReadLE16(chunk + 20);
            bits = ReadLE16(chunk + 22);
            if (format == kWaveFormatExtensible) {
                if (size < 40) {
                    error = "extensible format chunk too short";
                    return false;
                }
                format = ReadLE16(chunk + 8 + 24); // first two bytes of the sub-format
            }
            haveFormat = true;
        } else if (TagIs(chunk, "data")) {
            data = chunk + 8;
            dataSize = size;
        }
        pos += 8 + size + (size & 1); // chunks are padded to an even size
    }
    if (!haveFormat || data == nullptr) {
        error = "missing format or data chunk";
        return false;
    }
    const bool pcm = format == kWaveFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool isFloat = format == kWaveFormatFloat && bits == 32;
    if (!pcm && !isFloat) {
        error = "unsupported sample format (8, 16, 24 or 32-bit integer or 32-bit float PCM only)";
        return false;
    }
    const uint32_t bytesPerSample = bits / 8;
    if (channels == 0 || rate == 0 || blockAlign < channels * bytesPerSample) {
        error = "inconsistent format chunk";
        return false;
    }

    const size_t frames = dataSize / blockAlign;
    if (frames == 0) {
        error = "the file holds no samples";
        return false;
    }
    m_rate = rate;
    m_samples.assign(frames * 2, 0.0f);
    for (size_t i = 0; i < frames; ++i) {
        const uint8_t* frame = data + i * blockAlign;
        const float left = DecodeSample(frame, format, bits);
        const float right = channels > 1 ? DecodeSample(frame + bytesPerSample, format, bits) : left;
        m_samples[2 * i] = left;
        m_samples[2 * i + 1] = right;
    }
    return true;
}

void WavFileSource::Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const
{
    const uint64_t count = Frames();
    if (rate == m_rate) {
        for (size_t i = 0; i < frames; ++i) {
            const uint64_t frame = firstFrame + i;
            stereo[2 * i] = frame < count ? m_samples[2 * frame] : 0.0f;
            stereo[2 * i + 1] = frame < count ? m_samples[2 * frame + 1] : 0.0f;
        }
        return;
    }
    // Linear interpolation between the file's frames at the requested rate.
    const double step = m_rate / rate;
    for (size_t i = 0; i < frames; ++i) {
        const double position = static_cast<double>(firstFrame + i) * step;
        const auto index = static_cast<uint64_t>(position);
        const float fraction = static_cast<float>(position - static_cast<double>(index));
        for (int c = 0; c < 2; ++c) {
            const float a = index < count ? m_samples[2 * index + c] : 0.0f;
            const float b = index + 1 < count ? m_samples[2 * (index + 1) + c] : 0.0f;
            stereo[2 * i + c] = a + (b - a) * fraction;
        }
    }
}
