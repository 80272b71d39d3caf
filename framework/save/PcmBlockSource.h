// The samples of a PCM track as every PCM track writer takes them: blocks of
// frames read from each channel's recorded stream, turned into 32-bit floats
// (the sample type's toFloat32; stored 32-bit floats are used as they are),
// multiplied by the track's gain in single precision and converted to 16, 24
// or 32-bit integers, interleaved little-endian with channel 0 first. The WAV
// writer writes these bytes as they are and the FLAC writer encodes them, so
// both files of one track hold the same samples.
#pragma once

#include "convert/InterleavedConverters.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class RecordData;
struct SampleTypeInfo;

// Why a track of record cannot be converted to bits per sample ("unsupported
// bit depth 12", "unsupported recording format"); empty when it can.
std::string PcmTrackProblem(RecordData& record, uint16_t bits);

class PcmBlockSource {
public:
    // record must pass PcmTrackProblem for bits and outlive the source.
    // Blocks hold at most blockFrames frames; the buffers for them are
    // allocated here, once per track.
    PcmBlockSource(RecordData& record, uint16_t bits, double gainDb, size_t blockFrames);

    // Bytes of one interleaved frame of the output.
    size_t FrameBytes() const { return m_frameBytes; }

    // Writes frames [first, first + n) of the recorded stream, n at most
    // blockFrames, to out (room for n x FrameBytes()). False when a channel
    // cannot be read; errno is then the read's.
    bool Read(uint64_t first, size_t n, uint8_t* out);

private:
    RecordData& m_record;
    const SampleTypeInfo* m_type;
    InterleavedConverter m_toOutput;
    float m_gain;
    size_t m_frameBytes;
    size_t m_storedBytes;
    bool m_storedAsFloat;
    std::vector<std::vector<uint8_t>> m_raw;    // per channel, the stored bytes
    std::vector<std::vector<uint8_t>> m_floats; // per channel, little-endian floats (other formats only)
    std::vector<const uint8_t*> m_sources;      // per channel, the floats handed to the converter
};
