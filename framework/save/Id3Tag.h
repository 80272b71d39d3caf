// ID3v2.3 tag of a track file: one UTF-16 text frame per non-empty tag value,
// in the order TALB, TIT2, TPE1, TPE2. Written at the end of DSF files and
// inside the "id3 " chunk of WAV files. Its size is known before writing, so
// file headers can carry final sizes.
#pragma once

#include "interface/cartova.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using TagMap = std::map<std::string, std::string>;

// The value of key in tags; empty when the key is missing.
std::string TagValue(const TagMap& tags, const char* key);

// Writes bytes at the file's current position; false for a null file or a
// short write. Nothing to write counts as success.
bool WriteTagBytes(const std::vector<uint8_t>& bytes, FILE* file);

// Size of the complete ID3v2 tag in bytes (10-byte header plus frames), or 0
// when "Alubum", "Title", "Artist" and "AlbumArtist" are all empty or missing.
uint32_t CalculateSaveID3TagSize(const TagMap& tags);

// The complete tag as bytes; empty when there is nothing to write.
std::vector<uint8_t> BuildID3Tag(const TagMap& tags);

// One text frame of value; empty when value converts to no text.
std::vector<uint8_t> BuildID3Frame(const std::string& value, const char* frameId);

// Writes the tag at the file's current position. 0 (nothing written) when
// there is no tag; -3 when the file cannot be written.
TkError SaveID3Tags(const TagMap& tags, FILE* file);

// Writes one frame. -2 when value converts to no text, -3 on a write error.
TkError SaveID3Tag(const std::string& value, const char* frameId, FILE* file);
