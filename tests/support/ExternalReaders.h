// What external programs make of a written track file: ffprobe's format and
// stream description, samples decoded by sox or ffmpeg, ID3 frames and FLAC
// metadata blocks read by Python mutagen, and the RIFF INFO sub-chunks read
// here byte by byte.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace saving {

// Runs a shell command; its standard output in `output`. True on exit status 0.
bool RunCommand(const std::string& command, std::string& output);

// ffprobe's description of the first audio stream and the format as
// key=value pairs: "codec_name", "sample_rate", "channels",
// "bits_per_sample", "format_name", "duration", and the format's tags as
// "TAG:title" and so on. Empty when ffprobe fails.
std::map<std::string, std::string> Probe(const std::string& path);

// The file's samples decoded by sox as signed 32-bit integers, interleaved
// (a 24-bit sample v comes out as v * 256, a 16-bit one as v * 65536).
bool DecodeWithSox(const std::string& path, std::vector<int32_t>& samples);

// The file's samples decoded by ffmpeg to 32-bit floats, interleaved, at the
// decoder's own rate.
bool DecodeWithFfmpeg(const std::string& path, std::vector<float>& samples);

// ID3 text frames by frame id (UTF-8 text), as Python mutagen reads them; the
// tag version as "VERSION" ("3.0" for ID3v2.3). False when mutagen finds no tag.
bool ReadId3WithMutagen(const std::string& path, std::map<std::string, std::string>& frames);

// What mutagen reads of a FLAC file (tests/support/flac_blocks.py), by the
// first word of each line with the rest of the line ("BLOCKS", "STREAMINFO",
// "SEEKPOINTS", "PICTURE"), and each comment as "COMMENT <FIELD>" with its
// text decoded. Empty when mutagen takes it for no FLAC file.
std::multimap<std::string, std::string> ReadFlacWithMutagen(const std::string& path);

// The payloads of the sub-chunks of a WAV file's "LIST"/"INFO" chunk by id,
// with terminator and pad bytes as stored. False when the file has none.
bool ReadRiffInfo(const std::string& path, std::map<std::string, std::vector<uint8_t>>& chunks);

// The whole file.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

} // namespace saving
