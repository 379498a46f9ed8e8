// The embedded font's metrics around the generated glyph table.
#include "platform/raster/bitmap_font.h"

const BitmapFont& embeddedFont8x14() {
    static constexpr BitmapFont font{8, 14, &EMBEDDED_FONT_8X14_GLYPHS[0][0]};
    return font;
}
