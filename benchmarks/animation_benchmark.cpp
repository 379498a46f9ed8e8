// One frame of the truck's drive and one frame of the collapse, drawn on the largest bridge the
// limits allow (60 joints, 150 members): the desktop sleeps for the rest of each 50 ms or 80 ms
// frame, so these decide how much of the animation's time the program spends awake.
#include <benchmark/benchmark.h>

#include <memory>

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

}  // namespace
