// A surface is a rectangle of 32-bit pixels with the drawing state of a device context: pen, brush,
// current position, text colours and mode, and font. Pixels are 0xFFRRGGBB, row-major, rows from the
// top, with no padding, so a surface can be shown as a 32-bit RGB image without conversion.
// Coordinates are pixels, x to the right and y downward; rectangles exclude their right and bottom
// edges. Every drawing operation clips to the surface, so any coordinates are safe.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/raster/bitmap_font.h"

using Color = uint32_t;  // 0xFFRRGGBB; the top byte is always 0xFF

constexpr Color rgb(int red, int green, int blue) {
    return 0xFF000000u | (uint32_t(red & 0xFF) << 16) | (uint32_t(green & 0xFF) << 8) | uint32_t(blue & 0xFF);
}
constexpr int redOf(Color c) {
    return int((c >> 16) & 0xFF);
}
constexpr int greenOf(Color c) {
    return int((c >> 8) & 0xFF);
}
constexpr int blueOf(Color c) {
    return int(c & 0xFF);
}

constexpr Color BLACK = rgb(0, 0, 0);
constexpr Color WHITE = rgb(255, 255, 255);

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// Right and bottom are exclusive: {0, 0, 4, 4} covers 4 x 4 pixels.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(Rect, Rect) = default;
};

Rect intersection(Rect a, Rect b);  // empty ({0,0,0,0}) when they do not overlap
Rect unionOf(Rect a, Rect b);       // an empty rectangle adds nothing

// A solid pen. Width 0 or 1 draws the thin one-pixel lines whose pixels follow the exact rules below;
// wider pens cover a width x width square around every pixel of the thin line, its end included.
struct Pen {
    Color color = BLACK;
    int width = 1;
    friend bool operator==(Pen, Pen) = default;
};

// What fills the inside of an ellipse.
enum class Brush : uint8_t { White, Hollow };

// Opaque text fills the whole character cell with the background colour first.
enum class TextMode : uint8_t { Opaque, Transparent };

// How blit combines a source pixel s with the destination pixel d: s, d AND s, d XOR s. A sprite is
// drawn by AND-ing its mask (black where the sprite is, white elsewhere) and then XOR-ing its image
// (black outside the sprite).
enum class RasterOp : uint8_t { Copy, And, Xor };

class Surface {
  public:
    Surface() = default;  // 0 x 0; every drawing operation does nothing
    Surface(int width, int height, Color fill = WHITE);
    // Takes width * height pixels, row by row from the top.
    static Surface fromPixels(int width, int height, std::vector<Color> pixels);

    int width() const { return width_; }
    int height() const { return height_; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    // Reading pixels; (x, y) must lie inside the surface.
    Color pixel(int x, int y) const;
    const Color* row(int y) const;
    const std::vector<Color>& pixels() const { return pixels_; }

    // Changes the size, keeping the pixels that still fit in place and filling the rest with fill.
    // The drawing state is kept. A new or resized surface counts as drawn everywhere.
    void resize(int width, int height, Color fill = WHITE);

    // Drawing state. Each select returns what it replaces, so a caller can put it back.
    // A new surface has a black one-pixel pen, the white brush, position (0, 0), black opaque text on
    // white, and the embedded 8x14 font.
    Pen selectPen(Pen pen);
    Brush selectBrush(Brush brush);
    Color setTextColor(Color color);
    Color setBackgroundColor(Color color);  // fills behind opaque text
    TextMode setTextMode(TextMode mode);
    const BitmapFont& selectFont(const BitmapFont& font);  // the font must outlive its selection
    Pen pen() const { return pen_; }
    Brush brush() const { return brush_; }
    Color textColor() const { return textColor_; }
    Color backgroundColor() const { return backgroundColor_; }
    TextMode textMode() const { return textMode_; }
    const BitmapFont& font() const { return *font_; }
    Point currentPosition() const { return position_; }

    // Drawing.
    void setPixel(int x, int y, Color color);
    void fillRect(Rect area, Color color);
    void fill(Color color) { fillRect(bounds(), color); }

    // Sets the current position without drawing.
    void moveTo(int x, int y);

    // Draws with the pen from the current position to (x, y), which becomes the current position.
    // A thin line lights its first pixel but not its last, and one pixel per step along its longer
    // axis: at each step the pixel nearest the ideal line, a tie going to the smaller coordinate.
    // A line to the current position draws nothing.
    void lineTo(int x, int y);

    // An ellipse inscribed in the box whose right and bottom edges are exclusive: the outline with
    // the pen, the inside with the brush. The box (x-2, y-2, x+2, y+2) gives a 4 x 4 ring of eight
    // pixels around a 2 x 2 inside. Reversed corners are swapped; an empty box draws nothing.
    void ellipse(int left, int top, int right, int bottom);

    // Text in the selected font with the cell's top-left corner at (x, y), one cell per byte
    // (Latin-1). The current position does not move.
    void textOut(int x, int y, std::string_view text);

    // The bounds of everything drawn since the last call; empty when nothing was. The shell uses
    // this on the window surface to show only what changed.
    Rect takeDirtyRect();

  private:
    friend void blit(Surface&, int, int, int, int, const Surface&, int, int, RasterOp);

    // The pixel at (x, y); callers must clip.
    Color* at(int x, int y) { return pixels_.data() + size_t(y) * size_t(width_) + size_t(x); }
    // area must already be clipped to the surface.
    void markDirty(Rect area) { dirty_ = unionOf(dirty_, area); }
    // The two halves of lineTo; each clips the whole line once before walking it.
    void drawThinLine(Point from, Point to, Color color);
    void widenLine(Point from, Point to, Pen pen);
    // One outline pixel (or pen square) of an ellipse, which clips its rows and columns but not
    // their mirrored outline pixels; this drops those that fall off the surface.
    void plotEllipseOutline(int x, int y, Color color);

    int width_ = 0;
    int height_ = 0;
    std::vector<Color> pixels_;
    Rect dirty_{};

    Pen pen_{};
    Brush brush_ = Brush::White;
    Point position_{};
    Color textColor_ = BLACK;
    Color backgroundColor_ = WHITE;
    TextMode textMode_ = TextMode::Opaque;
    const BitmapFont* font_ = &embeddedFont8x14();
};

// Combines the width x height rectangle of src at (srcX, srcY) into dst at (x, y). Only pixels
// inside both surfaces take part; dst and src may be the same surface, even overlapping.
void blit(Surface& dst, int x, int y, int width, int height, const Surface& src, int srcX, int srcY,
          RasterOp op = RasterOp::Copy);
