// The collapse of a failed bridge: its two halves hinge down about the supports, the outline truck
// tumbles into the gorge and the members fall to its floor. Feet and radians in the table, window
// pixels on the surfaces, milliseconds of the shell's tick count for the frames and pauses.
#include "display/truck_animation.h"

#include <cmath>

#include "display/board.h"

namespace {

constexpr double MID_SPAN_FT = 200.0;  // a member starting here or to the right hinges on the right
constexpr double RIGHT_HINGE_FT = 400.0;
constexpr double DEGREES_PER_RADIAN = 57.296;
constexpr int RANDOM_MAX = 32767;

constexpr uint32_t CRASH_PAUSE_MS = 1700;  // after the drive, before the bridge gives way
constexpr uint32_t TILT_FRAME_MS = 500;
constexpr uint32_t FALL_FRAME_MS = 80;
constexpr uint32_t CLOSING_PAUSE_MS = 2000;

constexpr double TILT_STEP_RAD = 0.1;
constexpr double LAST_TILT_RAD = 0.9;
constexpr double SINK_STEP_FT = 2.0;  // per tilt frame and per fall frame
constexpr double GORGE_FLOOR_FT = -80.0;

// The outline truck falls from the deck at this column; its row follows the tilt.
constexpr int FALLING_TRUCK_COLUMN = 300;
constexpr double FALLING_TRUCK_TOP_ROW = 249.0;
constexpr double FALLING_TRUCK_DEPTH = 152.0;  // px of fall at a tilt of a right angle
// An unstable bridge never had the truck on it: the sprite stays where it stopped.
constexpr int PARKED_SPRITE_COLUMN = DRIVE_STOP_UNSTABLE;

// The strip of the window the collapse redraws: everything from 120 ft above the deck down to
// below the gorge floor.
constexpr int REFRESHED_TOP_ROW = 130;
constexpr int REFRESHED_ROWS = 215;  // rows 130..344

// A window coordinate of a point in feet, truncated toward zero and cut to a 16-bit coordinate.
int16_t pixel16(double value) {
    // Points in the collapse lie within a few hundred feet of the board; a value beyond the 32-bit
    // range (never reached) gives 0 rather than an undefined conversion.
    if (!(std::fabs(value) < 2147483647.0)) return 0;
    return static_cast<int16_t>(static_cast<int32_t>(value));
}

// The extra downward tilt of one end: with probability one half, 2..4 degrees.
double extraTilt(CollapseRandom& random) {
    const int u = random.next();
    if (double(u) / RANDOM_MAX * 100.0 <= 50.0) return 0.0;
    const int v = random.next();
    return (2.0 * double(v) / RANDOM_MAX - 4.0) / DEGREES_PER_RADIAN;
}

// Polar radius and angle of an end about its hinge; a point on the hinge keeps the angle 0.
void polar(double dx, double y, double& r, double& theta) {
    r = std::sqrt(dx * dx + y * y);
    theta = r == 0.0 ? 0.0 : std::asin(y / r);
}

}  // namespace

int CollapseRandom::next() {
    state = state * 1103515245u + 12345u;
    return int((state >> 16) & 0x7FFFu);
}

void buildCollapseTable(const BridgeModel& model, CollapseRandom& random, CollapseTable& table) {
    table.count = model.memberCount;
    for (int i = 1; i <= model.memberCount; ++i) {
        CollapseRecord& c = table.records[i];
        c = CollapseRecord{};
        const Joint& start = model.joints[model.members[i].startJoint];
        const Joint& end = model.joints[model.members[i].endJoint];
        c.x1 = start.x;
        c.y1 = start.y;
        c.x2 = end.x;
        c.y2 = end.y;
        // Only the start joint decides: a member reaching across mid-span swings as a whole.
        c.side = c.x1 >= MID_SPAN_FT ? HingeSide::Right : HingeSide::Left;
        const bool left = c.side == HingeSide::Left;
        polar(left ? c.x1 : RIGHT_HINGE_FT - c.x1, c.y1, c.r1, c.theta1);
        polar(left ? c.x2 : RIGHT_HINGE_FT - c.x2, c.y2, c.r2, c.theta2);
        // On a hinge point (r = 0) the extra tilt changes the angle but not the position.
        c.theta1 += extraTilt(random);
        c.theta2 += extraTilt(random);
    }
}

void tiltCollapse(CollapseTable& table, double tiltRad, double dropFt) {
    for (int i = 1; i <= table.count; ++i) {
        CollapseRecord& c = table.records[i];
        c.a1 = c.theta1 - tiltRad;
        c.a2 = c.theta2 - tiltRad;
        const double reach1 = c.r1 * std::cos(c.a1);
        const double reach2 = c.r2 * std::cos(c.a2);
        const bool left = c.side == HingeSide::Left;
        c.currentX1 = left ? reach1 : RIGHT_HINGE_FT - reach1;
        c.currentX2 = left ? reach2 : RIGHT_HINGE_FT - reach2;
        c.currentY1 = c.r1 * std::sin(c.a1) - dropFt;
        c.currentY2 = c.r2 * std::sin(c.a2) - dropFt;
    }
}

int dropCollapse(CollapseTable& table) {
    int moving = 0;
    for (int i = 1; i <= table.count; ++i) {
        CollapseRecord& c = table.records[i];
        // Both ends go down together until the higher one reaches the floor.
        if (c.currentY1 > GORGE_FLOOR_FT || c.currentY2 > GORGE_FLOOR_FT) {
            c.currentY1 -= SINK_STEP_FT;
            c.currentY2 -= SINK_STEP_FT;
            ++moving;
        }
    }
    return moving;
}

int16_t collapseTruckRow(double tiltRad) {
    return pixel16(FALLING_TRUCK_TOP_ROW + FALLING_TRUCK_DEPTH * std::sin(tiltRad));
}

void drawCollapseFrame(Surface& window, DrawingResources& resources, const TruckOutline& outline,
                       const CollapseTable& table, const AnimationInputs& inputs, double tiltRad) {
    Surface& back = resources.backBuffer;
    blit(back, 0, 0, inputs.clientWidth, inputs.clientHeight, resources.boardBitmap, 0, 0);
    if (inputs.bridgeUnstable) {
        drawTruckSprite(back, resources, PARKED_SPRITE_COLUMN, TRUCK_TOP_ROW);
    } else {
        drawTruck(back, outline, FALLING_TRUCK_COLUMN, collapseTruckRow(tiltRad), tiltRad);
    }
    const Pen previous = back.selectPen(Pen{BLACK, 1});
    for (int i = 1; i <= table.count; ++i) {
        const CollapseRecord& c = table.records[i];
        back.moveTo(pixel16(c.currentX1 + BOARD_ORIGIN_COLUMN), pixel16(BOARD_ORIGIN_ROW - c.currentY1));
        back.lineTo(pixel16(c.currentX2 + BOARD_ORIGIN_COLUMN), pixel16(BOARD_ORIGIN_ROW - c.currentY2));
    }
    back.selectPen(previous);
    blit(window, 0, REFRESHED_TOP_ROW, inputs.clientWidth, REFRESHED_ROWS, back, 0, REFRESHED_TOP_ROW);
}

void collapseBridge(Shell& shell, Surface& window, DrawingResources& resources, const TruckOutline& outline,
                    const BridgeModel& model, const AnimationInputs& inputs, uint32_t& frameClock,
                    CollapseTable& table) {
    CollapseRandom random{shell.tickCount()};
    buildCollapseTable(model, random, table);
    shell.waitUntilAfter(frameClock, CRASH_PAUSE_MS);
    if (inputs.soundOn) shell.playSound("crash.wav", SoundMode::Looping);

    // Ten frames at 0.0, 0.1, .. 0.9 rad: the tenth step sums to 0.9999999999999999, which ends
    // the phase and stays the truck's tilt for the fall.
    double tilt = 0.0;
    double drop = 0.0;
    do {
        frameClock = shell.tickCount();
        tiltCollapse(table, tilt, drop);
        drawCollapseFrame(window, resources, outline, table, inputs, tilt);
        shell.waitUntilAfter(frameClock, TILT_FRAME_MS);
        drop += SINK_STEP_FT;
        tilt += TILT_STEP_RAD;
    } while (tilt <= LAST_TILT_RAD);

    // At least one frame; the last one is the first in which nothing moved.
    int moving = 0;
    do {
        frameClock = shell.tickCount();
        moving = dropCollapse(table);
        drawCollapseFrame(window, resources, outline, table, inputs, tilt);
        shell.waitUntilAfter(frameClock, FALL_FRAME_MS);
    } while (moving > 0);

    if (inputs.soundOn) shell.stopSound();
    frameClock = shell.tickCount();
    shell.waitUntilAfter(frameClock, CLOSING_PAUSE_MS);
}
