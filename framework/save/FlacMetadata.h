// The metadata blocks a FLAC track file carries after its STREAMINFO (which
// the encoder writes itself, with the MD5 of the audio): VORBIS_COMMENT with
// the track's tags, SEEKTABLE with a point every 10 seconds (always at least
// the one at sample 0), PICTURE with the front cover when there is one, and
// PADDING for tags edited later. The blocks are libFLAC objects owned here;
// the encoder fills the seek points in as it writes the frames.
#pragma once

#include "save/CoverImage.h"
#include "save/Id3Tag.h"

#include <FLAC/format.h>

#include <cstdint>
#include <memory>
#include <vector>

// Seconds between seek points.
inline constexpr uint32_t kFlacSeekPointSeconds = 10;
// Bytes of the PADDING block's body.
inline constexpr uint32_t kFlacPaddingBytes = 8192;

class FlacMetadata {
public:
    // Builds the blocks for a track of frames samples at sampleRate; cover
    // may be null. False when libFLAC cannot allocate them.
    bool Build(const TagMap& tags, const CoverImage* cover, uint32_t sampleRate, uint64_t frames);

    // The blocks in file order, for FLAC__stream_encoder_set_metadata.
    FLAC__StreamMetadata** Blocks() { return m_pointers.data(); }
    uint32_t Count() const { return static_cast<uint32_t>(m_pointers.size()); }

    // Bytes of the file before the first frame: "fLaC", STREAMINFO and these
    // blocks, each with its 4-byte header.
    uint64_t FileBytes() const;

private:
    struct Deleter {
        void operator()(FLAC__StreamMetadata* block) const;
    };
    bool Add(FLAC__StreamMetadata* block);

    std::vector<std::unique_ptr<FLAC__StreamMetadata, Deleter>> m_blocks;
    std::vector<FLAC__StreamMetadata*> m_pointers;
};

// The largest size a FLAC file of these samples can have, for the checks of
// free space and file-size limits before it is written. libFLAC never
// stores a subframe in more bits than its samples take verbatim, so a frame
// is at most its PCM bytes, one more bit per sample where a stereo frame
// carries a side channel (the loose mid-side levels choose it without
// comparing), a header of at most 16 bytes, one subframe header byte per
// channel, one byte of padding to a byte boundary and the 2-byte CRC.
uint64_t FlacFileSizeBound(uint16_t channels, uint16_t bits, uint64_t frames, uint32_t blockSize,
                           uint64_t metadataBytes);
