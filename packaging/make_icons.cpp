// make_icons: the program's icons for desktop menus and file managers, made at build time from its
// icon art by whole-number enlargement, so that every pixel of the art stays a crisp square.
// Usage: make_icons ART16.bmp ART32.bmp OUTDIR; writes OUTDIR/NxN/apps/trussmill.png for each size.
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/png_file.h"
#include "files/file_paths.h"
#include "platform/raster/bmp.h"

namespace {

// The icon art is 16 x 16 and 32 x 32; a few kilobytes covers either with room to spare.
constexpr size_t kMaxArtBytes = 1 << 16;

// Which art each size is made from and by what factor. 48 enlarges the 16-pixel art three times
// rather than the 32-pixel art by one and a half, which would smear it.
struct IconSize {
    int pixels;
    bool smallArt;  // the 16-pixel art, else the 32-pixel art
    int factor;
};
constexpr IconSize kSizes[] = {{16, true, 1},  {32, false, 1},  {48, true, 3},
                               {64, false, 2}, {128, false, 4}, {256, false, 8}};

bool loadArt(const char* path, Surface& art) {
    std::string bytes;
    if (!readWholeFile(path, bytes, kMaxArtBytes)) {
        std::fprintf(stderr, "make_icons: %s: cannot be read\n", path);
        return false;
    }
    const BmpStatus status = decodeBmp({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, art);
    if (status != BmpStatus::Ok) {
        std::fprintf(stderr, "make_icons: %s: %s\n", path, bmpStatusText(status));
        return false;
    }
    return true;
}

// Nearest-neighbour enlargement: every art pixel becomes a factor x factor square.
Surface enlarged(const Surface& art, int factor) {
    Surface out(art.width() * factor, art.height() * factor);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) out.setPixel(x, y, art.pixel(x / factor, y / factor));
    }
    return out;
}

// mkdir -p for the few levels below the output folder.
bool makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("Usage: make_icons ART16.bmp ART32.bmp OUTDIR\n", stderr);
        return 2;
    }
    Surface small;
    Surface large;
    if (!loadArt(argv[1], small) || !loadArt(argv[2], large)) return 1;
    if (small.width() != 16 || small.height() != 16 || large.width() != 32 || large.height() != 32) {
        std::fputs("make_icons: the art must be 16 x 16 and 32 x 32 pixels\n", stderr);
        return 1;
    }
    for (const IconSize& size : kSizes) {
        const Surface icon = enlarged(size.smallArt ? small : large, size.factor);
        char folder[64];
        std::snprintf(folder, sizeof folder, "/%dx%d/apps", size.pixels, size.pixels);
        const std::string dir = std::string(argv[3]) + folder;
        const std::string path = dir + "/trussmill.png";
        if (!makeFolders(dir) || !writePngFile(path.c_str(), icon)) {
            std::fprintf(stderr, "make_icons: %s: cannot be written\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
