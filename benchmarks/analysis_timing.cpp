// analysis_timing: the analysis of the largest bridge the limits allow (every load option on),
// timed without any benchmark library, so that the same program runs natively and, built by
// Emscripten, in a browser page (benchmarks/web_measure.py compares the two).
// Prints one line per numbering: "NAME MICROSECONDS" (the median of several rounds).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "analysis/analysis.h"
#include "tests/analysis/analysis_bridges.h"

namespace {

constexpr int kRounds = 15;
constexpr int kAnalysesPerRound = 20;

double medianMicroseconds(JointOrder order) {
    TestBridge bridge = largestLegalBridge(order);
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    const AnalysisOptions all{1, 1, 1, 1};
    std::vector<double> rounds;
    double sink = 0;
    for (int r = 0; r < kRounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kAnalysesPerRound; ++i) {
            analyzeBridge(bridge.model, all, *results, *workspace);
            sink += results->maxDeflection;
        }
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        rounds.push_back(took.count() / kAnalysesPerRound);
    }
    if (results->bridgeUnstable || sink == 0) std::printf("the bridge came out unstable\n");
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

}  // namespace

int main() {
    std::printf("deck-first %.1f\n", medianMicroseconds(JointOrder::DeckFirst));
    std::printf("left-to-right %.1f\n", medianMicroseconds(JointOrder::LeftToRight));
    std::printf("done\n");
    return 0;
}
