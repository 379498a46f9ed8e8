// The pictures: their BMP headers, sizes and palette, and what the drawing code relies on in them
// (the puff's grey, the sprite and its mask, the road at the supports, the panel strip, a calm
// background behind the bridge). The headers are parsed here directly.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "resources/embedded_resources.h"
#include "resources/program_resources.h"

namespace {

enum Vga : uint8_t {
    BLACK,
    MAROON,
    GREEN,
    OLIVE,
    NAVY,
    PURPLE,
    TEAL,
    SILVER,
    GREY,
    RED,
    LIME,
    YELLOW,
    BLUE,
    FUCHSIA,
    AQUA,
    WHITE
};

// The standard 16-colour palette as 0xRRGGBB.
constexpr std::array<uint32_t, 16> VGA_PALETTE = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                  0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                  0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

uint32_t le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
uint16_t le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// A 4-bit uncompressed BMP with a BITMAPINFOHEADER, read into palette indices, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::array<uint32_t, 16> palette{};
    std::vector<uint8_t> index;

    uint8_t at(int x, int y) const { return index[size_t(y) * size_t(width) + size_t(x)]; }
};

// Returns "" when the file is a well-formed 4-bit picture, otherwise what is wrong with it.
std::string readPicture(const EmbeddedResource& r, Picture& out) {
    const unsigned char* p = r.begin;
    size_t size = r.size();
    if (size < 14 + 40 + 64 || p[0] != 'B' || p[1] != 'M') return "no BMP signature";
    if (le32(p + 2) != size) return "file size field differs from the file";
    uint32_t offset = le32(p + 10);
    const unsigned char* info = p + 14;
    if (le32(info) != 40) return "not a BITMAPINFOHEADER";
    int32_t width = int32_t(le32(info + 4));
    int32_t height = int32_t(le32(info + 8));
    if (le16(info + 12) != 1 || le16(info + 14) != 4) return "not one plane of 4 bits";
    if (le32(info + 16) != 0) return "compressed";
    uint32_t colours = le32(info + 32);
    if (colours != 0 && colours != 16) return "palette is not 16 colours";
    if (width <= 0 || height <= 0) return "not a bottom-up picture of positive size";
    size_t stride = (size_t(width) * 4 + 31) / 32 * 4;
    if (offset != 14 + 40 + 64 || offset + stride * size_t(height) != size) return "pixel data misplaced";
    for (int i = 0; i < 16; ++i) {
        const unsigned char* q = info + 40 + 4 * i;  // blue, green, red, reserved
        out.palette[size_t(i)] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    }
    out.width = width;
    out.height = height;
    out.index.assign(size_t(width) * size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = p + offset + stride * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            unsigned char b = row[x / 2];
            out.index[size_t(y) * size_t(width) + size_t(x)] = uint8_t(x % 2 == 0 ? b >> 4 : b & 15);
        }
    }
    return "";
}

Picture picture(const char* name) {
    Picture pic;
    const EmbeddedResource* r = findResource(name);
    EXPECT_NE(r, nullptr) << name;
    if (r != nullptr) {
        EXPECT_EQ(readPicture(*r, pic), "") << name;
    }
    return pic;
}

}  // namespace

// Every picture is a 4-bit BMP of its stated size in the standard palette.
TEST(Pictures, HeadersSizesAndPalette) {
    struct Expected {
        const char* name;
        int width, height;
    };
    for (Expected e : {Expected{RES_SITE_PICTURE, 640, 480}, Expected{RES_TITLE_PICTURE, 640, 480},
                       Expected{RES_TRUCK, 54, 15}, Expected{RES_TRUCK_MASK, 54, 15},
                       Expected{RES_ICON, 32, 32}, Expected{RES_ICON_SMALL, 16, 16}}) {
        Picture pic = picture(e.name);
        EXPECT_EQ(pic.width, e.width) << e.name;
        EXPECT_EQ(pic.height, e.height) << e.name;
        EXPECT_EQ(pic.palette, VGA_PALETTE) << e.name;
    }
}

// The reader refuses what it cannot read, so the checks above mean something.
TEST(Pictures, MalformedHeadersAreRefused) {
    const EmbeddedResource* truck = findResource(RES_TRUCK);
    ASSERT_NE(truck, nullptr);
    std::vector<unsigned char> copy(truck->begin, truck->end);
    auto check = [&](size_t at, unsigned char value) {
        std::vector<unsigned char> bad = copy;
        bad[at] = value;
        EmbeddedResource r{"bad", ResourceKind::Picture, bad.data(), bad.data() + bad.size()};
        Picture pic;
        return readPicture(r, pic);
    };
    EXPECT_EQ(check(0, 'X'), "no BMP signature");
    EXPECT_EQ(check(14 + 14, 8), "not one plane of 4 bits");
    EXPECT_EQ(check(14 + 16, 2), "compressed");
    EXPECT_EQ(check(2, 0), "file size field differs from the file");
}

// The intro draws its puff at column 65, rows 225..236, and repaints it with silver: the picture
// must be silver there.
TEST(Pictures, TitleIsSilverWhereThePuffRises) {
    Picture title = picture(RES_TITLE_PICTURE);
    ASSERT_EQ(title.height, 480);
    for (int y = 224; y <= 237; ++y) EXPECT_EQ(title.at(65, y), SILVER) << "row " << y;
}

// AND with the mask, then XOR with the truck: the truck must be black wherever the mask is white,
// or the background would be changed around it. The mask is black and white only.
TEST(Pictures, TruckAndMaskAgree) {
    Picture truck = picture(RES_TRUCK);
    Picture mask = picture(RES_TRUCK_MASK);
    ASSERT_EQ(truck.index.size(), mask.index.size());
    int opaque = 0;
    for (size_t i = 0; i < mask.index.size(); ++i) {
        ASSERT_TRUE(mask.index[i] == BLACK || mask.index[i] == WHITE) << "pixel " << i;
        if (mask.index[i] == WHITE) {
            EXPECT_EQ(truck.index[i], BLACK) << "pixel " << i;
        }
        opaque += mask.index[i] == BLACK;
    }
    // Shape: a white box trailer on the left, wheels on the bottom row, the cab at the right end.
    int trailerWhite = 0;
    for (int y = 1; y < 9; ++y)
        for (int x = 1; x < 40; ++x) trailerWhite += truck.at(x, y) == WHITE;
    EXPECT_GT(trailerWhite, 39 * 8 / 2);
    EXPECT_EQ(mask.at(0, 0), BLACK);
    int wheelPixels = 0;
    for (int x = 0; x < 54; ++x) wheelPixels += mask.at(x, 14) == BLACK;
    EXPECT_GT(wheelPixels, 0);
    EXPECT_EQ(mask.at(53, 8), BLACK);
    EXPECT_GT(opaque, 54 * 15 / 2);
    // The intro repaints window rows 235 and 236 of column 65 (sprite column 45, rows 0 and 1) with
    // silver as the puff rises: the truck must leave them to the background.
    EXPECT_EQ(mask.at(45, 0), WHITE);
    EXPECT_EQ(mask.at(45, 1), WHITE);
}

// The site: panels are written in black on the white strip, rows 374..479; the road's surface is
// row 250 on both sides up to the supports, where the truck's wheels (rows up to 249) stand.
TEST(Pictures, SiteStripAndRoad) {
    Picture site = picture(RES_SITE_PICTURE);
    ASSERT_EQ(site.height, 480);
    for (int y = 374; y < 480; ++y)
        for (int x = 0; x < 640; ++x) ASSERT_EQ(site.at(x, y), WHITE) << x << ", " << y;
    for (int x = 0; x < 640; ++x) {
        if (x > 150 && x < 550) continue;
        EXPECT_EQ(site.at(x, 250), GREY) << "road at column " << x;
        EXPECT_NE(site.at(x, 249), GREY) << "above the road at column " << x;
    }
}

// Behind the bridge (between the supports, rows 146..320) the picture has no black, red or yellow,
// the colours of members, failed members and the selection, and the sky above the deck is plain.
TEST(Pictures, SiteIsCalmBehindTheBridge) {
    Picture site = picture(RES_SITE_PICTURE);
    ASSERT_EQ(site.height, 480);
    for (int y = 146; y <= 320; ++y) {
        for (int x = 151; x <= 549; ++x) {
            uint8_t c = site.at(x, y);
            ASSERT_TRUE(c != BLACK && c != RED && c != YELLOW) << x << ", " << y;
            if (y <= 250) {
                ASSERT_EQ(c, site.at(350, 200)) << x << ", " << y;
            }
        }
    }
    // The collapsed bridge comes to rest on the gorge floor at row 330: water lies just below it.
    int water = 0;
    for (int x = 200; x < 500; ++x) {
        uint8_t c = site.at(x, 336);
        water += c == BLUE || c == AQUA || c == WHITE || c == NAVY;
    }
    EXPECT_EQ(water, 300);
}
