// The live/recorded stream pair of TemporaryData: appending with chunk
// flushes to temporary files, and reads from the chunk buffers or from disk.
#include "storage/TemporaryData.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

TemporaryData::TemporaryData(IToolkitManager* engine, uint64_t maxFileBytes)
    : m_engine(engine), m_maxFileBytes(maxFileBytes)
{
}

TemporaryData::~TemporaryData() = default;

void TemporaryData::ResetStream(Stream& stream)
{
    for (int i = 0; i < 2; ++i) {
        // Swap with a fresh vector so a smaller chunk size really gives memory back.
        std::vector<uint8_t>().swap(stream.buffer[i]);
        stream.buffer[i].reserve(size_t(m_chunkSize));
        stream.bufferStart[i] = 0;
    }
    stream.readIndex = 0;
    stream.writeIndex = 0;
    stream.length = 0;
}

TkError TemporaryData::Init(uint64_t chunkSize)
{
    if (chunkSize == 0)
        return TkErrorInvalidArgument;
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    std::lock_guard<std::mutex> guard(m_lock);
    m_files.clear();
    m_chunkSize = chunkSize;
    m_tailWritten = 0;
    m_syncFrom = 0;
    ResetStream(m_live);
    ResetStream(m_recorded);
    return TkErrorSuccess;
}

TkError TemporaryData::Adopt(uint64_t chunkSize, std::vector<TemporaryFile> files, uint64_t length)
{
    if (chunkSize == 0)
        return TkErrorInvalidArgument;
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    std::lock_guard<std::mutex> guard(m_lock);
    m_files = std::move(files);
    m_chunkSize = chunkSize;
    m_tailWritten = 0;
    m_syncFrom = m_files.size();
    ResetStream(m_live);
    ResetStream(m_recorded);
    // Every recorded byte is on disk; the empty buffers stand at the end.
    m_recorded.length = length;
    m_recorded.bufferStart[0] = m_recorded.bufferStart[1] = length;
    return TkErrorSuccess;
}

void TemporaryData::KeepFiles()
{
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    std::lock_guard<std::mutex> guard(m_lock);
    for (TemporaryFile& file : m_files)
        file.Keep();
    m_files.clear();
}

std::vector<std::pair<uint64_t, std::string>> TemporaryData::GetFileStarts()
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::pair<uint64_t, std::string>> starts;
    for (const TemporaryFile& file : m_files)
        starts.emplace_back(file.GetStart(), file.GetPath());
    return starts;
}

TemporaryFile* TemporaryData::NextChunkFile(uint64_t position, TkError& result)
{
    result = TkErrorSuccess;
    if (!m_files.empty() && m_files.back().GetLength() + m_chunkSize <= m_maxFileBytes)
        return &m_files.back();
    TemporaryFile file;
    result = file.Init(m_engine, position);
    if (result != TkErrorSuccess)
        return nullptr;
    std::lock_guard<std::mutex> guard(m_lock);
    m_files.push_back(std::move(file));
    m_tailWritten = 0;
    return &m_files.back();
}

TkError TemporaryData::SyncTail(uint64_t& synced)
{
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    const uint8_t* pending = nullptr;
    size_t pendingSize = 0;
    uint64_t pendingStart = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        synced = m_recorded.length;
        if (m_chunkSize == 0)
            return TkErrorSuccess;
        const std::vector<uint8_t>& buffer = m_recorded.buffer[m_recorded.writeIndex];
        pending = buffer.data();
        pendingSize = buffer.size();
        pendingStart = m_recorded.bufferStart[m_recorded.writeIndex];
    }
    // A backlog of more than a chunk means flushing fails: nothing to add here.
    if (pendingSize > m_tailWritten && pendingSize < m_chunkSize) {
        TkError result = TkErrorSuccess;
        TemporaryFile* file = NextChunkFile(pendingStart, result);
        if (file == nullptr)
            return result;
        if (file->GetEnd() != pendingStart) {
            errno = EINVAL;
            return TkErrorFailed;
        }
        result = file->WriteBeyond(m_tailWritten, pending + m_tailWritten, size_t(pendingSize - m_tailWritten));
        if (result != TkErrorSuccess)
            return result;
        m_tailWritten = pendingSize;
    }
    // The bytes written are the writer's own: the file list only grows under m_writeLock.
    for (size_t i = std::min(m_syncFrom, m_files.size()); i < m_files.size(); ++i) {
        if (m_files[i].SyncData() != TkErrorSuccess)
            return TkErrorFailed;
    }
    m_syncFrom = m_files.empty() ? 0 : m_files.size() - 1;
    if (pendingSize > m_tailWritten)
        synced -= pendingSize - m_tailWritten;
    return TkErrorSuccess;
}

bool ExtractRecordData(std::vector<uint8_t>& out, const uint8_t* block, size_t size, uint64_t blockEnd,
                       const RecordRangeList& ranges)
{
    const uint64_t blockStart = blockEnd - size;
    for (const RecordRange& range : ranges) {
        if (range.second < range.first)
            return false;
        uint64_t first = std::max(range.first, blockStart);
        uint64_t second = range.first == range.second ? blockEnd : std::min(range.second, blockEnd);
        if (first >= second)
            continue;
        const uint8_t* from = block + (first - blockStart);
        out.insert(out.end(), from, from + (second - first));
    }
    return true;
}

TkError TemporaryData::AddBytes(const void* block, size_t size, const RecordRangeList& ranges)
{
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    const TkError result = AcceptLocked(block, size, ranges);
    return result == TkErrorSuccess ? FlushLocked() : result;
}

TkError TemporaryData::AcceptBytes(const void* block, size_t size, const RecordRangeList& ranges)
{
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    return AcceptLocked(block, size, ranges);
}

TkError TemporaryData::Flush()
{
    std::lock_guard<std::mutex> writeGuard(m_writeLock);
    return FlushLocked();
}

TkError TemporaryData::AcceptLocked(const void* block, size_t size, const RecordRangeList& ranges)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(block);
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_chunkSize == 0)
        return TkErrorFailed;
    for (const RecordRange& range : ranges) {
        if (range.second < range.first)
            return TkErrorInvalidArgument;
    }

    // The recorded part goes straight into the recorded write buffer; it may
    // hold more than a chunk until the flush has written it out.
    std::vector<uint8_t>& recordedBuffer = m_recorded.buffer[m_recorded.writeIndex];
    const size_t before = recordedBuffer.size();
    ExtractRecordData(recordedBuffer, bytes, size, m_live.length + size, ranges);
    m_recorded.length += recordedBuffer.size() - before;

    AppendLive(bytes, size);
    return TkErrorSuccess;
}

TkError TemporaryData::FlushLocked()
{
    const uint8_t* pending = nullptr;
    size_t pendingSize = 0;
    uint64_t pendingStart = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_chunkSize == 0)
            return TkErrorFailed;
        const std::vector<uint8_t>& buffer = m_recorded.buffer[m_recorded.writeIndex];
        pending = buffer.data();
        pendingSize = buffer.size();
        pendingStart = m_recorded.bufferStart[m_recorded.writeIndex];
    }

    // Readers go on meanwhile: the bytes being written stay in the buffer.
    TkError result = TkErrorSuccess;
    const size_t flushed = WriteChunks(pending, pendingSize, pendingStart, result);

    std::lock_guard<std::mutex> guard(m_lock);
    return FlushedRecorded(flushed, result);
}

void TemporaryData::AppendLive(const uint8_t* bytes, size_t size)
{
    size_t copied = 0;
    while (copied < size) {
        std::vector<uint8_t>& buffer = m_live.buffer[m_live.writeIndex];
        size_t take = std::min<uint64_t>(m_chunkSize - buffer.size(), size - copied);
        buffer.insert(buffer.end(), bytes + copied, bytes + copied + take);
        copied += take;
        m_live.length += take;
        if (buffer.size() == m_chunkSize) {
            // Continue in the buffer the last read did not use; the other
            // one keeps its chunk for that reader.
            int32_t next = m_live.readIndex ^ 1;
            m_live.writeIndex = next;
            m_live.bufferStart[next] = m_live.length;
            m_live.buffer[next].clear();
        }
    }
}

size_t TemporaryData::WriteChunks(const uint8_t* data, size_t size, uint64_t start, TkError& result)
{
    const size_t chunk = size_t(m_chunkSize);
    size_t flushed = 0;
    result = TkErrorSuccess;
    while (size - flushed >= chunk) {
        result = WriteChunk(data + flushed, start + flushed);
        if (result != TkErrorSuccess)
            break;
        flushed += chunk;
    }
    return flushed;
}

TkError TemporaryData::FlushedRecorded(size_t flushed, TkError result)
{
    const int32_t write = m_recorded.writeIndex;
    std::vector<uint8_t>& buffer = m_recorded.buffer[write];
    const size_t chunk = size_t(m_chunkSize);
    if (flushed == 0)
        return result;

    if (result != TkErrorSuccess) {
        // Some chunks reached disk before the failure: drop them from memory
        // and keep the rest, unflushed, in the same write buffer.
        buffer.erase(buffer.begin(), buffer.begin() + ptrdiff_t(flushed));
        m_recorded.bufferStart[write] += flushed;
        return result;
    }

    const int32_t next = m_recorded.readIndex ^ 1;
    if (next == write) {
        buffer.erase(buffer.begin(), buffer.begin() + ptrdiff_t(flushed));
        m_recorded.bufferStart[write] += flushed;
    } else {
        std::vector<uint8_t>& other = m_recorded.buffer[next];
        other.clear();
        other.insert(other.end(), buffer.begin() + ptrdiff_t(flushed), buffer.end());
        m_recorded.bufferStart[next] = m_recorded.bufferStart[write] + flushed;
        // The old buffer keeps the newest flushed chunk for readers.
        buffer.resize(flushed);
        buffer.erase(buffer.begin(), buffer.begin() + ptrdiff_t(flushed - chunk));
        m_recorded.bufferStart[write] += flushed - chunk;
        m_recorded.writeIndex = next;
    }
    // After a backlog of failed flushes, give the extra memory back.
    for (std::vector<uint8_t>& b : m_recorded.buffer) {
        if (b.capacity() > 2 * chunk && b.size() <= chunk) {
            b.shrink_to_fit();
            b.reserve(chunk);
        }
    }
    return TkErrorSuccess;
}

TkError TemporaryData::WriteChunk(const uint8_t* chunk, uint64_t position)
{
    const size_t size = size_t(m_chunkSize);
    TkError result = TkErrorSuccess;
    TemporaryFile* file = NextChunkFile(position, result);
    if (file == nullptr)
        return result;
    // The part a sync already wrote is in place.
    const size_t skip = size_t(std::min<uint64_t>(m_tailWritten, m_chunkSize));
    result = file->WriteBeyond(skip, chunk + skip, size - skip);
    if (result != TkErrorSuccess)
        return result;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        file->Advance(size);
    }
    m_tailWritten -= skip;
    return TkErrorSuccess;
}

TkError TemporaryData::LoadRecordedChunk(uint64_t position, int32_t& index)
{
    const int32_t target = m_recorded.writeIndex ^ 1;
    const uint64_t base = position - position % m_chunkSize;
    auto file = std::lower_bound(m_files.begin(), m_files.end(), base, TemporaryFileCmp());
    if (file == m_files.end() || file->GetStart() > base)
        return TkErrorInvalidArgument;
    // The last chunk of a recording taken over from disk may be partial.
    const uint64_t end = std::min(base + m_chunkSize, file->GetEnd());
    if (end <= position)
        return TkErrorInvalidArgument;
    std::vector<uint8_t>& buffer = m_recorded.buffer[target];
    buffer.resize(size_t(end - base));
    TkError result = file->GetData(base, end, buffer.data());
    if (result != TkErrorSuccess) {
        buffer.clear();
        return result;
    }
    m_recorded.bufferStart[target] = base;
    index = target;
    return TkErrorSuccess;
}

TkError TemporaryData::GetBytes(uint64_t from, uint64_t to, void* out, bool recorded)
{
    uint8_t* destination = static_cast<uint8_t*>(out);
    std::lock_guard<std::mutex> guard(m_lock);
    Stream& stream = recorded ? m_recorded : m_live;
    if (to <= from || to > stream.length)
        return TkErrorInvalidArgument;
    uint64_t position = from;
    while (position < to) {
        int32_t index = -1;
        for (int32_t i = 0; i < 2; ++i) {
            uint64_t start = stream.bufferStart[i];
            if (start <= position && position < start + stream.buffer[i].size()) {
                index = i;
                break;
            }
        }
        if (index < 0) {
            if (!recorded)
                return TkErrorInvalidArgument;
            TkError result = LoadRecordedChunk(position, index);
            if (result != TkErrorSuccess)
                return result;
        }
        stream.readIndex = index;
        const uint64_t start = stream.bufferStart[index];
        const uint64_t end = std::min<uint64_t>(start + stream.buffer[index].size(), to);
        std::memcpy(destination, stream.buffer[index].data() + (position - start), size_t(end - position));
        destination += end - position;
        position = end;
    }
    return TkErrorSuccess;
}

uint64_t TemporaryData::GetLength(bool recorded)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return recorded ? m_recorded.length : m_live.length;
}

uint64_t TemporaryData::GetChunkSize()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_chunkSize;
}

size_t TemporaryData::GetFileCount()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_files.size();
}

std::vector<std::string> TemporaryData::GetFilePaths()
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::string> paths;
    for (const TemporaryFile& file : m_files)
        paths.push_back(file.GetPath());
    return paths;
}
