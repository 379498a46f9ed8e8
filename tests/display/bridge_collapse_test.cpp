// The collapse: which support each member hinges on, the ragged extra tilt, ends turning about
// their hinges and sinking, the fall stopping at the gorge floor, the outline truck's rows frame by
// frame, and the window strip it redraws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/display/animation_stage.h"

namespace {

constexpr double MAX_EXTRA_TILT_RAD = 4.0 / 57.296;
constexpr double MIN_EXTRA_TILT_RAD = 2.0 / 57.296;

// The extra tilt an end was given on top of its polar angle: 0, or 2..4 degrees downward.
double extraTiltOf(double theta, double dx, double y) {
    const double r = std::hypot(dx, y);
    return theta - (r == 0.0 ? 0.0 : std::asin(y / r));
}

bool validExtraTilt(double extra) {
    return extra == 0.0 || (extra <= -MIN_EXTRA_TILT_RAD + 1e-12 && extra >= -MAX_EXTRA_TILT_RAD - 1e-12);
}

// Members by their start joint: 200 ft exactly; 100 ft reaching over mid-span to 300 ft; the left
// support itself; 300 ft ending on the right support.
TestBridge hingeBridge() {
    TestBridge b;
    const int left = b.joint(0, 0);
    const int mid = b.joint(200, 0);
    const int high = b.joint(300, 50);
    const int quarter = b.joint(100, 0);
    const int right = b.joint(400, 0);
    b.members({{mid, high}, {quarter, high}, {left, quarter}, {high, right}});
    b.update();
    return b;
}

// The tilts the collapse goes through, summed as it sums them.
std::vector<double> tiltFrames() {
    std::vector<double> tilts;
    for (double t = 0.0; t <= 0.9; t += 0.1) tilts.push_back(t);
    return tilts;
}

}  // namespace

TEST(BridgeCollapse, HingesAnglesAndTheExtraTilt) {
    TestBridge b = hingeBridge();
    CollapseTable table;
    CollapseRandom random{12345};
    buildCollapseTable(b.model, random, table);
    ASSERT_EQ(table.count, 4);
    const CollapseRecord* c = table.records;

    // Only the start joint decides the side: 200 ft exactly hinges on the right; a member from
    // 100 ft to 300 ft swings as a whole about the left support.
    EXPECT_EQ(c[1].side, HingeSide::Right);
    EXPECT_DOUBLE_EQ(c[1].r1, 200.0);
    EXPECT_DOUBLE_EQ(c[1].r2, std::hypot(100.0, 50.0));
    EXPECT_EQ(c[2].side, HingeSide::Left);
    EXPECT_DOUBLE_EQ(c[2].r2, std::hypot(300.0, 50.0));
    EXPECT_EQ(c[4].side, HingeSide::Right);
    // A joint on a hinge point has radius 0.
    EXPECT_EQ(c[3].r1, 0.0);
    EXPECT_EQ(c[4].r2, 0.0);

    // Each end's angle is its polar angle, less 2..4 degrees or exactly as it was.
    EXPECT_TRUE(validExtraTilt(extraTiltOf(c[1].theta1, 200.0, 0.0)));
    EXPECT_TRUE(validExtraTilt(extraTiltOf(c[1].theta2, 100.0, 50.0)));
    EXPECT_TRUE(validExtraTilt(extraTiltOf(c[2].theta2, 300.0, 50.0)));

    // On a bridge of 29 members about half of the 58 ends tilt; the same seed tilts the same ends
    // by the same amounts, another seed differently.
    TestBridge pratt = prattBridge(true);
    CollapseTable first;
    CollapseTable again;
    CollapseTable other;
    CollapseRandom seedA{100000};
    CollapseRandom seedB{100000};
    CollapseRandom seedC{100001};
    buildCollapseTable(pratt.model, seedA, first);
    buildCollapseTable(pratt.model, seedB, again);
    buildCollapseTable(pratt.model, seedC, other);
    int tilted = 0;
    bool differs = false;
    for (int i = 1; i <= first.count; ++i) {
        const CollapseRecord& r = first.records[i];
        const double hinge = r.side == HingeSide::Left ? 0.0 : 400.0;
        const double e1 = extraTiltOf(r.theta1, std::fabs(r.x1 - hinge), r.y1);
        const double e2 = extraTiltOf(r.theta2, std::fabs(r.x2 - hinge), r.y2);
        EXPECT_TRUE(validExtraTilt(e1) && validExtraTilt(e2)) << "member " << i;
        tilted += (e1 != 0.0) + (e2 != 0.0);
        EXPECT_EQ(r.theta1, again.records[i].theta1);
        EXPECT_EQ(r.theta2, again.records[i].theta2);
        differs = differs || r.theta1 != other.records[i].theta1 || r.theta2 != other.records[i].theta2;
    }
    EXPECT_GT(tilted, 15);
    EXPECT_LT(tilted, 43);
    EXPECT_TRUE(differs);

    // Turning: every end stays at its radius from its hinge, sunk by the drop, at theta - tilt;
    // an end on a hinge point does not swing, it only sinks.
    tiltCollapse(table, 0.5, 10.0);
    for (int i = 1; i <= 4; ++i) {
        const CollapseRecord& r = c[i];
        const double hinge = r.side == HingeSide::Left ? 0.0 : 400.0;
        const double sign = r.side == HingeSide::Left ? 1.0 : -1.0;
        EXPECT_NEAR(std::hypot(r.currentX1 - hinge, r.currentY1 + 10.0), r.r1, 1e-9);
        EXPECT_NEAR(std::hypot(r.currentX2 - hinge, r.currentY2 + 10.0), r.r2, 1e-9);
        EXPECT_DOUBLE_EQ(r.a1, r.theta1 - 0.5);
        if (r.r2 > 0) {
            EXPECT_NEAR(std::atan2(r.currentY2 + 10.0, sign * (r.currentX2 - hinge)), r.a2, 1e-9);
        }
    }
    EXPECT_EQ(c[3].currentX1, 0.0);
    EXPECT_EQ(c[3].currentY1, -10.0);
    EXPECT_EQ(c[4].currentX2, 400.0);
    EXPECT_EQ(c[4].currentY2, -10.0);
}

TEST(BridgeCollapse, FallStopsOnceBothEndsReachTheFloor) {
    CollapseTable table{};
    table.count = 3;
    table.records[1].currentY1 = -79.0;  // one end above the floor: both move
    table.records[1].currentY2 = -300.0;
    table.records[2].currentY1 = -80.0;  // both at or below: drawn but never moved
    table.records[2].currentY2 = -95.0;
    table.records[3].currentY1 = -40.5;
    table.records[3].currentY2 = -60.0;
    table.records[3].currentX1 = 123.0;
    EXPECT_EQ(dropCollapse(table), 2);
    EXPECT_EQ(table.records[1].currentY2, -302.0);
    EXPECT_EQ(table.records[2].currentY1, -80.0);
    int frames = 1;
    while (dropCollapse(table) > 0) ++frames;
    // Member 3's higher end goes from -40.5 to -80.5 in 20 steps; one more frame finds nothing moving.
    EXPECT_EQ(frames, 20);
    EXPECT_EQ(table.records[3].currentY1, -80.5);
    EXPECT_EQ(table.records[3].currentY2, -100.0);
    EXPECT_EQ(table.records[3].currentX1, 123.0);
    EXPECT_EQ(table.records[1].currentY1, -81.0);
    EXPECT_EQ(table.records[2].currentY2, -95.0);
}

TEST(BridgeCollapse, TruckRowsFramesAndTheRedrawnStrip) {
    // The outline truck's row at each tilt, and at the final sum of ten steps in the fall.
    const std::vector<double> tilts = tiltFrames();
    ASSERT_EQ(tilts.size(), 10u);
    const int rows[] = {249, 264, 279, 293, 308, 321, 334, 346, 358, 368};
    for (size_t k = 0; k < tilts.size(); ++k) EXPECT_EQ(collapseTruckRow(tilts[k]), rows[k]) << k;
    const double finalTilt = tilts.back() + 0.1;
    EXPECT_EQ(collapseTruckRow(finalTilt), 376);

    // Frame by frame in the back buffer, with no members to hide it: the outline truck at
    // (300, row) turned by the tilt, first level at (300, 249); in the fall at the final tilt.
    // An unstable bridge keeps the parked sprite at (80, 235) and draws no outline truck.
    for (bool unstable : {false, true}) {
        AnimationStage stage;
        std::vector<Surface> backBuffers;
        stage.shell.setPresentObserver([&](const Surface&, Rect area) {
            if (area.top == 130) backBuffers.push_back(stage.resources.backBuffer);
        });
        TestBridge empty;
        AnimationInputs inputs;
        inputs.bridgeFailed = true;
        inputs.bridgeUnstable = unstable;
        stage.setUp(empty.model);
        stage.frameClock = stage.shell.tickCount();
        CollapseTable table;
        collapseBridge(stage.shell, stage.window(), stage.resources, stage.outline, empty.model, inputs,
                       stage.frameClock, table);
        ASSERT_EQ(backBuffers.size(), 11u);  // ten tilt frames and one fall frame that moves nothing
        for (size_t k = 0; k < backBuffers.size(); ++k) {
            Surface expected = stage.resources.boardBitmap;
            expected.resize(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT);
            if (unstable) {
                drawTruckSprite(expected, stage.resources, 80, 235);
            } else {
                const double tilt = k < tilts.size() ? tilts[k] : finalTilt;
                drawTruck(expected, stage.outline, 300, collapseTruckRow(tilt), tilt);
            }
            EXPECT_EQ(backBuffers[k].pixels(), expected.pixels()) << "frame " << k;
        }
    }

    // A failed bridge: only window rows 130..344 are redrawn; the members end at the floor
    // (−80 ft, row 330), those already below it after the tilt where they were, an end on the
    // left support straight below it.
    AnimationStage stage;
    TestBridge pratt = prattBridge(true);
    AnimationInputs inputs = analysedInputs(pratt);
    stage.setUp(pratt.model);
    Surface& window = stage.window();
    window.fillRect({0, 129, 632, 130}, rgb(1, 2, 3));
    window.fillRect({0, 345, 632, 346}, rgb(1, 2, 3));
    const Surface before = window;
    stage.frameClock = stage.shell.tickCount();
    CollapseTable table;
    collapseBridge(stage.shell, window, stage.resources, stage.outline, pratt.model, inputs, stage.frameClock,
                   table);
    for (int row = 0; row < window.height(); ++row) {
        if (row >= 130 && row <= 344) continue;
        for (int col = 0; col < window.width(); ++col) {
            ASSERT_EQ(window.pixel(col, row), before.pixel(col, row)) << col << ", " << row;
        }
    }
    CollapseTable tilted = table;
    tiltCollapse(tilted, tilts.back(), 18.0);
    int moved = 0;
    int kept = 0;
    for (int i = 1; i <= table.count; ++i) {
        const CollapseRecord& r = table.records[i];
        const CollapseRecord& t = tilted.records[i];
        EXPECT_EQ(r.currentX1, t.currentX1);
        EXPECT_EQ(r.currentX2, t.currentX2);
        const double higher = std::max(r.currentY1, r.currentY2);
        EXPECT_LE(higher, -80.0) << "member " << i;
        if (r.currentY1 == t.currentY1) {
            ++kept;
            EXPECT_EQ(r.currentY2, t.currentY2);
        } else {
            ++moved;
            EXPECT_GT(higher, -82.0) << "member " << i;
            EXPECT_NEAR(r.currentY1 - t.currentY1, r.currentY2 - t.currentY2, 1e-9);
        }
        if (r.x1 == 0.0 && r.y1 == 0.0) {
            EXPECT_EQ(r.currentX1, 0.0);
            EXPECT_EQ(std::fmod(r.currentY1, 2.0), 0.0);
        }
    }
    EXPECT_GT(moved, 0);
    EXPECT_GT(kept, 0);
    // On the window nothing black is left above the floor's row 330 but the tail of the outline
    // truck, which still reaches up to row 324 at the final tilt; the fallen members lie below.
    int above = 0;
    int below = 0;
    for (int row = 130; row <= 344; ++row) {
        for (int col = 0; col < window.width(); ++col)
            (row < 324 ? above : below) += window.pixel(col, row) == BLACK;
    }
    EXPECT_EQ(above, 0);
    EXPECT_GT(below, 100);
}
