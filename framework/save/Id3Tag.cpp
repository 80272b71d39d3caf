// Builds the ID3v2.3 tag in memory (header with synchsafe size, then the text
// frames) and writes it with one call.
#include "save/Id3Tag.h"

#include "save/ByteOrder.h"
#include "save/TagText.h"

namespace {

struct FrameKey {
    const char* key;
    const char* frameId;
};

// Frame order of the tag.
constexpr FrameKey kFrames[] = {
    {"Alubum", "TALB"},
    {"Title", "TIT2"},
    {"Artist", "TPE1"},
    {"AlbumArtist", "TPE2"},
};

constexpr uint32_t kHeaderSize = 10;
constexpr uint32_t kFrameOverhead = 13; // id, size, flags, encoding, byte order mark

} // namespace

std::string TagValue(const TagMap& tags, const char* key) {
    const auto it = tags.find(key);
    return it == tags.end() ? std::string() : it->second;
}

bool WriteTagBytes(const std::vector<uint8_t>& bytes, FILE* file) {
    if (file == nullptr) return false;
    if (bytes.empty()) return true;
    return fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

std::vector<uint8_t> BuildID3Frame(const std::string& value, const char* frameId) {
    std::vector<uint8_t> text;
    if (ToUtf16(text, value) == 0) return {};
    std::vector<uint8_t> frame;
    frame.reserve(kFrameOverhead + text.size());
    byteorder::AppendBytes(frame, std::string_view(frameId, 4));
    byteorder::AppendBE32(frame, static_cast<uint32_t>(text.size() + 3));
    frame.push_back(0); // flags
    frame.push_back(0);
    frame.push_back(1); // UTF-16 with byte order mark
    frame.push_back(0xFF);
    frame.push_back(0xFE);
    frame.insert(frame.end(), text.begin(), text.end());
    return frame;
}

std::vector<uint8_t> BuildID3Tag(const TagMap& tags) {
    std::vector<uint8_t> frames;
    for (const FrameKey& f : kFrames) {
        const std::vector<uint8_t> frame = BuildID3Frame(TagValue(tags, f.key), f.frameId);
        frames.insert(frames.end(), frame.begin(), frame.end());
    }
    if (frames.empty()) return {};
    std::vector<uint8_t> tag;
    tag.reserve(kHeaderSize + frames.size());
    byteorder::AppendBytes(tag, "ID3");
    tag.push_back(3); // version 2.3.0
    tag.push_back(0);
    tag.push_back(0); // no extended header, no unsynchronisation
    byteorder::AppendSynchsafe32(tag, static_cast<uint32_t>(frames.size()));
    tag.insert(tag.end(), frames.begin(), frames.end());
    return tag;
}

uint32_t CalculateSaveID3TagSize(const TagMap& tags) {
    uint32_t frames = 0;
    for (const FrameKey& f : kFrames) {
        const size_t text = Utf8ToUtf16(TagValue(tags, f.key)).size();
        if (text > 0) frames += kFrameOverhead + static_cast<uint32_t>(text);
    }
    return frames == 0 ? 0 : kHeaderSize + frames;
}

TkError SaveID3Tags(const TagMap& tags, FILE* file) {
    const std::vector<uint8_t> tag = BuildID3Tag(tags);
    if (tag.empty()) return TkErrorSuccess;
    return WriteTagBytes(tag, file) ? TkErrorSuccess : TkErrorFailed;
}

TkError SaveID3Tag(const std::string& value, const char* frameId, FILE* file) {
    const std::vector<uint8_t> frame = BuildID3Frame(value, frameId);
    if (frame.empty()) return TkErrorInvalidArgument;
    return WriteTagBytes(frame, file) ? TkErrorSuccess : TkErrorFailed;
}
