// The information panel under the board, fixed-pitch text at fixed pixel positions: the
// coordinates panel (cursor in feet, the member being drawn, bridge weight and name) in every mode
// but Review, the results panel (one member's size, length, forces and efficiency) in Review, and
// the member labels written over the drawing. All text goes straight to the window in its current
// font (8 px advance, 14 px cell) and colours; numbers with fractions go through formatSignificant.
#pragma once

#include <cstdint>

#include "model/bridge_model.h"
#include "platform/raster/surface.h"

// Rows of the panel: the two heading lines and the value row (text cell tops).
constexpr int PANEL_HEADING_ROW_1 = 379;
constexpr int PANEL_HEADING_ROW_2 = 397;
constexpr int PANEL_VALUE_ROW = 417;

// Background of the member labels; they leave it set on the window.
constexpr Color LABEL_BACKGROUND = rgb(192, 192, 192);

// The only thing the panels remember between calls: the bridge name the coordinates row showed
// last, so that a shorter new name can be written over a cleared field.
struct PanelState {
    char lastShownName[BRIDGE_NAME_CHARS + 1] = "UNTITLED";
};

// What the coordinates row shows besides the model: the snapped pointer in feet and, while a
// member is being drawn, its start point in board pixels.
struct CursorReadout {
    int16_t cursorGridX = 0;  // ft, 0..400
    int16_t cursorGridY = 0;  // ft, -65..100
    bool drawingMember = false;
    int16_t dragStartColumn = 0;  // board pixels
    int16_t dragStartRow = 0;
};

// What decides the panel and its value row.
struct PanelInputs {
    bool reviewMode = false;      // results panel instead of coordinates panel
    bool bridgeUnstable = false;  // the last analysis found the truss unstable
    CursorReadout cursor;
};

// Both heading rows of the panel for the mode, then its value row: showMemberResults in Review
// (which may write selectedMember), showCoordinates otherwise. Called by the paint after the
// board is drawn.
void drawPanelHeadings(Surface& window, const BridgeModel& model, const PanelInputs& inputs,
                       int16_t& selectedMember, PanelState& panels);

// The coordinates value row: pointer X and Y in feet; while a member is being drawn, its
// horizontal and vertical extent, length and angle (0..90 degrees); bridge weight and name. A
// changed name first clears the name field. Called after paints outside Review, on pointer moves
// in Build mode and after the editing clicks.
void showCoordinates(Surface& window, const BridgeModel& model, const CursorReadout& cursor,
                     PanelState& panels);

// The coordinates value row filled from member m (1..memberCount, as placed by updateGeometry):
// start point, signed extent, length, inclination folded into 0..90 degrees, weight and name.
void showMemberStats(Surface& window, const BridgeModel& model, int member);

// The results value row of selectedMember; a selectedMember of 0 is taken, and left, as 1. An
// unstable bridge shows "UNSTABLE" for the force and "N.A." for the efficiency, a failed member
// "FAIL", an allowable compression under 1 kip "< 1.0".
void showMemberResults(Surface& window, const BridgeModel& model, int16_t& selectedMember,
                       bool bridgeUnstable);

// Each member's number, or its size, as two digits near its middle on the light grey label
// background, which stays set on the window. The labels last until the next paint.
void labelMemberNumbers(Surface& window, const BridgeModel& model);
void labelMemberSizes(Surface& window, const BridgeModel& model);

// The size label of one member, as labelMemberSizes writes it; after a size change click.
void labelMemberSize(Surface& window, const BridgeModel& model, int member);
