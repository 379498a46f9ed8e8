// analysis_timing: the analysis of the largest bridge the limits allow (every load option on),
// timed without any benchmark library, so that the same program runs natively and, built by
// Emscripten, in a browser page (benchmarks/web_measure.py compares the two). Then one update of
// Live Results on it (a copy of the bridge, its geometry, the check, the analysis and a paint of
// the board in the force colours) and the mechanism of the same bridge with one member fewer than it needs.
// Prints one line per measure: "NAME MICROSECONDS" (the median of several rounds).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "display/board.h"
#include "model/validation.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/support/synthetic_pictures.h"

namespace {

constexpr int kRounds = 15;
constexpr int kAnalysesPerRound = 20;

// The median over rounds of the time one call of work takes.
template <typename Work>
double medianMicroseconds(Work work) {
    std::vector<double> rounds;
    for (int r = 0; r < kRounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kAnalysesPerRound; ++i) work();
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        rounds.push_back(took.count() / kAnalysesPerRound);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

const AnalysisOptions kAll{1, 1, 1, 1};

double analysisMicroseconds(JointOrder order) {
    TestBridge bridge = largestLegalBridge(order);
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    const double took = medianMicroseconds([&] { analyzeBridge(bridge.model, kAll, *results, *workspace); });
    if (results->bridgeUnstable || results->maxDeflection == 0) std::printf("the bridge came out unstable\n");
    return took;
}

double liveUpdateMicroseconds() {
    TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);
    auto live = std::make_unique<BridgeModel>();
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    Surface window(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE);
    DrawingResources resources = syntheticResources();
    PanelState panels;
    bool passed = false;
    const double took = medianMicroseconds([&] {
        *live = bridge.model;
        updateGeometry(*live, bridge.sizes);
        ModelOutcome fault;
        if (checkBeforeAnalysis(*live, bridge.sizes, fault)) return;
        analyzeBridge(*live, kAll, *results, *workspace);
        BoardPaintInputs inputs;
        inputs.view.forceColours = true;
        inputs.view.results = results.get();
        inputs.view.liveVerdict = "Live: passes";
        int16_t selected = 1;
        (void)paintBoard(window, resources, *live, inputs, selected, panels);
        passed = !results->bridgeUnstable;
    });
    if (!passed) std::printf("the live update analysed nothing\n");
    return took;
}

double mechanismMicroseconds() {
    TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);
    bridge.model.memberCount = static_cast<int16_t>(2 * bridge.model.jointCount - 4);  // one too few
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    auto mechanism = std::make_unique<Mechanism>();
    analyzeBridge(bridge.model, kAll, *results, *workspace);
    bool found = false;
    const double took =
        medianMicroseconds([&] { found = findMechanism(bridge.model, *results, *workspace, *mechanism); });
    if (!found) std::printf("no mechanism found\n");
    return took;
}

}  // namespace

int main() {
    std::printf("deck-first %.1f\n", analysisMicroseconds(JointOrder::DeckFirst));
    std::printf("left-to-right %.1f\n", analysisMicroseconds(JointOrder::LeftToRight));
    std::printf("live-update %.1f\n", liveUpdateMicroseconds());
    std::printf("mechanism %.1f\n", mechanismMicroseconds());
    std::printf("done\n");
    return 0;
}
