// How an unstable truss moves: one motion of its joints that stretches no member (a vector in the
// null space of the free stiffness matrix), or, for a truss that only deflects too far, the motion
// of its smallest stiffness. Found apart from the analysis, whose tests and results it leaves alone.
// Motions are unitless: the joint that moves most moves a length of 1, x right and y up.
#pragma once

#include <cstdint>
#include <type_traits>

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// Which of the analysis's tests found the truss unstable.
enum class MechanismReason : uint8_t {
    Members,     // fewer members than 2 * joints - 3
    Joint,       // a joint that no member braces
    Matrix,      // a singular stiffness matrix
    Deflection,  // a displacement beyond 240 inches
};

struct Mechanism {
    MechanismReason reason;
    int16_t joint;                  // the unbraced joint of the Joint test, else 0
    int16_t jointCount;             // motion holds joints 1..jointCount
    double motion[JOINT_SLOTS][2];  // [joint][0 = x, 1 = y]; 0 in the supports' fixed directions
    // |K m| / (largest diagonal entry of K * |m|), maxima over the free DOFs: about 1e-12 for a
    // true mechanism, small for a truss that only deflects too far.
    double residual;
};

static_assert(std::is_trivially_copyable_v<Mechanism>);

// For a truss the last analysis found unstable (results as it left them; geometry current), fills
// mechanism and returns true; returns false for a stable truss or one with no free joint motion.
// Uses scratch's matrices, so its contents mean nothing afterwards. Allocates nothing.
bool findMechanism(const BridgeModel& model, const AnalysisResults& results, AnalysisWorkspace& scratch,
                   Mechanism& mechanism);
