// The captured samples of one recording: one TemporaryData stream pair per
// channel (planar, in the capture's own sample format), with the recorded
// ranges decided by the engine's RecordRangeManager. Positions in this
// interface count samples of one channel (one-bit samples for DSD); sample
// s is byte s * bitsPerSample / 8 of the channel's stream.
//
// Record events and channels: the engine may add an event while the
// recording thread is between the channels of one capture buffer. So that
// every channel switches at the same block, the range answer for a block
// window [P, P + n) is fetched once, by the first channel that adds a block
// at that window, and reused by every other channel that adds a block at the
// same window. An event therefore takes effect for whole capture buffers
// only: the buffer that was being split when it arrived is stored (or
// skipped) in every channel alike, and the event applies from the next one.
// Answers are kept until every channel has moved past their window.
// For the same reason an event's position is the end of the furthest
// channel (AddRecordEvent), taken and registered under the lock of the
// appends: everything before it has had its answer, everything after it
// will see the event, and the preview, which asks the same range manager
// later, cuts at the same place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "interface/cartova.h"
#include "storage/AlignedAllocator.h"
#include "storage/RecordRangeManager.h"
#include "storage/TemporaryData.h"

struct SampleTypeInfo;
class IToolkitManager;

class RecordData {
public:
    // Chunk size used by TemporaryClear to release a recording's memory.
    static constexpr uint64_t kClearedChunkSize = 441000;

    // engine supplies the temporary folder to the channel streams.
    // maxFileBytes and chunkBytes (0: five seconds of one channel) are left
    // at their defaults except by tests.
    explicit RecordData(IToolkitManager* engine = nullptr, uint64_t maxFileBytes = TemporaryData::kMaxFileBytes,
                        uint64_t chunkBytes = 0);
    ~RecordData();
    RecordData(const RecordData&) = delete;
    RecordData& operator=(const RecordData&) = delete;

    // -2 (previous streams kept) when channels or sampleRate is 0 or
    // sampleTypeInfo is null. Otherwise replaces every channel stream (their
    // temporary files are deleted) by `channels` new ones with a chunk of
    // five seconds each. Returns the last channel's initialisation result.
    TkError Init(uint16_t channels, uint64_t sampleRate, const SampleTypeInfo* sampleTypeInfo,
                 RecordRangeManager* rangeManager);

    // The same with the storage size of a sample given directly (32 for
    // float PCM, 1 for DSD); Init(sampleTypeInfo) ends here. sampleTypeInfo may be null.
    TkError InitWithFormat(uint16_t channels, uint64_t sampleRate, uint16_t bitsPerSample, bool isDsd,
                           const SampleTypeInfo* sampleTypeInfo, RecordRangeManager* rangeManager);

    // Re-initialises every channel stream with a small chunk, deleting the
    // recording's temporary files. -3 if any fails; 0 with no channels.
    TkError TemporaryClear();

    // Writes what every channel holds in memory and syncs their files (the
    // recording thread, about once a second). synced: the bytes of one
    // channel now on disk in every channel. -3 with errno when one fails.
    TkError SyncToDisk(uint64_t& synced);
    // Takes over a recording found on disk: per channel its files (in
    // stream order), every channel `length` bytes long. Same arguments and
    // errors as InitWithFormat otherwise; chunkBytes is the chunk size the
    // recording was made with.
    TkError Adopt(uint64_t sampleRate, uint16_t bitsPerSample, bool isDsd, const SampleTypeInfo* sampleTypeInfo,
                  RecordRangeManager* rangeManager, uint64_t chunkBytes,
                  std::vector<std::vector<TemporaryFile>> files, uint64_t length);
    // Leaves the temporary files on disk for a later recovery and forgets them.
    void KeepFiles();
    // Per channel, the start position and path of each temporary file.
    std::vector<std::vector<std::pair<uint64_t, std::string>>> GetFileStarts();
    uint64_t GetChunkBytes();

    // Appends one captured block to one channel. -2 for a bad channel or
    // without a range manager; -3 when a flush to disk failed (the block is
    // still accepted and the flush is retried on the next Add).
    TkError Add(uint16_t channel, const std::vector<uint8_t>& bytes);
    TkError Add(uint16_t channel, const AlignedByteVector& bytes);
    TkError Add(uint16_t channel, const uint8_t* bytes, size_t size);

    // Reads sample positions [from, to) of one channel's recorded (true) or
    // live (false) stream. -2 for a bad channel and the errors of TemporaryData::GetData.
    TkError GetData(uint16_t channel, uint64_t from, uint64_t to, std::vector<uint8_t>& out, bool recorded);
    TkError GetData(uint16_t channel, uint64_t from, uint64_t to, AlignedByteVector& out, bool recorded);

    // The shortest channel stream, in samples; 0 without channels.
    uint64_t GetLength(bool recorded);

    // Gives the range manager an event at the end of the furthest channel's
    // live stream, in samples shifted right by positionShift (6 turns one-bit
    // samples into preview frames). Returns the position given.
    uint64_t AddRecordEvent(RecordRangeManager& ranges, RecordEventKind kind, unsigned positionShift);

    uint16_t GetChannels();
    uint64_t GetSampleRate();
    const SampleTypeInfo* GetSampleTypeInfo();
    uint16_t GetBitsPerSample();
    // Byte size of one range-manager frame of one channel: 2 for DSD, bitsPerSample / 8 otherwise.
    uint32_t GetBytesPerFrame();

private:
    struct RoundAnswer {
        uint64_t size;
        RecordRangeList ranges;
    };

    template <class Vector>
    TkError GetBlock(uint16_t channel, uint64_t from, uint64_t to, Vector& out, bool recorded);
    RecordRangeList RangesForBlock(RecordRangeManager* rangeManager, uint32_t bytesPerFrame, uint64_t position,
                                   uint64_t size);
    void BlockAdded(uint16_t channel, uint64_t end);
    TemporaryData* Channel(uint16_t channel);
    std::vector<std::shared_ptr<TemporaryData>> Streams();
    // Installs new channel streams and format; the old streams go.
    void Replace(std::vector<std::shared_ptr<TemporaryData>> streams, uint64_t sampleRate, uint16_t bitsPerSample,
                 uint32_t bytesPerFrame, uint64_t chunk, const SampleTypeInfo* sampleTypeInfo,
                 RecordRangeManager* rangeManager);

    IToolkitManager* const m_engine;
    const uint64_t m_maxFileBytes;
    const uint64_t m_chunkBytes;

    // Serialises appends to memory with each other, with record events and
    // with Init and TemporaryClear; guards m_roundAnswers and m_channelEnds.
    // Taken before m_lock, and never held across a disk write (an append
    // flushes its channel's full chunks after releasing it).
    std::mutex m_addLock;
    // Guards the channel list and the format. Each channel stream has its
    // own lock for its data, so readers never wait for another channel's I/O.
    std::mutex m_lock;
    std::vector<std::shared_ptr<TemporaryData>> m_channels;
    uint16_t m_bitsPerSample = 0;
    uint32_t m_bytesPerFrame = 0;
    uint64_t m_sampleRate = 0;
    uint64_t m_chunk = 0;
    const SampleTypeInfo* m_sampleTypeInfo = nullptr;
    RecordRangeManager* m_rangeManager = nullptr;
    // Range answers by window start, and each channel's live length as of its last Add (m_addLock).
    std::map<uint64_t, RoundAnswer> m_roundAnswers;
    std::vector<uint64_t> m_channelEnds;
};
