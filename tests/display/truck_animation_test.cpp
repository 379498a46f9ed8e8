// The outline truck drawn pixel for pixel, and whole runs on the headless clock: frame counts,
// where the sprite stops, the sound calls with their modes and ticks, the pauses, the members kept
// in front of the truck, and a run with sound off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/display/animation_stage.h"

namespace {

constexpr Color GREY = rgb(128, 128, 128);
constexpr uint32_t STARTER_MS = 1500;  // lengths given to the synchronous sounds
constexpr uint32_t HORN_MS = 1200;

// Where a level stroke end lands: trunc(p + 0.49) is p for 0 and p + 1 for negative whole p.
int levelOffset(double p) {
    return p < 0 ? int(p) + 1 : int(p);
}

// The pixels a thin line lights from a to b, b excluded; the level outline only has horizontal,
// vertical and 45-degree strokes.
std::vector<Point> strokePixels(Point a, Point b) {
    const int dx = b.x - a.x;
    const int dy = b.y - a.y;
    EXPECT_TRUE(dx == 0 || dy == 0 || std::abs(dx) == std::abs(dy));
    const int steps = std::max(std::abs(dx), std::abs(dy));
    std::vector<Point> pixels;
    for (int i = 0; i < steps; ++i) {
        pixels.push_back({a.x + (dx > 0 ? i : dx < 0 ? -i : 0), a.y + (dy > 0 ? i : dy < 0 ? -i : 0)});
    }
    return pixels;
}

void timeSounds(AnimationStage& stage) {
    stage.shell.setSoundLength("truckstr.wav", STARTER_MS);
    stage.shell.setSoundLength("truckwh.wav", HORN_MS);
}

using SoundCall = std::pair<SoundAction, std::string>;

std::vector<SoundCall> callsOf(const std::vector<SoundRecord>& sounds) {
    std::vector<SoundCall> calls;
    for (const SoundRecord& s : sounds) calls.emplace_back(s.action, s.fileName);
    return calls;
}

// Every frame of the list starts more than `ms` after the one before it.
void expectSpacing(const std::vector<ShownFrame>& frames, size_t first, size_t last, uint32_t ms) {
    for (size_t i = first + 1; i <= last; ++i) {
        EXPECT_GT(frames[i].tick - frames[i - 1].tick, ms) << "frame " << i;
    }
}

// The sprite with its left edge at column x on the window: each pixel is the site ANDed with the
// mask and XORed with the truck, or black where a member crosses the deck band in front of it.
void expectSpriteAt(const Surface& window, const DrawingResources& r, int x) {
    for (int row = 0; row < TRUCK_HEIGHT; ++row) {
        for (int col = 0; col < TRUCK_WIDTH; ++col) {
            const Color site = r.boardBitmap.pixel(x + col, TRUCK_TOP_ROW + row);
            // XOR keeps the colour's top byte 0xFF.
            const Color sprite =
                ((site & r.truckMaskBitmap.pixel(col, row)) ^ r.truckBitmap.pixel(col, row)) | 0xFF000000u;
            const Color shown = window.pixel(x + col, TRUCK_TOP_ROW + row);
            EXPECT_TRUE(shown == sprite || shown == BLACK) << "at (" << x + col << ", " << row << ")";
        }
    }
    // Nothing of the sprite is left behind it.
    for (int row = 0; row < TRUCK_HEIGHT; ++row) {
        const Color shown = window.pixel(x - 1, TRUCK_TOP_ROW + row);
        EXPECT_TRUE(shown == r.boardBitmap.pixel(x - 1, TRUCK_TOP_ROW + row) || shown == BLACK);
    }
}

}  // namespace

TEST(TruckOutline, TableAndLevelTruckPixelForPixel) {
    TruckOutline outline{};
    initTruckOutline(outline);
    // The table: fill strokes first, then the wheels, the chassis and the roof, in drawing order.
    const auto same = [](const TruckStroke& s, double x1, double y1, double x2, double y2) {
        return s.x1 == x1 && s.y1 == y1 && s.x2 == x2 && s.y2 == y2;
    };
    EXPECT_TRUE(same(outline.strokes[1], -12, -3, -53, -3));
    EXPECT_TRUE(same(outline.strokes[11], -12, -13, -53, -13));
    EXPECT_TRUE(same(outline.strokes[12], -3, 0, -5, 0));
    EXPECT_TRUE(same(outline.strokes[24], 0, -2, -53, -2));
    EXPECT_TRUE(same(outline.strokes[30], -1, -7, -3, -9));
    EXPECT_TRUE(same(outline.strokes[37], -12, -14, -53, -14));

    // At angle 0 every stroke lands where the table and the rounding put it: white fill, black
    // lines over it, nothing else touched, and the surface's pen put back.
    Surface drawn(120, 60, GREY);
    drawn.selectPen(Pen{rgb(1, 2, 3), 1});
    drawTruck(drawn, outline, 80, 40, 0.0);
    Surface expected(120, 60, GREY);
    for (int k = 1; k <= TRUCK_OUTLINE_STROKES; ++k) {
        const TruckStroke& s = outline.strokes[k];
        const Point a{80 + levelOffset(s.x1), 40 + levelOffset(s.y1)};
        const Point b{80 + levelOffset(s.x2), 40 + levelOffset(s.y2)};
        for (Point p : strokePixels(a, b))
            expected.setPixel(p.x, p.y, k <= TRUCK_FILL_STROKES ? WHITE : BLACK);
    }
    EXPECT_EQ(drawn.pixels(), expected.pixels());
    EXPECT_EQ(drawn.pen(), (Pen{rgb(1, 2, 3), 1}));
    // The chassis (0, -2)..(-53, -2) lies on row 39 and starts at the front corner's column.
    EXPECT_EQ(drawn.pixel(80, 39), BLACK);
    EXPECT_EQ(drawn.pixel(81, 39), GREY);

    // A quarter turn stands the truck on its nose: the chassis becomes column x + 2 from the
    // front corner's row up, where the rear (row x - 52) closes it.
    Surface turned(120, 120, GREY);
    drawTruck(turned, outline, 60, 100, 1.5707963267948966);
    for (int row = 40; row <= 110; ++row) {
        EXPECT_EQ(turned.pixel(62, row) == BLACK, row >= 100 - 52 && row <= 100) << "row " << row;
    }
    EXPECT_EQ(turned.pixel(61, 48), BLACK);
}

TEST(TruckDrive, FramesStopsSoundsAndPausesForEachVerdict) {
    // Passed: 613 frames from column 20 to 632, each more than 50 ms; the truck leaves the
    // picture; "truckwh.wav" plays to its end, then "cheers.wav" starts.
    {
        AnimationStage stage;
        timeSounds(stage);
        TestBridge pratt = prattBridge(false);
        AnimationInputs inputs = analysedInputs(pratt);
        ASSERT_FALSE(inputs.bridgeFailed);
        inputs.soundOn = true;
        const uint32_t start = stage.shell.tickCount();
        stage.run(pratt.model, inputs);

        const std::vector<ShownFrame> frames = stage.driveFrames();
        ASSERT_EQ(frames.size(), 613u);
        EXPECT_EQ(frames.front().area, (Rect{19, 235, 74, 250}));
        EXPECT_EQ(frames.back().area, (Rect{631, 235, 632, 250}));
        expectSpacing(frames, 0, frames.size() - 1, 50);
        EXPECT_TRUE(stage.collapseFrames().empty());
        // The caller's picture was shown before the starting sound began.
        ASSERT_FALSE(stage.shown.empty());
        EXPECT_EQ(stage.shown.front().soundsBefore, 0u);
        EXPECT_EQ(stage.shown.front().tick, start);

        const std::vector<SoundRecord>& sounds = stage.shell.sounds();
        EXPECT_EQ(callsOf(sounds), (std::vector<SoundCall>{{SoundAction::PlaySynchronous, "truckstr.wav"},
                                                           {SoundAction::PlayLooping, "truck.wav"},
                                                           {SoundAction::Stop, ""},
                                                           {SoundAction::PlaySynchronous, "truckwh.wav"},
                                                           {SoundAction::PlayAsynchronous, "cheers.wav"}}));
        EXPECT_EQ(sounds[1].tick, start + STARTER_MS);
        EXPECT_EQ(frames.front().tick, start + STARTER_MS);
        EXPECT_GT(sounds[2].tick - frames.back().tick, 50u);  // the last frame lasts its time too
        EXPECT_EQ(sounds[4].tick, sounds[3].tick + HORN_MS);
        EXPECT_EQ(stage.shell.tickCount(), sounds[4].tick);  // the cheering goes on after the run
        EXPECT_EQ(stage.frameClock, frames.back().tick);

        // The truck has gone: the deck band shows the site, and black only where members cross it.
        const Surface& window = stage.window();
        for (int row = TRUCK_TOP_ROW; row < TRUCK_TOP_ROW + TRUCK_HEIGHT; ++row) {
            for (int col = 0; col < window.width(); ++col) {
                const Color site = stage.resources.boardBitmap.pixel(col, row);
                const bool underBridge = col >= OVERLAY_LEFT && col < OVERLAY_LEFT + OVERLAY_WIDTH;
                EXPECT_TRUE(window.pixel(col, row) == site ||
                            (underBridge && window.pixel(col, row) == BLACK));
            }
        }
    }

    // Failed but stable: 227 frames, the sprite stops at column 246; "truckwh.wav" starts as the
    // drive ends, the crash loop more than 1700 ms later, stopped after the fall; then more than
    // 2000 ms with the fallen bridge on the window.
    {
        AnimationStage stage;
        timeSounds(stage);
        TestBridge pratt = prattBridge(true);
        AnimationInputs inputs = analysedInputs(pratt);
        ASSERT_TRUE(inputs.bridgeFailed);
        ASSERT_FALSE(inputs.bridgeUnstable);
        inputs.soundOn = true;
        stage.setUp(pratt.model);
        driveTruck(stage.shell, stage.window(), stage.resources, pratt.model, inputs, stage.frameClock);
        ASSERT_EQ(stage.driveFrames().size(), 227u);
        EXPECT_EQ(stage.driveFrames().back().area.left, 245);
        expectSpriteAt(stage.window(), stage.resources, 246);
        // The vertical at 100 ft (column 250) stays in front of the white trailer.
        EXPECT_EQ(stage.window().pixel(250, 240), BLACK);
        EXPECT_EQ(stage.window().pixel(252, 240), WHITE);
        EXPECT_EQ(stage.window().pixel(250, 230), BLACK);  // the member above the band as drawn

        AnimationStage whole;
        timeSounds(whole);
        whole.run(pratt.model, inputs);
        const std::vector<SoundRecord>& sounds = whole.shell.sounds();
        EXPECT_EQ(callsOf(sounds), (std::vector<SoundCall>{{SoundAction::PlaySynchronous, "truckstr.wav"},
                                                           {SoundAction::PlayLooping, "truck.wav"},
                                                           {SoundAction::Stop, ""},
                                                           {SoundAction::PlayAsynchronous, "truckwh.wav"},
                                                           {SoundAction::PlayLooping, "crash.wav"},
                                                           {SoundAction::Stop, ""}}));
        EXPECT_EQ(sounds[3].tick, sounds[2].tick);
        EXPECT_GT(sounds[4].tick - sounds[3].tick, 1700u);
        const std::vector<ShownFrame> collapse = whole.collapseFrames();
        ASSERT_GT(collapse.size(), 10u);
        EXPECT_EQ(collapse.front().tick, sounds[4].tick);
        EXPECT_EQ(collapse.front().area, (Rect{0, 130, 632, 345}));
        expectSpacing(collapse, 0, 9, 500);
        expectSpacing(collapse, 9, collapse.size() - 1, 80);
        EXPECT_GT(sounds[5].tick - collapse.back().tick, 80u);
        EXPECT_GT(whole.shell.tickCount() - sounds[5].tick, 2000u);
        EXPECT_EQ(whole.frameClock, sounds[5].tick);
    }

    // Unstable: 61 frames, the sprite stops on the approach at column 80 and stays parked there
    // through the collapse.
    {
        AnimationStage stage;
        TestBridge unbraced = unbracedBridge();
        AnimationInputs inputs = analysedInputs(unbraced);
        ASSERT_TRUE(inputs.bridgeUnstable);
        ASSERT_TRUE(inputs.bridgeFailed);
        inputs.soundOn = true;
        stage.run(unbraced.model, inputs);
        EXPECT_EQ(stage.driveFrames().size(), 61u);
        EXPECT_EQ(stage.driveFrames().back().area.left, 79);
        expectSpriteAt(stage.window(), stage.resources, 80);
        EXPECT_EQ(stage.shell.sounds().size(), 6u);
        EXPECT_EQ(stage.shell.sounds()[4].fileName, "crash.wav");
    }
}

TEST(TruckDrive, SoundOffMakesNoSoundCallAndKeepsTheTiming) {
    // The same failed bridge with sound on (the synchronous sounds given no length) and off: no
    // call at all, and every frame shown at the same tick.
    TestBridge pratt = prattBridge(true);
    AnimationInputs inputs = analysedInputs(pratt);
    AnimationStage on;
    inputs.soundOn = true;
    on.run(pratt.model, inputs);
    AnimationStage off;
    inputs.soundOn = false;
    off.run(pratt.model, inputs);

    EXPECT_TRUE(off.shell.sounds().empty());
    EXPECT_FALSE(on.shell.sounds().empty());
    ASSERT_EQ(off.shown.size(), on.shown.size());
    for (size_t i = 0; i < off.shown.size(); ++i) {
        EXPECT_EQ(off.shown[i].tick, on.shown[i].tick);
        EXPECT_EQ(off.shown[i].area, on.shown[i].area);
    }
    EXPECT_EQ(off.shell.tickCount(), on.shell.tickCount());
    EXPECT_EQ(off.window().pixels(), on.window().pixels());

    // A passed bridge with sound off ends as its last frame's wait ends.
    TestBridge passed = prattBridge(false);
    AnimationInputs passedInputs = analysedInputs(passed);
    AnimationStage quiet;
    const uint32_t start = quiet.shell.tickCount();
    quiet.run(passed.model, passedInputs);
    EXPECT_TRUE(quiet.shell.sounds().empty());
    EXPECT_GT(quiet.shell.tickCount() - start, 613u * 50u);
    EXPECT_LE(quiet.shell.tickCount() - start, 613u * 51u);
}
