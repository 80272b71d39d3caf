// Per-channel captured samples with their recorded ranges, and the
// channel-round rule that makes record events switch all channels at the
// same capture buffer (see RecordData.h).
#include "storage/RecordData.h"

#include <algorithm>
#include <limits>

#include "convert/SampleTypeInfo.h"

RecordData::RecordData(IToolkitManager* engine, uint64_t maxFileBytes, uint64_t chunkBytes)
    : m_engine(engine), m_maxFileBytes(maxFileBytes), m_chunkBytes(chunkBytes)
{
}

RecordData::~RecordData() = default;

TkError RecordData::Init(uint16_t channels, uint64_t sampleRate, const SampleTypeInfo* sampleTypeInfo,
                         RecordRangeManager* rangeManager)
{
    if (sampleTypeInfo == nullptr)
        return TkErrorInvalidArgument;
    const uint16_t bits = uint16_t(sampleTypeInfo->bits + sampleTypeInfo->paddingBits);
    return InitWithFormat(channels, sampleRate, bits, sampleTypeInfo->isDsd, sampleTypeInfo, rangeManager);
}

TkError RecordData::InitWithFormat(uint16_t channels, uint64_t sampleRate, uint16_t bitsPerSample, bool isDsd,
                                   const SampleTypeInfo* sampleTypeInfo, RecordRangeManager* rangeManager)
{
    if (channels == 0 || sampleRate == 0 || bitsPerSample == 0)
        return TkErrorInvalidArgument;
    const uint32_t bytesPerFrame = isDsd ? 2 : bitsPerSample / 8;
    if (bytesPerFrame == 0)
        return TkErrorInvalidArgument;
    uint64_t chunk = m_chunkBytes != 0 ? m_chunkBytes : uint64_t(bitsPerSample) * sampleRate * 5 / 8;
    // Chunks hold whole range-manager frames, so no frame straddles a chunk.
    chunk -= chunk % bytesPerFrame;
    if (chunk == 0)
        chunk = bytesPerFrame;

    std::vector<std::shared_ptr<TemporaryData>> streams;
    TkError result = TkErrorSuccess;
    for (uint16_t c = 0; c < channels; ++c) {
        auto stream = std::make_shared<TemporaryData>(m_engine, m_maxFileBytes);
        result = stream->Init(chunk);
        streams.push_back(std::move(stream));
    }

    Replace(std::move(streams), sampleRate, bitsPerSample, bytesPerFrame, chunk, sampleTypeInfo, rangeManager);
    return result;
}

void RecordData::Replace(std::vector<std::shared_ptr<TemporaryData>> streams, uint64_t sampleRate,
                         uint16_t bitsPerSample, uint32_t bytesPerFrame, uint64_t chunk,
                         const SampleTypeInfo* sampleTypeInfo, RecordRangeManager* rangeManager)
{
    std::vector<std::shared_ptr<TemporaryData>> old;
    {
        std::lock_guard<std::mutex> addGuard(m_addLock);
        std::lock_guard<std::mutex> guard(m_lock);
        old.swap(m_channels);
        m_channelEnds.assign(streams.size(), 0);
        m_channels = std::move(streams);
        m_bitsPerSample = bitsPerSample;
        m_bytesPerFrame = bytesPerFrame;
        m_sampleRate = sampleRate;
        m_chunk = chunk;
        m_sampleTypeInfo = sampleTypeInfo;
        m_rangeManager = rangeManager;
        m_roundAnswers.clear();
    }
    // The old streams delete their temporary files as they go (unless a
    // reader still holds one, in which case its last reference does).
    old.clear();
}

TkError RecordData::Adopt(uint64_t sampleRate, uint16_t bitsPerSample, bool isDsd,
                          const SampleTypeInfo* sampleTypeInfo, RecordRangeManager* rangeManager,
                          uint64_t chunkBytes, std::vector<std::vector<TemporaryFile>> files, uint64_t length)
{
    const uint32_t bytesPerFrame = isDsd ? 2 : bitsPerSample / 8;
    if (files.empty() || sampleRate == 0 || bytesPerFrame == 0 || chunkBytes == 0)
        return TkErrorInvalidArgument;
    std::vector<std::shared_ptr<TemporaryData>> streams;
    for (std::vector<TemporaryFile>& channel : files) {
        auto stream = std::make_shared<TemporaryData>(m_engine, m_maxFileBytes);
        stream->Adopt(chunkBytes, std::move(channel), length);
        streams.push_back(std::move(stream));
    }
    Replace(std::move(streams), sampleRate, bitsPerSample, bytesPerFrame, chunkBytes, sampleTypeInfo,
            rangeManager);
    return TkErrorSuccess;
}

std::vector<std::shared_ptr<TemporaryData>> RecordData::Streams()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_channels;
}

TkError RecordData::SyncToDisk(uint64_t& synced)
{
    const std::vector<std::shared_ptr<TemporaryData>> streams = Streams();
    synced = streams.empty() ? 0 : std::numeric_limits<uint64_t>::max();
    for (const auto& stream : streams) {
        uint64_t channelSynced = 0;
        if (stream->SyncTail(channelSynced) != TkErrorSuccess)
            return TkErrorFailed;
        synced = std::min(synced, channelSynced);
    }
    return TkErrorSuccess;
}

void RecordData::KeepFiles()
{
    for (const auto& stream : Streams())
        stream->KeepFiles();
}

std::vector<std::vector<std::pair<uint64_t, std::string>>> RecordData::GetFileStarts()
{
    std::vector<std::vector<std::pair<uint64_t, std::string>>> starts;
    for (const auto& stream : Streams())
        starts.push_back(stream->GetFileStarts());
    return starts;
}

uint64_t RecordData::GetChunkBytes()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_chunk;
}

TkError RecordData::TemporaryClear()
{
    std::lock_guard<std::mutex> addGuard(m_addLock);
    std::vector<std::shared_ptr<TemporaryData>> streams;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        streams = m_channels;
        m_roundAnswers.clear();
        std::fill(m_channelEnds.begin(), m_channelEnds.end(), 0);
    }
    TkError result = TkErrorSuccess;
    for (auto& stream : streams) {
        if (stream->Init(kClearedChunkSize) != TkErrorSuccess)
            result = TkErrorFailed;
    }
    return result;
}

TemporaryData* RecordData::Channel(uint16_t channel)
{
    return channel < m_channels.size() ? m_channels[channel].get() : nullptr;
}

RecordRangeList RecordData::RangesForBlock(RecordRangeManager* rangeManager, uint32_t bytesPerFrame,
                                           uint64_t position, uint64_t size)
{
    // Called with m_addLock held. The first channel to add a block at this
    // window asks the range manager; the others reuse that answer.
    auto found = m_roundAnswers.find(position);
    if (found != m_roundAnswers.end() && found->second.size == size)
        return found->second.ranges;
    RecordRangeList ranges = rangeManager->GetAvailableRange_Bytes(position, position + size, bytesPerFrame);
    m_roundAnswers[position] = RoundAnswer{size, ranges};
    return ranges;
}

void RecordData::BlockAdded(uint16_t channel, uint64_t end)
{
    // Called with m_addLock held. Answers for windows that every channel has
    // passed are no longer needed.
    if (channel < m_channelEnds.size())
        m_channelEnds[channel] = std::max(m_channelEnds[channel], end);
    uint64_t slowest = std::numeric_limits<uint64_t>::max();
    for (uint64_t e : m_channelEnds)
        slowest = std::min(slowest, e);
    m_roundAnswers.erase(m_roundAnswers.begin(), m_roundAnswers.lower_bound(slowest));
}

TkError RecordData::Add(uint16_t channel, const uint8_t* bytes, size_t size)
{
    // m_addLock is held across the query and the append to memory so that the
    // channels of one capture buffer see one answer even if appends come from
    // several threads.
    std::unique_lock<std::mutex> addGuard(m_addLock);
    std::shared_ptr<TemporaryData> stream;
    RecordRangeManager* rangeManager = nullptr;
    uint32_t bytesPerFrame = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (channel >= m_channels.size() || m_rangeManager == nullptr)
            return TkErrorInvalidArgument;
        stream = m_channels[channel];
        rangeManager = m_rangeManager;
        bytesPerFrame = m_bytesPerFrame;
    }
    const uint64_t position = stream->GetLength(false);
    RecordRangeList ranges = RangesForBlock(rangeManager, bytesPerFrame, position, size);
    TkError result = stream->AcceptBytes(bytes, size, ranges);
    if (result != TkErrorInvalidArgument)
        BlockAdded(channel, position + size);
    if (result != TkErrorSuccess)
        return result;
    addGuard.unlock();
    // Written to disk outside m_addLock, so that a record event (a pause from
    // the user) never waits for the disk.
    return stream->Flush();
}

TkError RecordData::Add(uint16_t channel, const std::vector<uint8_t>& bytes)
{
    return Add(channel, bytes.data(), bytes.size());
}

TkError RecordData::Add(uint16_t channel, const AlignedByteVector& bytes)
{
    return Add(channel, bytes.data(), bytes.size());
}

template <class Vector>
TkError RecordData::GetBlock(uint16_t channel, uint64_t from, uint64_t to, Vector& out, bool recorded)
{
    std::shared_ptr<TemporaryData> stream;
    uint16_t bits = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (channel >= m_channels.size()) {
            out.clear();
            return TkErrorInvalidArgument;
        }
        stream = m_channels[channel];
        bits = m_bitsPerSample;
    }
    return stream->GetData(from * bits / 8, to * bits / 8, out, recorded);
}

TkError RecordData::GetData(uint16_t channel, uint64_t from, uint64_t to, std::vector<uint8_t>& out,
                            bool recorded)
{
    return GetBlock(channel, from, to, out, recorded);
}

TkError RecordData::GetData(uint16_t channel, uint64_t from, uint64_t to, AlignedByteVector& out, bool recorded)
{
    return GetBlock(channel, from, to, out, recorded);
}

uint64_t RecordData::GetLength(bool recorded)
{
    std::vector<std::shared_ptr<TemporaryData>> streams;
    uint16_t bits = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        streams = m_channels;
        bits = m_bitsPerSample;
    }
    if (streams.empty() || bits == 0)
        return 0;
    uint64_t shortest = std::numeric_limits<uint64_t>::max();
    for (auto& stream : streams)
        shortest = std::min(shortest, stream->GetLength(recorded));
    return shortest * 8 / bits;
}

uint64_t RecordData::AddRecordEvent(RecordRangeManager& ranges, RecordEventKind kind, unsigned positionShift)
{
    // Under m_addLock no channel asks for a window between the position
    // being read and the event being registered.
    std::lock_guard<std::mutex> addGuard(m_addLock);
    std::vector<std::shared_ptr<TemporaryData>> streams;
    uint16_t bits = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        streams = m_channels;
        bits = m_bitsPerSample;
    }
    uint64_t furthest = 0;
    if (bits != 0) {
        for (auto& stream : streams)
            furthest = std::max(furthest, stream->GetLength(false));
        furthest = furthest * 8 / bits;
    }
    const uint64_t position = furthest >> positionShift;
    ranges.AddRecordEvent(position, kind);
    return position;
}

uint16_t RecordData::GetChannels()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return uint16_t(m_channels.size());
}

uint64_t RecordData::GetSampleRate()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_sampleRate;
}

const SampleTypeInfo* RecordData::GetSampleTypeInfo()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_sampleTypeInfo;
}

uint16_t RecordData::GetBitsPerSample()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bitsPerSample;
}

uint32_t RecordData::GetBytesPerFrame()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bytesPerFrame;
}
