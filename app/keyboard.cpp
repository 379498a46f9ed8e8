// Drawing and editing with the keyboard. A cursor on the board stands in for the pointer: the arrows
// move it by the coordinate snap (ten steps with Shift) inside the joint area, Enter presses and
// releases the left button there, Escape lets go of a held press without its edit, Tab jumps to the
// joints. Every key goes through the mouse handlers, so it draws the same bridge with the same
// messages and the same undo steps. Positions are board pixels (column 150, row 250 is x = y = 0 ft).
#include "app/main_window.h"
#include "display/spoken_text.h"
#include "model/hit_tests.h"

namespace {

constexpr int kShiftSteps = 10;  // snap steps an arrow takes with Shift

Point insideJointArea(Point p) {
    if (p.x < JOINT_AREA_LEFT) p.x = JOINT_AREA_LEFT;
    if (p.x > JOINT_AREA_RIGHT) p.x = JOINT_AREA_RIGHT;
    if (p.y < JOINT_AREA_TOP) p.y = JOINT_AREA_TOP;
    if (p.y > JOINT_AREA_BOTTOM) p.y = JOINT_AREA_BOTTOM;
    return p;
}

// n + step wrapped round 1..count.
int wrapped(int n, int step, int count) {
    n += step;
    if (n > count) return 1;
    if (n < 1) return count;
    return n;
}

}  // namespace

void MainWindow::onKey(KeyName key, bool shift) {
    // The deflected shape keeps Left and Right for its load cases.
    if (stepDeflectedCase(key)) return;
    const int step = program_.state.coordinateSnap * (shift ? kShiftSteps : 1);
    const Point at = keyCursor_;
    switch (key) {
        case KeyName::Left:
            moveKeyCursor({at.x - step, at.y});
            break;
        case KeyName::Right:
            moveKeyCursor({at.x + step, at.y});
            break;
        case KeyName::Up:
            moveKeyCursor({at.x, at.y - step});
            break;
        case KeyName::Down:
            moveKeyCursor({at.x, at.y + step});
            break;
        case KeyName::Enter:
            enterAtKeyCursor();
            break;
        case KeyName::Escape:
            cancelHeldPress();
            break;
        case KeyName::Tab:
            if (program_.state.mode == Mode::Review) {
                // As a click on the empty board steps the selection, and ends the swing likewise.
                stopSwinging();
                showMemberSelection(program_.state.selectedMember + (shift ? -1 : 1), true);
            } else {
                jumpKeyCursorToJoint(shift ? -1 : 1);
            }
            break;
        case KeyName::None:
            break;
    }
}

void MainWindow::moveKeyCursor(Point to) {
    const AppState& state = program_.state;
    keyCursor_ = insideJointArea(to);
    keyCursorShown_ = true;
    onPointerMove(keyCursor_, state.drawingMember || state.draggingJoint);
    shell_.announce(pointSpeech(program_.model, keyCursor_.x, keyCursor_.y));
}

void MainWindow::enterAtKeyCursor() {
    const AppState& state = program_.state;
    keyCursorShown_ = true;
    if (state.drawingMember || state.draggingJoint) {
        releaseLeftButton(keyCursor_);
        return;
    }
    pressLeftButton(keyCursor_);
    // A press that started nothing to hold is a click.
    if (!state.drawingMember && !state.draggingJoint) releaseLeftButton(keyCursor_);
}

void MainWindow::cancelHeldPress() {
    const AppState& state = program_.state;
    if (!state.drawingMember && !state.draggingJoint) return;
    abandonOpenMember();
    abandonOpenDrag();
    // The bridge is as it was before the press, saved or not.
    program_.model.savedFlag = savedBeforePress_;
    endAction();
}

void MainWindow::jumpKeyCursorToJoint(int step) {
    const BridgeModel& model = program_.model;
    if (model.jointCount == 0) return;
    // The joint Tab went to last, while the cursor is still on it: joints closer together than the
    // hit tolerance would otherwise hold the cursor between them.
    int j = keyCursorJoint_;
    if (j < 1 || j > model.jointCount ||
        Point{model.joints[j].screenX, model.joints[j].screenY} != keyCursor_)
        j = findJointAt(model, BoardPoint{keyCursor_.x, keyCursor_.y});
    j = j == 0 ? (step > 0 ? 1 : model.jointCount) : wrapped(j, step, model.jointCount);
    keyCursorJoint_ = j;
    moveKeyCursor({model.joints[j].screenX, model.joints[j].screenY});
}

void MainWindow::resetKeyCursor() {
    keyCursor_ = {BOARD_ORIGIN_COLUMN, BOARD_ORIGIN_ROW};
    keyCursorShown_ = false;
    keyCursorJoint_ = 0;
}

void MainWindow::takeKeyCursorOff() {
    if (!keyCursorMark_.drawn) return;
    if (!ready_) {
        keyCursorMark_.drawn = false;
        return;
    }
    if (!eraseKeyCursor(shell_.windowSurface(), keyCursorMark_)) repaint();
}

void MainWindow::putKeyCursorOn() {
    if (!ready_ || closed_ || !keyCursorShown_ || shell_.isMinimized()) return;
    drawKeyCursor(shell_.windowSurface(), keyCursor_, keyCursorMark_);
}
