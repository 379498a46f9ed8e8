// The BMP reader against hand-made files: palette and true-colour pictures in both row orders, and
// a catalogue of malformed files that must be refused without touching the target surface.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/raster/bmp.h"

namespace {

constexpr Color MARK = rgb(1, 2, 3);

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

// A file with a 40-byte info header, the given palette (BGR0 entries) and pixel rows already packed
// and padded by the caller.
std::vector<uint8_t> makeBmp(int32_t width, int32_t height, uint16_t bits, const std::vector<Color>& palette,
                             const std::vector<uint8_t>& pixelData) {
    const uint32_t offset = 14 + 40 + uint32_t(palette.size()) * 4;
    std::vector<uint8_t> b(offset, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(offset + pixelData.size()));
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 46, uint32_t(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
        b[54 + i * 4] = uint8_t(blueOf(palette[i]));
        b[54 + i * 4 + 1] = uint8_t(greenOf(palette[i]));
        b[54 + i * 4 + 2] = uint8_t(redOf(palette[i]));
    }
    b.insert(b.end(), pixelData.begin(), pixelData.end());
    return b;
}

const Color GREY = rgb(192, 192, 192);
const Color BLUE = rgb(0, 0, 128);

// A 3 x 2 picture of 16 colours with three palette entries used: stored rows are 4 bytes (3 pixels
// = 12 bits, padded). Visually: top row black, grey, blue; bottom row blue, blue, black.
std::vector<uint8_t> fourBitPicture(bool topDown) {
    const std::vector<uint8_t> top = {0x01, 0x20, 0x00, 0x00};
    const std::vector<uint8_t> bottom = {0x22, 0x00, 0x00, 0x00};
    std::vector<uint8_t> rows = topDown ? top : bottom;
    const std::vector<uint8_t>& second = topDown ? bottom : top;
    rows.insert(rows.end(), second.begin(), second.end());
    return makeBmp(3, topDown ? -2 : 2, 4, {BLACK, GREY, BLUE}, rows);
}

}  // namespace

TEST(BmpReader, ReadsPaletteAndTrueColourPictures) {
    // 4-bit pictures read the same whether stored bottom-up or top-down.
    for (const bool topDown : {false, true}) {
        Surface s;
        ASSERT_EQ(decodeBmp(fourBitPicture(topDown), s), BmpStatus::Ok) << topDown;
        ASSERT_EQ(s.width(), 3);
        ASSERT_EQ(s.height(), 2);
        EXPECT_EQ(s.pixel(0, 0), BLACK);
        EXPECT_EQ(s.pixel(1, 0), GREY);
        EXPECT_EQ(s.pixel(2, 0), BLUE);
        EXPECT_EQ(s.pixel(0, 1), BLUE);
        EXPECT_EQ(s.pixel(1, 1), BLUE);
        EXPECT_EQ(s.pixel(2, 1), BLACK);
    }

    // 24-bit: a 2 x 2 bottom-up picture, rows of 6 bytes padded to 8, colours stored blue first.
    const std::vector<uint8_t> rows = {0,   0, 255, 0,   255, 0,   0, 0,   // bottom: red, green
                                       255, 0, 0,   255, 255, 255, 0, 0};  // top: blue, white
    Surface s;
    ASSERT_EQ(decodeBmp(makeBmp(2, 2, 24, {}, rows), s), BmpStatus::Ok);
    EXPECT_EQ(s.pixel(0, 0), rgb(0, 0, 255));
    EXPECT_EQ(s.pixel(1, 0), WHITE);
    EXPECT_EQ(s.pixel(0, 1), rgb(255, 0, 0));
    EXPECT_EQ(s.pixel(1, 1), rgb(0, 255, 0));

    // 1-bit, as a two-colour mask: 9 pixels span two bytes.
    Surface mask;
    ASSERT_EQ(decodeBmp(makeBmp(9, 1, 1, {BLACK, WHITE}, {0xA5, 0x80, 0, 0}), mask), BmpStatus::Ok);
    const Color expected[] = {WHITE, BLACK, WHITE, BLACK, BLACK, WHITE, BLACK, WHITE, WHITE};
    for (int x = 0; x < 9; ++x) EXPECT_EQ(mask.pixel(x, 0), expected[x]) << x;

    // What the writer makes, the reader reads back pixel for pixel (odd width: padded rows).
    Surface drawn(7, 5, rgb(12, 34, 56));
    drawn.moveTo(0, 4);
    drawn.lineTo(7, 0);
    drawn.setPixel(6, 4, rgb(200, 100, 50));
    Surface back;
    ASSERT_EQ(decodeBmp(encodeBmp24(drawn), back), BmpStatus::Ok);
    EXPECT_EQ(back.pixels(), drawn.pixels());
}

TEST(BmpReader, RefusesMalformedFilesAndLeavesTheSurfaceAlone) {
    const std::vector<uint8_t> good = fourBitPicture(false);
    const auto check = [](const std::vector<uint8_t>& file, BmpStatus expected, const char* what) {
        Surface s(1, 1, MARK);
        EXPECT_EQ(decodeBmp(file, s), expected) << what;
        EXPECT_EQ(s.width(), 1) << what;
        EXPECT_EQ(s.pixel(0, 0), MARK) << what;
    };

    // Signature, headers.
    check({}, BmpStatus::NotBmp, "empty");
    std::vector<uint8_t> f = good;
    f[0] = 'P';
    check(f, BmpStatus::NotBmp, "signature");
    f = good;
    put32(f, 14, 12);
    check(f, BmpStatus::UnsupportedHeader, "OS/2 core header");
    f = good;
    put32(f, 14, 124);
    check(f, BmpStatus::UnsupportedHeader, "header longer than the file");

    // Dimensions.
    f = good;
    put32(f, 18, 0);
    check(f, BmpStatus::BadDimensions, "zero width");
    f = good;
    put32(f, 18, uint32_t(-3));
    check(f, BmpStatus::BadDimensions, "negative width");
    f = good;
    put32(f, 22, 0x80000000u);
    check(f, BmpStatus::BadDimensions, "most negative height");
    f = good;
    put32(f, 18, 8192);
    put32(f, 22, 8192);
    check(f, BmpStatus::BadDimensions, "too many pixels");

    // Formats.
    f = good;
    put32(f, 30, 2);
    check(f, BmpStatus::UnsupportedFormat, "run-length compressed");
    f = good;
    put16(f, 28, 32);
    check(f, BmpStatus::UnsupportedFormat, "32 bits");
    f = good;
    put16(f, 26, 2);
    check(f, BmpStatus::UnsupportedFormat, "two planes");

    // Palette and offsets.
    f = good;
    put32(f, 46, 17);
    check(f, BmpStatus::BadPalette, "17 colours at 4 bits");
    f = good;
    put32(f, 46, 200);
    put16(f, 28, 8);
    check(f, BmpStatus::BadPalette, "palette past the end");
    f = good;
    put32(f, 10, 20);
    check(f, BmpStatus::BadPixelOffset, "pixels inside the headers");
    f = good;
    put32(f, 10, 0xFFFFFFF0u);
    check(f, BmpStatus::BadPixelOffset, "pixels beyond the end");
    f = good;
    f[good.size() - 8] = 0x30;  // bottom row, first pixel: index 3 of a 3-colour palette
    check(f, BmpStatus::BadPaletteIndex, "palette index out of range");

    // Every cut of a good file is refused; only the padding of the last row may be missing.
    for (size_t length = 0; length < good.size(); ++length) {
        Surface s(1, 1, MARK);
        const std::vector<uint8_t> cut(good.begin(), good.begin() + ptrdiff_t(length));
        const BmpStatus status = decodeBmp(cut, s);
        if (length >= good.size() - 2) {
            EXPECT_EQ(status, BmpStatus::Ok) << length;
        } else {
            EXPECT_NE(status, BmpStatus::Ok) << length;
            EXPECT_EQ(s.pixel(0, 0), MARK) << length;
        }
    }

    // Random damage to the headers never reads out of bounds (run under the address sanitizer).
    std::mt19937 random(99);
    for (int trial = 0; trial < 3000; ++trial) {
        f = encodeBmp24(Surface(5, 3, MARK));
        const int changes = 1 + trial % 4;
        for (int i = 0; i < changes; ++i) f[random() % 54] = uint8_t(random());
        Surface s;
        if (decodeBmp(f, s) == BmpStatus::Ok) {
            EXPECT_EQ(size_t(s.width()) * size_t(s.height()), s.pixels().size());
        }
    }
}
