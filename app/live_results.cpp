// Options / Live Results: while the user edits, every paint checks and analyses a copy of the
// bridge and draws it in the force colours with a note of the verdict. Paints come after the
// queued input has been handled, so during a joint drag the latest position is the one analysed.
#include <cstdio>

#include "app/main_window.h"
#include "model/format_significant.h"
#include "model/validation.h"
#include "resources/menu_resource.h"

bool MainWindow::liveResultsShown() const {
    const int16_t mode = program_.state.mode;
    return program_.state.liveResults && program_.model.memberCount > 0 && mode != Mode::Review &&
           mode != Mode::Calculate && mode != Mode::Animate;
}

void MainWindow::analyseLive(ResultView& view, ModelOutcome& marks) {
    const AppState& state = program_.state;
    BridgeModel& live = program_.liveModel;
    live = program_.model;
    if (state.draggingJoint && state.selectedJoint >= 1 && state.selectedJoint <= live.jointCount) {
        // Where the joint would drop: the snapped point the panel shows.
        Joint& joint = live.joints[state.selectedJoint];
        joint.screenX = static_cast<int16_t>(BOARD_ORIGIN_COLUMN + state.cursorGridX);
        joint.screenY = static_cast<int16_t>(BOARD_ORIGIN_ROW - state.cursorGridY);
    }
    updateGeometry(live, program_.memberSizes);
    char verdict[96];
    char detail[160] = "";
    if (checkBeforeAnalysis(live, program_.memberSizes, marks)) {
        clearResults(live, live.memberCount);
        std::snprintf(verdict, sizeof verdict, "Live: not analysed");
        // The check's own message, on one line.
        std::snprintf(detail, sizeof detail, "%s", marks.messageCount > 0 ? marks.messages[0] : "");
        for (char* c = detail; *c; ++c) {
            if (*c == '\n') *c = ' ';
        }
    } else {
        AnalysisResults& results = program_.liveResults;
        analyzeBridge(live, program_.options, results, program_.workspace);
        if (results.bridgeUnstable) {
            std::snprintf(verdict, sizeof verdict, "Live: unstable");
            std::snprintf(detail, sizeof detail, "%s", instabilitySentence(live, results).c_str());
        } else {
            const int worst = hardestWorkingMember(live);
            std::snprintf(verdict, sizeof verdict, "Live: %s, %s kips",
                          results.bridgeFailed ? "fails" : "passes",
                          formatSignificant(live.totalWeight, 4).c_str());
            std::snprintf(detail, sizeof detail, "Worst: member %d at %s %%", worst,
                          formatSignificant(demandPercent(live.members[worst]), 3).c_str());
            view.forceColours = true;
            view.results = &results;
        }
    }
    liveVerdict_ = verdict;
    liveDetail_ = detail;
    view.liveVerdict = liveVerdict_.c_str();
    view.liveDetail = liveDetail_.c_str();
}
