// The WAV writer: layout and checks first, then 0.1-second blocks read per
// channel, gained, converted and interleaved in one pass and collected into
// writes of about 1 MiB, then the pad byte and the tags.
#include "save/SaveWavFile.h"

#include "convert/InterleavedConverters.h"
#include "convert/SampleTypeInfo.h"
#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "save/RepairStage.h"
#include "save/RiffTags.h"
#include "save/TrackRange.h"
#include "save/WavHeader.h"
#include "storage/RecordData.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string>
#include <cstring>
#include <vector>

namespace {

// The samples reach the file in writes of about this size, collected in
// SampleOutput; the C library's own buffer, which carries the header and
// the tags, is small, so those writes pass it without being copied.
constexpr size_t kSampleWriteSize = 1048576;
constexpr size_t kFileBufferSize = 16384;
constexpr uint32_t kCancelDelete = 1;

// Closes file; false when pending buffered data could not be written.
bool CloseFile(FILE* file) { return fclose(file) == 0; }

// Converted blocks collected into writes of kSampleWriteSize bytes or more.
class SampleOutput {
public:
    SampleOutput(FILE* file, size_t blockBytes) : m_file(file), m_buffer(kSampleWriteSize + blockBytes) {}

    // Room for the next block of at most blockBytes.
    uint8_t* Next() { return m_buffer.data() + m_used; }

    // Takes bytes written at Next(); writes the collection once it is full.
    // False on a write error.
    bool Commit(size_t bytes) {
        m_used += bytes;
        return m_used < kSampleWriteSize || Flush();
    }

    // Writes what is collected; false on a write error.
    bool Flush() {
        const size_t used = m_used;
        m_used = 0;
        return used == 0 || fwrite(m_buffer.data(), 1, used, m_file) == used;
    }

private:
    FILE* m_file;
    std::vector<uint8_t> m_buffer;
    size_t m_used = 0;
};

// Per-file buffers, allocated once for the whole file. The stored bytes of
// every channel are read first; stored 32-bit floats go straight into the
// interleaving converter, other formats through toFloat32 first.
struct BlockBuffers {
    std::vector<std::vector<uint8_t>> raw;    // per channel, the stored bytes
    std::vector<std::vector<uint8_t>> floats; // per channel, little-endian floats (other formats only)
    std::vector<const uint8_t*> sources;      // per channel, the floats handed to the converter

    BlockBuffers(uint16_t channels, size_t blockFrames, bool storedAsFloat)
        : raw(channels), floats(storedAsFloat ? 0 : channels, std::vector<uint8_t>(blockFrames * sizeof(float))),
          sources(channels) {}
};

} // namespace

TkError OpenTrackFile(IDsfWriterHost& host, const std::string& path, uint64_t fileBytes,
                      uint64_t jobSamples, std::vector<char>& buffer, FILE** file) {
    *file = nullptr;
    const TkError created = host.SaveCreateDirectory(path);
    if (created != TkErrorSuccess) return created;
    if (!host.CheckDiskSpace(path, fileBytes)) {
        TRACE("not enough space for %llu bytes: %s", static_cast<unsigned long long>(fileBytes), path.c_str());
        host.SetFailureCause(kNotEnoughSpaceCause);
        return TkErrorFailed;
    }
    if (!host.CheckFileSystemFileSizeLimit(path, fileBytes) || _tfopen_s(file, path.c_str(), "wb") != 0 ||
        *file == nullptr) {
        *file = nullptr;
        host.NotifyFileSkipped(path);
        host.AddTotalDone(jobSamples);
        return TkErrorSuccess;
    }
    // The C library ignores the size when it allocates the buffer itself,
    // so the buffer is supplied.
    buffer.resize(kFileBufferSize);
    setvbuf(*file, buffer.data(), _IOFBF, buffer.size());
    return TkErrorSuccess;
}

TkError SaveWavFile(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits) {
    host.SetFileProgress(0, 0);
    if (job == nullptr) return TkErrorInvalidArgument;
    RecordData* record = host.GetRecordData();
    if (record == nullptr || record->GetSampleTypeInfo() == nullptr) return TkErrorFailed;
    const SampleTypeInfo* sourceType = record->GetSampleTypeInfo();

    const uint64_t rate = record->GetSampleRate();
    auto [first, end] = TrackSampleRange(rate, job->start, job->end, record->GetLength(true), false);
    if (end < first) return TkErrorInvalidArgument;
    const uint64_t frames = end - first;
    host.SetFileProgress(0, frames);

    // A depth other than 16, 24 or 32 bits would give a header that does not
    // describe the samples; refuse it before anything is created.
    const InterleavedConverter toOutput = bits % 8 == 0 ? InterleavedConverterFor(bits / 8u) : nullptr;
    const uint16_t channels = record->GetChannels();
    if (toOutput == nullptr || sourceType->toFloat32 == nullptr || channels == 0 || rate > UINT32_MAX) {
        host.SetFailureCause(toOutput == nullptr ? "unsupported bit depth " + std::to_string(bits)
                                                 : std::string("unsupported recording format"));
        return TkErrorFailed;
    }

    WavLayout layout;
    layout.channels = channels;
    layout.sampleRate = static_cast<uint32_t>(rate);
    layout.bitsPerSample = bits;
    layout.frames = frames;
    layout.tagSize = CalculateSaveTagSize(job->tags);
    if (!layout.Representable()) {
        host.NotifyFileSkipped(job->path);
        host.AddTotalDone(frames);
        return TkErrorSuccess;
    }

    FILE* file = nullptr;
    std::vector<char> fileBuffer;
    const TkError opened = OpenTrackFile(host, job->path, layout.FileSize(), frames, fileBuffer, &file);
    if (opened != TkErrorSuccess || file == nullptr) return opened;

    const auto header = BuildWavHeader(layout);
    if (fwrite(header.data(), 1, header.size(), file) != header.size()) {
        host.SetFailureCause(FailureWithErrno("write failed", errno));
        CloseFile(file);
        return TkErrorFailed;
    }

    const size_t blockFrames = static_cast<size_t>(std::max<uint64_t>(1, rate / 10));
    const size_t frameBytes = static_cast<size_t>(layout.BlockAlign());
    const float gain = std::pow(10.0f, static_cast<float>(job->gain) / 20.0f);
    const bool storedAsFloat = sourceType->isFloat && sourceType->bits + sourceType->paddingBits == 32;
    const size_t storedBytes = (sourceType->bits + sourceType->paddingBits) / 8u;
    BlockBuffers buffers(channels, blockFrames, storedAsFloat);
    SampleOutput output(file, blockFrames * frameBytes);
    uint64_t fileDone = 0;

    while (first < end) {
        if (host.GetCancelMode() == kCancelDelete) {
            CloseFile(file);
            return TkErrorCancelled;
        }
        const size_t n = static_cast<size_t>(std::min<uint64_t>(blockFrames, end - first));
        fileDone += n;
        host.AddTotalDone(n);
        host.SetFileProgress(fileDone, frames);

        for (uint16_t c = 0; c < channels; ++c) {
            std::vector<uint8_t>& raw = buffers.raw[c];
            if (record->GetData(c, first, first + n, raw, true) != TkErrorSuccess || raw.size() < n * storedBytes) {
                TRACE("read of channel %u at %llu failed", c, static_cast<unsigned long long>(first));
                host.SetFailureCause(FailureWithErrno("reading the recording failed", errno));
                CloseFile(file);
                return TkErrorFailed;
            }
            // The float capture's toFloat32 is a copy: its stored bytes are the floats.
            uint8_t* floats = storedAsFloat ? raw.data() : buffers.floats[c].data();
            if (!storedAsFloat) {
                sourceType->toFloat32(floats, raw.data(), n);
            }
            LayRepairs(host.GetRepairs(), c, first, n, floats);
            buffers.sources[c] = floats;
        }
        toOutput(output.Next(), buffers.sources.data(), channels, n, gain);
        if (!output.Commit(n * frameBytes)) {
            host.SetFailureCause(FailureWithErrno("write failed", errno));
            CloseFile(file);
            return TkErrorFailed;
        }
        first += n;
    }
    if (!output.Flush() || (layout.PadSize() != 0 && fputc(0, file) == EOF)) {
        host.SetFailureCause(FailureWithErrno("write failed", errno));
        CloseFile(file);
        return TkErrorFailed;
    }
    const TkError tagged = SaveTags(job->tags, file);
    if (tagged != TkErrorSuccess) host.SetFailureCause(FailureWithErrno("writing the tags failed", errno));
    errno = 0;
    const bool closed = CloseFile(file);
    if (tagged != TkErrorSuccess) return tagged;
    if (!closed) host.SetFailureCause(FailureWithErrno("write failed", errno));
    return closed ? TkErrorSuccess : TkErrorFailed;
}
