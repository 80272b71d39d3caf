// The framework's own copy of one track to write.
#pragma once

#include <map>
#include <string>

struct TkSaveSettingInternal {
    std::string path;                        // UTF-8
    double start = 0.0;                      // seconds in the recorded stream
    double end = 0.0;                        // seconds in the recorded stream
    double gain = 0.0;                       // dB
    std::map<std::string, std::string> tags; // "Title", "Alubum", "Artist", "AlbumArtist"
};
