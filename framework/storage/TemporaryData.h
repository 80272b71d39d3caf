// A growing byte stream kept twice: the live stream (every byte added, only
// the newest one or two chunks in memory) and the recorded stream (only the
// bytes inside the recorded ranges; whole chunks are flushed to chained
// temporary files of at most maxFileBytes each, the newest chunk(s) stay in
// memory). One writer and any number of readers may share an object.
//
// Locks: m_lock guards the buffers, lengths and the file list, and is never
// held across a file write; a reader that has to load a recorded chunk from
// disk reads it under m_lock. m_writeLock serialises the writer's calls
// (AddBytes, AcceptBytes, Flush, Init) and is held across their file writes;
// it is taken before m_lock. The chunk size and the file list change only with both held, so
// the writer may read them under m_writeLock alone. The writer writes full
// recorded chunks to disk with only m_writeLock held: the bytes stay in the
// recorded write buffer (which only the writer changes) until the file's end
// has moved past them under m_lock, so a reader finds every accepted byte
// either in memory or below a file's end, and never waits for a write.
//
// Failure behaviour: a block handed to Add is always accepted into memory,
// in both streams, and counted in the lengths. When flushing a full recorded
// chunk fails (no temporary folder, write error), Add returns -3, the
// unflushed bytes stay in the recorded write buffer (which then grows past
// one chunk) and every later Add retries the flush. Reads of accepted bytes
// keep working from memory or disk meanwhile.
//
// Durability: SyncTail (the writer, about once a second) also writes the
// recorded bytes still waiting in memory, past the last file's logical end
// where the next chunk will go, and syncs the files written since the last
// call. Invariant: the first m_tailWritten bytes of the recorded write buffer
// are in the last file just past its end, so the chunk write that follows
// writes only the rest. After a crash a file may hold such a tail: its bytes
// are recorded bytes in stream order like the rest.
//
// Buffer swap: when the live write buffer fills, writing continues in the
// buffer that the last read did not use, so a reader following closely
// behind the writer keeps the chunk it is reading. The recorded stream swaps
// the same way after each successful flush.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <type_traits>
#include <vector>

#include "interface/cartova.h"
#include "storage/AlignedAllocator.h"
#include "storage/RecordRanges.h"
#include "storage/TemporaryFile.h"

class IToolkitManager;

class TemporaryData {
public:
    // A temporary file never grows beyond this many bytes.
    static constexpr uint64_t kMaxFileBytes = uint64_t(1) << 30;

    // engine supplies the temporary folder (GetTempDirectory and
    // IsTempDirectoryExists); without one every flush fails with -3.
    // maxFileBytes is left at its default except by tests.
    explicit TemporaryData(IToolkitManager* engine = nullptr, uint64_t maxFileBytes = kMaxFileBytes);
    virtual ~TemporaryData();
    TemporaryData(const TemporaryData&) = delete;
    TemporaryData& operator=(const TemporaryData&) = delete;

    // Starts a new, empty stream pair with the given chunk size and deletes
    // every temporary file of the previous one. -2 (nothing changed) when chunkSize is 0.
    TkError Init(uint64_t chunkSize);

    // Appends block to the live stream and its parts inside ranges (live
    // stream byte positions, in order) to the recorded stream. Ranges are
    // clipped to the block's window; a pair with second < first gives -2 and
    // changes nothing. -3 when a flush failed (the block is still accepted).
    TkError AddBytes(const void* block, size_t size, const RecordRangeList& ranges);
    // The two halves of AddBytes, for a writer that must not hold a lock of
    // its own across the disk write: AcceptBytes takes the block into memory
    // (the same errors, except that it never writes), Flush writes the full
    // recorded chunks waiting (-3 when that fails; 0 when there are none).
    TkError AcceptBytes(const void* block, size_t size, const RecordRangeList& ranges);
    TkError Flush();

    // Writes the recorded bytes waiting in memory and syncs the files written
    // since the last call; synced is the recorded length now on disk. -3
    // (errno kept) when a write or sync fails.
    TkError SyncTail(uint64_t& synced);

    // Replaces the streams by the recorded stream of a recording found on
    // disk: files in stream order (taken over), holding `length` bytes from
    // position 0. The live stream stays empty. -2 when chunkSize is 0.
    TkError Adopt(uint64_t chunkSize, std::vector<TemporaryFile> files, uint64_t length);
    // Leaves every temporary file on disk (a journal names them) and forgets them.
    void KeepFiles();
    // The files of the recorded stream: their start positions and paths.
    std::vector<std::pair<uint64_t, std::string>> GetFileStarts();

    template <class T, class A>
    TkError Add(const std::vector<T, A>& block, const RecordRangeList& ranges)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return AddBytes(block.data(), block.size() * sizeof(T), ranges);
    }

    // Copies bytes [from, to) of the recorded (true) or live (false) stream
    // into out (room for to - from bytes). -2 for an empty range, a range
    // beyond the stream, live bytes no longer in memory or a recorded chunk
    // that no file holds; -3 for a read error.
    TkError GetBytes(uint64_t from, uint64_t to, void* out, bool recorded);

    // Replaces out's contents with bytes [from, to); its size becomes
    // (to - from) / sizeof(T). -2 also when to - from is not a whole number
    // of elements. out is empty after any error.
    template <class T, class A>
    TkError GetData(uint64_t from, uint64_t to, std::vector<T, A>& out, bool recorded)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (to <= from || (to - from) % sizeof(T) != 0) {
            out.clear();
            return TkErrorInvalidArgument;
        }
        // Resized without clearing first: a buffer reused for blocks of one
        // size is then not zero-filled before every read overwrites it.
        out.resize((to - from) / sizeof(T));
        TkError result = GetBytes(from, to, out.data(), recorded);
        if (result != TkErrorSuccess)
            out.clear();
        return result;
    }

    // Total bytes ever appended to the recorded (true) or live (false) stream.
    uint64_t GetLength(bool recorded);

    uint64_t GetChunkSize();
    // Number of temporary files currently held, and their paths (for checks).
    size_t GetFileCount();
    std::vector<std::string> GetFilePaths();

private:
    struct Stream {
        std::vector<uint8_t> buffer[2];
        uint64_t bufferStart[2] = {0, 0};
        int32_t readIndex = 0;
        int32_t writeIndex = 0;
        uint64_t length = 0;
    };

    void ResetStream(Stream& stream);
    // AcceptBytes and Flush with m_writeLock held.
    TkError AcceptLocked(const void* block, size_t size, const RecordRangeList& ranges);
    TkError FlushLocked();
    void AppendLive(const uint8_t* bytes, size_t size);
    // Writes the full chunks of the recorded write buffer [data, data + size),
    // which starts at stream position start; m_writeLock held, m_lock not.
    // Returns the bytes written; result is the first failure, if any.
    size_t WriteChunks(const uint8_t* data, size_t size, uint64_t start, TkError& result);
    // Takes `flushed` written bytes out of the recorded write buffer; m_lock held.
    TkError FlushedRecorded(size_t flushed, TkError result);
    TkError WriteChunk(const uint8_t* chunk, uint64_t position);
    TkError LoadRecordedChunk(uint64_t position, int32_t& index);

    // The file the next recorded chunk goes to (created when needed); m_writeLock held.
    TemporaryFile* NextChunkFile(uint64_t position, TkError& result);

    IToolkitManager* const m_engine;
    const uint64_t m_maxFileBytes;
    // Bytes of the recorded write buffer already in the last file (m_writeLock).
    uint64_t m_tailWritten = 0;
    // Files from this index on have been written since the last sync (m_writeLock).
    size_t m_syncFrom = 0;
    std::mutex m_writeLock;
    std::mutex m_lock;
    std::vector<TemporaryFile> m_files;
    uint64_t m_chunkSize = 0;
    Stream m_live;
    Stream m_recorded;
};

// Appends to out the bytes of block (window [blockEnd - size, blockEnd))
// that lie inside ranges, clipped to the window; an open pair runs to the
// window's end. False, with what was copied so far, at a pair with second < first.
bool ExtractRecordData(std::vector<uint8_t>& out, const uint8_t* block, size_t size, uint64_t blockEnd,
                       const RecordRangeList& ranges);
