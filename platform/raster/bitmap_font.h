// Fixed-pitch bitmap fonts for the raster: 8 pixels wide, one byte per glyph row with the leftmost
// pixel in the high bit, 256 glyphs indexed by Latin-1 code.
#pragma once

#include <cstdint>

struct BitmapFont {
    int advance;               // pixels from one character cell to the next; also the cell width (8)
    int cellHeight;            // pixels; the text origin is the top-left corner of the cell
    const uint8_t* glyphRows;  // 256 * cellHeight bytes

    // The cellHeight rows of the glyph for a Latin-1 code.
    const uint8_t* glyph(unsigned char code) const { return glyphRows + code * cellHeight; }
};

// Glyph rows of the embedded font, generated from the console font by resources/font/psf_to_cpp.py.
extern const uint8_t EMBEDDED_FONT_8X14_GLYPHS[256][14];

// The embedded 8x14 panel font (8 px advance, 14 px cell): printable ASCII and Latin-1, with blank
// control codes. It is the font every surface starts with.
const BitmapFont& embeddedFont8x14();
