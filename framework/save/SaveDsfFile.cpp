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
#include "save/PendingTrackFile.h"
#include "save/TrackRange.h"
#include "storage/RecordData.h"

std::string FailureWithErrno(const char* what, int error)
{
    return error != 0 ? std::string(what) + ": " + std::strerror(error) : std::string(what);
}

namespace {

constexpr uint32_t kCancelDelete = 1;
constexpr size_t kFileBufferBytes = 1048576;

// Block groups handed to the workers at once: long runs keep the hand-overs
// rare, and two sets of buffers let the writing thread read the next run and
// write the previous one while the workers process the current one.
constexpr uint64_t kGroupsPerRun = 16;
constexpr size_t kRunBytes = size_t(kGroupsPerRun) * kDsfBlockBytes;

// The buffers of one run: per channel its blocks in a row, so a channel's
// bytes of the run form one continuous piece of its stream.
struct RunBuffers {
    std::vector<std::vector<uint8_t>> channels;
    uint64_t firstGroup = 0;
    uint64_t groups = 0;
};

// Two sets of run buffers and one re-modulation worker per channel (the
// channels are independent streams, each with its own filter and modulator
// state), for the life of one file. The workers are stopped before the
// buffers go.
class ChannelWorkers {
public:
    explicit ChannelWorkers(uint32_t channels)
    {
        for (RunBuffers& run : m_runs)
            run.channels.assign(channels, std::vector<uint8_t>(kRunBytes, 0));
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
    // Hands every channel's first bytes of run to its worker.
    void ProcessAll(RunBuffers& run, size_t bytes)
    {
        for (size_t c = 0; c < m_threads.size(); ++c)
            m_threads[c]->RunProcess(run.channels[c].data(), uint32_t(bytes));
    }
    // Waits for every run handed over and not yet collected.
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

    RunBuffers& Run(uint64_t index) { return m_runs[index % 2]; }
    // Where a channel's bytes are read before they are copied into its run.
    std::vector<uint8_t>& ReadBuffer() { return m_read; }

private:
    RunBuffers m_runs[2];
    std::vector<uint8_t> m_read;
    std::vector<std::unique_ptr<DSDStreamProcessingThread>> m_threads;
};

// The track file under a temporary name with its 1 MiB stdio buffer (see
// PendingTrackFile): Commit gives it its name once complete; a track left
// unfinished is discarded.
class TrackFile {
public:
    bool Open(const std::string& path) { return m_file.Create(path, kFileBufferBytes); }
    bool Write(const void* bytes, size_t count) { return m_file.Write(bytes, count); }
    // errno of a failed Commit (0 when it has none).
    int Error() const { return m_file.Error(); }
    bool Commit() { return m_file.Commit(); }
    FILE* Handle() { return m_file.Handle(); }

private:
    PendingTrackFile m_file;
};

// Where the block groups of a track come from: the track's first sample,
// its end and its number of groups.
struct TrackSpan {
    uint64_t first;
    uint64_t end;
    uint64_t groups;

    uint64_t GroupFirst(uint64_t group) const { return first + group * kDsfBlockSamples; }
    // Whole bytes of the track from group on, at most bytes.
    size_t BytesFrom(uint64_t group, size_t bytes) const
    {
        return size_t(std::min<uint64_t>(bytes, (end - GroupFirst(group)) / 8));
    }
};

// Reads the groups of run for every channel into its buffers, reversed into
// the file's bit order, with the zero fill after the track's last byte.
// Returns the bytes per channel that carry samples, or false on a read failure.
bool ReadRun(RecordData& data, bool msbFirst, ChannelWorkers& workers, const TrackSpan& span, RunBuffers& run,
             size_t& bytes)
{
    const uint64_t first = span.GroupFirst(run.firstGroup);
    const uint64_t samples = std::min(run.groups * kDsfBlockSamples, span.end - first);
    bytes = span.BytesFrom(run.firstGroup, size_t(run.groups) * kDsfBlockBytes);
    std::vector<uint8_t>& read = workers.ReadBuffer();
    for (size_t c = 0; c < run.channels.size(); ++c) {
        if (data.GetData(uint16_t(c), first, first + samples, read, true) != TkErrorSuccess || read.size() < bytes) {
            TRACE("DSF read of channel %zu at sample %llu failed", c, (unsigned long long)first);
            return false;
        }
        std::vector<uint8_t>& block = run.channels[c];
        std::memcpy(block.data(), read.data(), bytes);
        std::fill(block.begin() + bytes, block.begin() + size_t(run.groups) * kDsfBlockBytes, uint8_t{0});
        // DSF stores the earliest sample in the least significant bit.
        if (msbFirst)
            ReverseBitsInPlace(block.data(), bytes);
    }
    return true;
}

// Writes the processed groups of run in the file's order (per group every
// channel's block in channel order), with progress and a cancel check per
// group. completed turns false when a cancellation with deletion stops it.
TkError WriteRun(IDsfWriterHost& host, TrackFile& file, const TrackSpan& span, uint64_t samples,
                 const RunBuffers& run, bool& completed)
{
    for (uint64_t g = run.firstGroup; g < run.firstGroup + run.groups; ++g) {
        if (host.GetCancelMode() == kCancelDelete) {
            completed = false;
            return TkErrorSuccess;
        }
        const uint64_t groupFirst = span.GroupFirst(g);
        const uint64_t remaining = span.end - groupFirst;
        host.SetFileProgress(groupFirst - span.first, samples);
        host.AddTotalDone(g + 1 == span.groups ? remaining : std::min(kDsfBlockSamples, remaining));
        const size_t offset = size_t(g - run.firstGroup) * kDsfBlockBytes;
        for (const auto& channel : run.channels) {
            if (!file.Write(channel.data() + offset, kDsfBlockBytes)) {
                TRACE("DSF write failed");
                host.SetFailureCause(FailureWithErrno("write failed", errno));
                completed = false;
                return TkErrorFailed;
            }
        }
    }
    return TkErrorSuccess;
}

// Reads, re-modulates and writes every block group. While the workers
// process run r, this thread writes run r - 1 and reads run r + 1.
TkError WriteBlockGroups(IDsfWriterHost& host, RecordData& data, bool msbFirst, ChannelWorkers& workers,
                         TrackFile& file, const TrackSpan& span, uint64_t samples, bool& completed)
{
    const uint64_t runs = (span.groups + kGroupsPerRun - 1) / kGroupsPerRun;
    const auto prepare = [&](uint64_t r, size_t& bytes) {
        RunBuffers& run = workers.Run(r);
        run.firstGroup = r * kGroupsPerRun;
        run.groups = std::min(kGroupsPerRun, span.groups - run.firstGroup);
        if (ReadRun(data, msbFirst, workers, span, run, bytes))
            return true;
        host.SetFailureCause(FailureWithErrno("reading the recording failed", errno));
        return false;
    };
    size_t bytes = 0;
    if (runs > 0) {
        if (!prepare(0, bytes)) {
            completed = false;
            return TkErrorFailed;
        }
        workers.ProcessAll(workers.Run(0), bytes);
    }
    for (uint64_t r = 0; r < runs; ++r) {
        size_t nextBytes = 0;
        const bool haveNext = r + 1 < runs;
        const bool nextRead = haveNext && prepare(r + 1, nextBytes);
        workers.WaitAll();
        if (haveNext && nextRead)
            workers.ProcessAll(workers.Run(r + 1), nextBytes);
        const TkError result = WriteRun(host, file, span, samples, workers.Run(r), completed);
        if (result != TkErrorSuccess || !completed)
            return result;
        if (haveNext && !nextRead) {
            completed = false;
            return TkErrorFailed;
        }
    }
    return TkErrorSuccess;
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
    const uint64_t groups = layout.BlockGroups();
    const TrackSpan span{first, first + layout.samples, groups};
    bool completed = true;
    TkError result = WriteBlockGroups(host, data, msbFirst, workers, file, span, layout.samples, completed);
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
    if (!completed || result != TkErrorSuccess)
        return result;
    if (!file.Commit()) {
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
