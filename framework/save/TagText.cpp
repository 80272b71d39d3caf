// UTF-8 to UTF-16LE by hand (the mapping is fixed and small) and UTF-8 to
// CP932 through iconv, replacing what cannot be converted by "?".
#include "save/TagText.h"

#include <cerrno>
#include <iconv.h>

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// Length of the UTF-8 sequence that starts with lead, or 0 for a byte that
// cannot start one.
size_t Utf8SequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Decodes one code point at text[pos]; advances pos. Malformed input yields
// U+FFFD and advances by one byte.
uint32_t DecodeUtf8(const std::string& text, size_t& pos) {
    const auto lead = static_cast<uint8_t>(text[pos]);
    const size_t length = Utf8SequenceLength(lead);
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return kReplacementCharacter;
    }
    if (length == 1) {
        ++pos;
        return lead;
    }
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<uint8_t>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacementCharacter;
        }
        code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are malformed.
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        ++pos;
        return kReplacementCharacter;
    }
    pos += length;
    return code;
}

void AppendUnit(std::vector<uint8_t>& out, uint32_t unit) {
    out.push_back(static_cast<uint8_t>(unit & 0xFF));
    out.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
}

// Length of the (possibly malformed) UTF-8 character at the start of bytes,
// at least 1 and at most left.
size_t SkipLength(const char* bytes, size_t left) {
    const size_t length = Utf8SequenceLength(static_cast<uint8_t>(bytes[0]));
    if (length == 0 || length > left) return 1;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<uint8_t>(bytes[i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

} // namespace

std::vector<uint8_t> Utf8ToUtf16(const std::string& text) {
    std::vector<uint8_t> out;
    out.reserve(text.size() * 2);
    size_t pos = 0;
    while (pos < text.size()) {
        const uint32_t code = DecodeUtf8(text, pos);
        if (code >= 0x10000) {
            const uint32_t v = code - 0x10000;
            AppendUnit(out, 0xD800 + (v >> 10));
            AppendUnit(out, 0xDC00 + (v & 0x3FF));
        } else {
            AppendUnit(out, code);
        }
    }
    return out;
}

std::string ValidUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t start = pos;
        if (DecodeUtf8(text, pos) == kReplacementCharacter && pos - start == 1) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(text, start, pos - start);
        }
    }
    return out;
}

size_t ToUtf16(std::vector<uint8_t>& out, const std::string& value) {
    out = Utf8ToUtf16(value);
    return out.size();
}

std::string Utf8ToShiftJIS(const std::string& text) {
    std::string out;
    if (text.empty()) return out;
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Without the converter keep ASCII and mark everything else.
        size_t pos = 0;
        while (pos < text.size()) {
            const uint32_t code = DecodeUtf8(text, pos);
            out.push_back(code < 0x80 ? static_cast<char>(code) : '?');
        }
        return out;
    }
    std::string input = text;
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ: no CP932 form or malformed input; EINVAL: cut-off sequence.
        // Either way one character becomes the substitute and is skipped.
        out.push_back('?');
        const size_t skip = SkipLength(in, inLeft);
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    return out;
}
