// The WAV writer: layout and checks first, then 0.1-second blocks read per
// channel, gained, converted, interleaved and written with one call each,
// then the pad byte and the tags.
#include "save/SaveWavFile.h"

#include "convert/SampleTypeInfo.h"
#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "save/Interleave.h"
#include "save/RiffTags.h"
#include "save/TrackRange.h"
#include "save/WavHeader.h"
#include "storage/RecordData.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kFileBufferSize = 1048576;
constexpr uint32_t kCancelDelete = 1;

using FloatConverter = decltype(SampleTypeInfo::toInt16);

// The float sample type's converter to the output depth.
FloatConverter ConverterFor(const SampleTypeInfo* floatType, uint16_t bits) {
    switch (bits) {
    case 16: return floatType->toInt16;
    case 24: return floatType->toInt24;
    case 32: return floatType->toInt32;
    default: return nullptr;
    }
}

void ApplyGain(std::vector<float>& samples, size_t count, float gain) {
    float* s = samples.data();
    for (size_t i = 0; i < count; ++i) s[i] *= gain;
}

// Gained copy of stored 32-bit floats in the machine's byte order.
void GainFromStoredFloats(float* out, const uint8_t* stored, size_t count, float gain) {
    for (size_t i = 0; i < count; ++i) {
        float x;
        std::memcpy(&x, stored + i * sizeof(float), sizeof(float));
        out[i] = x * gain;
    }
}

// Closes file; false when pending buffered data could not be written.
bool CloseFile(FILE* file) { return fclose(file) == 0; }

// Per-file buffers, allocated once for the whole file.
struct BlockBuffers {
    std::vector<uint8_t> raw;                 // one channel's stored bytes
    std::vector<float> samples;               // one channel as floats
    std::vector<std::vector<uint8_t>> output; // per channel at the output depth
    std::vector<const uint8_t*> outputPointers;
    std::vector<uint8_t> interleaved;

    BlockBuffers(uint16_t channels, size_t blockFrames, unsigned bytesPerSample)
        : samples(blockFrames), output(channels, std::vector<uint8_t>(blockFrames * bytesPerSample)),
          interleaved(blockFrames * channels * bytesPerSample) {
        for (const auto& o : output) outputPointers.push_back(o.data());
    }
};

} // namespace

TkError OpenTrackFile(IDsfWriterHost& host, const std::string& path, uint64_t fileBytes,
                      uint64_t jobSamples, FILE** file) {
    *file = nullptr;
    const TkError created = host.SaveCreateDirectory(path);
    if (created != TkErrorSuccess) return created;
    if (!host.CheckDiskSpace(path, fileBytes)) {
        TRACE("not enough space for %llu bytes: %s", static_cast<unsigned long long>(fileBytes), path.c_str());
        return TkErrorFailed;
    }
    if (!host.CheckFileSystemFileSizeLimit(path, fileBytes) || _tfopen_s(file, path.c_str(), "wb") != 0 ||
        *file == nullptr) {
        *file = nullptr;
        host.NotifyFileSkipped(path);
        host.AddTotalDone(jobSamples);
        return TkErrorSuccess;
    }
    setvbuf(*file, nullptr, _IOFBF, kFileBufferSize);
    return TkErrorSuccess;
}

TkError SaveWavFile(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits) {
    host.SetFileProgress(0, 0);
    if (job == nullptr) return TkErrorInvalidArgument;
    RecordData* record = host.GetRecordData();
    if (record == nullptr || record->GetSampleTypeInfo() == nullptr) return TkErrorFailed;
    const SampleTypeInfo* sourceType = record->GetSampleTypeInfo();
    const SampleTypeInfo* floatType = GetSampleTypeInfo(0);

    const uint64_t rate = record->GetSampleRate();
    uint64_t first = SecondsToSamples(rate, job->start);
    const uint64_t end = std::min(SecondsToSamples(rate, job->end), record->GetLength(true));
    if (end < first) return TkErrorInvalidArgument;
    const uint64_t frames = end - first;
    host.SetFileProgress(0, frames);

    // A depth other than 16, 24 or 32 bits would give a header that does not
    // describe the samples; refuse it before anything is created.
    const FloatConverter toOutput = floatType ? ConverterFor(floatType, bits) : nullptr;
    const uint16_t channels = record->GetChannels();
    if (toOutput == nullptr || sourceType->toFloat32 == nullptr || channels == 0 || rate > UINT32_MAX) {
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
    const TkError opened = OpenTrackFile(host, job->path, layout.FileSize(), frames, &file);
    if (opened != TkErrorSuccess || file == nullptr) return opened;

    const auto header = BuildWavHeader(layout);
    if (fwrite(header.data(), 1, header.size(), file) != header.size()) {
        CloseFile(file);
        return TkErrorFailed;
    }

    const unsigned bytesPerSample = bits / 8u;
    const InterleaveFunction interleave = InterleaverFor(bytesPerSample);
    const size_t blockFrames = static_cast<size_t>(std::max<uint64_t>(1, rate / 10));
    const size_t frameBytes = static_cast<size_t>(layout.BlockAlign());
    const float gain = std::pow(10.0f, static_cast<float>(job->gain) / 20.0f);
    BlockBuffers buffers(channels, blockFrames, bytesPerSample);
    const bool storedAsFloat = sourceType->isFloat && sourceType->bits + sourceType->paddingBits == 32;
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
            if (record->GetData(c, first, first + n, buffers.raw, true) != TkErrorSuccess ||
                buffers.raw.size() < n * ((sourceType->bits + sourceType->paddingBits) / 8u)) {
                TRACE("read of channel %u at %llu failed", c, static_cast<unsigned long long>(first));
                CloseFile(file);
                return TkErrorFailed;
            }
            uint8_t* output = buffers.output[c].data();
            if (storedAsFloat && gain == 1.0f) {
                // The float capture's toFloat32 is a copy: convert the stored samples directly.
                toOutput(output, buffers.raw.data(), n);
            } else if (storedAsFloat) {
                GainFromStoredFloats(buffers.samples.data(), buffers.raw.data(), n, gain);
                toOutput(output, buffers.samples.data(), n);
            } else {
                sourceType->toFloat32(buffers.samples.data(), buffers.raw.data(), n);
                if (gain != 1.0f) ApplyGain(buffers.samples, n, gain);
                toOutput(output, buffers.samples.data(), n);
            }
        }
        interleave(buffers.interleaved.data(), buffers.outputPointers, n);
        if (fwrite(buffers.interleaved.data(), frameBytes, n, file) != n) {
            CloseFile(file);
            return TkErrorFailed;
        }
        first += n;
    }

    if (layout.PadSize() != 0 && fputc(0, file) == EOF) {
        CloseFile(file);
        return TkErrorFailed;
    }
    const TkError tagged = SaveTags(job->tags, file);
    const bool closed = CloseFile(file);
    if (tagged != TkErrorSuccess) return tagged;
    return closed ? TkErrorSuccess : TkErrorFailed;
}
