// analyzeBridge: reset, allowables, the two quick stability checks, the inversion of the free
// stiffness matrix, one load case per roadbed joint and the verdict. Instability is reported only
// through the flags (and its cause); the analysis never shows anything.
#include "analysis/analysis.h"

#include <cassert>

#include "analysis/loads.h"
#include "analysis/member_evaluation.h"
#include "analysis/stiffness_solver.h"

namespace {

// The stored stand-in for pi and the bracing tolerance (about 0.1 degree), radians.
constexpr double HALF_TURN_RAD = 3.14159;
constexpr double BRACING_TOLERANCE_RAD = 0.00175;

void markUnstable(AnalysisResults& results, InstabilityCause cause) {
    results.bridgeUnstable = 1;
    results.bridgeFailed = 1;
    if (results.instability == InstabilityCause::None) results.instability = cause;
}

bool farFrom(double angle, double value) {
    return angle - BRACING_TOLERANCE_RAD >= value || angle + BRACING_TOLERANCE_RAD <= value;
}

// A joint is braced when some member at it points away from the line of its lowest-numbered
// member. Supports are checked too. Only the line's angle and that angle +-3.14159 are compared,
// so members just above 0 and just below 2 pi are not seen as one line. Returns the first joint
// that is not braced (no members, one member, or all on one line), else 0.
int firstUnbracedJoint(const BridgeModel& model) {
    for (int d = 1; d <= model.jointCount; ++d) {
        int first = 1;
        while (first <= model.memberCount && model.members[first].startJoint != d &&
               model.members[first].endJoint != d) {
            ++first;
        }
        if (first > model.memberCount) return d;
        const double line = model.members[first].angle;
        bool braced = false;
        for (int i = first + 1; i <= model.memberCount && !braced; ++i) {
            const Member& m = model.members[i];
            if (m.startJoint != d && m.endJoint != d) continue;
            braced = farFrom(m.angle, line) && farFrom(m.angle, line + HALF_TURN_RAD) &&
                     farFrom(m.angle, line - HALF_TURN_RAD);
        }
        if (!braced) return d;
    }
    return 0;
}

int countRoadbedJoints(const BridgeModel& model) {
    int count = 0;
    for (int j = 1; j <= model.jointCount; ++j) {
        if (model.joints[j].kind == JointKind::Roadbed) ++count;
    }
    return count;
}

// Inverts the free stiffness matrix, the fast way while every pivot is positive and the textbook
// way otherwise; both give the same bits. Returns false when the matrix is singular.
bool invertFreeStiffness(const BridgeModel& model, const AnalysisOptions& options, AnalysisWorkspace& ws) {
    chooseLoadedColumns(model, options, ws);
    reduceToFreeDofs(ws);
    if (invertPositivePivots(ws)) return true;
    keepAllColumns(ws);
    reduceToFreeDofs(ws);
    return invertGaussJordan(ws);
}

void solveAllCases(BridgeModel& model, const AnalysisOptions& options, int caseCount,
                   AnalysisResults& results, AnalysisWorkspace& ws) {
    // The shares depend only on the geometry, so one computation serves every case.
    if (options.includeDeadLoad) computeSelfWeightShares(model);
    if (options.includeDeckWeight) computeDeckWeightShares(model);
    if (options.includeExtraLiveLoad) computeExtraLiveLoadShares(model);
    buildLoadCases(model, options, caseCount, ws);
    solveLoadCases(caseCount, ws);
    bool exceedsLimit = false;
    // Each case starts from 0, so the last case's largest component is what remains.
    for (int k = 1; k <= caseCount; ++k) results.maxDeflection = largestDisplacement(ws, k, exceedsLimit);
    if (exceedsLimit) markUnstable(results, InstabilityCause::ExcessiveDeflection);
    memberForces(model, caseCount, ws, results);
}

}  // namespace

void analyzeBridge(BridgeModel& model, const AnalysisOptions& options, AnalysisResults& results,
                   AnalysisWorkspace& workspace) {
    assert(model.jointCount >= 0 && model.jointCount <= LAST_JOINT_SLOT && "joint count beyond the table");
    assert(model.memberCount >= 0 && model.memberCount <= LAST_MEMBER_SLOT &&
           "member count beyond the table");
    results.bridgeUnstable = 0;
    results.bridgeFailed = 0;
    results.instability = InstabilityCause::None;
    results.unbracedJoint = 0;
    clearResults(model, model.memberCount);
    computeAllowables(model);
    const int caseCount = countRoadbedJoints(model);
    model.roadbedJointCount = static_cast<int16_t>(caseCount);

    // Two equations per joint against one unknown per member and three support reactions.
    if (2 * model.jointCount > model.memberCount + 3) {
        markUnstable(results, InstabilityCause::TooFewMembers);
        return;
    }
    if (const int joint = firstUnbracedJoint(model)) {
        results.unbracedJoint = static_cast<int16_t>(joint);
        markUnstable(results, InstabilityCause::UnbracedJoint);
        return;
    }
    assembleStiffness(model, workspace);
    buildFreeDofMap(model, workspace);
    if (!invertFreeStiffness(model, options, workspace)) {
        markUnstable(results, InstabilityCause::SingularStiffness);
        return;
    }
    if (caseCount > 0) solveAllCases(model, options, caseCount, results, workspace);
    if (results.bridgeUnstable) return;
    evaluateMembers(model, options, results);
}

void collectCaseDisplacements(const BridgeModel& model, const AnalysisResults& results,
                              const AnalysisWorkspace& ws, CaseDisplacements& displacements) {
    displacements.jointCount = static_cast<int16_t>(model.jointCount);
    displacements.caseCount = results.bridgeUnstable ? 0 : static_cast<int16_t>(countRoadbedJoints(model));
    for (int k = 1; k <= displacements.caseCount; ++k) displacements.caseJoint[k] = ws.roadbedJoint[k];
    // Row 0 of the displacements is the fixed DOFs' 0.
    for (int j = 1; j <= model.jointCount; ++j) {
        const double* ux = ws.displacements[ws.freeNumber[2 * j - 1]];
        const double* uy = ws.displacements[ws.freeNumber[2 * j]];
        for (int k = 1; k <= displacements.caseCount; ++k) {
            displacements.dx[j][k] = ux[k];
            displacements.dy[j][k] = uy[k];
        }
    }
}
