// Surface storage, drawing state, rectangles, pixels, blits and text. Lines and ellipses live in
// lines.cpp and ellipse.cpp.
#include "platform/raster/surface.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

Rect intersection(Rect a, Rect b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return r.empty() ? Rect{} : r;
}

Rect unionOf(Rect a, Rect b) {
    if (a.empty()) return b.empty() ? Rect{} : b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

Surface::Surface(int width, int height, Color fill) {
    resize(width, height, fill);
}

Surface Surface::fromPixels(int width, int height, std::vector<Color> pixels) {
    assert(width >= 0 && height >= 0 && pixels.size() == size_t(width) * size_t(height) &&
           "fromPixels needs exactly width * height pixels");
    Surface surface;
    surface.pixels_ = std::move(pixels);
    surface.width_ = width;
    surface.height_ = height;
    surface.dirty_ = surface.bounds().empty() ? Rect{} : surface.bounds();
    return surface;
}

Color Surface::pixel(int x, int y) const {
    assert(x >= 0 && x < width_ && y >= 0 && y < height_ && "pixel() outside the surface");
    return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

const Color* Surface::row(int y) const {
    assert(y >= 0 && y < height_ && "row() outside the surface");
    return pixels_.data() + size_t(y) * size_t(width_);
}

void Surface::resize(int width, int height, Color fill) {
    assert(width >= 0 && height >= 0 && "a surface cannot have a negative size");
    std::vector<Color> resized(size_t(width) * size_t(height), fill);
    const int keepWidth = std::min(width, width_);
    const int keepHeight = std::min(height, height_);
    // A surface of no width has no pixels to copy into (and resized.data() may be null).
    for (int y = 0; keepWidth > 0 && y < keepHeight; ++y) {
        std::memcpy(resized.data() + size_t(y) * size_t(width), row(y), size_t(keepWidth) * sizeof(Color));
    }
    pixels_.swap(resized);
    width_ = width;
    height_ = height;
    dirty_ = bounds().empty() ? Rect{} : bounds();
}

Pen Surface::selectPen(Pen pen) {
    const Pen old = pen_;
    pen_ = pen;
    return old;
}

Brush Surface::selectBrush(Brush brush) {
    const Brush old = brush_;
    brush_ = brush;
    return old;
}

Color Surface::setTextColor(Color color) {
    const Color old = textColor_;
    textColor_ = color;
    return old;
}

Color Surface::setBackgroundColor(Color color) {
    const Color old = backgroundColor_;
    backgroundColor_ = color;
    return old;
}

TextMode Surface::setTextMode(TextMode mode) {
    const TextMode old = textMode_;
    textMode_ = mode;
    return old;
}

const BitmapFont& Surface::selectFont(const BitmapFont& font) {
    const BitmapFont& old = *font_;
    font_ = &font;
    return old;
}

Rect Surface::takeDirtyRect() {
    const Rect dirty = dirty_;
    dirty_ = Rect{};
    return dirty;
}

void Surface::setPixel(int x, int y, Color color) {
    if (x < 0 || x >= width_ || y < 0 || y >= height_) return;
    *at(x, y) = color;
    markDirty({x, y, x + 1, y + 1});
}

void Surface::fillRect(Rect area, Color color) {
    const Rect clipped = intersection(area, bounds());
    if (clipped.empty()) return;
    for (int y = clipped.top; y < clipped.bottom; ++y) {
        std::fill_n(at(clipped.left, y), clipped.width(), color);
    }
    markDirty(clipped);
}

void Surface::moveTo(int x, int y) {
    position_ = {x, y};
}

void Surface::textOut(int x, int y, std::string_view text) {
    if (x >= width_ || y >= height_) return;
    const BitmapFont& font = *font_;
    // Widen before multiplying so that a long text far off the surface cannot overflow.
    const int64_t textRight = int64_t(x) + int64_t(text.size()) * font.advance;
    const Rect box{x, y, int(std::min<int64_t>(textRight, int64_t(width_) + font.advance)),
                   y + font.cellHeight};
    const Rect clipped = intersection(box, bounds());
    if (clipped.empty()) return;

    const bool opaque = textMode_ == TextMode::Opaque;
    for (int py = clipped.top; py < clipped.bottom; ++py) {
        const int glyphRow = py - y;
        Color* out = at(clipped.left, py);
        for (int px = clipped.left; px < clipped.right; ++px, ++out) {
            const int offset = px - x;
            const auto code = static_cast<unsigned char>(text[size_t(offset / font.advance)]);
            const uint8_t bits = font.glyph(code)[glyphRow];
            const bool ink = (bits & (0x80u >> (offset % font.advance))) != 0;
            if (ink) {
                *out = textColor_;
            } else if (opaque) {
                *out = backgroundColor_;
            }
        }
    }
    markDirty(clipped);
}

namespace {

// Combines one row; callers must clip.
void combineRow(Color* dst, const Color* src, int count, RasterOp op) {
    switch (op) {
        case RasterOp::Copy:
            std::memmove(dst, src, size_t(count) * sizeof(Color));
            break;
        case RasterOp::And:
            for (int i = 0; i < count; ++i) dst[i] &= src[i];
            break;
        case RasterOp::Xor:
            // The colour bits combine; the top byte stays 0xFF.
            for (int i = 0; i < count; ++i) dst[i] = (dst[i] ^ src[i]) | 0xFF000000u;
            break;
    }
}

}  // namespace

void blit(Surface& dst, int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
          RasterOp op) {
    if (width <= 0 || height <= 0) return;
    // Clip in destination coordinates against both surfaces at once, in 64 bits so that no
    // combination of arguments can overflow.
    const int64_t left = std::max({int64_t(x), int64_t(0), int64_t(x) - srcX});
    const int64_t top = std::max({int64_t(y), int64_t(0), int64_t(y) - srcY});
    const int64_t right = std::min({int64_t(x) + width, int64_t(dst.width_), int64_t(x) - srcX + src.width_});
    const int64_t bottom =
        std::min({int64_t(y) + height, int64_t(dst.height_), int64_t(y) - srcY + src.height_});
    if (right <= left || bottom <= top) return;
    const Rect clipped{int(left), int(top), int(right), int(bottom)};

    const int64_t dx = int64_t(srcX) - x;  // source column = destination column + dx
    const int64_t dy = int64_t(srcY) - y;
    const int count = clipped.width();
    // When a surface is blitted onto itself and the rows overlap downward, go from the bottom up so
    // that no source row is overwritten before it is read; memmove handles overlap within a row.
    const bool bottomUp = &dst == &src && dy < 0;
    for (int i = 0; i < clipped.height(); ++i) {
        const int row = bottomUp ? clipped.bottom - 1 - i : clipped.top + i;
        const Color* from =
            src.pixels_.data() + size_t(row + dy) * size_t(src.width_) + size_t(clipped.left + dx);
        Color* to = dst.at(clipped.left, row);
        if (&dst == &src && op != RasterOp::Copy && dy == 0 && dx != 0) {
            // Element-wise ops within one row overlapping sideways: go through a copy of the row.
            std::vector<Color> copy(from, from + count);
            combineRow(to, copy.data(), count, op);
        } else {
            combineRow(to, from, count, op);
        }
    }
    dst.markDirty(clipped);
}
