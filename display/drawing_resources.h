// The pictures and off-screen surfaces everything on the board is drawn from, and where they sit
// on the window. They live from the creation of the main window to its destruction; the
// application creates and releases them, the display code only draws with them.
#pragma once

#include "platform/raster/bitmap_font.h"
#include "platform/raster/surface.h"

// The overlay keeps a copy of the window's rectangle where members can lie, so that a rubber-band
// line or a dragged joint can be erased without a full repaint. Its pixel (0, 0) is window
// pixel (145, 145); it covers window columns 145..554 and rows 145..354.
constexpr int OVERLAY_LEFT = 145;
constexpr int OVERLAY_TOP = 145;
constexpr int OVERLAY_WIDTH = 410;
constexpr int OVERLAY_HEIGHT = 210;

// The back buffer holds the whole client area of a 640 x 480 window: the site picture and the
// parked truck without the bridge. The truck animation draws its frames there.
constexpr int BACK_BUFFER_WIDTH = 632;
constexpr int BACK_BUFFER_HEIGHT = 436;

// The truck sprite, 54 x 15 pixels, parked with its top-left corner at the left end of the road;
// its bottom row is the one above the deck line (row 250).
constexpr int TRUCK_WIDTH = 54;
constexpr int TRUCK_HEIGHT = 15;
constexpr int TRUCK_PARK_X = 20;
constexpr int TRUCK_TOP_ROW = 235;

// The four pictures of the program, decoded from its resources: the 640 x 480 bridge site, the
// 54 x 15 truck (black outside the truck) with its mask (black where the truck is, white
// elsewhere), and the 640 x 480 intro picture.
struct Pictures {
    Surface board;
    Surface truck;
    Surface truckMask;
    Surface start;
};

struct DrawingResources {
    Surface* window = nullptr;                 // the main window's surface, held until release
    const BitmapFont* panelFont = nullptr;     // fixed pitch, 8 px advance, 14 px cell; selected in window
    const BitmapFont* replacedFont = nullptr;  // what panelFont replaced in window, put back at release
    Surface boardBitmap;
    Surface truckBitmap;
    Surface truckMaskBitmap;
    Surface startBitmap;
    Surface overlay;     // OVERLAY_WIDTH x OVERLAY_HEIGHT
    Surface backBuffer;  // BACK_BUFFER_WIDTH x BACK_BUFFER_HEIGHT
};
