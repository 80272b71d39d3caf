// The Vorbis comment fields of a FLAC track; see FlacTags.h.
#include "save/FlacTags.h"

#include "save/TagText.h"

namespace {

constexpr size_t kMaxTrackNumberDigits = 9;

} // namespace

std::string PlainTrackNumber(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return {};
    const size_t first = text.find_first_not_of('0');
    if (first == std::string::npos || text.size() - first > kMaxTrackNumberDigits) return {};
    return text.substr(first);
}

std::vector<std::pair<std::string, std::string>> FlacComments(const TagMap& tags) {
    std::vector<std::pair<std::string, std::string>> comments;
    const auto add = [&comments](const char* field, const std::string& value) {
        if (!value.empty()) comments.emplace_back(field, ValidUtf8(value));
    };
    add("TITLE", TagValue(tags, "Title"));
    add("ARTIST", TagValue(tags, "Artist"));
    add("ALBUM", TagValue(tags, "Alubum"));
    add("ALBUMARTIST", TagValue(tags, "AlbumArtist"));
    add("TRACKNUMBER", PlainTrackNumber(TagValue(tags, kTagTrackNumber)));
    add("TRACKTOTAL", PlainTrackNumber(TagValue(tags, kTagTrackTotal)));
    add("DATE", TagValue(tags, kTagDate));
    add("ENCODER", "Cartova " CARTOVA_VERSION_TEXT);
    return comments;
}
