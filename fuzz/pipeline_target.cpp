// A bridge file carried through everything the program does with an opened bridge. The tables,
// the analysis storage and the drawing resources are made once and reused from input to input, as
// the program reuses them from file to file.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "analysis/member_sizes.h"
#include "app/app_state.h"
#include "app/program_pictures.h"
#include "display/board.h"
#include "display/panels.h"
#include "files/bridge_file.h"
#include "files/dxf_export.h"
#include "files/vrml_export.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/model_checks.h"
#include "fuzz/print_checks.h"
#include "model/validation.h"

namespace {

// Option sets are numbered by their four switches (bit 0 dead load .. bit 3 minimum force), 0..15.
// Every input is analysed with none, each switch alone and all four; one more combination, chosen
// by the input's bytes, covers the other sets across a run. (Sixteen analyses of the largest
// bridges take longer than the second an input may run in an instrumented build.)
constexpr int kAllOptions = 15;
constexpr int kEverySwitch[] = {0, 1, 2, 4, 8, kAllOptions};

struct PipelineState {
    MemberSizeTable sizes;
    BridgeModel model;
    BridgeModel design;  // the bridge as read, to compare with after each step
    AnalysisResults results;
    AnalysisWorkspace workspace;
    CaseDisplacements deflection;
    Mechanism mechanism;
    bool mechanismFound = false;
    Surface window{BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE};
    DrawingResources resources;
    PanelState panels;

    PipelineState() : results{}, deflection{}, mechanism{} {
        initMemberSizes(sizes);
        Pictures pictures;
        loadProgramPictures(pictures, nullptr);
        createDrawingResources(window, std::move(pictures), resources);
    }
};

PipelineState& state() {
    static const std::unique_ptr<PipelineState> s = std::make_unique<PipelineState>();
    return *s;
}

AnalysisOptions optionsOf(int set) {
    AnalysisOptions options{};
    options.includeDeadLoad = set & 1;
    options.includeDeckWeight = (set >> 1) & 1;
    options.includeExtraLiveLoad = (set >> 2) & 1;
    options.useMinMemberForce = (set >> 3) & 1;
    return options;
}

// The board as the program paints it, in Build mode with the check's mark, or in Review with the
// results row and the statistics of the first, a middle and the last member (each row takes as
// long as a click, so not every member of a large bridge). Review paints the views of the results
// as well: the mechanism of an unstable truss, else the force colours and the deflected shape of the
// last load case.
void paint(PipelineState& s, bool review, const ModelOutcome* marks) {
    BoardPaintInputs inputs;
    inputs.panel.reviewMode = review;
    inputs.panel.bridgeUnstable = s.results.bridgeUnstable != 0;
    inputs.gridOn = !review;
    int16_t selected = 1;
    if (review && s.mechanismFound) {
        inputs.view.mechanism = &s.mechanism;
        inputs.view.instability = "unstable";
    } else if (review && !s.results.bridgeUnstable) {
        inputs.view.forceColours = true;
        inputs.view.results = &s.results;
        inputs.view.deflection = &s.deflection;
        inputs.view.deflectedCase = s.deflection.caseCount;
    }
    (void)paintBoard(s.window, s.resources, s.model, inputs, selected, s.panels);
    if (review && s.mechanismFound)  // a frame at the other end of the swing
        drawMechanismFrame(s.window, s.resources, s.model, s.mechanism, -1.0, s.model.memberCount);
    if (marks != nullptr) markOutcome(s.window, s.model, *marks);
    if (!review) return;
    const int count = s.model.memberCount;
    for (const int m : {1, (count + 1) / 2, count}) {
        if (m < 1) continue;
        int16_t shown = static_cast<int16_t>(m);
        showMemberResults(s.window, s.model, shown, s.results.bridgeUnstable != 0);
        showMemberStats(s.window, s.model, m);
    }
    labelMemberNumbers(s.window, s.model);
    labelMemberSizes(s.window, s.model);
}

std::string analyseWithEveryOption(PipelineState& s, std::string_view bytes) {
    unsigned mixed = 0;
    for (const char c : bytes) mixed = mixed * 31 + static_cast<unsigned char>(c);
    std::vector<int> sets(std::begin(kEverySwitch), std::end(kEverySwitch));
    sets.insert(sets.end() - 1, static_cast<int>(mixed % 16));  // the full set stays last
    for (const int set : sets) {
        analyzeBridge(s.model, optionsOf(set), s.results, s.workspace);
        std::string fault = resultsFault(s.model, s.results);
        if (fault.empty()) fault = designDifference(s.design, s.model);
        if (!fault.empty()) return "analysis with options " + std::to_string(set) + ": " + fault;
    }
    collectCaseDisplacements(s.model, s.results, s.workspace, s.deflection);
    s.mechanismFound = findMechanism(s.model, s.results, s.workspace, s.mechanism);
    if (s.mechanismFound) return mechanismFault(s.model, s.mechanism);
    return "";
}

std::string checkText(const char* what, const std::string& text) {
    const std::string fault = nonFiniteNumberIn(text);
    return fault.empty() ? "" : std::string(what) + " " + fault;
}

}  // namespace

std::string checkPipelineInput(std::string_view bytes) {
    PipelineState& s = state();
    initBridgeModel(s.model);
    s.results = AnalysisResults{};
    s.mechanismFound = false;
    if (!readBridgeText(bytes, s.model, s.sizes).ok()) return "";
    s.design = s.model;

    // Calculate: the check first; a fault is marked on the board and nothing is analysed.
    ModelOutcome fault;
    const bool stopped = checkBeforeAnalysis(s.model, s.sizes, fault);
    if (std::string d = designDifference(s.design, s.model); !d.empty())
        return "the check changed the bridge: " + d;
    if (stopped) {
        if (fault.messageCount < 1) return "the check stopped without a message";
        if (fault.markedJoint < 0 || fault.markedJoint > s.model.jointCount || fault.markedMember < 0 ||
            fault.markedMember > s.model.memberCount)
            return "the check marks a joint or member the bridge does not have";
        paint(s, false, &fault);
    } else {
        updateGeometry(s.model, s.sizes);
        if (std::string f = analyseWithEveryOption(s, bytes); !f.empty()) return f;
        paint(s, true, nullptr);
    }

    // Make DXF and Make VRML do not check the bridge: they bring its geometry up to date and write.
    updateGeometry(s.model, s.sizes);
    if (std::string f = checkText("DXF", dxfText(s.model)); !f.empty()) return f;
    if (std::string f = checkText("VRML", vrmlText(s.model)); !f.empty()) return f;

    // The data report, and the results report of the last analysis, printed into memory.
    return checkPrintedReports(s.model, s.sizes, optionsOf(kAllOptions), s.results, !stopped);
}
