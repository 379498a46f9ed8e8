// The program-wide values the main window owns besides the bridge model: the active mode or
// editing tool, the user's settings, the state of a mouse drag and the window's start-up values;
// and the creation and release of the drawing resources (display/drawing_resources.h).
// One instance lives for the whole run; nothing in it is saved anywhere.
#pragma once

#include <cstdint>

#include "display/board.h"
#include "display/drawing_resources.h"
#include "display/panels.h"

// The values of AppState::mode: the menu command id of the active mode or tool, whose menu item
// carries the check mark. Calculate and Animate are held only while their command runs.
namespace Mode {
constexpr int16_t Build = 5001;      // a press draws a member; coordinates panel
constexpr int16_t Calculate = 5002;  // passing
constexpr int16_t Animate = 5003;    // passing
constexpr int16_t Review = 5004;     // a click selects a member and shows its results; results panel
constexpr int16_t DeleteJoint = 2001;
constexpr int16_t MoveJoint = 2002;
constexpr int16_t ShowJoint = 2003;
constexpr int16_t DeleteMember = 3001;
constexpr int16_t ChangeSize1 = 3201;  // Change Size n is ChangeSize1 + n - 1, n = 1..12
constexpr int16_t ChangeSize12 = 3212;
constexpr int16_t ReflectMember = 3600;
constexpr int16_t ShowStats = 3700;

constexpr bool isChangeSize(int mode) {
    return mode >= ChangeSize1 && mode <= ChangeSize12;
}
// The member size a Change Size mode gives, 1..12.
constexpr int changeSizeOf(int mode) {
    return mode - ChangeSize1 + 1;
}
}  // namespace Mode

// Values of AppState::soundSetting.
constexpr int32_t SOUND_ON = 2;
constexpr int32_t SOUND_OFF = 0;

// A board point in pixels, as the mouse handlers hold it.
struct BoardPixel {
    int16_t column = 0;
    int16_t row = 0;
};

// The main window and the display mode saved before a switch belong to the shell, which owns the
// one main window and restores the display mode itself (Shell::restoreDisplayMode).
struct AppState {
    int16_t mode = Mode::Build;
    int16_t coordinateSnap = 5;       // ft (= pixels): 1, 2, 4, 5 or 10; also the grid spacing
    int32_t gridOn = 0;               // 1 = grid dots are drawn
    int32_t soundSetting = SOUND_ON;  // set again when the window is created; only 2 means on
    int16_t selectedMember = 0;       // member shown and highlighted in Review and Show Stats
    int16_t selectedJoint = 0;        // joint shown, moved or deleted last
    bool drawingMember = false;       // the button is held in Build mode
    bool draggingJoint = false;       // a joint is being moved
    BoardPixel dragStart;             // snapped ends of the member being drawn
    BoardPixel dragEnd;
    int16_t cursorGridX = 0;  // ft, the snapped pointer shown in the panel
    int16_t cursorGridY = 0;
    uint32_t frameClock = 0;      // ms tick at which the current animation frame or pause started
    bool displayChanged = false;  // the command line's display switch succeeded
    int32_t windowHeight = 480;   // outer height; start-up may enlarge it; width is always 640
    int32_t clientWidth = 0;      // measured once at start-up; bounds the full-window copies
    int32_t clientHeight = 0;
    PanelState panels;  // the name the coordinates panel showed last
    // The views of the results (Display menu); Review shows the first two.
    bool forceColours = false;  // kept between runs
    bool deflectedShape = false;
    bool memberTableOpen = false;
    bool liveResults = false;   // Options: analyse after every change while editing; kept between runs
    int16_t deflectedCase = 0;  // the load case the deflected shape shows, the analysis's numbering
};

// What the coordinates panel reads from the state.
CursorReadout cursorReadout(const AppState& state);

// What a paint reads from the state, the window and the last analysis.
BoardPaintInputs boardPaintInputs(const AppState& state, bool minimized, bool bridgeUnstable);

// What createDrawingResources made; the creation handler reports a failure and closes the window.
struct DrawingResourcesCreated {
    bool panelFont = false;
    bool overlay = false;
};

// Called by the creation handler with the main window's surface and the decoded pictures, in
// this order: the panel font, the four pictures, the window (with the panel font selected into
// it), the overlay holding the window's overlay rectangle, the back buffer holding the window's
// top-left 632 x 436. The window surface must outlive the resources.
DrawingResourcesCreated createDrawingResources(Surface& window, Pictures pictures,
                                               DrawingResources& resources);

// Called by the destroy handler: puts back the window's previous font and drops every surface.
void releaseDrawingResources(DrawingResources& resources);
