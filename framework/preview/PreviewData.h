// The 16-bit preview stream of a recording: interleaved frames of `channels`
// signed 16-bit samples at the preview rate. Its live stream is the
// recording view (everything converted, only the newest one or two
// five-second chunks in memory); its recorded stream is the finished view
// (only the recorded ranges, kept in temporary files). The conversion thread
// is the only writer; the application's preview readers call GetData and
// GetLength from their own threads, serialised by the stream's lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "storage/RecordRangeManager.h"
#include "storage/TemporaryData.h"

class PreviewData : public TemporaryData {
public:
    // Chunk size used by TemporaryClear (five seconds of stereo at 44100).
    static constexpr uint64_t kClearedChunkSize = 882000;
    // Seconds of preview held by one chunk.
    static constexpr uint64_t kChunkSeconds = 5;

    // engine supplies the temporary folder for the finished view's files.
    explicit PreviewData(IToolkitManager* engine = nullptr, uint64_t maxFileBytes = kMaxFileBytes);

    // -2 when channels or sampleRate is 0. Starts empty streams with a chunk
    // of five seconds of preview and keeps the range manager (not owned).
    TkError Init(uint16_t channels, uint64_t sampleRate, RecordRangeManager* rangeManager);

    // Discards the preview and its temporary files.
    TkError TemporaryClear();

    // Appends whole interleaved frames. -3 before Init or without a range
    // manager; -2 when the block is not a whole number of frames; otherwise
    // the result of storing (-3 when the finished view's files failed; the
    // frames are still kept in memory).
    TkError Add(const std::vector<int16_t>& frames);

    // Frames [from, to) of the finished (recorded = true) or recording view.
    // -2 for an empty range, one beyond the stream (also before Init), or
    // recording-view frames no longer in memory.
    TkError GetData(uint64_t from, uint64_t to, std::vector<int16_t>& samples, bool recorded);

    // Length of the finished or recording view in frames; 0 before Init.
    uint64_t GetLength(bool recorded);

    uint16_t GetChannels() const;
    uint64_t GetSampleRate() const;

private:
    // Written by Init on the engine's queue before the conversion thread
    // starts, read by the application's preview readers at any time.
    std::atomic<uint16_t> m_channels{0};
    std::atomic<uint64_t> m_sampleRate{0};
    std::atomic<uint32_t> m_bytesPerFrame{0};
    std::atomic<RecordRangeManager*> m_rangeManager{nullptr};
};
