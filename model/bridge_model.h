// The one bridge the program holds: fixed joint and member tables indexed from 1 (slot 0 unused),
// their counts and the totals derived from them. Geometry in feet, loads and forces in kips,
// sections in inches. Board coordinates (pixels) are authoritative; feet are derived from them.
#pragma once

#include <cstdint>
#include <type_traits>

// Limits enforced when a member is added; the tables keep spare slots beyond them because a new
// member may add two joints and one member before validation takes them back, and a split after
// validation may leave one member above the limit.
constexpr int MAX_JOINTS = 60;
constexpr int MAX_ROADBED_JOINTS = 30;
constexpr int MAX_MEMBERS = 150;
constexpr int JOINT_SLOTS = MAX_JOINTS + 3;    // slots 0..62
constexpr int MEMBER_SLOTS = MAX_MEMBERS + 3;  // slots 0..152
constexpr int LAST_JOINT_SLOT = JOINT_SLOTS - 1;
constexpr int LAST_MEMBER_SLOT = MEMBER_SLOTS - 1;

constexpr double MIN_MEMBER_LENGTH_FT = 1.0;
constexpr double MAX_MEMBER_LENGTH_FT = 130.0;

// Board geometry: one pixel is one foot; the left support is board (150, 250) = (0, 0) ft.
constexpr int BOARD_ORIGIN_COLUMN = 150;
constexpr int BOARD_ORIGIN_ROW = 250;
constexpr int RIGHT_SUPPORT_COLUMN = 550;
constexpr double SPAN_FT = 400.0;
constexpr double CENTRE_LINE_FT = 200.0;
// Where new joints may be placed: x 0..400 ft, y -65..100 ft.
constexpr int JOINT_AREA_LEFT = 150;
constexpr int JOINT_AREA_RIGHT = 550;
constexpr int JOINT_AREA_TOP = 150;
constexpr int JOINT_AREA_BOTTOM = 315;

// The full circle used by the angle rules; deliberately not 2*pi at full precision.
constexpr double FULL_CIRCLE_RAD = 6.28318531;

// Values of Joint::kind, recomputed by updateGeometry from where the joint stands.
namespace JointKind {
constexpr uint8_t Free = 1;          // not on the roadbed line
constexpr uint8_t LeftSupport = 2;   // pin at (0, 0) ft
constexpr uint8_t Roadbed = 3;       // on the roadbed line, not at a support
constexpr uint8_t RightSupport = 4;  // roller at (400, 0) ft
}  // namespace JointKind

struct Joint {
    int16_t screenX;    // board column, pixels
    int16_t screenY;    // board row, pixels (down is positive)
    float x;            // ft, screenX - 150
    float y;            // ft, 250 - screenY (up is positive)
    uint8_t kind;       // JointKind
    uint8_t fileFlag1;  // kept only for the bridge file
    uint8_t fileFlag2;
    uint8_t fileFlag3;
    float selfWeightLoad;  // kips, half the weight of every member meeting here
    float liveLoad;        // kips, share of the extra live load
    float deckLoad;        // kips, share of the deck weight
};

struct Member {
    int16_t startJoint;  // after updateGeometry, the end with the smaller x
    int16_t endJoint;
    float startX;  // ft, copies of the end joints' positions
    float startY;
    float endX;
    float endY;
    int8_t size;                  // member size 1..12; 0 = no properties
    uint8_t isDeckMember;         // 1 when both ends are roadbed or support joints
    double radiusOfGyration;      // in
    double area;                  // in^2
    float tensionCapacity;        // kips
    double length;                // ft
    float weight;                 // lb
    float deckLoad;               // kips carried as deck weight
    float liveLoad;               // kips carried as extra live load
    double angle;                 // radians from start to end joint, in [0, pi/2] or [3pi/2, 2pi)
    double force;                 // kips, tension positive
    double allowableCompression;  // kips
    double allowableTension;      // kips
    double forceRatio;            // percent; exactly 1000 marks a failed member
};

constexpr int BRIDGE_NAME_CHARS = 8;
constexpr int FILE_PATH_CHARS = 4095;  // PATH_MAX; paths are not part of any file format
constexpr double DEFAULT_ELASTIC_MODULUS_KSI = 29000.0;
constexpr int16_t INITIAL_HIT_TOLERANCE = 10;

struct BridgeModel {
    Joint joints[JOINT_SLOTS];
    Member members[MEMBER_SLOTS];
    int16_t jointCount;
    int16_t memberCount;
    int16_t roadbedJointCount;  // joints of kind 3, set by updateGeometry
    double totalWeight;         // kips
    char bridgeName[BRIDGE_NAME_CHARS + 1];
    int16_t hitTolerance;  // ft (= pixels) within which a point is taken as an existing joint
    uint8_t savedFlag;     // 1 = no unsaved changes
    // The file the bridge came from or was last saved to; empty until then.
    char filePath[FILE_PATH_CHARS + 1];
    double elasticModulus;  // ksi; carried through the bridge file, never used by the analysis
};

static_assert(std::is_trivially_copyable_v<BridgeModel>);

struct MemberSizeTable;

// A fresh model: no joints or members, named "UNTITLED", saved, hit tolerance 10.
void initBridgeModel(BridgeModel& model);

// Recomputes every derived field (feet, kinds, member order, lengths, angles, section
// properties, weights, deck flags, totals) from the board coordinates and the sizes.
void updateGeometry(BridgeModel& model, const MemberSizeTable& memberSizes);

// File/New: both counts 0, name "UNTITLED", weight 0, results cleared.
void clearBridge(BridgeModel& model);

// Zeroes force, allowable forces and force ratio of member slots 1..lastMember (all of them
// unless told otherwise).
void clearResults(BridgeModel& model, int lastMember = LAST_MEMBER_SLOT);

void setBridgeName(BridgeModel& model, const char* name);

// Board pixels to feet and back. Feet go back to the board truncated toward zero; callers make
// sure the result fits a 16-bit coordinate.
inline float feetFromColumn(int column) {
    return static_cast<float>(column - BOARD_ORIGIN_COLUMN);
}
inline float feetFromRow(int row) {
    return static_cast<float>(BOARD_ORIGIN_ROW - row);
}
int columnFromFeet(double x);
int rowFromFeet(double y);
