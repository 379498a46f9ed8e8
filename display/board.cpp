// Board drawing. Every pen made for a stroke is selected for that stroke only and the window's own
// pen is put back right after, so strokes drawn "with the current pen" stay black.
#include "display/board.h"

#include <algorithm>
#include <cassert>
#include <optional>

namespace {

constexpr double FAILED_FORCE_RATIO = 1000.0;  // percent; marks a member that failed
constexpr int RING_HALF = 2;                   // a joint ring's box reaches 2 px either side

// Selects a one-pixel pen of the colour for the lifetime of the object.
class StrokePen {
  public:
    StrokePen(Surface& target, Color color) : target_(target), previous_(target.selectPen(Pen{color, 1})) {}
    ~StrokePen() { target_.selectPen(previous_); }
    StrokePen(const StrokePen&) = delete;
    StrokePen& operator=(const StrokePen&) = delete;

  private:
    Surface& target_;
    Pen previous_;
};

bool memberSlot(int member) {
    return member >= 0 && member <= LAST_MEMBER_SLOT;
}

bool jointSlot(int joint) {
    return joint >= 0 && joint <= LAST_JOINT_SLOT;
}

constexpr int KEY_CURSOR_HALF = KEY_CURSOR_SIZE / 2;

// The cursor's colour at (dx, dy) from its top-left corner: black on the outer ring, white on the
// ring inside it; the middle is not drawn.
std::optional<Color> keyCursorPixel(int dx, int dy) {
    const int ring = std::min(std::min(dx, dy), std::min(KEY_CURSOR_SIZE - 1 - dx, KEY_CURSOR_SIZE - 1 - dy));
    if (ring == 0) return BLACK;
    if (ring == 1) return WHITE;
    return std::nullopt;
}

bool insideSurface(const Surface& surface, int x, int y) {
    return x >= 0 && x < surface.width() && y >= 0 && y < surface.height();
}

}  // namespace

bool paintBoard(Surface& window, DrawingResources& resources, const BridgeModel& model,
                const BoardPaintInputs& inputs, int16_t& selectedMember, PanelState& panels) {
    window.setBackgroundColor(WHITE);
    window.setTextColor(BLACK);
    // The shell has already validated the window; the whole client area is drawn whatever was invalid.
    if (inputs.minimized) return false;
    drawSite(window, resources, inputs.clientWidth, inputs.clientHeight);
    if (inputs.gridOn) drawGrid(window, resources.overlay, inputs.coordinateSnap);
    if (resultViewShown(inputs.view)) {
        drawResultView(window, resources, model, inputs.view);
    } else {
        drawBridge(window, model);
    }
    drawPanelHeadings(window, model, inputs.panel, selectedMember, panels);
    // Slots past memberCount hold deleted members: an empty bridge highlights nothing.
    if (inputs.panel.reviewMode && selectedMember <= model.memberCount)
        highlightResultMember(window, model, inputs.view, selectedMember);
    saveOverlay(window, resources.overlay);
    return inputs.gridOn;
}

void drawSite(Surface& window, DrawingResources& resources, int clientWidth, int clientHeight) {
    blit(window, 0, 0, clientWidth, clientHeight, resources.boardBitmap, 0, 0);
    drawTruckSprite(window, resources, TRUCK_PARK_X, TRUCK_TOP_ROW);
    blit(resources.backBuffer, 0, 0, clientWidth, clientHeight, window, 0, 0);
}

void drawTruckSprite(Surface& target, const DrawingResources& resources, int x, int y) {
    blit(target, x, y, TRUCK_WIDTH, TRUCK_HEIGHT, resources.truckMaskBitmap, 0, 0, RasterOp::And);
    blit(target, x, y, TRUCK_WIDTH, TRUCK_HEIGHT, resources.truckBitmap, 0, 0, RasterOp::Xor);
}

void saveOverlay(const Surface& window, Surface& overlay) {
    blit(overlay, 0, 0, OVERLAY_WIDTH, OVERLAY_HEIGHT, window, OVERLAY_LEFT, OVERLAY_TOP);
}

void restoreOverlay(Surface& window, const Surface& overlay) {
    blit(window, OVERLAY_LEFT, OVERLAY_TOP, OVERLAY_WIDTH, OVERLAY_HEIGHT, overlay, 0, 0);
}

void drawGrid(Surface& window, Surface& overlay, int coordinateSnap) {
    const int columnStep = coordinateSnap < 5 ? 5 : coordinateSnap;
    const int rowStep = coordinateSnap < 5 ? 5 : coordinateSnap > 10 ? 10 : coordinateSnap;
    for (int column = GRID_LEFT; column <= GRID_RIGHT; column += columnStep) {
        for (int row = GRID_TOP; row <= GRID_BOTTOM; row += rowStep) window.setPixel(column, row, BLACK);
    }
    saveOverlay(window, overlay);
}

void drawBridge(Surface& window, const BridgeModel& model) {
    if (model.memberCount == 0) return;
    for (int i = 1; i <= model.memberCount; ++i) {
        if (model.members[i].forceRatio == FAILED_FORCE_RATIO) {
            const StrokePen red(window, FAILED_MEMBER_COLOR);
            drawMemberLine(window, model, i);
        } else {
            drawMemberLine(window, model, i);
        }
    }
    for (int j = 1; j <= model.jointCount; ++j) drawJointRing(window, model, j);
}

void drawMemberLine(Surface& target, const BridgeModel& model, int member) {
    assert(memberSlot(member) && "a member slot is 0..152");
    if (!memberSlot(member)) return;
    const Member& m = model.members[member];
    assert(jointSlot(m.startJoint) && jointSlot(m.endJoint) && "member ends must be joint slots 0..62");
    if (!jointSlot(m.startJoint) || !jointSlot(m.endJoint)) return;
    const Joint& a = model.joints[m.startJoint];
    const Joint& b = model.joints[m.endJoint];
    target.moveTo(a.screenX, a.screenY);
    target.lineTo(b.screenX, b.screenY);
}

void drawJointRing(Surface& target, const BridgeModel& model, int joint) {
    assert(jointSlot(joint) && "a joint slot is 0..62");
    if (!jointSlot(joint)) return;
    const Joint& j = model.joints[joint];
    target.ellipse(j.screenX - RING_HALF, j.screenY - RING_HALF, j.screenX + RING_HALF,
                   j.screenY + RING_HALF);
}

void highlightMember(Surface& window, const BridgeModel& model, int member) {
    const StrokePen yellow(window, HIGHLIGHT_COLOR);
    drawMemberLine(window, model, member);
}

void highlightJoint(Surface& window, const BridgeModel& model, int joint) {
    const StrokePen yellow(window, HIGHLIGHT_COLOR);
    drawJointRing(window, model, joint);
}

void markMember(Surface& window, const BridgeModel& model, int member) {
    const StrokePen red(window, MARK_COLOR);
    drawMemberLine(window, model, member);
}

void markJoint(Surface& window, const BridgeModel& model, int joint) {
    const StrokePen red(window, MARK_COLOR);
    drawJointRing(window, model, joint);
}

void markOutcome(Surface& window, const BridgeModel& model, const ModelOutcome& outcome) {
    if (outcome.markedJoint != 0) markJoint(window, model, outcome.markedJoint);
    if (outcome.markedMember != 0) markMember(window, model, outcome.markedMember);
}

void drawKeyCursor(Surface& window, Point at, KeyCursorMark& mark) {
    assert(!mark.drawn && "erase the key cursor before drawing it again");
    mark.at = at;
    for (int dy = 0; dy < KEY_CURSOR_SIZE; ++dy) {
        for (int dx = 0; dx < KEY_CURSOR_SIZE; ++dx) {
            const int x = at.x - KEY_CURSOR_HALF + dx;
            const int y = at.y - KEY_CURSOR_HALF + dy;
            const std::optional<Color> colour = keyCursorPixel(dx, dy);
            if (!colour || !insideSurface(window, x, y)) continue;
            mark.under[size_t(dy * KEY_CURSOR_SIZE + dx)] = window.pixel(x, y);
            window.setPixel(x, y, *colour);
        }
    }
    mark.drawn = true;
}

bool eraseKeyCursor(Surface& window, KeyCursorMark& mark) {
    if (!mark.drawn) return true;
    mark.drawn = false;
    const int left = mark.at.x - KEY_CURSOR_HALF;
    const int top = mark.at.y - KEY_CURSOR_HALF;
    for (int pass = 0; pass < 2; ++pass) {  // first check that the cursor is still there, then erase
        for (int dy = 0; dy < KEY_CURSOR_SIZE; ++dy) {
            for (int dx = 0; dx < KEY_CURSOR_SIZE; ++dx) {
                const std::optional<Color> colour = keyCursorPixel(dx, dy);
                if (!colour || !insideSurface(window, left + dx, top + dy)) continue;
                if (pass == 0 && window.pixel(left + dx, top + dy) != *colour) return false;
                if (pass == 1)
                    window.setPixel(left + dx, top + dy, mark.under[size_t(dy * KEY_CURSOR_SIZE + dx)]);
            }
        }
    }
    return true;
}
