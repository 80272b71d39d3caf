// A PCM WAV file opened for click repair: its chunks are walked once to find
// the format and the samples, the file is mapped read-only, and a copy is
// written with some samples replaced. Everything else of the file (header,
// LIST/INFO, id3 and any other chunk) is copied byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class WavSampleEncoding { Int16, Int24, Float32 };

struct WavFormat {
    WavSampleEncoding encoding = WavSampleEncoding::Int16;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint64_t dataOffset = 0; // of the first sample byte
    uint64_t frames = 0;

    size_t BytesPerSample() const { return encoding == WavSampleEncoding::Int16 ? 2 : encoding == WavSampleEncoding::Int24 ? 3 : 4; }
    size_t FrameBytes() const { return BytesPerSample() * channels; }
};

// Reads the format of a WAV file held in bytes. Returns an empty string on
// success, else what is wrong ("not a RIFF WAVE file", "the data chunk is
// truncated: ...", "8-bit samples are not supported", ...).
std::string ParseWavFormat(const uint8_t* bytes, size_t size, WavFormat& format);

// One sample as a float (full scale +-1.0) and back. Writing rounds to the
// nearest integer and clamps to the encoding's range.
float LoadWavSample(const uint8_t* p, WavSampleEncoding encoding);
// count samples, stride bytes apart, into out.
void LoadWavSamples(const uint8_t* p, size_t stride, size_t count, WavSampleEncoding encoding, float* out);
void StoreWavSample(uint8_t* p, WavSampleEncoding encoding, float value);

// A file mapped read-only for the life of the object.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Empty string on success, else why the file cannot be read (with the
    // system's reason).
    std::string Open(const std::string& path);
    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

// A replacement of bytes [offset, offset + bytes.size()) of the copy.
struct BytePatch {
    uint64_t offset = 0;
    std::vector<uint8_t> bytes;
};

// Writes bytes with the patches (ascending, not overlapping) applied to
// path, through a temporary file in the same folder that is renamed over
// path once it is completely written: path is either left as it was or
// replaced whole. Empty string on success, else why it failed.
std::string WriteFileReplacing(const std::string& path, const uint8_t* bytes, size_t size,
                               const std::vector<BytePatch>& patches);
