// Builds the WAV tag block in memory: "LIST" + "INFO" with the INAM, IPRD and
// IART sub-chunks, then the "id3 " chunk; written with one call so that the
// block on disk is either whole or reported as failed.
#include "save/RiffTags.h"

#include "save/ByteOrder.h"
#include "save/TagText.h"

namespace {

struct InfoKey {
    const char* key;
    const char* chunkId;
};

// Sub-chunk order of the INFO list.
constexpr InfoKey kInfoKeys[] = {
    {"Title", "INAM"},
    {"Alubum", "IPRD"},
    {"Artist", "IART"},
};

bool HasInfoValues(const TagMap& tags) {
    for (const InfoKey& k : kInfoKeys) {
        if (!TagValue(tags, k.key).empty()) return true;
    }
    return false;
}

std::vector<uint8_t> BuildId3Chunk(const TagMap& tags) {
    const std::vector<uint8_t> tag = BuildID3Tag(tags);
    if (tag.empty()) return {};
    const uint32_t padded = static_cast<uint32_t>((tag.size() + 1) & ~size_t{1});
    std::vector<uint8_t> chunk;
    chunk.reserve(8 + padded);
    byteorder::AppendBytes(chunk, "id3 ");
    byteorder::AppendLE32(chunk, padded);
    chunk.insert(chunk.end(), tag.begin(), tag.end());
    if (padded != tag.size()) chunk.push_back(0);
    return chunk;
}

} // namespace

std::vector<uint8_t> BuildInfoSubChunk(const std::string& value, const char* chunkId) {
    if (value.empty()) return {};
    const std::string text = Utf8ToShiftJIS(value);
    // Terminator, then a pad byte when text plus terminator is odd.
    const size_t stored = (text.size() + 1) % 2 == 0 ? text.size() + 1 : text.size() + 2;
    std::vector<uint8_t> chunk;
    chunk.reserve(8 + stored);
    byteorder::AppendBytes(chunk, std::string_view(chunkId, 4));
    byteorder::AppendLE32(chunk, static_cast<uint32_t>(stored));
    byteorder::AppendBytes(chunk, text);
    chunk.resize(8 + stored, 0);
    return chunk;
}

std::vector<uint8_t> BuildRiffTagBlock(const TagMap& tags) {
    if (!HasInfoValues(tags)) return {};
    std::vector<uint8_t> subChunks;
    for (const InfoKey& k : kInfoKeys) {
        const std::vector<uint8_t> sub = BuildInfoSubChunk(TagValue(tags, k.key), k.chunkId);
        subChunks.insert(subChunks.end(), sub.begin(), sub.end());
    }
    const std::vector<uint8_t> id3 = BuildId3Chunk(tags);
    std::vector<uint8_t> block;
    block.reserve(12 + subChunks.size() + id3.size());
    byteorder::AppendBytes(block, "LIST");
    byteorder::AppendLE32(block, static_cast<uint32_t>(4 + subChunks.size()));
    byteorder::AppendBytes(block, "INFO");
    block.insert(block.end(), subChunks.begin(), subChunks.end());
    block.insert(block.end(), id3.begin(), id3.end());
    return block;
}

uint32_t CalculateSaveTagSize(const TagMap& tags) {
    if (!HasInfoValues(tags)) return 0;
    uint32_t listSize = 4;
    for (const InfoKey& k : kInfoKeys) {
        const std::string value = TagValue(tags, k.key);
        if (value.empty()) continue;
        const size_t n = Utf8ToShiftJIS(value).size();
        listSize += 8 + static_cast<uint32_t>((n + 1) % 2 == 0 ? n + 1 : n + 2);
    }
    const uint32_t id3 = CalculateSaveID3TagSize(tags);
    const uint32_t id3Padded = (id3 + 1) & ~uint32_t{1};
    // The id3 chunk is present whenever the INFO list is, since both need a value.
    return 8 + listSize + 8 + id3Padded;
}

TkError SaveTags(const TagMap& tags, FILE* file) {
    const std::vector<uint8_t> block = BuildRiffTagBlock(tags);
    if (block.empty()) return TkErrorSuccess;
    return WriteTagBytes(block, file) ? TkErrorSuccess : TkErrorFailed;
}

TkError SaveTag(const std::string& value, const char* chunkId, FILE* file) {
    const std::vector<uint8_t> chunk = BuildInfoSubChunk(value, chunkId);
    if (chunk.empty()) return TkErrorInvalidArgument;
    return WriteTagBytes(chunk, file) ? TkErrorSuccess : TkErrorFailed;
}

TkError SaveID3TagAsRIFF(const TagMap& tags, FILE* file) {
    const std::vector<uint8_t> chunk = BuildId3Chunk(tags);
    if (chunk.empty()) return TkErrorInvalidArgument;
    return WriteTagBytes(chunk, file) ? TkErrorSuccess : TkErrorFailed;
}
