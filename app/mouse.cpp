// Editing with the left mouse button. In Build mode a press starts a member at a snapped board point
// and the release ends it, with a rubber band in between; Joints / Move drags a joint; the other
// tools act on the joint or member under a press. Drags draw straight onto the window and erase
// themselves from the overlay, so nothing is repainted until they end.
// Pointer positions are client pixels, which are board pixels: column 150 is x = 0 ft, row 250 is
// y = 0 ft, one pixel per foot.
#include <cmath>

#include "app/main_window.h"
#include "display/board.h"
#include "display/panels.h"
#include "display/spoken_text.h"
#include "resources/menu_resource.h"

namespace {

// A press in Build mode counts when, after adding half a snap step, it lies within these bounds.
constexpr int kPressLeft = 140;
constexpr int kPressRight = 560;
constexpr int kPressTop = 150;
constexpr int kPressBottom = 320;

// The read-out never leaves x 0..400 ft, y -65..100 ft.
constexpr int kReadoutMaxX = 400;
constexpr int kReadoutMinY = -65;
constexpr int kReadoutMaxY = 100;

// s is the coordinate snap in pixels (= feet), k half of it rounded down.
struct Snap {
    int s;
    int k;
};

Snap snapOf(const AppState& state) {
    return Snap{state.coordinateSnap, state.coordinateSnap / 2};
}

// The nearest multiple of s in board pixels, a tie going to the larger value.
int boardSnap(int v, Snap snap) {
    return ((v + snap.k) / snap.s) * snap.s;
}

// Member ends stay inside the joint area.
int clampColumn(int column) {
    if (column >= JOINT_AREA_RIGHT) return JOINT_AREA_RIGHT;
    if (column <= JOINT_AREA_LEFT) return JOINT_AREA_LEFT;
    return column;
}
int clampRow(int row) {
    if (row >= JOINT_AREA_BOTTOM) return JOINT_AREA_BOTTOM;
    if (row <= JOINT_AREA_TOP) return JOINT_AREA_TOP;
    return row;
}

bool insideDragArea(Point p) {
    return p.x >= JOINT_AREA_LEFT && p.x <= JOINT_AREA_RIGHT && p.y >= JOINT_AREA_TOP &&
           p.y <= JOINT_AREA_BOTTOM;
}

// The snapped pointer in feet, counted from the left support: what the panel shows and where the
// rubber band ends. Rows below the roadbed round the other way, so the read-out is symmetric about y = 0.
void readoutSnap(Point p, Snap snap, AppState& state) {
    const int gx = (p.x - BOARD_ORIGIN_COLUMN) + snap.k;
    const int gy =
        p.y < BOARD_ORIGIN_ROW ? (BOARD_ORIGIN_ROW - p.y) + snap.k : (BOARD_ORIGIN_ROW - p.y) - snap.k;
    int x = (gx / snap.s) * snap.s;
    int y = (gy / snap.s) * snap.s;
    if (x >= kReadoutMaxX) x = kReadoutMaxX;
    if (x <= 0) x = 0;
    if (y >= kReadoutMaxY) y = kReadoutMaxY;
    if (y <= kReadoutMinY) y = kReadoutMinY;
    state.cursorGridX = static_cast<int16_t>(x);
    state.cursorGridY = static_cast<int16_t>(y);
}

void readoutOfJoint(const Joint& joint, AppState& state) {
    state.cursorGridX = static_cast<int16_t>(std::trunc(joint.x));
    state.cursorGridY = static_cast<int16_t>(std::trunc(joint.y));
}

BoardPoint boardPointAt(Point p) {
    return BoardPoint{p.x, p.y};
}

}  // namespace

void MainWindow::pressLeftButton(Point pointer) {
    stopSwinging();
    beginAction();
    if (!program_.state.drawingMember && !program_.state.draggingJoint)
        savedBeforePress_ = program_.model.savedFlag;
    onLeftButtonDown(pointer);
}

void MainWindow::releaseLeftButton(Point pointer) {
    onLeftButtonUp(pointer);
    // A release outside the drag area leaves a joint drag open, and its action with it.
    if (!program_.state.draggingJoint) endAction();
}

void MainWindow::onPointerMove(Point pointer, bool leftButtonDown) {
    AppState& state = program_.state;
    if (state.mode == Mode::Build) {
        readoutSnap(pointer, snapOf(state), state);
        showCoordinates();
        if (state.drawingMember && leftButtonDown && ready_) {
            Surface& window = shell_.windowSurface();
            restoreOverlay(window, program_.resources.overlay);
            window.moveTo(state.dragStart.column, state.dragStart.row);
            window.lineTo(state.cursorGridX + BOARD_ORIGIN_COLUMN, BOARD_ORIGIN_ROW - state.cursorGridY);
        }
    } else if (state.mode == Mode::MoveJoint && state.draggingJoint) {
        dragJoint(pointer);
    }
}

void MainWindow::onLeftButtonDown(Point pointer) {
    switch (program_.state.mode) {
        case Mode::Build:
            pressInBuildMode(pointer);
            break;
        case Mode::MoveJoint:
            pressToMoveJoint(pointer);
            break;
        case Mode::Calculate:
        case Mode::Animate:
            break;
        default:
            pressWithTool(pointer);
            break;
    }
}

void MainWindow::onLeftButtonUp(Point pointer) {
    const AppState& state = program_.state;
    if (state.mode == Mode::Build && state.drawingMember) {
        releaseInBuildMode(pointer);
    } else if (state.mode == Mode::MoveJoint && state.draggingJoint) {
        dropDraggedJoint(pointer);
    }
}

// ---- Build mode

void MainWindow::pressInBuildMode(Point pointer) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    if (state.drawingMember) return;
    const Snap snap = snapOf(state);
    const int px = pointer.x + snap.k;
    const int py = pointer.y + snap.k;
    if (py < kPressTop || py > kPressBottom || px < kPressLeft || px > kPressRight) return;
    state.dragStart.column = static_cast<int16_t>(clampColumn((px / snap.s) * snap.s));
    state.dragStart.row = static_cast<int16_t>(clampRow((py / snap.s) * snap.s));

    ModelOutcome outcome;
    program_.pendingMember = beginMember(model, {state.dragStart.column, state.dragStart.row}, outcome);
    if (!program_.pendingMember.started) {
        showOutcome(outcome, Modality::Task);
        return;
    }
    state.drawingMember = true;
    // Until the release the member runs from its start joint to itself, so a paint in between
    // shows nothing of it.
    Member& drawn = model.members[model.memberCount];
    drawn.endJoint = drawn.startJoint;
    model.savedFlag = 0;
}

void MainWindow::releaseInBuildMode(Point pointer) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    state.drawingMember = false;
    const Snap snap = snapOf(state);
    // The release point is not range-tested: wherever it is, the member ends inside the joint area.
    state.dragEnd.column = static_cast<int16_t>(clampColumn(boardSnap(pointer.x, snap)));
    state.dragEnd.row = static_cast<int16_t>(clampRow(boardSnap(pointer.y, snap)));

    ModelOutcome outcome;
    const int drawn = model.memberCount;  // the press counted the new member last
    if (finishMember(model, program_.memberSizes, program_.pendingMember,
                     {state.dragEnd.column, state.dragEnd.row}, program_.memberSizes.defaultMemberSize,
                     outcome) &&
        program_.pendingMember.started)
        shell_.announce(memberAddedSpeech(model, drawn));
    showOutcome(outcome, Modality::Task);
    if (!ready_) return;
    // The new member becomes part of the background of the next rubber band.
    Surface& window = shell_.windowSurface();
    restoreOverlay(window, program_.resources.overlay);
    drawBridge(window, model);
    showCoordinates();
    saveOverlay(window, program_.resources.overlay);
}

void MainWindow::abandonOpenMember() {
    AppState& state = program_.state;
    if (!state.drawingMember) return;
    state.drawingMember = false;
    BridgeModel& model = program_.model;
    // The press added the member last and at most its start joint after jointsBefore.
    model.memberCount = static_cast<int16_t>(model.memberCount - 1);
    if (model.jointCount > program_.pendingMember.jointsBefore)
        model.jointCount = program_.pendingMember.jointsBefore;
    updateGeometry(model, program_.memberSizes);
    if (ready_) restoreOverlay(shell_.windowSurface(), program_.resources.overlay);
}

void MainWindow::abandonOpenDrag() {
    AppState& state = program_.state;
    if (!state.draggingJoint) return;
    state.draggingJoint = false;
    BridgeModel& model = program_.model;
    // The joint goes back where the drag began: its feet have not followed the pointer.
    if (state.selectedJoint >= 1 && state.selectedJoint <= model.jointCount) {
        Joint& joint = model.joints[state.selectedJoint];
        joint.screenX = static_cast<int16_t>(columnFromFeet(joint.x));
        joint.screenY = static_cast<int16_t>(rowFromFeet(joint.y));
    }
    repaint();
}

// ---- The tools that act on a press

void MainWindow::pressWithTool(Point pointer) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    const BoardPoint point = boardPointAt(pointer);
    const int mode = state.mode;
    if (mode == Mode::DeleteJoint) {
        model.savedFlag = 0;
        state.selectedJoint = static_cast<int16_t>(findJointAt(model, point));
        if (state.selectedJoint != 0) deleteJoint(model, state.selectedJoint);
        updateGeometry(model, program_.memberSizes);
        repaint();
    } else if (mode == Mode::DeleteMember) {
        model.savedFlag = 0;
        state.selectedMember = static_cast<int16_t>(findMemberAt(model, point));
        if (state.selectedMember != 0) deleteMember(model, state.selectedMember);
        repaint();
        updateGeometry(model, program_.memberSizes);
        showCoordinates();
    } else if (Mode::isChangeSize(mode)) {
        model.savedFlag = 0;
        state.selectedMember = static_cast<int16_t>(findMemberAt(model, point));
        if (state.selectedMember != 0) {
            setMemberSize(model, state.selectedMember, Mode::changeSizeOf(mode));
            if (ready_) labelMemberSize(shell_.windowSurface(), model, state.selectedMember);
        }
        updateGeometry(model, program_.memberSizes);
        if (ready_) shell_.windowSurface().setBackgroundColor(WHITE);
        showCoordinates();
    } else if (mode == Mode::ReflectMember) {
        model.savedFlag = 0;
        state.selectedMember = static_cast<int16_t>(findMemberAt(model, point));
        if (state.selectedMember != 0) {
            ModelOutcome outcome;
            reflectMember(model, program_.memberSizes, state.selectedMember, outcome);
            showOutcome(outcome, Modality::Task);
        }
        repaint();
        updateGeometry(model, program_.memberSizes);
        showCoordinates();
    } else if (mode == Mode::ShowStats) {
        stepMemberSelection(pointer, false);
    } else if (mode == Mode::Review) {
        if (!pressOnResultView(pointer)) stepMemberSelection(pointer, true);
    } else if (mode == Mode::ShowJoint) {
        stepJointSelection(pointer);
    }
}

void MainWindow::stepMemberSelection(Point pointer, bool showResults) {
    AppState& state = program_.state;
    const BridgeModel& model = program_.model;
    // An empty bridge has no member to step to; its table slots hold members deleted long ago.
    if (model.memberCount == 0) return;
    const int m = findMemberAt(model, boardPointAt(pointer));
    showMemberSelection(m != 0 ? m : state.selectedMember + 1, showResults);
}

void MainWindow::showMemberSelection(int m, bool showResults) {
    AppState& state = program_.state;
    const BridgeModel& model = program_.model;
    if (model.memberCount == 0) return;
    if (m > model.memberCount) m = 1;
    if (m < 1) m = model.memberCount;
    state.selectedMember = static_cast<int16_t>(m);
    if (!ready_) return;
    if (showResults && resultViewShown(resultView())) {
        repaint();  // the view draws the highlight over its own bridge
        return;
    }
    Surface& window = shell_.windowSurface();
    drawBridge(window, model);
    highlightMember(window, model, m);
    if (showResults) {
        showMemberResults(window, model, state.selectedMember, program_.results.bridgeUnstable != 0);
    } else {
        showMemberStats(window, model, m);
    }
}

void MainWindow::stepJointSelection(Point pointer) {
    AppState& state = program_.state;
    const BridgeModel& model = program_.model;
    if (model.jointCount == 0) return;
    int j = findJointAt(model, boardPointAt(pointer));
    if (j == 0) j = state.selectedJoint + 1;
    if (j > model.jointCount || j < 1) j = 1;
    state.selectedJoint = static_cast<int16_t>(j);
    if (ready_) {
        drawBridge(shell_.windowSurface(), model);
        highlightJoint(shell_.windowSurface(), model, j);
    }
    readoutOfJoint(model.joints[j], state);
    showCoordinates();
}

// ---- Joints / Move

void MainWindow::pressToMoveJoint(Point pointer) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    if (state.draggingJoint) return;
    model.savedFlag = 0;
    state.selectedJoint = static_cast<int16_t>(findJointAt(model, boardPointAt(pointer)));
    if (state.selectedJoint == 0) return;
    readoutOfJoint(model.joints[state.selectedJoint], state);
    showCoordinates();
    state.draggingJoint = true;
    if (!ready_) return;
    if (liveResultsShown()) {
        repaint();
        return;
    }

    // The overlay takes everything that stays put during the drag.
    Surface& window = shell_.windowSurface();
    DrawingResources& resources = program_.resources;
    blit(resources.overlay, 0, 0, OVERLAY_WIDTH, OVERLAY_HEIGHT, resources.boardBitmap, OVERLAY_LEFT,
         OVERLAY_TOP);
    restoreOverlay(window, resources.overlay);
    const int moving = state.selectedJoint;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (m.startJoint != moving && m.endJoint != moving) drawMemberLine(window, model, i);
    }
    for (int j = 1; j <= model.jointCount; ++j) {
        if (j != moving) drawJointRing(window, model, j);
    }
    if (state.gridOn == 1) {
        drawGrid(window, resources.overlay, state.coordinateSnap);
        shell_.checkMenuItem(CMD_DISPLAY_GRID, true);
    }
    saveOverlay(window, resources.overlay);
    drawBridge(window, model);
}

void MainWindow::dragJoint(Point pointer) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    if (!insideDragArea(pointer)) return;
    if (state.selectedJoint < 1 || state.selectedJoint > model.jointCount) {
        // The joint went away while the button was held (deleted, or a new bridge).
        state.draggingJoint = false;
        repaint();
        return;
    }
    readoutSnap(pointer, snapOf(state), state);
    // Only the board position follows the pointer; the feet still say where the joint started.
    Joint& joint = model.joints[state.selectedJoint];
    joint.screenX = static_cast<int16_t>(pointer.x);
    joint.screenY = static_cast<int16_t>(pointer.y);
    if (!ready_) return;
    if (liveResultsShown()) {  // the whole board, analysed, once the queued moves are handled
        repaint();
        return;
    }
    restoreOverlay(shell_.windowSurface(), program_.resources.overlay);
    drawBridge(shell_.windowSurface(), model);
    showCoordinates();
}

void MainWindow::dropDraggedJoint(Point pointer) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    // A release outside the area leaves the drag open: the joint follows until a release inside.
    if (!insideDragArea(pointer)) return;
    state.draggingJoint = false;
    if (state.selectedJoint < 1 || state.selectedJoint > model.jointCount) {
        repaint();
        return;
    }
    const Snap snap = snapOf(state);
    const BoardPoint snapped{boardSnap(pointer.x, snap), boardSnap(pointer.y, snap)};
    ModelOutcome outcome;
    dropJoint(model, program_.memberSizes, state.selectedJoint, boardPointAt(pointer), snapped, outcome);
    showOutcome(outcome, Modality::Task);
}
