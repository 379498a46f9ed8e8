// The textbook analysis, step by step as a hand calculation would go, on heap matrices.
#include "tests/analysis/reference_analysis.h"

#include <cmath>
#include <utility>
#include <vector>

#include "analysis/member_evaluation.h"

namespace {

using Matrix = std::vector<std::vector<double>>;

Matrix zeroMatrix(int n) {
    return Matrix(n + 1, std::vector<double>(n + 1, 0.0));
}

void unstable(AnalysisResults& results) {
    results.bridgeUnstable = 1;
    results.bridgeFailed = 1;
}

bool touches(const Member& m, int j) {
    return m.startJoint == j || m.endJoint == j;
}

bool collinearJoint(const BridgeModel& model) {
    for (int d = 1; d <= model.jointCount; ++d) {
        int q = 0;
        for (int i = model.memberCount; i >= 1; --i) {
            if (touches(model.members[i], d)) q = i;
        }
        if (q == 0) return true;
        const double tq = model.members[q].angle;
        bool braced = false;
        for (int i = 1; i <= model.memberCount; ++i) {
            if (!touches(model.members[i], d)) continue;
            const double t = model.members[i].angle;
            bool far = true;
            for (double v : {tq, tq + 3.14159, tq - 3.14159}) {
                if (!(t - 0.00175 >= v || t + 0.00175 <= v)) far = false;
            }
            if (far) {
                braced = true;
                break;
            }
        }
        if (!braced) return true;
    }
    return false;
}

// Joint shares the slow way: for each joint, every member in turn.
void shareLoads(BridgeModel& model, float Joint::*field, double (*termOf)(const Member&)) {
    for (int j = 1; j <= model.jointCount; ++j) {
        float sum = 0.0f;
        for (int i = 1; i <= model.memberCount; ++i) {
            if (touches(model.members[i], j)) sum = static_cast<float>(sum + termOf(model.members[i]));
        }
        model.joints[j].*field = sum;
    }
}

void addOptionalLoads(BridgeModel& model, const AnalysisOptions& options, std::vector<double>& load) {
    if (options.includeDeadLoad) {
        shareLoads(model, &Joint::selfWeightLoad, [](const Member& m) { return m.weight * 0.5 / 1000.0; });
        for (int j = 1; j <= model.jointCount; ++j) {
            const uint8_t kind = model.joints[j].kind;
            if (kind == 1 || kind == 3) load[2 * j] -= model.joints[j].selfWeightLoad;
        }
    }
    if (options.includeDeckWeight) {
        for (int i = 1; i <= model.memberCount; ++i) {
            Member& m = model.members[i];
            const double len = m.length;
            m.deckLoad = m.isDeckMember == 1 ? static_cast<float>(2.5 * len + 0.000324 * (len * len)) : 0.0f;
        }
        shareLoads(model, &Joint::deckLoad, [](const Member& m) { return 0.5 * m.deckLoad; });
        for (int j = 1; j <= model.jointCount; ++j) {
            if (model.joints[j].kind == 3) load[2 * j] -= model.joints[j].deckLoad;
        }
    }
    if (options.includeExtraLiveLoad) {
        for (int i = 1; i <= model.memberCount; ++i) {
            Member& m = model.members[i];
            m.liveLoad = m.isDeckMember == 1 ? static_cast<float>(2.3 * m.length) : 0.0f;
        }
        shareLoads(model, &Joint::liveLoad, [](const Member& m) { return 0.5 * m.liveLoad; });
        for (int j = 1; j <= model.jointCount; ++j) {
            if (model.joints[j].kind == 3) load[2 * j] -= model.joints[j].liveLoad;
        }
    }
}

Matrix stiffnessMatrix(const BridgeModel& model) {
    const int n = 2 * model.jointCount;
    Matrix K = zeroMatrix(n);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const double k = m.area * 29000.0 / (m.length * 12.0);
        const double c = std::cos(m.angle), s = std::sin(m.angle);
        const int dofs[4] = {2 * m.startJoint - 1, 2 * m.startJoint, 2 * m.endJoint - 1, 2 * m.endJoint};
        for (int r = 0; r < 4; ++r) {
            for (int q = 0; q < 4; ++q) {
                const bool rowX = r % 2 == 0, columnX = q % 2 == 0;
                const double term = rowX && columnX ? k * c * c : (!rowX && !columnX ? k * s * s : k * c * s);
                // Added within one joint's block, taken off between the two joints.
                if ((r < 2) == (q < 2)) {
                    K[dofs[r]][dofs[q]] += term;
                } else {
                    K[dofs[r]][dofs[q]] -= term;
                }
            }
        }
    }
    return K;
}

}  // namespace

void referenceAnalyzeBridge(BridgeModel& model, const AnalysisOptions& options, AnalysisResults& results) {
    results.bridgeUnstable = 0;
    results.bridgeFailed = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        m.force = m.allowableCompression = m.allowableTension = m.forceRatio = 0.0;
    }
    computeAllowables(model);
    int roadbed = 0;
    for (int j = 1; j <= model.jointCount; ++j) roadbed += model.joints[j].kind == 3 ? 1 : 0;
    model.roadbedJointCount = static_cast<int16_t>(roadbed);
    if (2 * model.jointCount > model.memberCount + 3 || collinearJoint(model)) {
        unstable(results);
        return;
    }

    const int n = 2 * model.jointCount;
    const Matrix K = stiffnessMatrix(model);
    std::vector<bool> isFree(n + 1, true);
    for (int j = 1; j <= model.jointCount; ++j) {
        if (model.joints[j].kind == 2) isFree[2 * j - 1] = isFree[2 * j] = false;
        if (model.joints[j].kind == 4) isFree[2 * j] = false;
    }
    std::vector<int> map(1, 0);
    for (int dof = 1; dof <= n; ++dof) {
        if (isFree[dof]) map.push_back(dof);
    }
    const int nf = static_cast<int>(map.size()) - 1;
    Matrix A = zeroMatrix(n), G = zeroMatrix(n);
    for (int r = 1; r <= nf; ++r) {
        for (int c = 1; c <= nf; ++c) A[r][c] = K[map[r]][map[c]];
        G[r][r] = 1.0;
    }
    for (int p = 1; p <= nf; ++p) {
        if (A[p][p] == 0.0) {
            int q = p + 1;
            while (q <= nf && A[q][p] == 0.0) ++q;
            if (q > nf) {
                unstable(results);
                return;
            }
            std::swap(A[p], A[q]);
            std::swap(G[p], G[q]);
        }
        const double d = A[p][p];
        for (int c = 1; c <= nf; ++c) {
            A[p][c] = A[p][c] / d;
            G[p][c] = G[p][c] / d;
        }
        for (int i = 1; i <= nf; ++i) {
            if (i == p) continue;
            const double f = A[i][p];
            for (int c = 1; c <= nf; ++c) {
                A[i][c] = A[i][c] - f * A[p][c];
                G[i][c] = G[i][c] - f * G[p][c];
            }
        }
    }

    int k = 0;
    for (int j = 1; j <= model.jointCount; ++j) {
        if (model.joints[j].kind != 3) continue;
        ++k;
        std::vector<double> load(n + 1, 0.0), u(n + 1, 0.0);
        load[2 * j] = -80.0;
        addOptionalLoads(model, options, load);
        results.maxDeflection = 0.0f;
        for (int r = 1; r <= nf; ++r) {
            double sum = 0.0;
            for (int c = 1; c <= nf; ++c) sum += G[r][c] * load[map[c]];
            u[map[r]] = sum;
            if (static_cast<float>(std::fabs(sum)) > results.maxDeflection) {
                results.maxDeflection = static_cast<float>(std::fabs(sum));
            }
            if (sum > 240.0 || sum < -240.0 || std::isnan(sum)) unstable(results);
        }
        for (int i = 1; i <= model.memberCount; ++i) {
            const Member& m = model.members[i];
            const double c = std::cos(m.angle), s = std::sin(m.angle);
            const int a = m.startJoint, b = m.endJoint;
            results.caseForces[i][k] =
                (m.area * 29000.0 / (m.length * 12.0)) *
                ((u[2 * b - 1] * c + u[2 * b] * s) - (u[2 * a - 1] * c + u[2 * a] * s));
        }
    }
    if (results.bridgeUnstable) return;
    evaluateMembers(model, options, results);
}
