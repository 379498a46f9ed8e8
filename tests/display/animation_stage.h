// A headless main window whose creation builds the drawing resources from the stand-in pictures,
// as the program's window does, with the outline table filled and every frame shown recorded:
// where it was, when on the virtual clock, and how many sound calls had been made by then.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "app/app_state.h"
#include "display/board.h"
#include "display/truck_animation.h"
#include "files/bridge_file.h"
#include "platform/headless/headless_shell.h"
#include "tests/support/synthetic_pictures.h"
#include "tests/support/test_bridges.h"

struct ShownFrame {
    Rect area;
    uint32_t tick;
    size_t soundsBefore;
};

class AnimationStage final : public WindowProcedure {
  public:
    HeadlessShell shell;
    DrawingResources resources;
    TruckOutline outline{};
    uint32_t frameClock = 0;
    std::vector<ShownFrame> shown;

    AnimationStage() {
        initTruckOutline(outline);
        shell.createMainWindow({"Trussmill", {0, 0, 640, 480}}, *this);
        shell.showWindow();
        shell.setPresentObserver([this](const Surface&, Rect area) {
            shown.push_back({area, shell.tickCount(), shell.sounds().size()});
        });
    }
    ~AnimationStage() override { shell.destroyWindow(); }
    AnimationStage(const AnimationStage&) = delete;
    AnimationStage& operator=(const AnimationStage&) = delete;

    MessageResult handleMessage(const WindowMessage& message) override {
        if (message.kind == MessageKind::Create) {
            createDrawingResources(shell.windowSurface(), syntheticPictures(), resources);
            return MessageResult::Handled;
        }
        if (message.kind == MessageKind::Destroy) {
            releaseDrawingResources(resources);
            return MessageResult::Handled;
        }
        return MessageResult::Default;
    }

    Surface& window() { return shell.windowSurface(); }

    // The picture the Animate command leaves before the run: the site with the parked truck (also
    // in the back buffer) and the bridge over it, black, as no member is marked failed yet.
    void setUp(const BridgeModel& model) {
        auto unmarked = std::make_unique<BridgeModel>(model);
        for (int i = 1; i <= unmarked->memberCount; ++i) unmarked->members[i].forceRatio = 0.0;
        drawSite(window(), resources, BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT);
        drawBridge(window(), *unmarked);
    }

    void run(const BridgeModel& model, const AnimationInputs& inputs) {
        setUp(model);
        runAnimation(shell, window(), resources, outline, model, inputs, frameClock);
    }

    // The frames shown in the deck band (drive frames) and in the collapse strip.
    std::vector<ShownFrame> driveFrames() const { return framesWithTop(TRUCK_TOP_ROW); }
    std::vector<ShownFrame> collapseFrames() const { return framesWithTop(130); }

  private:
    std::vector<ShownFrame> framesWithTop(int top) const {
        std::vector<ShownFrame> frames;
        for (const ShownFrame& f : shown) {
            if (f.area.top == top) frames.push_back(f);
        }
        return frames;
    }
};

// The verdict of a fresh analysis with the options off.
inline AnimationInputs analysedInputs(TestBridge& bridge) {
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    bridge.update();
    analyzeBridge(bridge.model, AnalysisOptions{}, *results, *workspace);
    AnimationInputs inputs;
    inputs.bridgeUnstable = results->bridgeUnstable != 0;
    inputs.bridgeFailed = results->bridgeFailed != 0;
    return inputs;
}

// The sample Pratt truss; with every member of size 1 it fails but stays stable.
inline TestBridge prattBridge(bool weakMembers) {
    TestBridge b;
    const std::string path = std::string(TRUSSMILL_SOURCE_DIR) + "/examples/PRATT.BRG";
    EXPECT_TRUE(loadBridgeFile(path.c_str(), b.model, b.sizes).ok());
    if (weakMembers) {
        for (int i = 1; i <= b.model.memberCount; ++i) b.model.members[i].size = 1;
    }
    b.update();
    return b;
}

// The worked example's panels without diagonals: a mechanism.
inline TestBridge unbracedBridge() {
    TestBridge b;
    for (int x : {0, 100, 200, 300, 400}) b.joint(x, 0);
    for (int x : {100, 200, 300}) b.joint(x, 50);
    b.members({{1, 2}, {2, 3}, {3, 4}, {4, 5}, {6, 7}, {7, 8}, {1, 6}, {8, 5}, {2, 6}, {3, 7}, {4, 8}});
    b.update();
    return b;
}
