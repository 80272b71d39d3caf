// The framework's own copy of one track to write.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

struct CoverImage;

// The file a PCM track is written as (DSD tracks are always DSF files).
enum class PcmFileFormat { Wav, Flac };

struct TkSaveSettingInternal {
    std::string path;                        // UTF-8
    double start = 0.0;                      // seconds in the recorded stream
    double end = 0.0;                        // seconds in the recorded stream
    double gain = 0.0;                       // dB
    std::map<std::string, std::string> tags; // "Title", "Alubum", "Artist", "AlbumArtist" (FLAC also more, FlacTags.h)
    PcmFileFormat pcmFormat = PcmFileFormat::Wav;
    uint32_t flacCompression = 5;            // libFLAC compression level, 0 to 8
    std::shared_ptr<const CoverImage> cover; // FLAC front cover; null for none
};
