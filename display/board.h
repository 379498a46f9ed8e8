// The board: the site picture with the parked truck, grid dots, the bridge (members as lines,
// joints as 4 x 4 rings) and the panel under it, drawn straight onto the window surface. The paint
// rebuilds all of it; the other operations update parts of it for the commands and mouse handlers,
// which restore the area where members lie from the overlay instead of repainting.
// Board pixels are window pixels: column 150 is x = 0 ft, row 250 is y = 0 ft.
#pragma once

#include <array>
#include <cstdint>

#include "display/drawing_resources.h"
#include "display/panels.h"
#include "display/result_views.h"
#include "model/bridge_model.h"
#include "model/model_outcome.h"
#include "platform/raster/surface.h"

constexpr Color FAILED_MEMBER_COLOR = rgb(255, 0, 0);
constexpr Color HIGHLIGHT_COLOR = rgb(255, 255, 0);
constexpr Color MARK_COLOR = rgb(255, 0, 0);  // faults found before an analysis

// Grid dots cover the joint area, columns 150..550 and rows 150..315, both ends included.
constexpr int GRID_LEFT = 150;
constexpr int GRID_RIGHT = 550;
constexpr int GRID_TOP = 150;
constexpr int GRID_BOTTOM = 315;

// What one paint reads from the program's state besides the model and the surfaces.
struct BoardPaintInputs {
    bool minimized = false;  // a minimized window draws nothing
    int clientWidth = BACK_BUFFER_WIDTH;
    int clientHeight = BACK_BUFFER_HEIGHT;
    bool gridOn = false;
    int coordinateSnap = 5;  // ft; decides the grid spacing
    PanelInputs panel;       // Review mode also highlights selectedMember
    ResultView view;         // what is drawn in place of the plain bridge (Review, Live Results)
};

// Rebuilds the whole window: site picture and parked truck (also copied into the back buffer),
// grid, bridge (as the result view shows it, if it shows anything), panel with its value row, the Review
// highlight, and finally the overlay copy. Sets the window's text colours to black on white first. In Review
// a selectedMember of 0 becomes
// 1. Returns true when it drew the grid: the Grid menu item (4001) is then due its check mark,
// which the caller puts on.
[[nodiscard]] bool paintBoard(Surface& window, DrawingResources& resources, const BridgeModel& model,
                              const BoardPaintInputs& inputs, int16_t& selectedMember, PanelState& panels);

// The site picture at (0, 0) and the parked truck over it on the window, clientWidth x
// clientHeight, then the same area copied into the back buffer. The paint and the Animate command
// start from this picture.
void drawSite(Surface& window, DrawingResources& resources, int clientWidth, int clientHeight);

// The truck sprite with its top-left corner at (x, y): the mask by AND, then the picture by XOR.
void drawTruckSprite(Surface& target, const DrawingResources& resources, int x, int y);

// The overlay rectangle of the window into the overlay, and back again onto the window.
void saveOverlay(const Surface& window, Surface& overlay);
void restoreOverlay(Surface& window, const Surface& overlay);

// Grid dots over the joint area, then the overlay copy. The step across is the coordinate snap but
// at least 5 ft, the step down likewise but at most 10 ft: every 5 ft for the snaps 1, 2, 4 and 5,
// every 10 ft for 10. The caller puts the check mark on the Grid menu item.
void drawGrid(Surface& window, Surface& overlay, int coordinateSnap);

// Every member and then every joint ring, with the window's pen and brush; members whose
// forceRatio is exactly 1000 in red. A bridge without members draws nothing, not even joints.
void drawBridge(Surface& window, const BridgeModel& model);

// One member's line or one joint's ring (in the box screenX-2..screenX+2), with the surface's
// current pen and brush. Slots 0..152 and 0..62; the counts are not checked.
void drawMemberLine(Surface& target, const BridgeModel& model, int member);
void drawJointRing(Surface& target, const BridgeModel& model, int joint);

// The member or joint in yellow over what is drawn (the Review and Show selections).
void highlightMember(Surface& window, const BridgeModel& model, int member);
void highlightJoint(Surface& window, const BridgeModel& model, int joint);

// The red marks of a fault found before an analysis; they last until the next paint.
void markMember(Surface& window, const BridgeModel& model, int member);
void markJoint(Surface& window, const BridgeModel& model, int joint);
// Marks what the outcome names (its joint, its member, or nothing).
void markOutcome(Surface& window, const BridgeModel& model, const ModelOutcome& outcome);

// The keyboard cursor: a square outline centred on a board point, black with a white line inside
// it so that it shows on the sky and on the rock alike. It is drawn over whatever the window shows,
// keeping the pixels its two rings cover, and taken off by putting them back.
constexpr int KEY_CURSOR_SIZE = 7;  // pixels across, the centre pixel included
struct KeyCursorMark {
    bool drawn = false;
    Point at{};  // the centre
    std::array<Color, KEY_CURSOR_SIZE * KEY_CURSOR_SIZE> under{};
};

// Draws the cursor centred on at and keeps what it covers in mark; the part outside the window is
// left out. A cursor still drawn must be erased first.
void drawKeyCursor(Surface& window, Point at, KeyCursorMark& mark);
// Takes a drawn cursor off again. Returns false, putting nothing back, when something has drawn over
// it since: what the window shows there is no longer the cursor, and the caller repaints instead.
bool eraseKeyCursor(Surface& window, KeyCursorMark& mark);
