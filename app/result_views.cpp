// The views of the results in the Display menu: members in the colours of their forces, the
// deflected shape with its load cases, the member table beside the board, and the chart of one
// member's force along the truck's path.
#include <cmath>
#include <string>

#include "app/main_window.h"
#include "display/spoken_text.h"
#include "grading/force_chart.h"
#include "model/editing.h"
#include "model/hit_tests.h"
#include "resources/menu_resource.h"

namespace {

// The views kept between runs: their command, their switch and the name it is kept under.
struct KeptView {
    int16_t command;
    bool AppState::*flag;
    const char* setting;
};
constexpr KeptView kKeptViews[] = {
    {CMD_DISPLAY_FORCE_COLOURS, &AppState::forceColours, "force-colours"},
    {CMD_OPTION_LIVE_RESULTS, &AppState::liveResults, "live-results"},
};
constexpr uint32_t kDoubleClickMs = 500;
constexpr uint32_t kSwingFrameMs = 40;     // 25 frames a second
constexpr double kSwingPeriodMs = 1000.0;  // one swing there and back

}  // namespace

// ---- The options

void MainWindow::toggleKeptView(int command) {
    for (const KeptView& view : kKeptViews) {
        if (view.command != command) continue;
        bool& on = program_.state.*view.flag;
        on = !on;
        shell_.checkMenuItem(command, on);
        shell_.store(StoreKind::Configuration, view.setting, on ? "1\n" : "0\n");
        repaint();
    }
}

void MainWindow::toggleDeflectedShape() {
    AppState& state = program_.state;
    state.deflectedShape = !state.deflectedShape;
    shell_.checkMenuItem(CMD_DISPLAY_DEFLECTED_SHAPE, state.deflectedShape);
    repaint();
}

void MainWindow::toggleMemberTable() {
    AppState& state = program_.state;
    state.memberTableOpen = !state.memberTableOpen;
    shell_.checkMenuItem(CMD_DISPLAY_MEMBER_TABLE, state.memberTableOpen);
    if (state.memberTableOpen) {
        showMemberTable();
    } else {
        shell_.closeMemberTable();
        tableShownFor_.reset();
    }
}

void MainWindow::restoreKeptViews() {
    for (const KeptView& view : kKeptViews) {
        const std::optional<std::string> kept = shell_.loadStored(StoreKind::Configuration, view.setting);
        program_.state.*view.flag = kept && kept->starts_with("1");
        shell_.checkMenuItem(view.command, program_.state.*view.flag);
    }
}

// ---- Results and the bridge they belong to

void MainWindow::keepAnalysis() {
    collectCaseDisplacements(program_.model, program_.results, program_.workspace, program_.deflection);
    // The displacements are kept: the workspace is free for the mechanism.
    mechanismFound_ = findMechanism(program_.model, program_.results, program_.workspace, program_.mechanism);
    instability_ =
        program_.results.bridgeUnstable ? instabilitySentence(program_.model, program_.results) : "";
    stopSwinging();
    shell_.announce(verdictSpeech(program_.model, program_.results));
    // The swing only explains: a user who asked for less motion sees its still.
    if (mechanismFound_ && !shell_.prefersReducedMotion()) {
        swinging_ = true;
        swingStart_ = shell_.tickCount();
        shell_.setTimer(kSwingFrameMs);
    }
    program_.state.deflectedCase =
        static_cast<int16_t>(caseWithLargestDeflection(program_.model, program_.deflection));
    resultsCurrent_ = true;
    analysedInMessage_ = true;
    ++analysisCount_;
}

void MainWindow::followBridgeWithViews() {
    // Any change of the bridge but the repair an analysis makes first leaves its results behind.
    if (history_.version() != seenVersion_ && !analysedInMessage_) {
        resultsCurrent_ = false;
        program_.deflection.caseCount = 0;
        mechanismFound_ = false;
        stopSwinging();
    }
    if (history_.version() != seenVersion_ && liveResultsShown()) repaint();
    seenVersion_ = history_.version();
    analysedInMessage_ = false;
    std::string summary = bridgeSummary(program_.model, resultsCurrent_ ? &program_.results : nullptr);
    if (summary != boardDescription_) {
        boardDescription_ = std::move(summary);
        shell_.describeBoard(boardDescription_);
    }
    if (!program_.state.memberTableOpen) return;
    const bool results = resultsCurrent_ && program_.state.mode == Mode::Review;
    if (tableShownFor_ != std::tuple(history_.version(), analysisCount_, results)) {
        showMemberTable();
    } else if (tableSelection_ != program_.state.selectedMember) {
        tableSelection_ = program_.state.selectedMember;
        shell_.selectMemberTableRow(tableSelection_);
    }
}

ResultView MainWindow::resultView() const {
    ResultView view;
    const AppState& state = program_.state;
    if (!resultsCurrent_ || state.mode != Mode::Review) return view;
    if (program_.results.bridgeUnstable) {
        if (mechanismFound_) {
            view.mechanism = &program_.mechanism;
            view.instability = instability_.c_str();
            view.mechanismPhase = 1.0;
        }
        return view;
    }
    view.forceColours = state.forceColours;
    view.results = &program_.results;
    if (state.deflectedShape && program_.deflection.caseCount > 0) {
        view.deflection = &program_.deflection;
        view.deflectedCase = state.deflectedCase;
    }
    return view;
}

// ---- The member table

void MainWindow::showMemberTable() {
    const AppState& state = program_.state;
    const bool results = resultsCurrent_ && state.mode == Mode::Review;
    const RowResults rowResults = !results                          ? RowResults::None
                                  : program_.results.bridgeUnstable ? RowResults::Unstable
                                                                    : RowResults::Analysed;
    MemberRows& rows = program_.memberRows;
    fillMemberRows(program_.model, program_.results, rowResults, rows);
    MemberTableContents contents;
    contents.title = std::string("Members of ") + program_.model.bridgeName;
    contents.headings.assign(MEMBER_TABLE_HEADINGS.begin(), MEMBER_TABLE_HEADINGS.end());
    contents.rows.reserve(rows.count);
    for (int i = 1; i <= rows.count; ++i) {
        const auto texts = memberRowTexts(rows.rows[i], rowResults);
        const auto keys = memberRowSortKeys(rows.rows[i], rowResults);
        std::vector<TableCell>& cells = contents.rows.emplace_back(MEMBER_TABLE_COLUMNS);
        for (int c = 0; c < MEMBER_TABLE_COLUMNS; ++c) cells[c] = {texts[c], keys[c]};
    }
    contents.sizeColumn = MEMBER_TABLE_SIZE_COLUMN;
    for (int size = 1; size <= MEMBER_SIZE_COUNT; ++size)
        contents.sizeChoices.push_back(std::to_string(size));
    contents.selectedMember = state.selectedMember <= rows.count ? state.selectedMember : 0;
    shell_.showMemberTable(contents);
    tableShownFor_ = std::tuple(history_.version(), analysisCount_, results);
    tableSelection_ = contents.selectedMember;
}

void MainWindow::onTableMessage(const WindowMessage& message) {
    AppState& state = program_.state;
    BridgeModel& model = program_.model;
    const int member = message.member;
    if (message.kind == MessageKind::TableClosed) {
        state.memberTableOpen = false;
        tableShownFor_.reset();
        shell_.checkMenuItem(CMD_DISPLAY_MEMBER_TABLE, false);
        return;
    }
    if (member < 1 || member > model.memberCount) return;  // a table the bridge has left behind
    state.selectedMember = static_cast<int16_t>(member);
    tableSelection_ = member;
    switch (message.kind) {
        case MessageKind::TableRowSelected:
            if ((state.mode == Mode::Review && resultViewShown(resultView())) || liveResultsShown()) {
                repaint();
            } else if (ready_) {
                Surface& window = shell_.windowSurface();
                drawBridge(window, model);
                highlightMember(window, model, member);
                if (state.mode == Mode::Review) {
                    showMemberResults(window, model, state.selectedMember,
                                      program_.results.bridgeUnstable != 0);
                }
            }
            break;
        case MessageKind::TableSizeChosen:
            if (message.value < 1 || message.value > MEMBER_SIZE_COUNT ||
                message.value == model.members[member].size)
                break;
            // As Members / Change Size does it, with the results of the old size put away.
            model.savedFlag = 0;
            setMemberSize(model, member, message.value);
            clearResults(model, model.memberCount);
            updateGeometry(model, program_.memberSizes);
            selectTool(Mode::Build);
            repaint();
            break;
        case MessageKind::TableRowOpened:
            if (state.mode == Mode::Review && resultsCurrent_ && !program_.results.bridgeUnstable) {
                repaint();
                showForceChart(member);
            }
            break;
        default:
            break;
    }
}

// ---- The mechanism's swing

void MainWindow::swingMechanism() {
    if (!swinging_) return;
    const ResultView view = resultView();
    if (!ready_ || view.mechanism == nullptr) {
        stopSwinging();
        return;
    }
    const double t = double(shell_.tickCount() - swingStart_) / kSwingPeriodMs;
    drawMechanismFrame(shell_.windowSurface(), program_.resources, program_.model, program_.mechanism,
                       std::cos(2.0 * 3.14159265358979 * t), program_.state.selectedMember);
    shell_.setTimer(kSwingFrameMs);
}

void MainWindow::stopSwinging() {
    if (!swinging_) return;
    swinging_ = false;
    shell_.setTimer(0);
    repaint();  // the truss at the end of its swing, as it stays
}

// ---- Keys, presses and the chart

bool MainWindow::stepDeflectedCase(KeyName key) {
    AppState& state = program_.state;
    const ResultView view = resultView();
    if (view.deflection == nullptr) return false;
    const int step = key == KeyName::Right ? 1 : key == KeyName::Left ? -1 : 0;
    if (step == 0) return false;
    state.deflectedCase =
        static_cast<int16_t>(neighbourCase(program_.model, program_.deflection, state.deflectedCase, step));
    repaint();
    return true;
}

bool MainWindow::pressOnResultView(Point pointer) {
    AppState& state = program_.state;
    const ResultView view = resultView();
    if (view.deflection != nullptr) {
        const int loadCase = caseAtPoint(program_.model, program_.deflection, pointer);
        if (loadCase != 0) {
            state.deflectedCase = static_cast<int16_t>(loadCase);
            repaint();
            return true;
        }
    }
    if (!resultsCurrent_ || program_.results.bridgeUnstable) return false;
    const int member = findMemberAt(program_.model, BoardPoint{pointer.x, pointer.y});
    const uint32_t now = shell_.tickCount();
    const bool second = member != 0 && member == lastPressMember_ && now - lastPressTick_ <= kDoubleClickMs;
    lastPressMember_ = second ? 0 : member;
    lastPressTick_ = now;
    if (!second) return false;
    showForceChart(member);
    return true;
}

void MainWindow::showForceChart(int member) {
    const ForceTable table = forceTableOf(program_.model, program_.results, program_.options, member);
    const std::string title = "Member " + std::to_string(member) + " of " + program_.model.bridgeName +
                              ": force along the truck's path";
    shell_.showPicture(title, forcesPicture(table, program_.model.bridgeName));
}
