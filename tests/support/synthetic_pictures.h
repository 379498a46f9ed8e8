// Simple stand-ins for the program's pictures, with the real sizes and layout: a bridge site with
// sky, two banks, a gorge, the road on row 250 and a white foot for the panel; a 54 x 15 truck and
// its mask.
#pragma once

#include "display/drawing_resources.h"
#include "platform/raster/surface.h"

constexpr Color SITE_SKY = rgb(160, 200, 240);
constexpr Color SITE_EARTH = rgb(150, 110, 60);
constexpr Color SITE_GORGE = rgb(90, 70, 50);
constexpr Color SITE_WATER = rgb(40, 90, 160);
constexpr Color SITE_ROAD = rgb(110, 110, 110);
constexpr Color TRUCK_CAB = rgb(200, 30, 30);

inline Surface syntheticSite() {
    Surface site(640, 480, SITE_SKY);
    site.fillRect({0, 250, 150, 372}, SITE_EARTH);    // left bank up to the left support
    site.fillRect({550, 250, 640, 372}, SITE_EARTH);  // right bank from the right support
    site.fillRect({150, 262, 550, 372}, SITE_GORGE);  // the gorge, deck line to floor and below
    site.fillRect({150, 330, 550, 372}, SITE_WATER);  // the floor of the gorge at -80 ft
    site.fillRect({0, 250, 150, 253}, SITE_ROAD);
    site.fillRect({550, 250, 640, 253}, SITE_ROAD);
    site.fillRect({0, 372, 640, 480}, WHITE);  // the foot where the panel is written
    return site;
}

// A trailer (white box, black outline) and a red cab facing right, black wheels on the bottom rows.
inline Surface syntheticTruck() {
    Surface truck(TRUCK_WIDTH, TRUCK_HEIGHT, BLACK);
    truck.fillRect({1, 1, 41, 11}, WHITE);
    truck.fillRect({43, 4, 53, 12}, TRUCK_CAB);
    truck.fillRect({47, 5, 52, 8}, rgb(200, 230, 255));  // window
    return truck;
}

inline Surface syntheticTruckMask() {
    Surface mask(TRUCK_WIDTH, TRUCK_HEIGHT, WHITE);
    mask.fillRect({0, 0, 42, 12}, BLACK);
    mask.fillRect({42, 3, 54, 12}, BLACK);
    for (int wheel : {3, 12, 22, 40, 48}) mask.fillRect({wheel, 12, wheel + 4, 15}, BLACK);
    return mask;
}

inline Pictures syntheticPictures() {
    Pictures p;
    p.board = syntheticSite();
    p.truck = syntheticTruck();
    p.truckMask = syntheticTruckMask();
    p.start = Surface(640, 480, rgb(0, 0, 128));
    return p;
}

// Drawing resources as the main window's creation makes them, from the stand-in pictures, without
// a window: the overlay and the back buffer white.
inline DrawingResources syntheticResources() {
    DrawingResources r;
    r.boardBitmap = syntheticSite();
    r.truckBitmap = syntheticTruck();
    r.truckMaskBitmap = syntheticTruckMask();
    r.overlay = Surface(OVERLAY_WIDTH, OVERLAY_HEIGHT);
    r.backBuffer = Surface(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT);
    return r;
}
