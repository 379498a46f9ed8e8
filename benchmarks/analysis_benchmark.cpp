// analyzeBridge on the hand-solved worked example and on the largest bridge the limits allow
// (60 joints, 30 of them on the roadbed, 150 members, every load option on), numbered the two
// ways bridges are usually drawn; and the textbook inversion alone for comparison.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/analysis.h"
#include "analysis/stiffness_solver.h"
#include "tests/analysis/analysis_bridges.h"

namespace {

constexpr AnalysisOptions kAllOptions{1, 1, 1, 1};

void analyze(benchmark::State& state, TestBridge bridge, const AnalysisOptions& options) {
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    for (auto _ : state) {
        analyzeBridge(bridge.model, options, *results, *workspace);
        benchmark::DoNotOptimize(results->maxDeflection);
    }
    if (results->bridgeUnstable) state.SkipWithError("the benchmark bridge must be stable");
}

void BM_AnalyzeWorkedExample(benchmark::State& state) {
    analyze(state, workedExampleBridge(), AnalysisOptions{});
}
BENCHMARK(BM_AnalyzeWorkedExample);

void BM_AnalyzeLargestBridgeDeckFirst(benchmark::State& state) {
    analyze(state, largestLegalBridge(JointOrder::DeckFirst), kAllOptions);
}
BENCHMARK(BM_AnalyzeLargestBridgeDeckFirst)->Unit(benchmark::kMicrosecond);

void BM_AnalyzeLargestBridgeLeftToRight(benchmark::State& state) {
    analyze(state, largestLegalBridge(JointOrder::LeftToRight), kAllOptions);
}
BENCHMARK(BM_AnalyzeLargestBridgeLeftToRight)->Unit(benchmark::kMicrosecond);

// What the whole-matrix elimination alone costs on the largest bridge: the fast path's yardstick.
void BM_TextbookInversionLargestBridge(benchmark::State& state) {
    TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);
    auto workspace = std::make_unique<AnalysisWorkspace>();
    assembleStiffness(bridge.model, *workspace);
    buildFreeDofMap(bridge.model, *workspace);
    keepAllColumns(*workspace);
    for (auto _ : state) {
        reduceToFreeDofs(*workspace);
        benchmark::DoNotOptimize(invertGaussJordan(*workspace));
    }
}
BENCHMARK(BM_TextbookInversionLargestBridge)->Unit(benchmark::kMicrosecond);

}  // namespace
