// The outline truck, the drive of the truck sprite along the deck and the run that follows an
// Animate command's analysis. Times are milliseconds of the shell's tick count.
#include "display/truck_animation.h"

#include <cmath>

#include "display/board.h"

namespace {

constexpr uint32_t DRIVE_FRAME_MS = 50;  // each frame lasts more than this: about 20 ft/s

// The deck band: window rows 235..249 across the overlay's columns, which are rows 90..104 of the
// mask.
constexpr int DECK_BAND_MASK_ROW = TRUCK_TOP_ROW - OVERLAY_TOP;

// A joint ring in the mask, relative to the joint's window position less the overlay origin.
constexpr int RING_HALF = 2;

// Line strokes of the outline truck in drawing order, in truck pixels (see TruckStroke): 1..11 are
// the wheels below the chassis, 13 the chassis, 12, 15 and 26 close the trailer box (rear, front,
// roof), 14 and 16..25 are the cab with its windscreen.
constexpr TruckStroke TRUCK_LINES[TRUCK_OUTLINE_STROKES - TRUCK_FILL_STROKES] = {
    {-3, 0, -5, 0},       {-15, 0, -17, 0},    {-22, 0, -24, 0},   {-41, 0, -43, 0},   {-48, 0, -50, 0},
    {-2, -1, -6, -1},     {-8, -1, -12, -1},   {-14, -1, -18, -1}, {-21, -1, -25, -1}, {-40, -1, -44, -1},
    {-47, -1, -51, -1},   {-53, -1, -53, -15}, {0, -2, -53, -2},   {-1, -3, -10, -3},  {-11, -3, -11, -15},
    {-1, -4, -10, -4},    {-1, -5, -10, -5},   {-1, -6, -9, -6},   {-1, -7, -3, -9},   {-7, -7, -9, -7},
    {-7, -8, -9, -8},     {-2, -9, -4, -11},   {-7, -9, -7, -11},  {-8, -9, -8, -13},  {-4, -10, -7, -10},
    {-12, -14, -53, -14},
};

// One pen's strokes first..last of the outline, turned by (cosine, sine) about (x, y).
void drawStrokes(Surface& target, const TruckOutline& outline, int first, int last, Color color, int x, int y,
                 double c, double s) {
    const Pen previous = target.selectPen(Pen{color, 1});
    for (int k = first; k <= last; ++k) {
        const TruckStroke& stroke = outline.strokes[k];
        // Truncation toward zero after adding 0.49, as the outline was drawn for.
        target.moveTo(x + int(stroke.x1 * c - stroke.y1 * s + 0.49),
                      y + int(stroke.x1 * s + stroke.y1 * c + 0.49));
        target.lineTo(x + int(stroke.x2 * c - stroke.y2 * s + 0.49),
                      y + int(stroke.x2 * s + stroke.y2 * c + 0.49));
    }
    target.selectPen(previous);
}

}  // namespace

void initTruckOutline(TruckOutline& outline) {
    outline.strokes[0] = TruckStroke{};
    // The fill: horizontal lines at y = -3 .. -13 that paint the trailer side.
    for (int k = 0; k < TRUCK_FILL_STROKES; ++k) {
        const double y = -3.0 - k;
        outline.strokes[1 + k] = TruckStroke{-12.0, y, -53.0, y};
    }
    for (int k = 0; k < TRUCK_OUTLINE_STROKES - TRUCK_FILL_STROKES; ++k) {
        outline.strokes[TRUCK_FILL_STROKES + 1 + k] = TRUCK_LINES[k];
    }
}

void drawTruck(Surface& target, const TruckOutline& outline, int16_t x, int16_t y, double angleRad) {
    const double c = std::cos(angleRad);
    const double s = std::sin(angleRad);
    drawStrokes(target, outline, 1, TRUCK_FILL_STROKES, WHITE, x, y, c, s);
    drawStrokes(target, outline, TRUCK_FILL_STROKES + 1, TRUCK_OUTLINE_STROKES, BLACK, x, y, c, s);
}

int driveStopColumn(const AnimationInputs& inputs) {
    if (!inputs.bridgeFailed) return DRIVE_STOP_PASSED;
    return inputs.bridgeUnstable ? DRIVE_STOP_UNSTABLE : DRIVE_STOP_FAILED;
}

void buildDeckMask(const BridgeModel& model, Surface& mask) {
    mask.fill(WHITE);
    const Pen previousPen = mask.selectPen(Pen{BLACK, 1});
    const Brush previousBrush = mask.selectBrush(Brush::White);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Joint& a = model.joints[model.members[i].startJoint];
        const Joint& b = model.joints[model.members[i].endJoint];
        mask.moveTo(a.screenX - OVERLAY_LEFT, a.screenY - OVERLAY_TOP);
        mask.lineTo(b.screenX - OVERLAY_LEFT, b.screenY - OVERLAY_TOP);
    }
    for (int j = 1; j <= model.jointCount; ++j) {
        const int x = model.joints[j].screenX - OVERLAY_LEFT;
        const int y = model.joints[j].screenY - OVERLAY_TOP;
        mask.ellipse(x - RING_HALF, y - RING_HALF, x + RING_HALF, y + RING_HALF);
    }
    mask.selectPen(previousPen);
    mask.selectBrush(previousBrush);
}

void drawDriveFrame(Surface& window, DrawingResources& resources, const Surface& mask, int x) {
    Surface& back = resources.backBuffer;
    // The previous frame's sprite started one column to the left; the site picture covers it.
    blit(back, x - 1, TRUCK_TOP_ROW, TRUCK_WIDTH, TRUCK_HEIGHT, resources.boardBitmap, x - 1, TRUCK_TOP_ROW);
    drawTruckSprite(back, resources, x, TRUCK_TOP_ROW);
    // Members crossing the deck band stay in front of the truck; ANDing them again is harmless.
    blit(back, OVERLAY_LEFT, TRUCK_TOP_ROW, OVERLAY_WIDTH, TRUCK_HEIGHT, mask, 0, DECK_BAND_MASK_ROW,
         RasterOp::And);
    blit(window, x - 1, TRUCK_TOP_ROW, TRUCK_WIDTH + 1, TRUCK_HEIGHT, back, x - 1, TRUCK_TOP_ROW);
}

void driveTruck(Shell& shell, Surface& window, DrawingResources& resources, const BridgeModel& model,
                const AnimationInputs& inputs, uint32_t& frameClock) {
    const int stop = driveStopColumn(inputs);
    // The caller's picture has not been shown yet, and the starting sound blocks.
    shell.present(window.takeDirtyRect());
    if (inputs.soundOn) {
        shell.playSound("truckstr.wav", SoundMode::Synchronous);
        shell.playSound("truck.wav", SoundMode::Looping);
    }
    Surface mask(OVERLAY_WIDTH, OVERLAY_HEIGHT, WHITE);
    buildDeckMask(model, mask);
    blit(resources.backBuffer, 0, 0, inputs.clientWidth, inputs.clientHeight, resources.boardBitmap, 0, 0);
    for (int x = TRUCK_PARK_X; x <= stop; ++x) {
        frameClock = shell.tickCount();
        drawDriveFrame(window, resources, mask, x);
        // The frame's drawing counts toward its length.
        shell.waitUntilAfter(frameClock, DRIVE_FRAME_MS);
    }
    if (inputs.soundOn) shell.stopSound();
}

void runAnimation(Shell& shell, Surface& window, DrawingResources& resources, const TruckOutline& outline,
                  const BridgeModel& model, const AnimationInputs& inputs, uint32_t& frameClock) {
    driveTruck(shell, window, resources, model, inputs, frameClock);
    if (inputs.bridgeFailed) {
        if (inputs.soundOn) shell.playSound("truckwh.wav", SoundMode::Asynchronous);
        frameClock = shell.tickCount();
        CollapseTable table;  // about 18 KB, rebuilt by the collapse
        collapseBridge(shell, window, resources, outline, model, inputs, frameClock, table);
    } else if (inputs.soundOn) {
        shell.playSound("truckwh.wav", SoundMode::Synchronous);
        shell.playSound("cheers.wav", SoundMode::Asynchronous);
    }
}
