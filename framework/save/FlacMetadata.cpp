// Building the FLAC metadata blocks with libFLAC's metadata objects.
#include "save/FlacMetadata.h"

#include "save/FlacTags.h"

#include <FLAC/metadata.h>

#include <cstring>

namespace {

constexpr uint64_t kStreamMarkerBytes = 4; // "fLaC"
constexpr uint64_t kBlockHeaderBytes = 4;
constexpr uint64_t kMaxFrameHeaderBytes = 16;
constexpr uint64_t kFrameFooterBytes = 2; // CRC-16
constexpr uint64_t kFrameAlignmentBytes = 1;

FLAC__StreamMetadata* VorbisComments(const TagMap& tags) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (block == nullptr) return nullptr;
    // libFLAC writes its own vendor string; this one gives the block its length in the file.
    FLAC__StreamMetadata_VorbisComment_Entry vendor;
    vendor.length = static_cast<FLAC__uint32>(std::strlen(FLAC__VENDOR_STRING));
    vendor.entry = reinterpret_cast<FLAC__byte*>(const_cast<char*>(FLAC__VENDOR_STRING));
    bool ok = FLAC__metadata_object_vorbiscomment_set_vendor_string(block, vendor, true);
    for (const auto& [field, value] : FlacComments(tags)) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        ok = ok && FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, field.c_str(),
                                                                                  value.c_str());
        ok = ok && FLAC__metadata_object_vorbiscomment_append_comment(block, entry, false);
    }
    if (!ok) {
        FLAC__metadata_object_delete(block);
        return nullptr;
    }
    return block;
}

FLAC__StreamMetadata* SeekTable(uint32_t sampleRate, uint64_t frames) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
    if (block == nullptr) return nullptr;
    const uint32_t spacing = sampleRate * kFlacSeekPointSeconds;
    const bool ok = (frames > 0 && spacing > 0
                         ? FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(block, spacing,
                                                                                                    frames)
                         : FLAC__metadata_object_seektable_template_append_point(block, 0)) &&
                    FLAC__metadata_object_seektable_template_sort(block, true);
    if (!ok) {
        FLAC__metadata_object_delete(block);
        return nullptr;
    }
    return block;
}

FLAC__StreamMetadata* FrontCover(const CoverImage& cover) {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PICTURE);
    if (block == nullptr) return nullptr;
    block->data.picture.type = FLAC__STREAM_METADATA_PICTURE_TYPE_FRONT_COVER;
    block->data.picture.width = cover.width;
    block->data.picture.height = cover.height;
    block->data.picture.depth = cover.depth;
    block->data.picture.colors = cover.colors;
    FLAC__byte noDescription[] = {0};
    const bool ok =
        FLAC__metadata_object_picture_set_mime_type(block, const_cast<char*>(cover.mimeType.c_str()), true) &&
        FLAC__metadata_object_picture_set_description(block, noDescription, true) &&
        FLAC__metadata_object_picture_set_data(block, const_cast<FLAC__byte*>(cover.data.data()),
                                               static_cast<FLAC__uint32>(cover.data.size()), true);
    if (!ok) {
        FLAC__metadata_object_delete(block);
        return nullptr;
    }
    return block;
}

FLAC__StreamMetadata* Padding() {
    FLAC__StreamMetadata* block = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
    if (block != nullptr) block->length = kFlacPaddingBytes;
    return block;
}

} // namespace

void FlacMetadata::Deleter::operator()(FLAC__StreamMetadata* block) const { FLAC__metadata_object_delete(block); }

bool FlacMetadata::Add(FLAC__StreamMetadata* block) {
    if (block == nullptr) return false;
    m_blocks.emplace_back(block);
    m_pointers.push_back(block);
    return true;
}

bool FlacMetadata::Build(const TagMap& tags, const CoverImage* cover, uint32_t sampleRate, uint64_t frames) {
    m_blocks.clear();
    m_pointers.clear();
    // The comments come first after STREAMINFO, where libFLAC would move them anyway.
    return Add(VorbisComments(tags)) && Add(SeekTable(sampleRate, frames)) &&
           (cover == nullptr || Add(FrontCover(*cover))) && Add(Padding());
}

uint64_t FlacMetadata::FileBytes() const {
    uint64_t bytes = kStreamMarkerBytes + kBlockHeaderBytes + FLAC__STREAM_METADATA_STREAMINFO_LENGTH;
    for (const FLAC__StreamMetadata* block : m_pointers) bytes += kBlockHeaderBytes + block->length;
    return bytes;
}

uint64_t FlacFileSizeBound(uint16_t channels, uint16_t bits, uint64_t frames, uint32_t blockSize,
                           uint64_t metadataBytes) {
    const uint64_t flacFrames = blockSize == 0 ? 0 : (frames + blockSize - 1) / blockSize;
    const uint64_t frameOverhead =
        kMaxFrameHeaderBytes + channels + kFrameAlignmentBytes + kFrameFooterBytes;
    const uint64_t sideChannelBytes = channels == 2 ? (frames + 7) / 8 + flacFrames : 0;
    return metadataBytes + frames * channels * (bits / 8u) + sideChannelBytes + flacFrames * frameOverhead;
}
