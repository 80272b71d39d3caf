// The WAV writer: layout and checks first, then 0.1-second blocks read per
// channel, gained, converted and interleaved in one pass and collected into
// writes of about 1 MiB, then the pad byte and the tags.
#include "save/SaveWavFile.h"

#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "save/PcmBlockSource.h"
#include "save/RiffTags.h"
#include "save/WavHeader.h"
#include "storage/RecordData.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <cstring>
#include <vector>

namespace {

// The samples reach the file in writes of about this size, collected in
// SampleOutput; the C library's own buffer, which carries the header and
// the tags, is small, so those writes pass it without being copied.
constexpr size_t kSampleWriteSize = 1048576;
constexpr size_t kFileBufferSize = 16384;

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

} // namespace

TkError CheckTrackDestination(IDsfWriterHost& host, const std::string& path, uint64_t fileBytes,
                              uint64_t jobSamples, bool& fits) {
    fits = false;
    const TkError created = host.SaveCreateDirectory(path);
    if (created != TkErrorSuccess) return created;
    if (!host.CheckDiskSpace(path, fileBytes)) {
        TRACE("not enough space for %llu bytes: %s", static_cast<unsigned long long>(fileBytes), path.c_str());
        host.SetFailureCause(kNotEnoughSpaceCause);
        return TkErrorFailed;
    }
    fits = host.CheckFileSystemFileSizeLimit(path, fileBytes);
    if (!fits) SkipTrack(host, path, jobSamples);
    return TkErrorSuccess;
}

void SkipTrack(IDsfWriterHost& host, const std::string& path, uint64_t jobSamples) {
    host.NotifyFileSkipped(path);
    host.AddTotalDone(jobSamples);
}

TkError OpenTrackFile(IDsfWriterHost& host, const std::string& path, uint64_t fileBytes,
                      uint64_t jobSamples, PendingTrackFile& file) {
    bool fits = false;
    const TkError checked = CheckTrackDestination(host, path, fileBytes, jobSamples, fits);
    if (checked != TkErrorSuccess || !fits) return checked;
    if (!file.Create(path, kFileBufferSize)) SkipTrack(host, path, jobSamples);
    return TkErrorSuccess;
}

TkError SaveWavFile(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits) {
    PcmTrack track;
    const TkError prepared = PreparePcmTrack(host, job, bits, track);
    if (prepared != TkErrorSuccess) return prepared;
    RecordData* record = track.record;
    const uint64_t rate = record->GetSampleRate();
    const uint64_t frames = track.Frames();
    const uint16_t channels = record->GetChannels();

    WavLayout layout;
    layout.channels = channels;
    layout.sampleRate = static_cast<uint32_t>(rate);
    layout.bitsPerSample = bits;
    layout.frames = frames;
    layout.tagSize = CalculateSaveTagSize(job->tags);
    if (!layout.Representable()) {
        SkipTrack(host, job->path, frames);
        return TkErrorSuccess;
    }

    // A track left unfinished (an error, a cancel) is discarded with pending.
    PendingTrackFile pending;
    const TkError opened = OpenTrackFile(host, job->path, layout.FileSize(), frames, pending);
    if (opened != TkErrorSuccess || pending.Handle() == nullptr) return opened;
    FILE* file = pending.Handle();

    const auto header = BuildWavHeader(layout);
    if (fwrite(header.data(), 1, header.size(), file) != header.size()) {
        host.SetFailureCause(FailureWithErrno("write failed", errno));
        return TkErrorFailed;
    }

    PcmBlockSource source(track, bits, job->gain);
    const size_t frameBytes = source.FrameBytes();
    SampleOutput output(file, source.BlockFrames() * frameBytes);
    for (;;) {
        size_t n = 0;
        const PcmBlockSource::Step step = source.Next(host, output.Next(), n);
        if (step == PcmBlockSource::Step::End) break;
        if (step != PcmBlockSource::Step::Block) {
            return step == PcmBlockSource::Step::Cancelled ? TkErrorCancelled : TkErrorFailed;
        }
        if (!output.Commit(n * frameBytes)) {
            host.SetFailureCause(FailureWithErrno("write failed", errno));
            return TkErrorFailed;
        }
    }
    if (!output.Flush() || (layout.PadSize() != 0 && fputc(0, file) == EOF)) {
        host.SetFailureCause(FailureWithErrno("write failed", errno));
        return TkErrorFailed;
    }
    const TkError tagged = SaveTags(job->tags, file);
    if (tagged != TkErrorSuccess) host.SetFailureCause(FailureWithErrno("writing the tags failed", errno));
    if (tagged != TkErrorSuccess) return tagged;
    if (!pending.Commit()) {
        host.SetFailureCause(FailureWithErrno("write failed", pending.Error()));
        return TkErrorFailed;
    }
    return TkErrorSuccess;
}
