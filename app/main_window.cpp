// The window messages other than commands and the mouse, and the helpers every handler shares:
// tool selection with its check marks, the unsaved-changes questions and the notices.
#include "app/main_window.h"

#include <utility>

#include "app/program_pictures.h"
#include "display/board.h"
#include "display/panels.h"
#include "resources/menu_resource.h"

namespace {

constexpr char kNotEnoughMemory[] = "Not enough memory available.";
constexpr char kCreationCaption[] = "ZAZUVI";
constexpr char kContinueQuestion[] = "The current bridge has changes. \nDo you want to continue?";
constexpr char kSaveQuestion[] = "The current bridge has changes. \nDo you want to save before analyzing?";
constexpr char kQuestionCaption[] = " ";

constexpr int16_t kToolCommands[] = {
    CMD_JOINT_DELETE,      CMD_JOINT_MOVE, CMD_JOINT_SHOW,     CMD_MEMBER_DELETE, CMD_MEMBER_REFLECT,
    CMD_MEMBER_SHOW_STATS, CMD_MODE_BUILD, CMD_MODE_CALCULATE, CMD_MODE_ANIMATE,  CMD_MODE_REVIEW};

}  // namespace

MainWindow::MainWindow(Shell& shell, Program& program) : shell_(shell), program_(program) {}

MessageResult MainWindow::handleMessage(const WindowMessage& message) {
    if (depth_ == 0) takeKeyCursorOff();
    ++depth_;
    const MessageResult result = dispatch(message);
    if (--depth_ == 0) {
        afterMessage();
        putKeyCursorOn();
    }
    return result;
}

MessageResult MainWindow::dispatch(const WindowMessage& message) {
    switch (message.kind) {
        case MessageKind::Create:
            onCreate();
            return MessageResult::Handled;
        case MessageKind::Destroy:
            onDestroy();
            return MessageResult::Handled;
        case MessageKind::Size:
            onSize(message);
            return MessageResult::Handled;
        case MessageKind::Paint:
            onPaint();
            return MessageResult::Handled;
        case MessageKind::Close:
            abandonOpenMember();
            abandonOpenDrag();
            endAction();
            return onClose();
        case MessageKind::Command:
            stopSwinging();
            abandonOpenMember();
            abandonOpenDrag();
            if (message.command == CMD_EDIT_UNDO || message.command == CMD_EDIT_REDO) {
                endAction();
                if (message.command == CMD_EDIT_UNDO) undo();
                if (message.command == CMD_EDIT_REDO) redo();
                return MessageResult::Handled;
            }
            beginAction();  // a press still held makes the command part of its action
            onCommand(message.command);
            endAction();
            return MessageResult::Handled;
        case MessageKind::PointerMove:
            keyCursorShown_ = false;  // the next key goes on from where the cursor was
            onPointerMove(message.pointer, message.leftButtonDown);
            return MessageResult::Handled;
        case MessageKind::LeftButtonDown:
            pressLeftButton(message.pointer);
            return MessageResult::Handled;
        case MessageKind::Key:
            onKey(message.key, message.shift);
            return MessageResult::Handled;
        case MessageKind::Timer:
            swingMechanism();
            return MessageResult::Handled;
        case MessageKind::TableRowSelected:
        case MessageKind::TableSizeChosen:
        case MessageKind::TableRowOpened:
        case MessageKind::TableClosed:
            abandonOpenMember();
            abandonOpenDrag();
            beginAction();  // a size chosen is one step
            onTableMessage(message);
            endAction();
            return MessageResult::Handled;
        case MessageKind::LeftButtonUp:
            releaseLeftButton(message.pointer);
            return MessageResult::Handled;
    }
    return MessageResult::Default;
}

// ---- Window messages

void MainWindow::onCreate() {
    initMemberSizes(program_.memberSizes);
    initTruckOutline(program_.truckOutline);

    Pictures pictures;
    // The pictures are built into the program; a missing one only leaves its area blank.
    (void)loadProgramPictures(pictures, nullptr);
    const DrawingResourcesCreated created =
        createDrawingResources(shell_.windowSurface(), std::move(pictures), program_.resources);

    shell_.checkMenuItem(CMD_MODE_BUILD, true);
    shell_.checkMenuItem(CMD_COORD_SNAP_5, true);
    shell_.checkMenuItem(CMD_JOINT_SNAP_10, true);
    shell_.checkMenuItem(CMD_DEFAULT_SIZE_1 + INITIAL_DEFAULT_MEMBER_SIZE - 1, true);
    // Sound starts on whether or not the machine can play it.
    program_.state.soundSetting = SOUND_ON;
    shell_.checkMenuItem(CMD_SPECIAL_SOUND, true);
    // Only a program opened from a contest server has a contest to submit to.
    if (!shell_.reachesContestServer()) shell_.setMenuItemText(CMD_FILE_SUBMIT_TO_CONTEST, "", "");

    if (!created.panelFont || !created.overlay) {
        notice(kNotEnoughMemory, false, kCreationCaption, Modality::System);
        creationReported_ = true;
        releaseDrawingResources(program_.resources);
        shell_.sendClose();
        return;
    }
    ready_ = true;
}

void MainWindow::onDestroy() {
    // A clean exit: whatever was not saved, the user chose to leave.
    dropRecovery();
    closed_ = true;
    if (ready_) releaseDrawingResources(program_.resources);
    ready_ = false;
    shell_.postQuit(0);
}

void MainWindow::onSize(const WindowMessage& message) {
    // The layout is drawn for one window size; restoring or maximizing puts the window back.
    if (message.sizeKind == SizeKind::Minimized) return;
    shell_.moveWindow({0, 0, 640, program_.state.windowHeight}, true);
}

void MainWindow::onPaint() {
    if (!ready_) return;
    const AppState& state = program_.state;
    BoardPaintInputs inputs =
        boardPaintInputs(state, shell_.isMinimized(), program_.results.bridgeUnstable != 0);
    inputs.view = resultView();
    ModelOutcome liveMarks;
    const bool live = liveResultsShown() && !shell_.isMinimized();
    if (live) analyseLive(inputs.view, liveMarks);
    // Live Results draw the analysed copy, which differs from the bridge only in its results.
    const BridgeModel& shown = live ? program_.liveModel : program_.model;
    if (paintBoard(shell_.windowSurface(), program_.resources, shown, inputs, program_.state.selectedMember,
                   program_.state.panels)) {
        shell_.checkMenuItem(CMD_DISPLAY_GRID, true);
    }
    if (live) markOutcome(shell_.windowSurface(), program_.liveModel, liveMarks);
}

MessageResult MainWindow::onClose() {
    if (!closeConfirmed_ && program_.model.savedFlag == 0 && !askToContinue()) return MessageResult::Handled;
    closeConfirmed_ = true;
    return MessageResult::Default;  // the shell destroys the window
}

// ---- Shared helpers

void MainWindow::clearCheckGroup(int first, int last, int step) {
    for (int id = first; id <= last; id += step) shell_.checkMenuItem(id, false);
}

void MainWindow::clearToolChecks() {
    for (const int16_t id : kToolCommands) shell_.checkMenuItem(id, false);
    clearCheckGroup(CMD_MEMBER_SIZE_1, CMD_MEMBER_SIZE_12);
}

void MainWindow::selectTool(int16_t tool) {
    clearToolChecks();
    program_.state.mode = tool;
    shell_.checkMenuItem(tool, true);
}

DialogButton MainWindow::ask(const char* text, MessageButtons buttons, DialogButton defaultButton) {
    MessageBoxRequest question;
    question.text = text;
    question.caption = kQuestionCaption;
    question.icon = MessageIcon::Warning;
    question.buttons = buttons;
    question.defaultButton = defaultButton;
    question.ownedByMainWindow = true;
    return shell_.messageBox(question);
}

bool MainWindow::askToContinue() {
    return ask(kContinueQuestion, MessageButtons::YesNo, DialogButton::No) == DialogButton::Yes;
}

bool MainWindow::askToSaveBeforeAnalysis() {
    const DialogButton answer = ask(kSaveQuestion, MessageButtons::YesNoCancel, DialogButton::Yes);
    if (answer == DialogButton::Cancel) return false;
    if (answer == DialogButton::Yes) saveBridgeAs();
    return true;
}

void MainWindow::notice(const char* text, bool owned, const char* caption, Modality modality) {
    MessageBoxRequest box;
    box.text = text;
    box.caption = caption;
    box.icon = MessageIcon::Information;
    box.buttons = MessageButtons::Ok;
    box.defaultButton = DialogButton::Ok;
    box.ownedByMainWindow = owned;
    box.modality = modality;
    shell_.messageBox(box);
}

void MainWindow::showOutcome(const ModelOutcome& outcome, Modality modality) {
    for (int i = 0; i < outcome.messageCount; ++i) notice(outcome.messages[i], false, "", modality);
    if (ready_) markOutcome(shell_.windowSurface(), program_.model, outcome);
    if (outcome.redraw) repaint();
}

void MainWindow::showCoordinates() {
    if (!ready_) return;
    ::showCoordinates(shell_.windowSurface(), program_.model, cursorReadout(program_.state),
                      program_.state.panels);
}
