// The mechanism by inverse iteration: the free stiffness matrix K, symmetric and positive
// semi-definite, is shifted by a tiny multiple of its largest diagonal entry so that a Cholesky
// factor exists, and a few solves with it turn any start vector towards the eigenvector of the
// smallest eigenvalue: exactly a null vector when K is singular.
#include "analysis/mechanism.h"

#include <algorithm>
#include <cmath>

#include "analysis/stiffness_solver.h"

namespace {

constexpr int ITERATIONS = 8;
constexpr double FIRST_SHIFT = 1e-10;  // times the largest diagonal entry

// L (lower triangle, diagonal included) with L L^T = A + shift I, in place of A's lower triangle.
// Returns false at a pivot that is not positive.
bool choleskyShifted(AnalysisWorkspace& ws, double shift) {
    auto& a = ws.reduced;
    const int n = ws.freeDofCount;
    for (int j = 1; j <= n; ++j) {
        double d = ws.stiffness[ws.freeDof[j]][ws.freeDof[j]] + shift;
        for (int k = 1; k < j; ++k) d -= a[j][k] * a[j][k];
        if (!(d > 0.0)) return false;
        const double pivot = std::sqrt(d);
        a[j][j] = pivot;
        for (int i = j + 1; i <= n; ++i) {
            double s = ws.stiffness[ws.freeDof[i]][ws.freeDof[j]];
            for (int k = 1; k < j; ++k) s -= a[i][k] * a[j][k];
            a[i][j] = s / pivot;
        }
    }
    return true;
}

// v = (L L^T)^-1 v.
void solveShifted(const AnalysisWorkspace& ws, double* v) {
    const auto& l = ws.reduced;
    const int n = ws.freeDofCount;
    for (int i = 1; i <= n; ++i) {
        double s = v[i];
        for (int k = 1; k < i; ++k) s -= l[i][k] * v[k];
        v[i] = s / l[i][i];
    }
    for (int i = n; i >= 1; --i) {
        double s = v[i];
        for (int k = i + 1; k <= n; ++k) s -= l[k][i] * v[k];
        v[i] = s / l[i][i];
    }
}

double largestMagnitude(const double* v, int n) {
    double largest = 0.0;
    for (int i = 1; i <= n; ++i) largest = std::max(largest, std::fabs(v[i]));
    return largest;
}

MechanismReason reasonOf(InstabilityCause cause) {
    switch (cause) {
        case InstabilityCause::TooFewMembers:
            return MechanismReason::Members;
        case InstabilityCause::UnbracedJoint:
            return MechanismReason::Joint;
        case InstabilityCause::ExcessiveDeflection:
            return MechanismReason::Deflection;
        default:
            return MechanismReason::Matrix;
    }
}

}  // namespace

bool findMechanism(const BridgeModel& model, const AnalysisResults& results, AnalysisWorkspace& ws,
                   Mechanism& mechanism) {
    if (!results.bridgeUnstable) return false;
    assembleStiffness(model, ws);
    buildFreeDofMap(model, ws);
    const int n = ws.freeDofCount;
    if (n == 0) return false;
    double scale = 0.0;
    for (int r = 1; r <= n; ++r) scale = std::max(scale, ws.stiffness[ws.freeDof[r]][ws.freeDof[r]]);
    if (!(scale > 0.0)) scale = 1.0;  // nothing holds any joint: every motion is free

    double shift = FIRST_SHIFT * scale;
    while (!choleskyShifted(ws, shift)) {
        shift *= 1000.0;
        if (!(shift < scale)) return false;  // not a stiffness matrix (a member of no length)
    }
    double v[DOF_SLOTS];
    // A start with no symmetry, so that it is not orthogonal to the motion by chance.
    for (int r = 1; r <= n; ++r) v[r] = 1.0 + 0.5 * std::sin(1.7 * r);
    for (int pass = 0; pass < ITERATIONS; ++pass) {
        solveShifted(ws, v);
        const double largest = largestMagnitude(v, n);
        if (!(largest > 0.0)) return false;
        for (int r = 1; r <= n; ++r) v[r] /= largest;
    }

    double kv = 0.0;
    for (int r = 1; r <= n; ++r) {
        double s = 0.0;
        for (int c = 1; c <= n; ++c) s += ws.stiffness[ws.freeDof[r]][ws.freeDof[c]] * v[c];
        kv = std::max(kv, std::fabs(s));
    }
    mechanism.residual = kv / (scale * largestMagnitude(v, n));
    mechanism.reason = reasonOf(results.instability);
    mechanism.joint = results.instability == InstabilityCause::UnbracedJoint ? results.unbracedJoint : 0;
    mechanism.jointCount = static_cast<int16_t>(model.jointCount);

    // Joint by joint, the joint that moves most scaled to 1 and moving down (or right).
    double largest = 0.0;
    int mover = 0;
    for (int j = 1; j <= model.jointCount; ++j) {
        const int fx = ws.freeNumber[2 * j - 1];
        const int fy = ws.freeNumber[2 * j];
        mechanism.motion[j][0] = fx ? v[fx] : 0.0;
        mechanism.motion[j][1] = fy ? v[fy] : 0.0;
        const double length = std::hypot(mechanism.motion[j][0], mechanism.motion[j][1]);
        if (length > largest) {
            largest = length;
            mover = j;
        }
    }
    if (mover == 0) return false;
    const double dy = mechanism.motion[mover][1];
    const double sign = dy < 0.0 || (dy == 0.0 && mechanism.motion[mover][0] > 0.0) ? 1.0 : -1.0;
    for (int j = 1; j <= model.jointCount; ++j) {
        // Adding 0.0 turns a -0.0 (a still direction turned round) into 0.0.
        mechanism.motion[j][0] = mechanism.motion[j][0] * (sign / largest) + 0.0;
        mechanism.motion[j][1] = mechanism.motion[j][1] * (sign / largest) + 0.0;
    }
    return true;
}
