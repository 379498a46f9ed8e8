// Windows BMP files to and from surfaces. The reader takes uncompressed palette pictures of 1, 4 or
// 8 bits per pixel and 24-bit true-colour pictures with a BITMAPINFOHEADER or one of its longer
// successors, stored bottom-up or top-down. It trusts nothing in the file: sizes, offsets, palette
// indices and the length of the data are all checked, and a refused file leaves the surface alone.
// The writer makes 24-bit bottom-up files, for looking at a surface while debugging.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/raster/surface.h"

// The largest picture the reader accepts: far above anything the program draws, low enough that a
// forged header cannot ask for an absurd allocation.
constexpr int BMP_MAX_SIDE = 8192;
constexpr int64_t BMP_MAX_PIXELS = int64_t(1) << 24;

enum class BmpStatus : uint8_t {
    Ok,
    NotBmp,             // no "BM" signature, or shorter than the two headers
    UnsupportedHeader,  // an OS/2 core header, or an info header that runs past the end
    BadDimensions,      // zero, negative width, or beyond the limits above
    UnsupportedFormat,  // compressed, bit fields, several planes, or a depth other than 1, 4, 8, 24
    BadPalette,         // more colours than the depth allows, or a palette that runs past the end
    BadPixelOffset,     // the pixel data starts inside the headers or beyond the end
    Truncated,          // fewer bytes of pixel data than the rows need
    BadPaletteIndex,    // a pixel names a palette entry the file does not have
};

// One line for a message, e.g. "the pixel data is truncated".
const char* bmpStatusText(BmpStatus status);

// Decodes a whole file held in memory into out (resized to the picture). On any status but Ok, out
// is unchanged.
BmpStatus decodeBmp(std::span<const uint8_t> file, Surface& out);

// A 24-bit bottom-up BMP of the whole surface.
std::vector<uint8_t> encodeBmp24(const Surface& surface);

// Writes encodeBmp24(surface) to path; false when the file cannot be written completely.
bool writeBmpFile(const char* path, const Surface& surface);
