// The samples of a PCM track as every PCM track writer takes them: blocks of
// frames read from each channel's recorded stream, turned into 32-bit floats
// (the sample type's toFloat32; stored 32-bit floats are used as they are),
// multiplied by the track's gain in single precision and converted to 16, 24
// or 32-bit integers, interleaved little-endian with channel 0 first. The WAV
// writer writes these bytes as they are and the FLAC writer encodes them, so
// both files of one track hold the same samples.
#pragma once

#include "convert/InterleavedConverters.h"
#include "interface/cartova.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class IDsfWriterHost;
class RecordData;
struct SampleTypeInfo;
struct TkSaveSettingInternal;

// The recorded samples [first, end) that a PCM track writer writes for a job.
struct PcmTrack {
    RecordData* record = nullptr;
    uint64_t first = 0;
    uint64_t end = 0;

    uint64_t Frames() const { return end - first; }
};

// What every PCM track writer does first: resets the file progress, finds
// the job's samples in host's recording (cut at the recorded length) and
// sets the file's length in the progress, and makes sure the recording can
// be converted to bits per sample. 0 with track filled in; -2 for a null job
// or an end before the start; -3 without record data, or for a depth other
// than 16, 24 or 32 bits or a recording format without conversion (the
// failure cause said).
TkError PreparePcmTrack(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits, PcmTrack& track);

// The samples of a prepared track in blocks of 0.1 second, with the block
// loop's protocol of the save thread: a cancellation with deletion is seen
// before each block, and each block is counted as done in the progress
// before it is read, so that a finished file ends with its whole length done.
class PcmBlockSource {
public:
    enum class Step {
        Block,      // a block was written to out
        End,        // the track's samples are all given
        Cancelled,  // a cancellation with deletion is pending
        ReadFailed, // a channel could not be read (the failure cause said, errno kept)
    };

    // track must have passed PreparePcmTrack for bits; its record must
    // outlive the source. The buffers are allocated here, once per track.
    PcmBlockSource(const PcmTrack& track, uint16_t bits, double gainDb);

    // Largest block in frames, and bytes of one interleaved output frame.
    size_t BlockFrames() const { return m_blockFrames; }
    size_t FrameBytes() const { return m_frameBytes; }

    // The next block: its n frames written to out (room for BlockFrames() x
    // FrameBytes() bytes) when the result is Block.
    Step Next(IDsfWriterHost& host, uint8_t* out, size_t& n);

private:
    // Writes frames [first, first + n) of the recorded stream to out. False
    // when a channel cannot be read; errno is then the read's.
    bool Read(uint64_t first, size_t n, uint8_t* out);

    RecordData& m_record;
    const SampleTypeInfo* m_type;
    InterleavedConverter m_toOutput;
    float m_gain;
    size_t m_blockFrames;
    size_t m_frameBytes;
    size_t m_storedBytes;
    bool m_storedAsFloat;
    uint64_t m_first;
    uint64_t m_next; // the next block's first sample
    uint64_t m_end;
    std::vector<std::vector<uint8_t>> m_raw;    // per channel, the stored bytes
    std::vector<std::vector<uint8_t>> m_floats; // per channel, little-endian floats (other formats only)
    std::vector<const uint8_t*> m_sources;      // per channel, the floats handed to the converter
};
