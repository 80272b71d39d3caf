// The FLAC writer: encoder settings, metadata and checks first, then blocks
// of 0.1 second from the shared PCM path, widened to 32-bit integers and
// handed to libFLAC, whose output goes through its callbacks into the
// temporary file; at the end libFLAC seeks back to complete STREAMINFO and
// the seek table, and the file takes its final name.
#include "save/SaveFlacFile.h"

#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "save/ByteOrder.h"
#include "save/FlacMetadata.h"
#include "save/PcmBlockSource.h"
#include "save/PendingTrackFile.h"
#include "save/SaveWavFile.h"
#include "storage/RecordData.h"

#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kFileBufferBytes = 1048576;

struct EncoderDelete {
    void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
};
using Encoder = std::unique_ptr<FLAC__StreamEncoder, EncoderDelete>;

FLAC__StreamEncoderWriteStatus WriteToFile(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes,
                                           uint32_t, uint32_t, void* file) {
    return static_cast<PendingTrackFile*>(file)->Write(buffer, bytes) ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
                                                                      : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus SeekInFile(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* file) {
    return static_cast<PendingTrackFile*>(file)->Seek(offset) ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
                                                              : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus TellInFile(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* file) {
    uint64_t at = 0;
    if (!static_cast<PendingTrackFile*>(file)->Tell(at)) return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
    *offset = at;
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

// The values of count little-endian signed integers of bytesPerSample (2, 3
// or 4) bytes each, as libFLAC takes samples.
void WidenSamples(const uint8_t* in, size_t count, unsigned bytesPerSample, FLAC__int32* out) {
    if (bytesPerSample == 2) {
        for (size_t i = 0; i < count; ++i) out[i] = static_cast<int16_t>(byteorder::GetLE16(in + 2 * i));
    } else if (bytesPerSample == 3) {
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* p = in + 3 * i;
            const uint32_t value = p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
            out[i] = static_cast<int32_t>(value << 8) >> 8;
        }
    } else {
        for (size_t i = 0; i < count; ++i) out[i] = static_cast<int32_t>(byteorder::GetLE32(in + 4 * i));
    }
}

// Samples per frame: the sizes libFLAC itself picks for levels without and
// with linear prediction, set here so that the size bound knows them.
constexpr uint32_t kFixedPredictorBlockSize = 1152;
constexpr uint32_t kLpcBlockSize = 4096;

bool Configure(FLAC__StreamEncoder* encoder, uint16_t channels, uint16_t bits, uint32_t rate, uint32_t level,
               uint64_t frames, FlacMetadata& metadata) {
    if (!FLAC__stream_encoder_set_compression_level(encoder, level)) return false;
    const bool lpc = FLAC__stream_encoder_get_max_lpc_order(encoder) > 0;
    return FLAC__stream_encoder_set_blocksize(encoder, lpc ? kLpcBlockSize : kFixedPredictorBlockSize) &&
           FLAC__stream_encoder_set_channels(encoder, channels) &&
           FLAC__stream_encoder_set_bits_per_sample(encoder, bits) &&
           FLAC__stream_encoder_set_sample_rate(encoder, rate) &&
           // The subset allows at most 24 bits per sample; every rate up to
           // 384 kHz is in it (a multiple of 10 Hz below 655,360 Hz).
           FLAC__stream_encoder_set_streamable_subset(encoder, bits <= 24) &&
           FLAC__stream_encoder_set_total_samples_estimate(encoder, frames) &&
           FLAC__stream_encoder_set_metadata(encoder, metadata.Blocks(), metadata.Count());
}

// Why the encoder stopped: the file's errno when a write or seek failed,
// else libFLAC's own account.
std::string EncoderFailure(FLAC__StreamEncoder* encoder, const PendingTrackFile& file) {
    if (file.Error() != 0) return FailureWithErrno("write failed", file.Error());
    return std::string("FLAC encoding failed: ") + FLAC__stream_encoder_get_resolved_state_string(encoder);
}

// Encodes the track's samples and completes the file.
TkError EncodeTrack(IDsfWriterHost& host, const PcmTrack& track, double gain, uint16_t bits,
                    FLAC__StreamEncoder* encoder, PendingTrackFile& file) {
    PcmBlockSource source(track, bits, gain);
    const size_t channels = track.record->GetChannels();
    std::vector<uint8_t> bytes(source.BlockFrames() * source.FrameBytes());
    std::vector<FLAC__int32> samples(source.BlockFrames() * channels);
    for (;;) {
        size_t n = 0;
        const PcmBlockSource::Step step = source.Next(host, bytes.data(), n);
        if (step == PcmBlockSource::Step::End) break;
        if (step != PcmBlockSource::Step::Block) {
            return step == PcmBlockSource::Step::Cancelled ? TkErrorCancelled : TkErrorFailed;
        }
        WidenSamples(bytes.data(), n * channels, bits / 8u, samples.data());
        if (!FLAC__stream_encoder_process_interleaved(encoder, samples.data(), static_cast<uint32_t>(n))) {
            host.SetFailureCause(EncoderFailure(encoder, file));
            return TkErrorFailed;
        }
    }
    if (!FLAC__stream_encoder_finish(encoder)) {
        host.SetFailureCause(EncoderFailure(encoder, file));
        return TkErrorFailed;
    }
    if (!file.Commit()) {
        host.SetFailureCause(FailureWithErrno("write failed", file.Error()));
        return TkErrorFailed;
    }
    return TkErrorSuccess;
}

} // namespace

TkError SaveFlacFile(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits) {
    PcmTrack track;
    const TkError prepared = PreparePcmTrack(host, job, bits, track);
    if (prepared != TkErrorSuccess) return prepared;
    const uint64_t frames = track.Frames();
    const auto rate = static_cast<uint32_t>(track.record->GetSampleRate());
    const uint16_t channels = track.record->GetChannels();
    if (channels > FLAC__MAX_CHANNELS) {
        host.SetFailureCause("a FLAC file holds at most " + std::to_string(FLAC__MAX_CHANNELS) + " channels");
        return TkErrorFailed;
    }

    // The file outlives the encoder, whose deletion may still write to it.
    PendingTrackFile file;
    Encoder encoder(FLAC__stream_encoder_new());
    FlacMetadata metadata;
    if (encoder == nullptr || !metadata.Build(job->tags, job->cover.get(), rate, frames) ||
        !Configure(encoder.get(), channels, bits, rate, job->flacCompression, frames, metadata)) {
        host.SetFailureCause("the FLAC encoder could not be set up");
        return TkErrorFailed;
    }

    const uint64_t bound = FlacFileSizeBound(channels, bits, frames, FLAC__stream_encoder_get_blocksize(encoder.get()),
                                             metadata.FileBytes());
    bool fits = false;
    const TkError checked = CheckTrackDestination(host, job->path, bound, frames, fits);
    if (checked != TkErrorSuccess || !fits) return checked;
    if (PathIsDirectory(job->path.c_str()) || !file.Create(job->path, kFileBufferBytes)) {
        SkipTrack(host, job->path, frames);
        return TkErrorSuccess;
    }
    if (FLAC__stream_encoder_init_stream(encoder.get(), WriteToFile, SeekInFile, TellInFile, nullptr, &file) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        host.SetFailureCause(EncoderFailure(encoder.get(), file));
        return TkErrorFailed;
    }
    return EncodeTrack(host, track, job->gain, bits, encoder.get(), file);
}
