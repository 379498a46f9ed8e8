// The drawing resources' lifecycle and the views of AppState that the display code reads.
#include "app/app_state.h"

#include <utility>

#include "platform/raster/bitmap_font.h"

CursorReadout cursorReadout(const AppState& state) {
    CursorReadout cursor;
    cursor.cursorGridX = state.cursorGridX;
    cursor.cursorGridY = state.cursorGridY;
    cursor.drawingMember = state.drawingMember;
    cursor.dragStartColumn = state.dragStart.column;
    cursor.dragStartRow = state.dragStart.row;
    return cursor;
}

BoardPaintInputs boardPaintInputs(const AppState& state, bool minimized, bool bridgeUnstable) {
    BoardPaintInputs inputs;
    inputs.minimized = minimized;
    inputs.clientWidth = state.clientWidth;
    inputs.clientHeight = state.clientHeight;
    inputs.gridOn = state.gridOn == 1;
    inputs.coordinateSnap = state.coordinateSnap;
    inputs.panel.reviewMode = state.mode == Mode::Review;
    inputs.panel.bridgeUnstable = bridgeUnstable;
    inputs.panel.cursor = cursorReadout(state);
    return inputs;
}

DrawingResourcesCreated createDrawingResources(Surface& window, Pictures pictures,
                                               DrawingResources& resources) {
    DrawingResourcesCreated created;
    // The embedded 8x14 face stands for the fixed-pitch panel font: 8 px advance, 14 px cells.
    resources.panelFont = &embeddedFont8x14();
    created.panelFont = true;

    resources.boardBitmap = std::move(pictures.board);
    resources.truckBitmap = std::move(pictures.truck);
    resources.truckMaskBitmap = std::move(pictures.truckMask);
    resources.startBitmap = std::move(pictures.start);

    resources.window = &window;
    resources.replacedFont = &window.selectFont(*resources.panelFont);

    // Until the first paint the overlay holds whatever the window showed when it was made.
    resources.overlay = Surface(OVERLAY_WIDTH, OVERLAY_HEIGHT);
    saveOverlay(window, resources.overlay);
    created.overlay = true;

    resources.backBuffer = Surface(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT);
    blit(resources.backBuffer, 0, 0, BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, window, 0, 0);
    return created;
}

void releaseDrawingResources(DrawingResources& resources) {
    resources.overlay = Surface();
    resources.backBuffer = Surface();
    if (resources.window != nullptr && resources.replacedFont != nullptr) {
        resources.window->selectFont(*resources.replacedFont);
    }
    resources.replacedFont = nullptr;
    resources.panelFont = nullptr;
    resources.boardBitmap = Surface();
    resources.truckBitmap = Surface();
    resources.truckMaskBitmap = Surface();
    resources.startBitmap = Surface();
    resources.window = nullptr;
}
