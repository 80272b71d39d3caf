// Reading and recognising cover pictures. PNG: an 8-byte signature, then
// chunks of a 4-byte big-endian length, a 4-byte type, the data and a CRC;
// IHDR comes first (width, height, bit depth, colour type) and PLTE, when
// present, before the image data (the PNG standard, ISO/IEC 15948, 5.3 and
// 11.2). JPEG: markers 0xFF xx, each but SOI, EOI, TEM and RSTn followed by
// a 2-byte big-endian segment length that counts itself; a start-of-frame
// segment (SOF0 to SOF15 except DHT, JPG and DAC) holds precision, height,
// width and component count (ITU-T T.81, B.2.2).
#include "save/CoverImage.h"

#include "platform/FileHelpers.h"
#include "save/ByteOrder.h"
#include "save/SaveDsfFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kPictureFieldBytes = 32; // type, MIME length, description length, 4 x size, data length

uint32_t GetBE16(const uint8_t* in) { return static_cast<uint32_t>(in[0]) << 8 | in[1]; }

// Samples per pixel of a PNG colour type; 0 for an unknown one.
uint32_t PngChannels(uint8_t colourType) {
    switch (colourType) {
    case 0: return 1; // greyscale
    case 2: return 3; // truecolour
    case 3: return 1; // indexed
    case 4: return 2; // greyscale with alpha
    case 6: return 4; // truecolour with alpha
    default: return 0;
    }
}

bool DescribePng(CoverImage& image) {
    const std::vector<uint8_t>& d = image.data;
    if (d.size() < 33 || std::memcmp(d.data(), kPngSignature, 8) != 0 || byteorder::GetBE32(&d[8]) != 13 ||
        std::memcmp(&d[12], "IHDR", 4) != 0) {
        return false;
    }
    image.width = byteorder::GetBE32(&d[16]);
    image.height = byteorder::GetBE32(&d[20]);
    const uint8_t bitDepth = d[24];
    const uint8_t colourType = d[25];
    const uint32_t channels = PngChannels(colourType);
    if (image.width == 0 || image.height == 0 || channels == 0) return false;
    image.mimeType = "image/png";
    image.colors = 0;
    // Palette entries are 8-bit RGB whatever the index depth.
    image.depth = colourType == 3 ? 24 : channels * bitDepth;
    for (size_t at = 33; colourType == 3 && at + 8 <= d.size();) {
        const uint32_t length = byteorder::GetBE32(&d[at]);
        if (std::memcmp(&d[at + 4], "PLTE", 4) == 0) {
            image.colors = length / 3;
            break;
        }
        if (std::memcmp(&d[at + 4], "IDAT", 4) == 0) break;
        at += 12 + static_cast<size_t>(length);
    }
    return true;
}

bool IsStartOfFrame(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool DescribeJpeg(CoverImage& image) {
    const std::vector<uint8_t>& d = image.data;
    if (d.size() < 4 || d[0] != 0xFF || d[1] != 0xD8) return false;
    size_t at = 2;
    while (at + 4 <= d.size()) {
        if (d[at] != 0xFF) return false;
        const uint8_t marker = d[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        // The image data follows the scan header; a frame header comes before it.
        if (marker == 0xD9 || marker == 0xDA) return false;
        const uint32_t length = GetBE16(&d[at + 2]);
        if (length < 2 || at + 2 + length > d.size()) return false;
        if (IsStartOfFrame(marker)) {
            if (length < 8) return false;
            const uint8_t* frame = &d[at + 4];
            image.height = GetBE16(frame + 1);
            image.width = GetBE16(frame + 3);
            image.depth = static_cast<uint32_t>(frame[0]) * frame[5];
            image.colors = 0;
            image.mimeType = "image/jpeg";
            return image.width != 0 && image.depth != 0;
        }
        at += 2 + length;
    }
    return false;
}

std::string Named(const std::string& path) { return "the cover image " + path; }

} // namespace

uint64_t PictureBlockBytes(const std::string& mimeType, uint64_t dataBytes) {
    return kPictureFieldBytes + mimeType.size() + dataBytes;
}

bool DescribeCoverImage(CoverImage& image) { return DescribePng(image) || DescribeJpeg(image); }

CoverProblem LoadCoverImage(const std::string& path, CoverImage& image, std::string& message) {
    image = CoverImage{};
    message.clear();
    FILE* file = nullptr;
    const int openError = _tfopen_s(&file, path.c_str(), "rb");
    if (openError != 0) {
        message = FailureWithErrno(("cannot read " + Named(path)).c_str(), openError);
        return CoverProblem::Unreadable;
    }
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        fclose(file);
        message = FailureWithErrno(("cannot read " + Named(path)).c_str(), error);
        return CoverProblem::Unreadable;
    }
    // A file too large even with the shorter MIME type is only read as far
    // as needed to tell what it is.
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    const bool tooLarge = PictureBlockBytes("image/png", size) > kFlacMaxMetadataBlockBytes;
    image.data.resize(tooLarge ? std::min<uint64_t>(size, 65536) : size);
    errno = 0;
    const bool read = fread(image.data.data(), 1, image.data.size(), file) == image.data.size();
    const int readError = errno;
    fclose(file);
    if (!read) {
        message = FailureWithErrno(("cannot read " + Named(path)).c_str(), readError);
        return CoverProblem::Unreadable;
    }
    if (!DescribeCoverImage(image)) {
        message = Named(path) + " is not a PNG or JPEG picture";
        return CoverProblem::NotPngOrJpeg;
    }
    const uint64_t blockBytes = PictureBlockBytes(image.mimeType, size);
    if (blockBytes > kFlacMaxMetadataBlockBytes) {
        message = Named(path) + " is too large for a FLAC file: its picture block would be " +
                  std::to_string(blockBytes) + " bytes, and a FLAC metadata block holds at most 16777215";
        image.data.clear();
        return CoverProblem::TooLarge;
    }
    return CoverProblem::None;
}
