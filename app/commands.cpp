// The menu commands of the main window. Every command is accepted in every mode; ids without an
// entry are ignored. Commands that select a mode or a tool move the check mark with `mode`.
#include <cstring>

#include "app/main_window.h"
#include "display/board.h"
#include "display/panels.h"
#include "display/truck_animation.h"
#include "files/dxf_export.h"
#include "files/vrml_export.h"
#include "model/validation.h"
#include "resources/menu_resource.h"
#include "resources/program_resources.h"

namespace {

constexpr char kExitNotice[] =
    "This software\n is not intended for professional use.\nDo not design or construct any structure \n"
    "based on information obtained\nfrom the use of this software or manual.";
// clang-format off
constexpr char kAboutNotice[] =
    "Trussmill v" TRUSSMILL_VERSION "\nCopyright (C) 2026 Kelvane.\n"
    "A truss bridge design program for students and teachers.";
// clang-format on
constexpr char kNoBridge[] = "No Bridge!";
constexpr char kNoWay[] = "No way!";
constexpr char kUntitled[] = "UNTITLED";

// The panel strip under the board is covered in this navy before the truck drives.
constexpr Color kPanelCover = rgb(0, 0, 128);
constexpr int kPanelCoverTop = 374;
constexpr int kPanelCoverBottom = 479;
constexpr int kPanelCoverRight = 639;

// Copy to Clipboard takes the board with a margin: window columns 100..599, rows 125..374.
constexpr int kClipLeft = 100;
constexpr int kClipTop = 125;
constexpr int kClipWidth = 500;
constexpr int kClipHeight = 250;

struct SnapCommand {
    int16_t command;
    int16_t step;
};
constexpr SnapCommand kCoordinateSnaps[] = {{CMD_COORD_SNAP_1, 1},
                                            {CMD_COORD_SNAP_2, 2},
                                            {CMD_COORD_SNAP_4, 4},
                                            {CMD_COORD_SNAP_5, 5},
                                            {CMD_COORD_SNAP_10, 10}};
constexpr SnapCommand kJointSnaps[] = {{CMD_JOINT_SNAP_4, 4}, {CMD_JOINT_SNAP_5, 5}, {CMD_JOINT_SNAP_10, 10}};

}  // namespace

void MainWindow::onCommand(int command) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    if (changeSizeOf(command) != 0) {
        selectTool(static_cast<int16_t>(command));
        repaint();
        return;
    }
    if (defaultSizeOf(command) != 0) {
        setDefaultSize(command);
        return;
    }
    if (recentFileOf(command) != 0) {
        openRecentFile(recentFileOf(command));
        selectTool(Mode::Build);
        repaint();
        return;
    }
    switch (command) {
        case CMD_FILE_NEW:
            newBridge();
            break;
        case CMD_FILE_OPEN:
            openBridge();
            selectTool(Mode::Build);
            repaint();
            break;
        case CMD_FILE_SAVE:
            if (std::strcmp(model.bridgeName, kUntitled) != 0) {
                saveBridge();
            } else {
                saveBridgeAs();
            }
            break;
        case CMD_FILE_SAVE_AS:
            saveBridgeAs();
            break;
        case CMD_FILE_PRINT:
            print();
            break;
        case CMD_FILE_EXIT:
            exitProgram();
            break;
        case CMD_FILE_OPEN_ASSIGNMENT:
            openAssignment();
            break;
        case CMD_FILE_CLOSE_ASSIGNMENT:
            closeAssignment();
            break;
        case CMD_FILE_SUBMIT_TO_CONTEST:
            submitToContest();
            break;
        case CMD_JOINT_DELETE:
        case CMD_MEMBER_DELETE:
            selectTool(static_cast<int16_t>(command));
            break;
        case CMD_JOINT_MOVE:
            repaint();
            selectTool(Mode::MoveJoint);
            break;
        case CMD_JOINT_SHOW:
            repaint();
            selectTool(Mode::ShowJoint);
            state.selectedJoint = 0;
            updateGeometry(model, program_.memberSizes);
            break;
        case CMD_MEMBER_SHOW_SIZES:
            if (ready_) labelMemberSizes(shell_.windowSurface(), model);
            break;
        case CMD_MEMBER_NUMBERS:
            if (ready_) labelMemberNumbers(shell_.windowSurface(), model);
            break;
        case CMD_MEMBER_REFLECT:
            selectTool(Mode::ReflectMember);
            updateGeometry(model, program_.memberSizes);
            break;
        case CMD_MEMBER_SHOW_STATS:
            selectTool(Mode::ShowStats);
            updateGeometry(model, program_.memberSizes);
            repaint();
            break;
        case CMD_DISPLAY_GRID:
            toggleGrid();
            break;
        case CMD_DISPLAY_REFRESH:
            // No member is drawn as failed any more, and the views show no results.
            clearResults(model, model.memberCount);
            resultsCurrent_ = false;
            program_.deflection.caseCount = 0;
            repaint();
            break;
        case CMD_DISPLAY_RESET_WINDOW:
            shell_.moveWindow({0, 0, 640, state.windowHeight}, true);
            break;
        case CMD_DISPLAY_ZOOM_IN:
            zoomTo(boardScale_ + 1);
            break;
        case CMD_DISPLAY_ZOOM_OUT:
            zoomTo(boardScale_ - 1);
            break;
        case CMD_DISPLAY_ACTUAL_SIZE:
            zoomTo(1);
            break;
        case CMD_DISPLAY_FORCE_COLOURS:
            toggleKeptView(command);
            break;
        case CMD_DISPLAY_MEMBER_TABLE:
            toggleMemberTable();
            break;
        case CMD_DISPLAY_DEFLECTED_SHAPE:
            toggleDeflectedShape();
            break;
        case CMD_MODE_BUILD:
            selectTool(Mode::Build);
            repaint();
            break;
        case CMD_MODE_CALCULATE:
            calculate();
            break;
        case CMD_MODE_ANIMATE:
            animate();
            break;
        case CMD_MODE_REVIEW:
            selectTool(Mode::Review);
            state.selectedMember = 1;
            repaint();
            break;
        case CMD_OPTION_DEAD_LOAD:
            toggleOption(program_.options.includeDeadLoad, command);
            break;
        case CMD_OPTION_DECK_WEIGHT:
            toggleOption(program_.options.includeDeckWeight, command);
            break;
        case CMD_OPTION_LIVE_LOAD:
            toggleOption(program_.options.includeExtraLiveLoad, command);
            break;
        case CMD_OPTION_MIN_FORCE:
            toggleOption(program_.options.useMinMemberForce, command);
            break;
        case CMD_OPTION_LIVE_RESULTS:
            toggleKeptView(command);
            break;
        case CMD_SPECIAL_DXF:
            exportBridge(STR_DXF_FILTER, exportDxf);
            break;
        case CMD_SPECIAL_VRML:
            exportBridge(STR_VRML_FILTER, exportVrml);
            break;
        case CMD_SPECIAL_CLIPBOARD:
            copyToClipboard();
            break;
        case CMD_SPECIAL_SOUND:
            state.soundSetting = state.soundSetting == SOUND_ON ? SOUND_OFF : SOUND_ON;
            shell_.checkMenuItem(CMD_SPECIAL_SOUND, state.soundSetting == SOUND_ON);
            break;
        case CMD_HELP_MENU_COMMANDS:
            shell_.showHelp(HELP_MENU_COMMANDS);
            break;
        case CMD_HELP_GETTING_STARTED:
            shell_.showHelp(HELP_GETTING_STARTED);
            break;
        case CMD_HELP_ABOUT:
            notice(kAboutNotice, false);
            break;
        default:
            for (const SnapCommand& snap : kCoordinateSnaps) {
                if (snap.command == command) setCoordinateSnap(command);
            }
            for (const SnapCommand& snap : kJointSnaps) {
                if (snap.command == command) setJointSnap(command);
            }
            break;
    }
}

void MainWindow::newBridge() {
    if (program_.model.savedFlag == 0 && !askToContinue()) return;
    program_.model.savedFlag = 1;
    clearBridge(program_.model);
    resetKeyCursor();
    selectTool(Mode::Build);
    repaint();
}

void MainWindow::exitProgram() {
    if (program_.model.savedFlag == 0 && !askToContinue()) return;
    notice(kExitNotice, true, " ");
    closeConfirmed_ = true;  // asked already: the close that follows must not ask again
    shell_.sendClose();
}

bool MainWindow::readyToAnalyse(const char* emptyBridgeNotice) {
    if (program_.model.memberCount == 0) {
        notice(emptyBridgeNotice, false);
        return false;
    }
    if (program_.model.savedFlag == 0 && !askToSaveBeforeAnalysis()) return false;
    ModelOutcome fault;
    if (checkBeforeAnalysis(program_.model, program_.memberSizes, fault)) {
        showOutcome(fault, Modality::Application);
        return false;
    }
    return true;
}

void MainWindow::calculate() {
    if (!readyToAnalyse(kNoBridge)) return;
    const CursorShape kept = shell_.setCursor(CursorShape::Wait);
    selectTool(Mode::Calculate);
    updateGeometry(program_.model, program_.memberSizes);
    analyzeBridge(program_.model, program_.options, program_.results, program_.workspace);
    keepAnalysis();
    selectTool(Mode::Review);
    program_.state.selectedMember = 1;
    repaint();
    shell_.setCursor(kept);
    reportBrokenLimits();
}

void MainWindow::animate() {
    if (!readyToAnalyse(kNoWay)) return;
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    if (ready_) {
        Surface& window = shell_.windowSurface();
        drawSite(window, program_.resources, state.clientWidth, state.clientHeight);
        const Pen kept = window.selectPen(Pen{kPanelCover, 0});
        for (int row = kPanelCoverTop; row <= kPanelCoverBottom; ++row) {
            window.moveTo(0, row);
            window.lineTo(kPanelCoverRight, row);
        }
        window.selectPen(kept);
    }
    for (int i = 1; i <= model.memberCount; ++i) model.members[i].forceRatio = 0.0;
    if (ready_) drawBridge(shell_.windowSurface(), model);

    const CursorShape kept = shell_.setCursor(CursorShape::Wait);
    selectTool(Mode::Calculate);
    updateGeometry(model, program_.memberSizes);
    analyzeBridge(model, program_.options, program_.results, program_.workspace);
    keepAnalysis();
    selectTool(Mode::Animate);
    if (ready_) {
        AnimationInputs inputs;
        inputs.bridgeUnstable = program_.results.bridgeUnstable != 0;
        inputs.bridgeFailed = program_.results.bridgeFailed != 0;
        inputs.soundOn = state.soundSetting == SOUND_ON;
        inputs.clientWidth = state.clientWidth;
        inputs.clientHeight = state.clientHeight;
        runAnimation(shell_, shell_.windowSurface(), program_.resources, program_.truckOutline, model, inputs,
                     state.frameClock);
    }
    selectTool(Mode::Review);
    state.selectedMember = 1;
    repaint();
    shell_.setCursor(kept);
    reportBrokenLimits();
}

void MainWindow::copyToClipboard() {
    if (!ready_) return;
    Surface copy(kClipWidth, kClipHeight);
    blit(copy, 0, 0, kClipWidth, kClipHeight, shell_.windowSurface(), kClipLeft, kClipTop);
    shell_.copyImageToClipboard(copy);
}

void MainWindow::toggleGrid() {
    AppState& state = program_.state;
    if (state.gridOn == 0) {
        state.gridOn = 1;
        if (ready_) drawGrid(shell_.windowSurface(), program_.resources.overlay, state.coordinateSnap);
        shell_.checkMenuItem(CMD_DISPLAY_GRID, true);
    } else {
        state.gridOn = 0;
        shell_.checkMenuItem(CMD_DISPLAY_GRID, false);
        repaint();
    }
}

void MainWindow::toggleOption(uint8_t& option, int command) {
    if (fixedOption(command)) return;  // as the assignment says
    option = option == 0 ? 1 : 0;
    shell_.checkMenuItem(command, option == 1);
}

std::optional<bool> MainWindow::fixedOption(int command) const {
    if (!assignment_) return std::nullopt;
    switch (command) {
        case CMD_OPTION_DEAD_LOAD:
            return assignment_->deadLoad;
        case CMD_OPTION_DECK_WEIGHT:
            return assignment_->deckWeight;
        case CMD_OPTION_LIVE_LOAD:
            return assignment_->extraLiveLoad;
        case CMD_OPTION_MIN_FORCE:
            return assignment_->minMemberForce;
        default:
            return std::nullopt;
    }
}

void MainWindow::setCoordinateSnap(int command) {
    for (const SnapCommand& snap : kCoordinateSnaps) {
        if (snap.command == command) program_.state.coordinateSnap = snap.step;
        shell_.checkMenuItem(snap.command, false);
    }
    shell_.checkMenuItem(command, true);
}

void MainWindow::setJointSnap(int command) {
    for (const SnapCommand& snap : kJointSnaps) {
        if (snap.command == command) program_.model.hitTolerance = snap.step;
        shell_.checkMenuItem(snap.command, false);
    }
    shell_.checkMenuItem(command, true);
}

void MainWindow::setDefaultSize(int command) {
    clearCheckGroup(CMD_DEFAULT_SIZE_1, CMD_DEFAULT_SIZE_12);
    program_.memberSizes.defaultMemberSize = static_cast<int8_t>(defaultSizeOf(command));
    shell_.checkMenuItem(command, true);
    // Drawing resumes with the new size; the Mode menu keeps its check marks.
    program_.state.mode = Mode::Build;
}
