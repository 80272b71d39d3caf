// ID3v2 tag, RIFF INFO block and the text conversions behind them: byte
// layouts, sizes computed ahead equal to what is written, CP932 text.
#include "save/Id3Tag.h"
#include "save/RiffTags.h"
#include "save/TagText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(static_cast<uint8_t>(b));
    return v;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t from, size_t count) {
    return std::vector<uint8_t>(v.begin() + from, v.begin() + from + count);
}

// Writes through fn into a temporary file and returns what was written.
template <class Fn>
std::vector<uint8_t> WrittenBy(Fn fn, TkError& result) {
    FILE* f = tmpfile();
    result = fn(f);
    fflush(f);
    std::vector<uint8_t> out(static_cast<size_t>(ftell(f)));
    rewind(f);
    EXPECT_EQ(fread(out.data(), 1, out.size(), f), out.size());
    fclose(f);
    return out;
}

} // namespace

TEST(Id3Tag, SixLetterTitleGivesOneFrameWithSynchsafeSize) {
    const TagMap tags{{"Title", "abcdef"}};
    const std::vector<uint8_t> tag = BuildID3Tag(tags);
    ASSERT_EQ(tag.size(), 35u);
    EXPECT_EQ(CalculateSaveID3TagSize(tags), 35u);
    EXPECT_EQ(Slice(tag, 0, 10), Bytes({'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0x19}));
    EXPECT_EQ(Slice(tag, 10, 13), Bytes({'T', 'I', 'T', '2', 0, 0, 0, 15, 0, 0, 1, 0xFF, 0xFE}));
    EXPECT_EQ(Slice(tag, 23, 4), Bytes({'a', 0, 'b', 0}));
}

TEST(Id3Tag, FramesFollowFixedOrderAndIgnoreOtherKeys) {
    const TagMap tags{{"AlbumArtist", "D"}, {"Artist", "C"}, {"Title", "B"}, {"Alubum", "A"}, {"Genre", "x"}};
    const std::vector<uint8_t> tag = BuildID3Tag(tags);
    ASSERT_EQ(tag.size(), 10u + 4 * 15);
    const char* ids[] = {"TALB", "TIT2", "TPE1", "TPE2"};
    for (int i = 0; i < 4; ++i) {
        const size_t at = 10 + 15 * i;
        EXPECT_EQ(std::string(tag.begin() + at, tag.begin() + at + 4), ids[i]);
        EXPECT_EQ(tag[at + 13], 'A' + i);
    }
}

TEST(Id3Tag, NoValuesGiveNoTag) {
    const TagMap tags{{"Title", ""}, {"Other", "x"}};
    EXPECT_EQ(CalculateSaveID3TagSize(tags), 0u);
    TkError result = 0;
    EXPECT_TRUE(WrittenBy([&](FILE* f) { return SaveID3Tags(tags, f); }, result).empty());
    EXPECT_EQ(result, TkErrorSuccess);
    EXPECT_EQ(WrittenBy([&](FILE* f) { return SaveID3Tag("", "TIT2", f); }, result).size(), 0u);
    EXPECT_EQ(result, TkErrorInvalidArgument);
}

TEST(Id3Tag, LargeTagSizeIsSynchsafe) {
    // 200 letters: frames 13 + 400 = 413 = 0x19D -> synchsafe 00 00 03 1D.
    const TagMap tags{{"Artist", std::string(200, 'x')}};
    const std::vector<uint8_t> tag = BuildID3Tag(tags);
    EXPECT_EQ(Slice(tag, 6, 4), Bytes({0, 0, 3, 0x1D}));
}

TEST(TagText, Utf16CountsSurrogatePairsAndReplacesMalformedBytes) {
    // "a", U+3042 (3 bytes in UTF-8), U+1F600 (4 bytes): 1 + 1 + 2 code units.
    const std::string text = "a\xE3\x81\x82\xF0\x9F\x98\x80";
    EXPECT_EQ(Utf8ToUtf16(text), Bytes({'a', 0, 0x42, 0x30, 0x3D, 0xD8, 0x00, 0xDE}));
    std::vector<uint8_t> out;
    EXPECT_EQ(ToUtf16(out, text), 8u);
    EXPECT_EQ(ToUtf16(out, ""), 0u);
    EXPECT_EQ(Utf8ToUtf16("\xFF" "b"), Bytes({0xFD, 0xFF, 'b', 0}));
    EXPECT_EQ(Utf8ToUtf16("\xE3\x81"), Bytes({0xFD, 0xFF, 0xFD, 0xFF})); // cut-off sequence
}

TEST(TagText, ShiftJisUsesCp932AndSubstitutesQuestionMark) {
    EXPECT_EQ(Utf8ToShiftJIS("abc"), "abc");
    EXPECT_EQ(Utf8ToShiftJIS("\xE6\x97\xA5\xE6\x9C\xAC"), "\x93\xFA\x96\x7B"); // Japanese "Nihon"
    EXPECT_EQ(Utf8ToShiftJIS("\xE2\x91\xA0"), "\x87\x40");                     // circled 1, CP932 only
    EXPECT_EQ(Utf8ToShiftJIS("a\xF0\x9F\x98\x80" "b"), "a?b");                  // emoji
    EXPECT_EQ(Utf8ToShiftJIS("a\xFF" "b\xE3"), "a?b?");                         // malformed input
    EXPECT_EQ(Utf8ToShiftJIS(""), "");
}

TEST(RiffTags, TitleAbGivesFourByteInamAndId3Chunk) {
    const TagMap tags{{"Title", "ab"}};
    const std::vector<uint8_t> block = BuildRiffTagBlock(tags);
    ASSERT_GE(block.size(), 32u);
    EXPECT_EQ(Slice(block, 0, 24), Bytes({'L', 'I', 'S', 'T', 16, 0, 0, 0, 'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 4, 0,
                                          0, 0, 'a', 'b', 0, 0}));
    // ID3 tag of 10 + 13 + 4 = 27 bytes, padded to 28.
    EXPECT_EQ(Slice(block, 24, 8), Bytes({'i', 'd', '3', ' ', 28, 0, 0, 0}));
    EXPECT_EQ(block.size(), 24u + 8 + 28);
    EXPECT_EQ(block.back(), 0);
    EXPECT_EQ(CalculateSaveTagSize(tags), block.size());
}

TEST(RiffTags, ThreeLetterValueFillsEvenSizeWithTerminatorOnly) {
    const std::vector<uint8_t> sub = BuildInfoSubChunk("abc", "IART");
    EXPECT_EQ(sub, Bytes({'I', 'A', 'R', 'T', 4, 0, 0, 0, 'a', 'b', 'c', 0}));
    EXPECT_TRUE(BuildInfoSubChunk("", "IART").empty());
}

TEST(RiffTags, AlbumArtistAloneGivesNoBlockButAnId3Tag) {
    const TagMap tags{{"AlbumArtist", "X"}};
    EXPECT_EQ(CalculateSaveTagSize(tags), 0u);
    EXPECT_TRUE(BuildRiffTagBlock(tags).empty());
    EXPECT_EQ(CalculateSaveID3TagSize(tags), 25u);
}

TEST(RiffTags, WrittenBlockMatchesComputedSizeForMixedText) {
    const TagMap tags{{"Title", "\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80"},
                      {"Alubum", "Album"},
                      {"Artist", "Someone"},
                      {"AlbumArtist", "Band"}};
    TkError result = -1;
    const std::vector<uint8_t> written = WrittenBy([&](FILE* f) { return SaveTags(tags, f); }, result);
    EXPECT_EQ(result, TkErrorSuccess);
    EXPECT_EQ(written.size(), CalculateSaveTagSize(tags));
    EXPECT_EQ(written.size() % 2, 0u);
    // INAM holds the CP932 title with the emoji as "?" plus terminator: 5 bytes + pad.
    EXPECT_EQ(Slice(written, 12, 14), Bytes({'I', 'N', 'A', 'M', 6, 0, 0, 0, 0x93, 0xFA, 0x96, 0x7B, '?', 0}));
}

TEST(RiffTags, WriteErrorsAreReported) {
    FILE* readOnly = fopen("/dev/null", "rb");
    ASSERT_NE(readOnly, nullptr);
    setvbuf(readOnly, nullptr, _IONBF, 0);
    const TagMap tags{{"Title", "ab"}};
    EXPECT_EQ(SaveTags(tags, readOnly), TkErrorFailed);
    EXPECT_EQ(SaveID3Tags(tags, readOnly), TkErrorFailed);
    EXPECT_EQ(SaveTag("ab", "INAM", readOnly), TkErrorFailed);
    EXPECT_EQ(SaveID3TagAsRIFF(TagMap{}, readOnly), TkErrorInvalidArgument);
    fclose(readOnly);
}
