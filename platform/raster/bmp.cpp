// BMP decoding and encoding. All multi-byte fields are little-endian and read byte by byte, so the
// code neither depends on the host's byte order nor reads unaligned words.
#include "platform/raster/bmp.h"

#include <cstdio>
#include <utility>

namespace {

constexpr size_t FILE_HEADER_BYTES = 14;
constexpr uint32_t INFO_HEADER_BYTES = 40;  // BITMAPINFOHEADER; V4 and V5 headers extend it
constexpr uint32_t LARGEST_INFO_HEADER_BYTES = 124;
constexpr uint32_t COMPRESSION_NONE = 0;  // BI_RGB

uint16_t readU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t readS32(const uint8_t* p) {
    return int32_t(readU32(p));
}

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

// Bytes in one stored row: rows are padded to a multiple of four bytes.
uint64_t rowStride(int64_t width, int bitsPerPixel) {
    return uint64_t((width * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace

const char* bmpStatusText(BmpStatus status) {
    switch (status) {
        case BmpStatus::Ok:
            return "the picture was read";
        case BmpStatus::NotBmp:
            return "the file is not a BMP picture";
        case BmpStatus::UnsupportedHeader:
            return "the BMP header is of an unsupported kind or cut short";
        case BmpStatus::BadDimensions:
            return "the picture's width or height is zero, negative or too large";
        case BmpStatus::UnsupportedFormat:
            return "the picture is compressed or has an unsupported colour depth";
        case BmpStatus::BadPalette:
            return "the colour palette is too long or cut short";
        case BmpStatus::BadPixelOffset:
            return "the pixel data offset lies outside the file";
        case BmpStatus::Truncated:
            return "the pixel data is truncated";
        case BmpStatus::BadPaletteIndex:
            return "a pixel refers to a colour the palette does not have";
    }
    return "unknown BMP status";
}

BmpStatus decodeBmp(std::span<const uint8_t> file, Surface& out) {
    const uint8_t* data = file.data();
    const uint64_t size = file.size();
    if (size < FILE_HEADER_BYTES + 4 || data[0] != 'B' || data[1] != 'M') return BmpStatus::NotBmp;
    const uint32_t pixelOffset = readU32(data + 10);

    const uint32_t headerBytes = readU32(data + FILE_HEADER_BYTES);
    if (headerBytes < INFO_HEADER_BYTES || headerBytes > LARGEST_INFO_HEADER_BYTES ||
        FILE_HEADER_BYTES + headerBytes > size) {
        return BmpStatus::UnsupportedHeader;
    }
    const uint8_t* info = data + FILE_HEADER_BYTES;
    const int64_t width = readS32(info + 4);
    const int64_t signedHeight = readS32(info + 8);
    const uint16_t planes = readU16(info + 12);
    const uint16_t bitsPerPixel = readU16(info + 14);
    const uint32_t compression = readU32(info + 16);
    const uint32_t coloursUsed = readU32(info + 32);

    // A negative height marks a top-down picture.
    const bool topDown = signedHeight < 0;
    const int64_t height = topDown ? -signedHeight : signedHeight;
    if (width <= 0 || height <= 0 || width > BMP_MAX_SIDE || height > BMP_MAX_SIDE ||
        width * height > BMP_MAX_PIXELS) {
        return BmpStatus::BadDimensions;
    }
    const bool paletted = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8;
    if (planes != 1 || compression != COMPRESSION_NONE || !(paletted || bitsPerPixel == 24)) {
        return BmpStatus::UnsupportedFormat;
    }

    // The palette follows the info header: 4 bytes (blue, green, red, unused) per colour.
    Color palette[256] = {};
    uint32_t paletteSize = 0;
    const uint64_t paletteStart = FILE_HEADER_BYTES + headerBytes;
    if (paletted) {
        const uint32_t maxColours = 1u << bitsPerPixel;
        paletteSize = coloursUsed == 0 ? maxColours : coloursUsed;
        if (paletteSize > maxColours || paletteStart + uint64_t(paletteSize) * 4 > size) {
            return BmpStatus::BadPalette;
        }
        for (uint32_t i = 0; i < paletteSize; ++i) {
            const uint8_t* entry = data + paletteStart + i * 4;
            palette[i] = rgb(entry[2], entry[1], entry[0]);
        }
    }
    const uint64_t headersEnd = paletteStart + uint64_t(paletteSize) * 4;
    if (pixelOffset < headersEnd || pixelOffset >= size) return BmpStatus::BadPixelOffset;

    const uint64_t stride = rowStride(width, bitsPerPixel);
    // The last row need not carry its padding.
    const uint64_t lastRowBytes = uint64_t((width * bitsPerPixel + 7) / 8);
    if (pixelOffset + stride * uint64_t(height - 1) + lastRowBytes > size) return BmpStatus::Truncated;

    std::vector<Color> pixels(size_t(width * height));
    for (int64_t stored = 0; stored < height; ++stored) {
        const uint8_t* src = data + pixelOffset + uint64_t(stored) * stride;
        const int64_t y = topDown ? stored : height - 1 - stored;
        Color* dst = pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x) {
            if (bitsPerPixel == 24) {
                const uint8_t* p = src + x * 3;
                dst[x] = rgb(p[2], p[1], p[0]);
                continue;
            }
            // Palette indices are packed from the high bits of each byte down.
            const int64_t bitOffset = x * bitsPerPixel;
            const uint8_t byte = src[bitOffset / 8];
            const int shift = 8 - bitsPerPixel - int(bitOffset % 8);
            const uint32_t index = (byte >> shift) & ((1u << bitsPerPixel) - 1);
            if (index >= paletteSize) return BmpStatus::BadPaletteIndex;
            dst[x] = palette[index];
        }
    }
    out = Surface::fromPixels(int(width), int(height), std::move(pixels));
    return BmpStatus::Ok;
}

std::vector<uint8_t> encodeBmp24(const Surface& surface) {
    const int width = surface.width();
    const int height = surface.height();
    const uint64_t stride = rowStride(width, 24);
    const uint32_t pixelOffset = FILE_HEADER_BYTES + INFO_HEADER_BYTES;
    const uint64_t fileSize = pixelOffset + stride * uint64_t(height);

    std::vector<uint8_t> out;
    out.reserve(size_t(fileSize));
    out.push_back('B');
    out.push_back('M');
    putU32(out, uint32_t(fileSize));
    putU32(out, 0);  // reserved
    putU32(out, pixelOffset);
    putU32(out, INFO_HEADER_BYTES);
    putU32(out, uint32_t(width));
    putU32(out, uint32_t(height));  // positive: bottom-up
    putU16(out, 1);                 // planes
    putU16(out, 24);
    putU32(out, COMPRESSION_NONE);
    putU32(out, uint32_t(stride * uint64_t(height)));
    putU32(out, 3780);  // 96 dots per inch, in dots per metre
    putU32(out, 3780);
    putU32(out, 0);  // colours used
    putU32(out, 0);  // important colours
    for (int y = height - 1; y >= 0; --y) {
        const Color* row = surface.row(y);
        for (int x = 0; x < width; ++x) {
            out.push_back(uint8_t(blueOf(row[x])));
            out.push_back(uint8_t(greenOf(row[x])));
            out.push_back(uint8_t(redOf(row[x])));
        }
        for (uint64_t pad = uint64_t(width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

bool writeBmpFile(const char* path, const Surface& surface) {
    const std::vector<uint8_t> bytes = encodeBmp24(surface);
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}
