// The teacher's tools at class size: finding copied designs among a thousand bridges, grading a
// folder of a thousand files end to end (read, check, analyse, compare, write the CSV), and the
// lightest-sizes search on the largest bridge the limits allow.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "grading/grade.h"
#include "grading/lighten.h"
#include "grading/similarity.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/support/bridge_edits.h"

namespace {

constexpr int kClassSize = 1000;

// A class of students: most start from a sample and change a little (a joint moved, sizes
// changed, a member more or less), some copy another's file renumbered or mirrored, and the rest
// draw trusses of their own.
std::vector<TestBridge> makeClass() {
    std::mt19937 rng(1000);
    std::vector<TestBridge> bridges;
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"})
        bridges.push_back(sample(name));
    while (int(bridges.size()) < kClassSize) {
        bridges.push_back(rng() % 10 < 4 ? randomBridge(rng)
                                         : randomlyEdited(bridges[rng() % bridges.size()], rng, 10, 3));
    }
    return bridges;
}

void BM_FindSimilarDesignsInAClassOf1000(benchmark::State& state) {
    std::vector<Design> designs;
    for (const TestBridge& b : makeClass()) designs.push_back(designOf(b.model));
    size_t pairs = 0;
    for (auto _ : state) {
        pairs = findSimilarDesigns(designs).size();
        benchmark::DoNotOptimize(pairs);
    }
    state.counters["similarPairs"] = double(pairs);
}
BENCHMARK(BM_FindSimilarDesignsInAClassOf1000)->Unit(benchmark::kMillisecond);

void BM_GradeAFolderOf1000Files(benchmark::State& state) {
    const std::string folder = std::string(TRUSSMILL_BINARY_DIR) + "/benchmark-class";
    ::mkdir(folder.c_str(), 0755);
    std::vector<std::string> files;
    std::vector<TestBridge> bridges = makeClass();
    for (size_t n = 0; n < bridges.size(); ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/S%04zu.BRG", n);
        files.push_back(folder + name);
        if (!saveBridgeFile(files.back().c_str(), bridges[n].model))
            state.SkipWithError("cannot write the class");
    }
    FILE* sink = std::fopen("/dev/null", "w");
    GradeSettings settings;
    settings.format = GradeFormat::Csv;
    for (auto _ : state) benchmark::DoNotOptimize(gradeFiles(files, settings, sink));
    std::fclose(sink);
}
BENCHMARK(BM_GradeAFolderOf1000Files)->Unit(benchmark::kMillisecond);

void lightenLargest(benchmark::State& state, const AnalysisOptions& options) {
    const TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);
    auto run = BridgeRun::create(options);
    LightenResult r;
    for (auto _ : state) {
        run->model = bridge.model;
        r = lightenBridge(*run);
        benchmark::DoNotOptimize(r.weightAfter);
    }
    if (!r.found) state.SkipWithError(r.reason.c_str());
    state.counters["analyses"] = r.analyses;
    state.counters["kipsBefore"] = r.weightBefore;
    state.counters["kipsAfter"] = r.weightAfter;
}

void BM_LightenLargestBridge(benchmark::State& state) {
    lightenLargest(state, AnalysisOptions{});
}
BENCHMARK(BM_LightenLargestBridge)->Unit(benchmark::kMillisecond);

// With its own weight and the minimum member force (the deck weight and extra live load are more
// than any sizes of this truss carry).
void BM_LightenLargestBridgeDeadLoad(benchmark::State& state) {
    lightenLargest(state, AnalysisOptions{1, 0, 0, 1});
}
BENCHMARK(BM_LightenLargestBridgeDeadLoad)->Unit(benchmark::kMillisecond);

}  // namespace
