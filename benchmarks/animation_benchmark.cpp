// One frame of the truck's drive and one frame of the collapse, drawn on the largest bridge the
// limits allow (60 joints, 150 members): the desktop sleeps for the rest of each 50 ms or 80 ms
// frame, so these decide how much of the animation's time the program spends awake. Then the views
// of the results on the same bridge: a whole paint of the board in the force colours and in a
// deflected shape, and the member table's rows with their texts.
#include <benchmark/benchmark.h>

#include <memory>

#include "display/board.h"
#include "display/member_table.h"
#include "display/truck_animation.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/support/synthetic_pictures.h"

namespace {

struct Stage {
    Surface window{BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE};
    DrawingResources resources = syntheticResources();
    TruckOutline outline{};
    TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);

    Stage() { initTruckOutline(outline); }
};

// A frame with the truck somewhere along its 613 columns, under the deck band's members.
void BM_DriveFrameLargestBridge(benchmark::State& state) {
    Stage stage;
    Surface mask(OVERLAY_WIDTH, OVERLAY_HEIGHT);
    buildDeckMask(stage.bridge.model, mask);
    blit(stage.resources.backBuffer, 0, 0, BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, stage.resources.boardBitmap,
         0, 0);
    int x = TRUCK_PARK_X;
    for (auto _ : state) {
        drawDriveFrame(stage.window, stage.resources, mask, x);
        benchmark::DoNotOptimize(stage.window.pixels().data());
        x = x == DRIVE_STOP_PASSED ? TRUCK_PARK_X : x + 1;
    }
}
BENCHMARK(BM_DriveFrameLargestBridge)->Unit(benchmark::kMicrosecond);

// A tilt frame halfway down: the site picture, the turned outline truck and 150 members.
void BM_CollapseFrameLargestBridge(benchmark::State& state) {
    Stage stage;
    auto table = std::make_unique<CollapseTable>();
    CollapseRandom random{100000};
    buildCollapseTable(stage.bridge.model, random, *table);
    AnimationInputs inputs;
    inputs.bridgeFailed = true;
    for (auto _ : state) {
        tiltCollapse(*table, 0.5, 10.0);
        drawCollapseFrame(stage.window, stage.resources, stage.outline, *table, inputs, 0.5);
        benchmark::DoNotOptimize(stage.window.pixels().data());
    }
}
BENCHMARK(BM_CollapseFrameLargestBridge)->Unit(benchmark::kMicrosecond);

// The largest bridge analysed with every option, for the views of its results.
struct Analysed {
    TestBridge bridge = largestLegalBridge(JointOrder::DeckFirst);
    std::unique_ptr<AnalysisResults> results = std::make_unique<AnalysisResults>();
    std::unique_ptr<CaseDisplacements> deflection = std::make_unique<CaseDisplacements>();
    Analysed() {
        auto workspace = std::make_unique<AnalysisWorkspace>();
        analyzeBridge(bridge.model, AnalysisOptions{1, 1, 1, 1}, *results, *workspace);
        collectCaseDisplacements(bridge.model, *results, *workspace, *deflection);
    }
};

void paintReview(benchmark::State& state, bool deflected) {
    Stage stage;
    Analysed analysed;
    BoardPaintInputs inputs;
    inputs.panel.reviewMode = true;
    inputs.view.forceColours = true;
    inputs.view.results = analysed.results.get();
    if (deflected) {
        inputs.view.deflection = analysed.deflection.get();
        inputs.view.deflectedCase = caseWithLargestDeflection(analysed.bridge.model, *analysed.deflection);
    }
    PanelState panels;
    int16_t selected = 1;
    for (auto _ : state) {
        (void)paintBoard(stage.window, stage.resources, analysed.bridge.model, inputs, selected, panels);
        benchmark::DoNotOptimize(stage.window.pixels().data());
    }
}

// The whole board (site, bridge, legend, panel) with every member in its force's colour.
void BM_PaintForceColoursLargestBridge(benchmark::State& state) {
    paintReview(state, false);
}
BENCHMARK(BM_PaintForceColoursLargestBridge)->Unit(benchmark::kMicrosecond);

// The same with the deflected shape of the case that bends the bridge most, in the case's colours.
void BM_PaintDeflectedShapeLargestBridge(benchmark::State& state) {
    paintReview(state, true);
}
BENCHMARK(BM_PaintDeflectedShapeLargestBridge)->Unit(benchmark::kMicrosecond);

// The member table's 150 rows, each with its eleven texts and sort keys.
void BM_MemberTableRowsLargestBridge(benchmark::State& state) {
    Analysed analysed;
    auto rows = std::make_unique<MemberRows>();
    for (auto _ : state) {
        fillMemberRows(analysed.bridge.model, *analysed.results, RowResults::Analysed, *rows);
        for (int i = 1; i <= rows->count; ++i) {
            benchmark::DoNotOptimize(memberRowTexts(rows->rows[i], RowResults::Analysed));
            benchmark::DoNotOptimize(memberRowSortKeys(rows->rows[i], RowResults::Analysed));
        }
    }
}
BENCHMARK(BM_MemberTableRowsLargestBridge)->Unit(benchmark::kMicrosecond);

}  // namespace
