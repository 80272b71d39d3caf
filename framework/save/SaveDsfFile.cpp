// The DSF track writer: header, block groups of every channel (re-modulated
// when the track has a gain), then the ID3v2 tag.
#include "save/SaveDsfFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "convert/SampleTypeInfo.h"
#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "save/DSDStreamProcessing.h"
#include "save/DSDStreamProcessingThread.h"
#include "save/DsdBitReverse.h"
#include "save/DsdFileHeader.h"
#include "save/Id3Tag.h"
#include "save/TrackRange.h"
#include "storage/RecordData.h"

std::string FailureWithErrno(const char* what, int error)
{
    return error != 0 ? std::string(what) + ": " + std::strerror(error) : std::string(what);
}

namespace {

constexpr uint32_t kCancelDelete = 1;
constexpr size_t kFileBufferBytes = 1048576;

// One 4,096-byte block buffer and one re-modulation worker per channel, and
// the read buffer, for the life of one file. The workers are stopped before
// the buffers go.
class ChannelWorkers {
public:
    explicit ChannelWorkers(uint32_t channels)
        : m_blocks(channels, std::vector<uint8_t>(kDsfBlockBytes, 0))
    {
        for (uint32_t c = 0; c < channels; ++c)
            m_threads.push_back(std::make_unique<DSDStreamProcessingThread>());
    }
    ~ChannelWorkers() { StopAll(); }

    bool StartAll(int32_t sampleRate, float gainDb)
    {
        for (auto& thread : m_threads) {
            if (thread->Start(sampleRate, DSDStreamProcessing::kBitOrderLsbFirst, gainDb) != TkErrorSuccess)
                return false;
        }
        return true;
    }
    // Waits for every block handed over and not yet collected.
    void WaitAll()
    {
        for (auto& thread : m_threads)
            thread->WaitProcess();
    }
    void StopAll()
    {
        WaitAll();
        for (auto& thread : m_threads)
            thread->Stop();
    }

    std::vector<uint8_t>& Block(uint32_t channel) { return m_blocks[channel]; }
    // Where a channel's bytes are read before they are copied into its block.
    std::vector<uint8_t>& ReadBuffer() { return m_read; }
    DSDStreamProcessingThread& Thread(uint32_t channel) { return *m_threads[channel]; }

private:
    std::vector<std::vector<uint8_t>> m_blocks;
    std::vector<uint8_t> m_read;
    std::vector<std::unique_ptr<DSDStreamProcessingThread>> m_threads;
};

// Owns the open track file with its 1 MiB stdio buffer; Close reports
// whether the buffered data reached the file.
class TrackFile {
public:
    ~TrackFile() { Close(); }

    bool Open(const std::string& path)
    {
        if (_tfopen_s(&m_file, path.c_str(), "wb") != 0 || m_file == nullptr) {
            m_file = nullptr;
            return false;
        }
        m_buffer.resize(kFileBufferBytes);
        setvbuf(m_file, m_buffer.data(), _IOFBF, m_buffer.size());
        return true;
    }
    bool Write(const void* bytes, size_t count)
    {
        return std::fwrite(bytes, 1, count, m_file) == count;
    }
    int Error() const { return m_error; }
    bool Close()
    {
        if (m_file == nullptr)
            return true;
        errno = 0;
        const bool ok = std::fclose(m_file) == 0;
        if (!ok)
            m_error = errno;
        m_file = nullptr;
        return ok;
    }
    FILE* Handle() { return m_file; }

private:
    FILE* m_file = nullptr;
    std::vector<char> m_buffer;
    int m_error = 0;
};

// Reads, prepares and processes one block group, then writes it in channel
// order. first is the group's first sample, n its samples to read (>= 8).
TkError WriteBlockGroup(IDsfWriterHost& host, RecordData& data, bool msbFirst, ChannelWorkers& workers,
                        TrackFile& file, uint32_t channels, uint64_t first, uint64_t n)
{
    const size_t dataBytes = size_t(std::min<uint64_t>(n / 8, kDsfBlockBytes));
    std::vector<uint8_t>& read = workers.ReadBuffer();
    TkError result = TkErrorSuccess;
    uint32_t handedOver = 0;
    for (uint32_t c = 0; c < channels; ++c) {
        if (data.GetData(uint16_t(c), first, first + n, read, true) != TkErrorSuccess ||
            read.size() < dataBytes) {
            TRACE("DSF read of channel %u at sample %llu failed", c, (unsigned long long)first);
            host.SetFailureCause(FailureWithErrno("reading the recording failed", errno));
            result = TkErrorFailed;
            break;
        }
        std::vector<uint8_t>& block = workers.Block(c);
        std::memcpy(block.data(), read.data(), dataBytes);
        std::fill(block.begin() + dataBytes, block.end(), uint8_t{0});
        // DSF stores the earliest sample in the least significant bit.
        if (msbFirst)
            ReverseBitsInPlace(block.data(), dataBytes);
        workers.Thread(c).RunProcess(block.data(), uint32_t(dataBytes));
        ++handedOver;
    }
    for (uint32_t c = 0; c < handedOver; ++c) {
        workers.Thread(c).WaitProcess();
        if (result == TkErrorSuccess && !file.Write(workers.Block(c).data(), kDsfBlockBytes)) {
            TRACE("DSF write failed");
            host.SetFailureCause(FailureWithErrno("write failed", errno));
            result = TkErrorFailed;
        }
    }
    return result;
}

// Writes a track whose layout is known: checks, header, block groups, tag.
// opened tells whether the file was created, so that the caller reports a
// pending cancellation only for a file of this run.
TkError WriteTrackFile(IDsfWriterHost& host, const TkSaveSettingInternal& job, RecordData& data,
                       bool msbFirst, uint64_t first, const DsfLayout& layout, bool& opened)
{
    opened = false;
    const TkError directory = host.SaveCreateDirectory(job.path);
    if (directory != TkErrorSuccess)
        return directory;
    if (!host.CheckDiskSpace(job.path, layout.totalFileSize)) {
        host.SetFailureCause(kNotEnoughSpaceCause);
        return TkErrorFailed;
    }

    TrackFile file;
    if (!host.CheckFileSystemFileSizeLimit(job.path, layout.totalFileSize) || !file.Open(job.path)) {
        host.NotifyFileSkipped(job.path);
        host.AddTotalDone(layout.samples);
        return TkErrorSuccess;
    }
    opened = true;

    const auto header = BuildDsfHeader(layout);
    if (!file.Write(header.data(), header.size())) {
        host.SetFailureCause(FailureWithErrno("write failed", errno));
        file.Close();
        return TkErrorFailed;
    }

    ChannelWorkers workers(layout.channels);
    if (!workers.StartAll(int32_t(layout.sampleRate), float(job.gain))) {
        host.SetFailureCause("the gain threads could not be started");
        return TkErrorFailed;
    }

    // Exactly the block groups the header declares. The last group also
    // accounts for the 1 to 7 samples of a final partial byte, which the
    // file's whole bytes cannot hold.
    const uint64_t end = first + layout.samples;
    const uint64_t groups = layout.BlockGroups();
    TkError result = TkErrorSuccess;
    bool completed = true;
    for (uint64_t g = 0; g < groups; ++g) {
        if (host.GetCancelMode() == kCancelDelete) {
            completed = false;
            break;
        }
        const uint64_t groupFirst = first + g * kDsfBlockSamples;
        const uint64_t remaining = end - groupFirst;
        const uint64_t n = std::min(kDsfBlockSamples, remaining);
        host.SetFileProgress(groupFirst - first, layout.samples);
        host.AddTotalDone(g + 1 == groups ? remaining : n);
        result = WriteBlockGroup(host, data, msbFirst, workers, file, layout.channels, groupFirst, n);
        if (result != TkErrorSuccess) {
            completed = false;
            break;
        }
    }
    if (groups == 0)
        host.AddTotalDone(layout.samples);
    workers.StopAll();

    if (completed) {
        result = SaveID3Tags(job.tags, file.Handle());
        if (result != TkErrorSuccess) {
            TRACE("DSF tag write failed (%d)", result);
            host.SetFailureCause(FailureWithErrno("writing the tag failed", errno));
        }
    }
    if (!file.Close() && result == TkErrorSuccess) {
        TRACE("DSF file close failed");
        host.SetFailureCause(FailureWithErrno("write failed", file.Error()));
        result = TkErrorFailed;
    }
    return result;
}

} // namespace

TkError SaveDsfFile(IDsfWriterHost& host, const TkSaveSettingInternal* job)
{
    host.SetFileProgress(0, 0);
    if (job == nullptr)
        return TkErrorInvalidArgument;
    RecordData* data = host.GetRecordData();
    if (data == nullptr || data->GetSampleTypeInfo() == nullptr || data->GetChannels() == 0)
        return TkErrorFailed;

    // Tracks meet on whole bytes, and none reaches past the recorded bits
    // (a preview-based end can lie a few samples beyond them).
    const uint64_t rate = data->GetSampleRate();
    const auto [first, end] = TrackSampleRange(rate, job->start, job->end, data->GetLength(true), true);
    if (end < first)
        return TkErrorInvalidArgument;
    host.SetFileProgress(0, end - first);

    const DsfLayout layout = ComputeDsfLayout(data->GetChannels(), uint32_t(rate), end - first,
                                              CalculateSaveID3TagSize(job->tags));
    const bool msbFirst = data->GetSampleTypeInfo()->msbFirst;
    bool opened = false;
    const TkError result = WriteTrackFile(host, *job, *data, msbFirst, first, layout, opened);
    // A pending cancellation is reported for every file this call created,
    // completed or not. Before a file exists (a failed check, a skipped
    // job) the result stands: the save thread checks for a cancellation
    // before the next job, and a -100 would make it delete whatever file
    // already sits at this path.
    if (opened && host.GetCancelMode() != 0)
        return TkErrorCancelled;
    return result;
}
