// PNG output: libpng encodes into memory, and the bytes go to disk through the same atomic write
// as every other file the program makes.
#include "cli/png_file.h"

#include <png.h>

#include <string>
#include <vector>

#include "files/file_paths.h"

namespace {

void appendToString(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void noFlush(png_structp) {}

// libpng reports errors by longjmp; this keeps everything that must be destroyed outside it.
bool encode(const Surface& surface, std::string& out, std::vector<png_byte>& row) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, appendToString, noFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(surface.width()),
                 static_cast<png_uint_32>(surface.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < surface.height(); ++y) {
        const Color* pixels = surface.row(y);
        for (int x = 0; x < surface.width(); ++x) {
            row[size_t(x) * 3 + 0] = static_cast<png_byte>(redOf(pixels[x]));
            row[size_t(x) * 3 + 1] = static_cast<png_byte>(greenOf(pixels[x]));
            row[size_t(x) * 3 + 2] = static_cast<png_byte>(blueOf(pixels[x]));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePngFile(const char* path, const Surface& surface) {
    if (surface.width() <= 0 || surface.height() <= 0) return false;
    std::string bytes;
    std::vector<png_byte> row(size_t(surface.width()) * 3);
    if (!encode(surface, bytes, row)) return false;
    return writeFileAtomically(path, bytes);
}
