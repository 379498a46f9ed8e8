// The truck crossing the bridge: the vector outline truck, the drive of the truck sprite along the
// deck, and the collapse of a failed bridge into the gorge. Frames are drawn in the back buffer,
// copied to the window and timed by the shell's waits; feet map to window pixels as column
// x + 150, row 250 - y, so the deck line is row 250 and the truck sprite sits on rows 235..249.
#pragma once

#include <cstdint>

#include "display/drawing_resources.h"
#include "model/bridge_model.h"
#include "platform/raster/surface.h"
#include "platform/shell.h"

// ---- The outline truck ---------------------------------------------------------------------------

// Strokes 1..11 paint the trailer side white; strokes 12..37 are the black lines drawn over them.
constexpr int TRUCK_FILL_STROKES = 11;
constexpr int TRUCK_OUTLINE_STROKES = 37;

// One stroke in truck pixels: x forward (to the right when level), y downward, the origin at the
// truck's front bottom corner. The level outline covers x -53..0 and y -15..0.
struct TruckStroke {
    double x1;
    double y1;
    double x2;
    double y2;
};

struct TruckOutline {
    TruckStroke strokes[TRUCK_OUTLINE_STROKES + 1];  // slot 0 unused
};

// Called once when the main window is created; the table never changes afterwards.
void initTruckOutline(TruckOutline& outline);

// The outline truck with its front bottom corner at window pixel (x, y), turned by angleRad;
// y grows downward, so a positive angle turns it clockwise, nose down. Each stroke end (px, py)
// lands on column x + trunc(px cos - py sin + 0.49) and row y + trunc(px sin + py cos + 0.49),
// truncated toward zero. The fill strokes go with a white one-pixel pen, the lines with a black
// one; the target's own pen is put back afterwards.
void drawTruck(Surface& target, const TruckOutline& outline, int16_t x, int16_t y, double angleRad);

// ---- The run -------------------------------------------------------------------------------------

// What the animation reads from the last analysis and the settings.
struct AnimationInputs {
    bool bridgeUnstable = false;          // the analysis found a mechanism
    bool bridgeFailed = false;            // unstable, or a member over its allowable force
    bool soundOn = false;                 // soundSetting == SOUND_ON
    int clientWidth = BACK_BUFFER_WIDTH;  // bound the full-picture copies into the back buffer
    int clientHeight = BACK_BUFFER_HEIGHT;
};

// The Animate command's run, after its analysis: the drive, then either the collapse (a failed
// bridge, after "truckwh.wav" is started) or, for a bridge that passed, "truckwh.wav" to its end
// and then "cheers.wav" started. Sounds only with inputs.soundOn. Blocks until the last pause is
// over; the shell delivers no messages meanwhile.
// The caller has drawn the site picture with the parked truck and the bridge over it on the
// window, the back buffer holds the site and the parked truck, and the verdict is fresh. The
// window then shows the truck gone off the right edge, or the bridge fallen into the gorge: the
// caller selects Review and invalidates the window, whose repaint shows the intact bridge again.
// frameClock keeps the start of the last frame or pause. The overlay is left as it was.
void runAnimation(Shell& shell, Surface& window, DrawingResources& resources, const TruckOutline& outline,
                  const BridgeModel& model, const AnimationInputs& inputs, uint32_t& frameClock);

// ---- The drive -----------------------------------------------------------------------------------

// Where the sprite's left edge stops: 80 on the approach (unstable), 246 on the span with its front
// about 150 ft in (failed), 632 off the picture (passed). It starts at TRUCK_PARK_X = 20 and moves
// one pixel per frame of just over 50 ms: 61, 227 or 613 frames.
constexpr int DRIVE_STOP_UNSTABLE = 80;
constexpr int DRIVE_STOP_FAILED = 246;
constexpr int DRIVE_STOP_PASSED = 632;
int driveStopColumn(const AnimationInputs& inputs);

// The sprite from the parked position to its stop column, with "truckstr.wav" played to its end
// before the first frame and "truck.wav" looping until the last (sound on). Members and joint
// rings that cross the deck band (rows 235..249) are drawn black in front of the truck. The
// picture the caller drew is shown first, so that it is on screen during the starting sound.
// Leaves the back buffer holding the site and the truck at its stop.
void driveTruck(Shell& shell, Surface& window, DrawingResources& resources, const BridgeModel& model,
                const AnimationInputs& inputs, uint32_t& frameClock);

// The members and joint rings as seen through the overlay's rectangle, black on white, in a
// surface of OVERLAY_WIDTH x OVERLAY_HEIGHT; its rows 90..104 cover the deck band.
void buildDeckMask(const BridgeModel& model, Surface& mask);

// One drive frame with the sprite's left edge at column x: in the back buffer the previous truck
// is erased from the site picture, the sprite drawn and the deck band of the mask ANDed over it;
// then the 55 x 15 band from column x - 1 is copied to the window.
void drawDriveFrame(Surface& window, DrawingResources& resources, const Surface& mask, int x);

// ---- The collapse --------------------------------------------------------------------------------

// Which support a member swings about: the left one at (0, 0) ft or the right one at (400, 0) ft.
namespace HingeSide {
constexpr uint8_t Left = 0;
constexpr uint8_t Right = 1;
}  // namespace HingeSide

// One member as it falls. Feet and radians; end 1 is the member's start joint, end 2 its end joint.
struct CollapseRecord {
    double x1, x2, y1, y2;  // ft, where the ends stood
    double theta1, theta2;  // rad, polar angle of each end about the hinge, with the extra tilt
    double r1, r2;          // ft, distance of each end from the hinge
    uint8_t side;           // HingeSide, decided by the start joint alone
    double a1, a2;          // rad, theta less the current tilt
    double currentX1, currentX2, currentY1, currentY2;  // ft, where the ends are now
};

// Indexed like the member table, from 1; rebuilt at the start of every collapse.
struct CollapseTable {
    CollapseRecord records[MEMBER_SLOTS];
    int count;  // the model's memberCount when it was built
};

// Uniform integers 0..32767 from a linear congruential sequence; seeded from the tick count, so
// that a run on the same clock tilts the same ends by the same amounts.
struct CollapseRandom {
    uint32_t state;
    int next();
};

// The collapse of a failed bridge. The pause before it is counted from frameClock, which the caller
// sets when the drive has ended. After more than 1700 ms "crash.wav" starts looping; ten tilt
// frames of just over 500 ms swing the two halves down about their supports by 0.0 .. 0.9 rad while
// they sink 2 ft a frame, and the outline truck tumbles from (300, 249) nose down (an unstable
// bridge keeps the sprite parked at (80, 235) instead); then fall frames of just over 80 ms drop
// every member 2 ft at a time until both its ends are at or below the gorge floor, -80 ft. The
// sound stops, and the fallen bridge stays on the window for more than 2000 ms. Only window rows
// 130..344 are redrawn. table holds the fallen members afterwards.
void collapseBridge(Shell& shell, Surface& window, DrawingResources& resources, const TruckOutline& outline,
                    const BridgeModel& model, const AnimationInputs& inputs, uint32_t& frameClock,
                    CollapseTable& table);

// The ends of every member in feet, its hinge, radii and angles, and the extra 2..4 degree
// downward tilt each end gets with probability one half (at most four draws per member, in member
// order). Reads the joints' x and y in feet.
void buildCollapseTable(const BridgeModel& model, CollapseRandom& random, CollapseTable& table);

// The ends turned down by tiltRad about their hinges and sunk by dropFt.
void tiltCollapse(CollapseTable& table, double tiltRad, double dropFt);

// One fall step: every member with an end above -80 ft sinks 2 ft. Returns how many moved.
int dropCollapse(CollapseTable& table);

// The window row of the outline truck's front bottom corner at a tilt: trunc(249 + 152 sin(tilt)).
int16_t collapseTruckRow(double tiltRad);

// One collapse frame: the site picture into the back buffer, the truck (the parked sprite at
// (80, 235) for an unstable bridge, else the outline truck at column 300 turned by tiltRad), every
// member as a black line from its current ends, then back-buffer rows 130..344 across the client
// width to the window.
void drawCollapseFrame(Surface& window, DrawingResources& resources, const TruckOutline& outline,
                       const CollapseTable& table, const AnimationInputs& inputs, double tiltRad);
