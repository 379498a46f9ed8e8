// Stiffness assembly, the free-DOF reduction, Gauss-Jordan inversion (textbook and zero-skipping),
// the load-case solutions and the member forces. Every sum is taken in the order the textbook
// algorithm takes it, so both inversions give the same bits.
#include "analysis/stiffness_solver.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <utility>

#include "analysis/loads.h"
#include "analysis/member_sizes.h"

namespace {

// Two doubles at a time (one SSE2 register), loaded and stored unaligned. Element by element the
// arithmetic is exactly the scalar loop's.
typedef double Double2 __attribute__((vector_size(16)));

inline Double2 load2(const double* p) {
    Double2 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store2(double* p, Double2 v) {
    std::memcpy(p, &v, sizeof v);
}

// dst[c] -= f * src[c] over lo..hi. Rows of one matrix never alias here.
inline void subtractScaledRow(double* __restrict dst, const double* __restrict src, double f, int lo,
                              int hi) {
    int c = lo;
    for (; c + 3 <= hi; c += 4) {
        store2(dst + c, load2(dst + c) - f * load2(src + c));
        store2(dst + c + 2, load2(dst + c + 2) - f * load2(src + c + 2));
    }
    for (; c <= hi; ++c) dst[c] -= f * src[c];
}

inline void divideRow(double* row, double d, int lo, int hi) {
    int c = lo;
    for (; c + 1 <= hi; c += 2) store2(row + c, load2(row + c) / d);
    for (; c <= hi; ++c) row[c] /= d;
}

// First and last non-zero entry of row over lo..hi; first > last when there is none.
std::pair<int, int> nonZeroSpan(const double* row, int lo, int hi) {
    while (lo <= hi && row[lo] == 0.0) ++lo;
    while (hi >= lo && row[hi] == 0.0) --hi;
    return {lo, hi};
}

bool isFixed(const BridgeModel& model, int dof) {
    const uint8_t kind = model.joints[(dof + 1) / 2].kind;
    const bool vertical = dof % 2 == 0;
    return kind == JointKind::LeftSupport || (kind == JointKind::RightSupport && vertical);
}

}  // namespace

void assembleStiffness(const BridgeModel& model, AnalysisWorkspace& ws) {
    const int n = 2 * model.jointCount;
    assert(n <= MAX_DOFS && "more joints than the tables hold");
    for (int r = 1; r <= n; ++r) {
        for (int c = 1; c <= n; ++c) ws.stiffness[r][c] = 0.0;
    }
    auto& K = ws.stiffness;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        assert(m.startJoint >= 1 && m.startJoint <= model.jointCount && m.endJoint >= 1 &&
               m.endJoint <= model.jointCount && "member ends must be joints 1..jointCount");
        const double k = m.area * ELASTIC_MODULUS_KSI / (m.length * 12.0);  // kips per inch
        const double c = std::cos(m.angle);
        const double s = std::sin(m.angle);
        ws.axialStiffness[i] = k;
        ws.cosAngle[i] = c;
        ws.sinAngle[i] = s;
        const double kcc = k * c * c;
        const double kcs = k * c * s;
        const double kss = k * s * s;
        const int ax = 2 * m.startJoint - 1, ay = 2 * m.startJoint;
        const int bx = 2 * m.endJoint - 1, by = 2 * m.endJoint;
        K[ax][ax] += kcc;
        K[bx][bx] += kcc;
        K[ax][ay] += kcs;
        K[ay][ax] += kcs;
        K[bx][by] += kcs;
        K[by][bx] += kcs;
        K[ay][ay] += kss;
        K[by][by] += kss;
        K[ax][bx] -= kcc;
        K[bx][ax] -= kcc;
        K[ax][by] -= kcs;
        K[ay][bx] -= kcs;
        K[bx][ay] -= kcs;
        K[by][ax] -= kcs;
        K[ay][by] -= kss;
        K[by][ay] -= kss;
    }
}

void buildFreeDofMap(const BridgeModel& model, AnalysisWorkspace& ws) {
    const int n = 2 * model.jointCount;
    int nf = 0;
    ws.freeNumber[0] = 0;
    for (int dof = 1; dof <= n; ++dof) {
        if (isFixed(model, dof)) {
            ws.freeNumber[dof] = 0;
        } else {
            ws.freeDof[++nf] = static_cast<int16_t>(dof);
            ws.freeNumber[dof] = static_cast<int16_t>(nf);
        }
    }
    ws.freeDofCount = nf;
}

void chooseLoadedColumns(const BridgeModel& model, const AnalysisOptions& options, AnalysisWorkspace& ws) {
    int columns = 0;
    for (int r = 1; r <= ws.freeDofCount; ++r) {
        const int dof = ws.freeDof[r];
        const uint8_t kind = model.joints[(dof + 1) / 2].kind;
        const bool loaded = dof % 2 == 0 && (kind == JointKind::Roadbed ||
                                             (kind == JointKind::Free && options.includeDeadLoad));
        if (loaded) ws.loadedFreeNumber[++columns] = static_cast<int16_t>(r);
    }
    ws.loadedColumnCount = columns;
}

void keepAllColumns(AnalysisWorkspace& ws) {
    for (int r = 1; r <= ws.freeDofCount; ++r) ws.loadedFreeNumber[r] = static_cast<int16_t>(r);
    ws.loadedColumnCount = ws.freeDofCount;
}

void reduceToFreeDofs(AnalysisWorkspace& ws) {
    const int nf = ws.freeDofCount;
    for (int r = 1; r <= nf; ++r) {
        const double* fullRow = ws.stiffness[ws.freeDof[r]];
        double* row = ws.reduced[r];
        for (int c = 1; c <= nf; ++c) row[c] = fullRow[ws.freeDof[c]];
        double* flex = ws.flexibility[r];
        for (int c = 1; c <= ws.loadedColumnCount; ++c) flex[c] = ws.loadedFreeNumber[c] == r ? 1.0 : 0.0;
    }
}

bool invertGaussJordan(AnalysisWorkspace& ws, int* rowSwaps) {
    const int nf = ws.freeDofCount;
    assert(ws.loadedColumnCount == nf && "the textbook inversion keeps every column");
    auto& A = ws.reduced;
    auto& G = ws.flexibility;
    for (int p = 1; p <= nf; ++p) {
        if (A[p][p] == 0.0) {
            int q = p + 1;
            while (q <= nf && A[q][p] == 0.0) ++q;
            if (q > nf) return false;
            if (rowSwaps) ++*rowSwaps;
            for (int c = 1; c <= nf; ++c) {
                std::swap(A[p][c], A[q][c]);
                std::swap(G[p][c], G[q][c]);
            }
        }
        const double d = A[p][p];
        divideRow(A[p], d, 1, nf);
        divideRow(G[p], d, 1, nf);
        for (int i = 1; i <= nf; ++i) {
            if (i == p) continue;
            const double f = A[i][p];
            subtractScaledRow(A[i], A[p], f, 1, nf);
            subtractScaledRow(G[i], G[p], f, 1, nf);
        }
    }
    return true;
}

bool invertPositivePivots(AnalysisWorkspace& ws) {
    const int nf = ws.freeDofCount;
    auto& A = ws.reduced;
    auto& G = ws.flexibility;
    // Columns 1..p of A are never read again once pivot p is done, so they are left stale.
    for (int p = 1; p <= nf; ++p) {
        const double d = A[p][p];
        if (!(d > 0.0)) return false;
        double* pivotRowA = A[p];
        double* pivotRowG = G[p];
        const auto [aLo, aHi] = nonZeroSpan(pivotRowA, p + 1, nf);
        const auto [gLo, gHi] = nonZeroSpan(pivotRowG, 1, ws.loadedColumnCount);
        divideRow(pivotRowA, d, aLo, aHi);
        divideRow(pivotRowG, d, gLo, gHi);
        for (int i = 1; i <= nf; ++i) {
            const double f = A[i][p];
            if (i == p || f == 0.0) continue;
            subtractScaledRow(A[i], pivotRowA, f, aLo, aHi);
            subtractScaledRow(G[i], pivotRowG, f, gLo, gHi);
        }
    }
    return true;
}

void buildLoadCases(const BridgeModel& model, const AnalysisOptions& options, int caseCount,
                    AnalysisWorkspace& ws) {
    int k = 0;
    for (int j = 1; j <= model.jointCount && k < caseCount; ++j) {
        if (model.joints[j].kind == JointKind::Roadbed) ws.roadbedJoint[++k] = static_cast<int16_t>(j);
    }
    assert(k == caseCount && "one load case per roadbed joint");
    const int n = 2 * model.jointCount;
    double* loadVector = ws.loadVector;
    for (k = 1; k <= caseCount; ++k) {
        for (int dof = 1; dof <= n; ++dof) loadVector[dof] = 0.0;
        loadVector[2 * ws.roadbedJoint[k]] = -TRUCK_LOAD_KIPS;
        if (options.includeDeadLoad) subtractSelfWeight(model, loadVector);
        if (options.includeDeckWeight) subtractDeckWeight(model, loadVector);
        if (options.includeExtraLiveLoad) subtractExtraLiveLoad(model, loadVector);
        for (int c = 1; c <= ws.loadedColumnCount; ++c) {
            ws.loads[c][k] = loadVector[ws.freeDof[ws.loadedFreeNumber[c]]];
        }
    }
}

void solveLoadCases(int caseCount, AnalysisWorkspace& ws) {
    for (int k = 1; k <= caseCount; ++k) ws.displacements[0][k] = 0.0;
    for (int r = 1; r <= ws.freeDofCount; ++r) {
        double* __restrict u = ws.displacements[r];
        for (int k = 1; k <= caseCount; ++k) u[k] = 0.0;
        const double* flexRow = ws.flexibility[r];
        for (int c = 1; c <= ws.loadedColumnCount; ++c) {
            const double g = flexRow[c];
            const double* __restrict load = ws.loads[c];
            int k = 1;
            for (; k + 1 <= caseCount; k += 2) store2(u + k, load2(u + k) + g * load2(load + k));
            for (; k <= caseCount; ++k) u[k] += g * load[k];
        }
    }
}

float largestDisplacement(const AnalysisWorkspace& ws, int k, bool& exceedsLimit) {
    float largest = 0.0f;
    for (int r = 1; r <= ws.freeDofCount; ++r) {
        const double u = ws.displacements[r][k];
        const float magnitude = static_cast<float>(std::fabs(u));
        if (magnitude > largest) largest = magnitude;
        // A displacement that is not a number is as much a sign of a mechanism as a huge one.
        if (!(u >= -DEFLECTION_LIMIT_IN && u <= DEFLECTION_LIMIT_IN)) exceedsLimit = true;
    }
    return largest;
}

void memberForces(const BridgeModel& model, int caseCount, const AnalysisWorkspace& ws,
                  AnalysisResults& results) {
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const double k = ws.axialStiffness[i];
        const double c = ws.cosAngle[i];
        const double s = ws.sinAngle[i];
        const double* uax = ws.displacements[ws.freeNumber[2 * m.startJoint - 1]];
        const double* uay = ws.displacements[ws.freeNumber[2 * m.startJoint]];
        const double* ubx = ws.displacements[ws.freeNumber[2 * m.endJoint - 1]];
        const double* uby = ws.displacements[ws.freeNumber[2 * m.endJoint]];
        double* forces = results.caseForces[i];
        for (int kc = 1; kc <= caseCount; ++kc) {
            forces[kc] = k * ((ubx[kc] * c + uby[kc] * s) - (uax[kc] * c + uay[kc] * s));
        }
    }
}
