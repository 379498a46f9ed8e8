// Reads text back from a surface the way a user reads the screen: each 8 x 14 cell drawn in the
// embedded font is matched against its glyphs. For tests of the panels and labels.
#pragma once

#include <string>

#include "platform/raster/bitmap_font.h"
#include "platform/raster/surface.h"

// Whether the cell at (x, y) shows glyph code, pixels of ink colour being the glyph's strokes.
inline bool cellShows(const Surface& s, int x, int y, unsigned char code, Color ink) {
    const BitmapFont& font = embeddedFont8x14();
    const uint8_t* rows = font.glyph(code);
    for (int r = 0; r < font.cellHeight; ++r) {
        for (int c = 0; c < font.advance; ++c) {
            const bool inked = (rows[r] & (0x80u >> c)) != 0;
            if (inked != (s.pixel(x + c, y + r) == ink)) return false;
        }
    }
    return true;
}

// The characters of `cells` cells from (x, y); '?' for a cell that shows no glyph, and the text
// stops at the surface's edge. Blank cells read as ' '.
inline std::string readText(const Surface& s, int x, int y, int cells, Color ink = BLACK) {
    const BitmapFont& font = embeddedFont8x14();
    std::string text;
    for (int i = 0; i < cells; ++i) {
        const int cx = x + i * font.advance;
        if (cx < 0 || y < 0 || cx + font.advance > s.width() || y + font.cellHeight > s.height()) break;
        char found = '?';
        for (int code = 32; code < 127; ++code) {  // printable ASCII first: blank glyphs read as ' '
            if (cellShows(s, cx, y, static_cast<unsigned char>(code), ink)) {
                found = static_cast<char>(code);
                break;
            }
        }
        text += found;
    }
    return text;
}
