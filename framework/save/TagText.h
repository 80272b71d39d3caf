// Text conversions for track tags: UTF-8 to UTF-16 little-endian (ID3v2
// frames), UTF-8 made well-formed (FLAC Vorbis comments) and UTF-8 to
// Shift-JIS in its Windows form CP932 (RIFF INFO sub-chunks, which is what
// readers of INFO chunks expect).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// UTF-16 little-endian bytes of text, two bytes per code unit, without byte
// order mark or terminator. Characters outside the Basic Multilingual Plane
// become surrogate pairs (four bytes). Malformed UTF-8 sequences become
// U+FFFD, one per offending byte.
std::vector<uint8_t> Utf8ToUtf16(const std::string& text);

// Number of UTF-16 bytes of value (code units x 2); 0 for an empty value.
// The bytes are stored in out.
size_t ToUtf16(std::vector<uint8_t>& out, const std::string& value);

// text with every malformed UTF-8 byte replaced by U+FFFD (as Utf8ToUtf16
// does); well-formed text comes back unchanged.
std::string ValidUtf8(const std::string& text);

// CP932 bytes of text, without terminator. Conversion is lossy: every
// character that CP932 cannot represent, and every malformed UTF-8 byte,
// becomes "?".
std::string Utf8ToShiftJIS(const std::string& text);
