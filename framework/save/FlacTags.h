// The Vorbis comments of a FLAC track file, taken from the job's tag map.
// Fields in file order, each written only when its value is not empty:
//   TITLE "Title", ARTIST "Artist", ALBUM "Alubum", ALBUMARTIST "AlbumArtist",
//   TRACKNUMBER "TrackNumber", TRACKTOTAL "TrackTotal", DATE "Date",
// then ENCODER, always. Texts are UTF-8 as typed (malformed bytes become
// U+FFFD); the track number and total are plain decimal numbers ("2", never
// "02" or "2/12").
#pragma once

#include "save/Id3Tag.h"

#include <string>
#include <utility>
#include <vector>

// Tag keys read only by the FLAC writer; the WAV and DSF writers ignore them.
inline constexpr const char* kTagTrackNumber = "TrackNumber";
inline constexpr const char* kTagTrackTotal = "TrackTotal";
inline constexpr const char* kTagDate = "Date";
inline constexpr const char* kTagCoverImage = "CoverImage"; // path of the picture; the engine loads it

// text as a plain track number: its digits without leading zeros. Empty when
// text is not a number from 1 to 999999999 written with digits only.
std::string PlainTrackNumber(const std::string& text);

// (field name, value) pairs in file order.
std::vector<std::pair<std::string, std::string>> FlacComments(const TagMap& tags);
