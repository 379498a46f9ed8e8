// The structural analysis of the bridge as a pin-jointed plane truss: the options that add loads,
// the verdict and load-case forces it leaves behind, and the fixed working storage it runs in.
// Geometry in feet, stiffness in kips per inch, loads and forces in kips, displacements in inches.
#pragma once

#include <cstdint>
#include <type_traits>

#include "model/bridge_model.h"

// Storage is sized for everything the tables can hold, not just the drawing limits: a split may
// leave 151 members and moves may put more than 30 joints on the roadbed line.
constexpr int MAX_DOFS = 2 * LAST_JOINT_SLOT;        // 124: two per joint, numbered from 1
constexpr int DOF_SLOTS = MAX_DOFS + 1;              // slot 0 unused (fixed DOFs point there)
constexpr int MATRIX_STRIDE = 128;                   // doubles per matrix row, room for 1..124
constexpr int MAX_LOAD_CASES = LAST_JOINT_SLOT;      // one per roadbed joint, up to 62
constexpr int LOAD_CASE_SLOTS = MAX_LOAD_CASES + 2;  // cases 1..62, padded to 64

constexpr double TRUCK_LOAD_KIPS = 80.0;
constexpr double DEFLECTION_LIMIT_IN = 240.0;

// Program-wide switches of the Options menu; all 0 at start, never stored in the bridge file.
struct AnalysisOptions {
    uint8_t includeDeadLoad;       // members' own weight on free and roadbed joints
    uint8_t includeDeckWeight;     // deck weight on roadbed joints
    uint8_t includeExtraLiveLoad;  // 2.3 kips per foot of deck on roadbed joints
    uint8_t useMinMemberForce;     // design every member for at least 6 kips of compression
};

// Why the last analysis found the truss unstable, in the order the checks run.
enum class InstabilityCause : uint8_t {
    None = 0,
    TooFewMembers = 1,        // 2 * joints > members + 3
    UnbracedJoint = 2,        // every member at a joint lies on one line (or none reaches it)
    SingularStiffness = 3,    // a zero pivot with no row to swap in
    ExcessiveDeflection = 4,  // some displacement beyond +-240 in (or not a number)
};

// What the last analysis found. Member results (force, allowables, ratio) live in the members.
struct AnalysisResults {
    uint8_t bridgeUnstable;  // 1: no member forces exist; bridgeFailed is 1 as well
    uint8_t bridgeFailed;    // 1: unstable, or at least one member over its allowable force
    InstabilityCause instability;
    int16_t unbracedJoint;  // the joint that failed the bracing check, else 0
    // Inches: largest displacement component of the last load case. Written only when load cases
    // run, so an analysis stopped by a check keeps the previous value (0 before any).
    float maxDeflection;
    // Kips, tension positive: [member][case], case k having the truck on the k-th roadbed joint
    // in ascending joint number. The envelope zeroes entries within +-0.05.
    double caseForces[MEMBER_SLOTS][LOAD_CASE_SLOTS];
};

static_assert(std::is_trivially_copyable_v<AnalysisResults>);

// The solver's working storage, float64 and indexed from 1: allocated once with the program state
// (it is about 510 KB), so analyzeBridge itself allocates nothing. Contents between analyses mean
// nothing.
struct AnalysisWorkspace {
    // K: the full stiffness matrix over all 2 * jointCount DOFs, kips per inch.
    alignas(64) double stiffness[DOF_SLOTS][MATRIX_STRIDE];
    // A: rows and columns of K that belong to free DOFs, reduced to the identity in place.
    alignas(64) double reduced[DOF_SLOTS][MATRIX_STRIDE];
    // G = A^-1, in inches per kip, built from the identity during the elimination. Column c holds
    // the flexibility column of free number loadedFreeNumber[c]: only columns some load can reach
    // are kept, unless the elimination fell back to the full textbook form (then all of them).
    alignas(64) double flexibility[DOF_SLOTS][MATRIX_STRIDE];
    // Kips: [column of G][case]. Inches: [free number][case]; row 0 stays 0 for the fixed DOFs.
    alignas(64) double loads[DOF_SLOTS][LOAD_CASE_SLOTS];
    alignas(64) double displacements[DOF_SLOTS][LOAD_CASE_SLOTS];
    // One load case over DOFs 1..2 * jointCount, kips: where each case is put together, and room
    // for callers of the load operations (the data report).
    double loadVector[DOF_SLOTS];

    int freeDofCount;               // nf
    int16_t freeDof[DOF_SLOTS];     // free number -> DOF
    int16_t freeNumber[DOF_SLOTS];  // DOF -> free number, 0 for a fixed DOF
    int loadedColumnCount;
    int16_t loadedFreeNumber[DOF_SLOTS];    // column of G -> free number
    int16_t roadbedJoint[LOAD_CASE_SLOTS];  // case -> joint carrying the truck

    // Per member, from its section, length and angle: kips per inch, cosine and sine.
    double axialStiffness[MEMBER_SLOTS];
    double cosAngle[MEMBER_SLOTS];
    double sinAngle[MEMBER_SLOTS];
};

// Inches: every joint's displacement in every load case of a stable analysis, x to the right and
// y upward, 0 in the fixed directions of the supports. Filled from the workspace, so that the
// pictures of the deflected shape outlive the next use of the workspace.
struct CaseDisplacements {
    int16_t jointCount;
    int16_t caseCount;                        // 0 when the analysis found the truss unstable
    int16_t caseJoint[LOAD_CASE_SLOTS];       // case -> the roadbed joint carrying the truck
    double dx[JOINT_SLOTS][LOAD_CASE_SLOTS];  // [joint][case]
    double dy[JOINT_SLOTS][LOAD_CASE_SLOTS];
};

static_assert(std::is_trivially_copyable_v<CaseDisplacements>);

// Clears the previous results, computes the allowable forces, checks stability, solves one load
// case per roadbed joint (the truck plus the loads the options enable) and, if the truss is
// stable, judges every member. Expects updateGeometry to have run and every member to join two
// distinct joints 1..jointCount; the counts may reach the table sizes (62 joints, 152 members).
void analyzeBridge(BridgeModel& model, const AnalysisOptions& options, AnalysisResults& results,
                   AnalysisWorkspace& workspace);

// Copies the displacements of the analysis that just ran, before anything else uses workspace.
void collectCaseDisplacements(const BridgeModel& model, const AnalysisResults& results,
                              const AnalysisWorkspace& workspace, CaseDisplacements& displacements);
