// The cover picture of FLAC track files: a PNG or JPEG file read whole, with
// what its PICTURE metadata block states about it (MIME type, width, height,
// bits per pixel, palette size). A picture block's body is 32 bytes of
// fields, the MIME type and the image (no description), and must fit the
// 24-bit length of a FLAC metadata block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CoverImage {
    std::string mimeType; // "image/png" or "image/jpeg"
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;  // bits per pixel
    uint32_t colors = 0; // palette entries of an indexed PNG, else 0
    std::vector<uint8_t> data;
};

// Largest body of a FLAC metadata block (its length field has 24 bits).
inline constexpr uint64_t kFlacMaxMetadataBlockBytes = 16777215;

// Bytes of the PICTURE block body for an image of dataBytes bytes.
uint64_t PictureBlockBytes(const std::string& mimeType, uint64_t dataBytes);

// Why a cover cannot be used.
enum class CoverProblem { None, Unreadable, NotPngOrJpeg, TooLarge };

// Reads the file at path into image. On a problem, message says why in a
// sentence for the user that names the file (with the system's reason when
// it cannot be read).
CoverProblem LoadCoverImage(const std::string& path, CoverImage& image, std::string& message);

// Fills the picture fields of image from its data: the PNG header (IHDR and
// PLTE chunks) or the JPEG frame header (SOFn segment). False when the data
// is neither.
bool DescribeCoverImage(CoverImage& image);
