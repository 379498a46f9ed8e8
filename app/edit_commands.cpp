// Edit/Undo and Edit/Redo with the user actions they step through, and the board's zoom.
#include <algorithm>
#include <string>

#include "app/main_window.h"
#include "resources/menu_resource.h"

namespace {

constexpr char kBoardScaleSetting[] = "board-scale";

}  // namespace

// ---- Actions and steps

void MainWindow::beginAction() {
    if (depth_ == 1) history_.begin(program_.model);
}

void MainWindow::endAction() {
    if (depth_ == 1) history_.end(program_.model);
}

void MainWindow::afterMessage() {
    if (closed_ || history_.isOpen()) return;  // a press still held: its action goes on
    if (program_.model.savedFlag == 1) history_.markSaved();
    followBridgeWithViews();
    showEditState();
    keepRecoveryCurrent();
}

void MainWindow::showEditState() {
    const bool undo = history_.canUndo();
    const bool redo = history_.canRedo();
    if (undoShown_ != undo) shell_.enableMenuItem(CMD_EDIT_UNDO, undo);
    if (redoShown_ != redo) shell_.enableMenuItem(CMD_EDIT_REDO, redo);
    undoShown_ = undo;
    redoShown_ = redo;
}

void MainWindow::undo() {
    if (!history_.canUndo()) return;
    history_.undo(program_.model);
    showRestoredBridge();
}

void MainWindow::redo() {
    if (!history_.canRedo()) return;
    history_.redo(program_.model);
    showRestoredBridge();
}

void MainWindow::showRestoredBridge() {
    BridgeModel& model = program_.model;
    AppState& state = program_.state;
    updateGeometry(model, program_.memberSizes);
    model.savedFlag = history_.atSaved() ? 1 : 0;
    // The results on show were another bridge's.
    if (state.mode == Mode::Review || state.mode == Mode::Calculate || state.mode == Mode::Animate)
        selectTool(Mode::Build);
    if (state.selectedMember > model.memberCount) state.selectedMember = 0;
    if (state.selectedJoint > model.jointCount) state.selectedJoint = 0;
    repaint();
}

// ---- Zoom

void MainWindow::zoomTo(int scale) {
    boardScale_ = shell_.setBoardScale(std::clamp(scale, 1, MAX_BOARD_SCALE));
    shell_.store(StoreKind::Configuration, kBoardScaleSetting, std::to_string(boardScale_) + "\n");
}

void MainWindow::applyKeptSettings() {
    int scale = 0;
    if (const std::optional<std::string> kept =
            shell_.loadStored(StoreKind::Configuration, kBoardScaleSetting)) {
        scale = std::atoi(kept->c_str());
    }
    if (scale < 1 || scale > MAX_BOARD_SCALE) scale = shell_.largestFittingBoardScale();
    boardScale_ = shell_.setBoardScale(scale);
    restoreKeptViews();
    restoreAssignment();
    showRecentFiles();
    showEditState();
}
