// The tag block of a WAV file: a "LIST"/"INFO" chunk with the title, album and
// artist in Shift-JIS (CP932), followed by an "id3 " chunk with the ID3v2 tag.
// Written after the sample data when the title, album or artist is set.
#pragma once

#include "save/Id3Tag.h"

// Size of the whole tag block ("LIST" chunk with its 8-byte header plus the
// "id3 " chunk with its 8-byte header and pad byte), or 0 when "Title",
// "Alubum" and "Artist" are all empty.
uint32_t CalculateSaveTagSize(const TagMap& tags);

// The whole tag block as bytes; empty when there is nothing to write.
std::vector<uint8_t> BuildRiffTagBlock(const TagMap& tags);

// One INFO sub-chunk: id, size n, the Shift-JIS text, a zero terminator and a
// pad byte to an even n. Empty for an empty value.
std::vector<uint8_t> BuildInfoSubChunk(const std::string& value, const char* chunkId);

// Writes the tag block at the current position; nothing (0) when there is no
// block, -3 on a write error.
TkError SaveTags(const TagMap& tags, FILE* file);

// Writes one INFO sub-chunk; -2 for an empty value, -3 on a write error.
TkError SaveTag(const std::string& value, const char* chunkId, FILE* file);

// Writes the "id3 " chunk (id, size rounded up to even, tag, pad byte);
// -2 when there is no ID3v2 tag, -3 on a write error.
TkError SaveID3TagAsRIFF(const TagMap& tags, FILE* file);
