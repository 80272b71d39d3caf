// WAV files for click repair; see PcmWavFile.h.
#include "PcmWavFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The output file's stdio buffer.
constexpr size_t kWriteBuffer = size_t{1} << 20;

uint32_t Le(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    }
    return v;
}

std::string SystemReason(const char* what, const std::string& path, int error)
{
    return std::string(what) + " " + path + ": " + std::strerror(error);
}

// The process's file-creation mask (reading it means setting it: it is put back at once).
mode_t CurrentUmask()
{
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

std::string ParseWavFormat(const uint8_t* bytes, size_t size, WavFormat& format)
{
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        return "not a RIFF WAVE file";
    }
    bool haveFormat = false;
    uint16_t tag = 0;
    uint16_t bits = 0;
    uint16_t blockAlign = 0;
    for (size_t at = 12; at + 8 <= size;) {
        const uint32_t chunkSize = Le(bytes + at + 4, 4);
        const uint8_t* body = bytes + at + 8;
        const size_t available = size - at - 8;
        if (std::memcmp(bytes + at, "fmt ", 4) == 0) {
            if (chunkSize < 16 || available < 16) {
                return "the fmt chunk is truncated";
            }
            tag = static_cast<uint16_t>(Le(body, 2));
            format.channels = static_cast<uint16_t>(Le(body + 2, 2));
            format.sampleRate = Le(body + 4, 4);
            blockAlign = static_cast<uint16_t>(Le(body + 12, 2));
            bits = static_cast<uint16_t>(Le(body + 14, 2));
            if (tag == kFormatExtensible) {
                if (chunkSize < 26 || available < 26) {
                    return "the extensible fmt chunk is truncated";
                }
                tag = static_cast<uint16_t>(Le(body + 24, 2)); // the sub-format's first two bytes
            }
            haveFormat = true;
        } else if (std::memcmp(bytes + at, "data", 4) == 0) {
            if (!haveFormat) {
                return "the data chunk comes before the fmt chunk";
            }
            if (tag != kFormatPcm && tag != kFormatFloat) {
                return "not PCM: format tag " + std::to_string(tag) + " (compressed audio is not supported)";
            }
            if (tag == kFormatPcm && bits == 16) {
                format.encoding = WavSampleEncoding::Int16;
            } else if (tag == kFormatPcm && bits == 24) {
                format.encoding = WavSampleEncoding::Int24;
            } else if (tag == kFormatFloat && bits == 32) {
                format.encoding = WavSampleEncoding::Float32;
            } else {
                return std::to_string(bits) + "-bit " + (tag == kFormatFloat ? "float" : "integer") +
                       " samples are not supported (16 or 24-bit integer, or 32-bit float)";
            }
            if (format.channels < 1 || format.channels > 2) {
                return std::to_string(format.channels) + " channels are not supported (mono or stereo)";
            }
            if (format.sampleRate == 0) {
                return "the sample rate is 0";
            }
            if (blockAlign != format.FrameBytes()) {
                return "the block alignment " + std::to_string(blockAlign) + " does not match the format";
            }
            if (chunkSize > available) {
                return "the data chunk is truncated: it declares " + std::to_string(chunkSize) + " bytes, the file has " +
                       std::to_string(available);
            }
            format.dataOffset = at + 8;
            format.frames = chunkSize / format.FrameBytes();
            return {};
        }
        at += 8 + static_cast<size_t>(chunkSize) + (chunkSize & 1u);
    }
    return haveFormat ? "the file has no data chunk" : "the file has no fmt chunk";
}

float LoadWavSample(const uint8_t* p, WavSampleEncoding encoding)
{
    switch (encoding) {
    case WavSampleEncoding::Int16:
        return static_cast<float>(static_cast<int16_t>(Le(p, 2))) / 32768.0f;
    case WavSampleEncoding::Int24:
        return static_cast<float>(static_cast<int32_t>(Le(p, 3) << 8) >> 8) / 8388608.0f;
    case WavSampleEncoding::Float32:
        return std::bit_cast<float>(Le(p, 4));
    }
    return 0.0f;
}

void LoadWavSamples(const uint8_t* p, size_t stride, size_t count, WavSampleEncoding encoding, float* out)
{
    // One loop per encoding, so that the loop body has no branch.
    switch (encoding) {
    case WavSampleEncoding::Int16:
        for (size_t i = 0; i < count; ++i, p += stride) {
            out[i] = static_cast<float>(static_cast<int16_t>(p[0] | (p[1] << 8))) / 32768.0f;
        }
        break;
    case WavSampleEncoding::Int24:
        for (size_t i = 0; i < count; ++i, p += stride) {
            const auto v = static_cast<int32_t>((uint32_t(p[0]) << 8) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 24)) >> 8;
            out[i] = static_cast<float>(v) / 8388608.0f;
        }
        break;
    case WavSampleEncoding::Float32:
        for (size_t i = 0; i < count; ++i, p += stride) {
            out[i] = LoadWavSample(p, encoding);
        }
        break;
    }
}

void StoreWavSample(uint8_t* p, WavSampleEncoding encoding, float value)
{
    uint32_t bits = 0;
    int bytes = 4;
    if (encoding == WavSampleEncoding::Float32) {
        bits = std::bit_cast<uint32_t>(value);
    } else {
        const double scale = encoding == WavSampleEncoding::Int16 ? 32768.0 : 8388608.0;
        const double rounded = std::clamp(std::nearbyint(static_cast<double>(value) * scale), -scale, scale - 1.0);
        bits = static_cast<uint32_t>(static_cast<int32_t>(rounded));
        bytes = encoding == WavSampleEncoding::Int16 ? 2 : 3;
    }
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
}

MappedFile::~MappedFile()
{
    if (m_data != nullptr) {
        munmap(m_data, m_size);
    }
}

std::string MappedFile::Open(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return SystemReason("cannot open", path, errno);
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return SystemReason("cannot read", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return path + " is not a regular file";
    }
    m_size = static_cast<size_t>(info.st_size);
    if (m_size > 0) {
        void* data = mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data == MAP_FAILED) {
            const int error = errno;
            close(fd);
            m_size = 0;
            return SystemReason("cannot read", path, error);
        }
        m_data = static_cast<uint8_t*>(data);
        madvise(m_data, m_size, MADV_SEQUENTIAL);
    }
    close(fd);
    return {};
}

std::string WriteFileReplacing(const std::string& path, const uint8_t* bytes, size_t size,
                               const std::vector<BytePatch>& patches)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string temporary = (slash == std::string::npos ? std::string() : folder) + ".cartova-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return SystemReason("cannot write in", folder, errno);
    }
    FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        return SystemReason("cannot write", path, error);
    }
    // The copy in pieces: unchanged bytes up to each patch, then the patch,
    // gathered in a large buffer (thousands of patches would otherwise
    // each end a write of their own).
    std::vector<char> buffer(kWriteBuffer);
    setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    bool written = true;
    uint64_t at = 0;
    for (const BytePatch& patch : patches) {
        written = written && fwrite(bytes + at, 1, patch.offset - at, file) == patch.offset - at &&
                  fwrite(patch.bytes.data(), 1, patch.bytes.size(), file) == patch.bytes.size();
        at = patch.offset + patch.bytes.size();
    }
    written = written && fwrite(bytes + at, 1, size - at, file) == size - at;
    written = written && fflush(file) == 0;
    int error = errno;
    if (fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    // mkstemp made the file private; the result gets a new file's permissions.
    if (written && (chmod(temporary.c_str(), 0666 & ~CurrentUmask()) != 0 || rename(temporary.c_str(), path.c_str()) != 0)) {
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        return SystemReason("cannot write", path, error);
    }
    return {};
}
