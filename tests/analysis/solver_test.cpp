// The stiffness solution: the hand-solved worked example, which case belongs to which roadbed
// joint, bridges at the full size of the tables, equilibrium of every free joint in every case,
// mirror symmetry, and the Gauss-Jordan row swap on a zero pivot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/member_evaluation.h"
#include "analysis/stiffness_solver.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/analysis/reference_analysis.h"

namespace {

struct Analysis {
    std::unique_ptr<AnalysisResults> results = std::make_unique<AnalysisResults>();
    std::unique_ptr<AnalysisWorkspace> workspace = std::make_unique<AnalysisWorkspace>();
    // The case forces as the solver produced them, before the envelope zeroed the noise.
    std::unique_ptr<AnalysisResults> raw = std::make_unique<AnalysisResults>();

    void run(TestBridge& b, const AnalysisOptions& options = {}) {
        analyzeBridge(b.model, options, *results, *workspace);
        memberForces(b.model, b.model.roadbedJointCount, *workspace, *raw);
    }

    // Every kept case force is the solver's, every filtered one was noise.
    bool filteredFromRaw(const BridgeModel& model) const {
        for (int i = 1; i <= model.memberCount; ++i) {
            for (int k = 1; k <= model.roadbedJointCount; ++k) {
                const double before = raw->caseForces[i][k], after = results->caseForces[i][k];
                const bool noise = -0.05 < before && before < 0.05;
                if (noise ? after != 0.0 : after != before) return false;
            }
        }
        return true;
    }
};

// Largest imbalance, kips, of member forces and applied loads over the free DOFs of every case.
// Member directions come from their angles, loads from the truck and the joint shares.
double largestResidual(const BridgeModel& model, const AnalysisOptions& options, const AnalysisResults& r) {
    double largest = 0.0;
    int k = 0;
    for (int truck = 1; truck <= model.jointCount; ++truck) {
        if (model.joints[truck].kind != JointKind::Roadbed) continue;
        ++k;
        for (int j = 1; j <= model.jointCount; ++j) {
            const Joint& joint = model.joints[j];
            double fx = 0.0;
            double fy = j == truck ? -80.0 : 0.0;
            if (options.includeDeadLoad &&
                (joint.kind == JointKind::Free || joint.kind == JointKind::Roadbed)) {
                fy -= joint.selfWeightLoad;
            }
            if (joint.kind == JointKind::Roadbed) {
                if (options.includeDeckWeight) fy -= joint.deckLoad;
                if (options.includeExtraLiveLoad) fy -= joint.liveLoad;
            }
            for (int i = 1; i <= model.memberCount; ++i) {
                const Member& m = model.members[i];
                if (m.startJoint != j && m.endJoint != j) continue;
                // Tension pulls the joint toward the member's other end; the angle points from start to end.
                const double toOther = m.startJoint == j ? 1.0 : -1.0;
                fx += r.caseForces[i][k] * toOther * std::cos(m.angle);
                fy += r.caseForces[i][k] * toOther * std::sin(m.angle);
            }
            if (joint.kind != JointKind::LeftSupport) largest = std::max(largest, std::fabs(fx));
            if (joint.kind == JointKind::Free || joint.kind == JointKind::Roadbed) {
                largest = std::max(largest, std::fabs(fy));
            }
        }
    }
    return largest;
}

TEST(Solver, WorkedExampleMatchesTheHandSolution) {
    TestBridge b = workedExampleBridge();
    Analysis a;
    a.run(b);
    ASSERT_EQ(a.results->bridgeUnstable, 0);
    ASSERT_EQ(b.model.roadbedJointCount, 3);
    // Members in the order built: 1-2, 2-3, 3-4, 4-5, 6-7, 7-8, 1-6, 8-5, 2-6, 3-7, 4-8, 6-3, 8-3.
    const double d = 44.72135955, e = 89.4427191, f = 134.16407865;
    const double expected[13][3] = {{120, 80, 40},    {120, 80, 40},    {40, 80, 120}, {40, 80, 120},
                                    {-80, -160, -80}, {-80, -160, -80}, {-f, -e, -d},  {-d, -e, -f},
                                    {80, 0, 0},       {0, 0, 0},        {0, 0, 80},    {-d, e, d},
                                    {d, e, -d}};
    for (int i = 1; i <= 13; ++i) {
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NEAR(a.results->caseForces[i][k], expected[i - 1][k - 1], 5e-4)
                << "member " << i << " case " << k;
        }
    }
    // The last case's largest component, though case 2 deflects more (2.0079 in).
    EXPECT_NEAR(a.results->maxDeflection, 1.3347, 5e-5);

    const Member* m = b.model.members;
    EXPECT_NEAR(m[1].force, 120.0, 1e-6);
    EXPECT_NEAR(m[1].forceRatio, 19.16, 5e-3);
    EXPECT_DOUBLE_EQ(m[1].allowableTension, static_cast<double>(626.4f));
    EXPECT_NEAR(m[5].force, -160.0, 1e-6);  // top chord: Ca 105.40, Rc 151.8 -> fails
    EXPECT_NEAR(m[5].allowableCompression, 105.40, 5e-3);
    EXPECT_EQ(m[5].forceRatio, 1000.0);
    EXPECT_NEAR(m[7].allowableCompression, 84.32, 5e-3);  // end post fails too
    EXPECT_EQ(m[7].forceRatio, 1000.0);
    EXPECT_NEAR(m[12].force, -44.721, 5e-4);  // diagonal: compression governs, Rc 53.04 > Rt 14.28
    EXPECT_NEAR(m[12].forceRatio, 53.04, 5e-3);
    EXPECT_EQ(m[10].force, 0.0);  // vertical 3-7: noise only
    EXPECT_EQ(m[10].forceRatio, 0.0);
    EXPECT_EQ(a.results->caseForces[10][2], 0.0);  // noise written back as 0
    EXPECT_EQ(a.results->bridgeFailed, 1);

    // With the minimum member force the idle vertical is designed for 6 kips of compression.
    a.run(b, AnalysisOptions{0, 0, 0, 1});
    EXPECT_NEAR(m[10].allowableCompression, 370.72, 5e-3);
    EXPECT_DOUBLE_EQ(m[10].force, -6.0);
    EXPECT_NEAR(m[10].forceRatio, 1.618, 5e-4);
}

TEST(Solver, CasesFollowRoadbedJointNumbers) {
    // The worked example with its roadbed joints numbered right to left: joint 2 at 300 ft,
    // joint 3 at 200 ft, joint 4 at 100 ft. Case k has the truck on the k-th of them by number.
    TestBridge b;
    for (auto [x, y] :
         Points{{0, 0}, {300, 0}, {200, 0}, {100, 0}, {400, 0}, {100, 50}, {200, 50}, {300, 50}})
        b.joint(x, y);
    b.members({{1, 4},
               {4, 3},
               {3, 2},
               {2, 5},
               {6, 7},
               {7, 8},
               {1, 6},
               {8, 5},
               {4, 6},
               {3, 7},
               {2, 8},
               {6, 3},
               {8, 3}});
    b.update();
    Analysis a;
    a.run(b);
    ASSERT_EQ(a.results->bridgeUnstable, 0);
    EXPECT_NEAR(a.results->caseForces[1][1], 40.0, 1e-6);  // deck member 0..100 ft, truck at 300 ft
    EXPECT_NEAR(a.results->caseForces[1][2], 80.0, 1e-6);
    EXPECT_NEAR(a.results->caseForces[1][3], 120.0, 1e-6);
    EXPECT_NEAR(a.results->caseForces[11][1], 80.0, 1e-6);  // the hanger under the truck
    EXPECT_NEAR(a.results->maxDeflection, 1.3347, 5e-5);    // truck at 100 ft last
}

TEST(Solver, TablesAtFullSizeAnalyseNormally) {
    // 151 members and 40 roadbed joints: more than the drawing limits, as a split or a move can
    // leave them. Nothing may be written outside the arrays (the sanitizer build checks that).
    TestBridge b = fullTableBridge();
    ASSERT_EQ(b.model.jointCount, 62);
    ASSERT_EQ(b.model.memberCount, 151);
    ASSERT_EQ(b.model.roadbedJointCount, 40);
    const AnalysisOptions all{1, 1, 1, 1};
    auto copy = std::make_unique<BridgeModel>();
    std::memcpy(copy.get(), &b.model, sizeof(BridgeModel));
    Analysis a;
    a.run(b, all);
    EXPECT_EQ(a.results->bridgeUnstable, 0);
    EXPECT_LT(largestResidual(b.model, all, *a.raw), 1e-6);
    EXPECT_TRUE(a.filteredFromRaw(b.model));
    auto reference = std::make_unique<AnalysisResults>();
    referenceAnalyzeBridge(*copy, all, *reference);
    EXPECT_EQ(std::memcmp(copy.get(), &b.model, sizeof(BridgeModel)), 0);
    EXPECT_EQ(reference->maxDeflection, a.results->maxDeflection);
    for (int k = 1; k <= 40; ++k) EXPECT_EQ(reference->caseForces[151][k], a.results->caseForces[151][k]);
}

TEST(Solver, MemberForcesBalanceTheLoadsAtEveryFreeJoint) {
    std::vector<TestBridge> bridges;
    bridges.push_back(workedExampleBridge());
    bridges.push_back(chordTruss(evenPanels(8), 40, false, 0, JointOrder::LeftToRight));
    bridges.push_back(
        chordTruss({0, 37, 90, 131, 200, 262, 301, 355, 400}, 63, true, 2, JointOrder::DeckFirst, 9));
    bridges.push_back(largestLegalBridge(JointOrder::DeckFirst));
    bridges.push_back(largestLegalBridge(JointOrder::LeftToRight));
    for (const AnalysisOptions& options : {AnalysisOptions{}, AnalysisOptions{1, 1, 1, 0}}) {
        for (TestBridge& b : bridges) {
            Analysis a;
            a.run(b, options);
            ASSERT_EQ(a.results->bridgeUnstable, 0);
            EXPECT_LT(largestResidual(b.model, options, *a.raw), 1e-6)
                << b.model.jointCount << " joints, dead load " << int(options.includeDeadLoad);
            EXPECT_TRUE(a.filteredFromRaw(b.model));
        }
    }
}

TEST(Solver, MirrorSymmetricBridgeGivesMirrorSymmetricForces) {
    TestBridge b = chordTruss(evenPanels(10), 45, true, 0, JointOrder::LeftToRight, 7);
    const AnalysisOptions all{1, 1, 1, 0};
    Analysis a;
    a.run(b, all);
    ASSERT_EQ(a.results->bridgeUnstable, 0);
    const BridgeModel& m = b.model;
    std::map<std::pair<float, float>, int> jointAt;
    for (int j = 1; j <= m.jointCount; ++j) jointAt[{m.joints[j].x, m.joints[j].y}] = j;
    auto mirrorJoint = [&](int j) { return jointAt.at({400.0f - m.joints[j].x, m.joints[j].y}); };
    std::vector<int> caseOf(m.jointCount + 1, 0);
    for (int j = 1, k = 0; j <= m.jointCount; ++j) {
        if (m.joints[j].kind == JointKind::Roadbed) caseOf[j] = ++k;
    }
    double largest = 0.0;
    for (int i = 1; i <= m.memberCount; ++i) {
        for (int k = 1; k <= m.roadbedJointCount; ++k)
            largest = std::max(largest, std::fabs(a.raw->caseForces[i][k]));
    }
    // Not to the bit: the full circle is 6.28318531, so falling members point 2.8e-9 rad off their
    // mirror images, and the redundant bracing spreads that a little.
    const double tolerance = 1e-7 * largest;
    for (int i = 1; i <= m.memberCount; ++i) {
        const int a1 = mirrorJoint(m.members[i].startJoint), b1 = mirrorJoint(m.members[i].endJoint);
        int mirror = 0;
        for (int q = 1; q <= m.memberCount; ++q) {
            const Member& o = m.members[q];
            if ((o.startJoint == a1 && o.endJoint == b1) || (o.startJoint == b1 && o.endJoint == a1))
                mirror = q;
        }
        ASSERT_NE(mirror, 0);
        for (int j = 1; j <= m.jointCount; ++j) {
            if (!caseOf[j]) continue;
            EXPECT_NEAR(a.raw->caseForces[i][caseOf[j]], a.raw->caseForces[mirror][caseOf[mirrorJoint(j)]],
                        tolerance)
                << "member " << i << " truck at joint " << j;
        }
    }
}

TEST(Solver, ZeroPivotSwapsRowsAndTheSolutionContinues) {
    // A 3x3 system whose first pivot is exactly 0: row 2 is swapped in and the inverse comes out
    // exact. A second matrix has no row to swap in and is singular.
    auto ws = std::make_unique<AnalysisWorkspace>();
    ws->freeDofCount = 3;
    for (int r = 1; r <= 3; ++r) ws->freeDof[r] = static_cast<int16_t>(r);
    const double m[3][3] = {{0, 2, 0}, {1, 1, 0}, {0, 0, 4}};
    for (int r = 1; r <= 3; ++r) {
        for (int c = 1; c <= 3; ++c) ws->stiffness[r][c] = m[r - 1][c - 1];
    }
    keepAllColumns(*ws);
    reduceToFreeDofs(*ws);
    EXPECT_FALSE(invertPositivePivots(*ws));  // the fast elimination hands such matrices back
    reduceToFreeDofs(*ws);
    int swaps = 0;
    ASSERT_TRUE(invertGaussJordan(*ws, &swaps));
    EXPECT_EQ(swaps, 1);
    const double inverse[3][3] = {{-0.5, 1, 0}, {0.5, 0, 0}, {0, 0, 0.25}};
    for (int r = 1; r <= 3; ++r) {
        for (int c = 1; c <= 3; ++c) EXPECT_EQ(ws->flexibility[r][c], inverse[r - 1][c - 1]) << r << "," << c;
    }
    ws->stiffness[2][1] = 0.0;  // column 1 now all zero
    reduceToFreeDofs(*ws);
    EXPECT_FALSE(invertGaussJordan(*ws));

    // On a bridge: the last roadbed joint and the roller are held sideways only by each other, so
    // the roller's DOF comes first with the full axial stiffness and leaves the roadbed joint's an
    // exact 0. The swap brings in its vertical DOF; the sliding shows as a huge deflection.
    TestBridge b = slidingEndBridge();
    Analysis a;
    assembleStiffness(b.model, *a.workspace);
    buildFreeDofMap(b.model, *a.workspace);
    keepAllColumns(*a.workspace);
    reduceToFreeDofs(*a.workspace);
    swaps = 0;
    ASSERT_TRUE(invertGaussJordan(*a.workspace, &swaps));
    EXPECT_EQ(swaps, 1);
    a.run(b);
    EXPECT_EQ(a.results->instability, InstabilityCause::ExcessiveDeflection);
    EXPECT_GT(a.results->maxDeflection, 240.0f);
}

TEST(Solver, DisplacementThatIsNotANumberIsBeyondTheLimit) {
    // A mechanism can drive the elimination to infinities; their NaN would slip past a plain
    // comparison with +-240 and let the bridge pass.
    auto ws = std::make_unique<AnalysisWorkspace>();
    ws->freeDofCount = 3;
    const double u[] = {1.5, -2.5, 0.25};
    for (int r = 1; r <= 3; ++r) ws->displacements[r][1] = u[r - 1];
    bool exceeds = false;
    EXPECT_EQ(largestDisplacement(*ws, 1, exceeds), 2.5f);
    EXPECT_FALSE(exceeds);
    ws->displacements[2][1] = -240.0;  // exactly at the limit is within it
    EXPECT_EQ(largestDisplacement(*ws, 1, exceeds), 240.0f);
    EXPECT_FALSE(exceeds);
    ws->displacements[3][1] = std::nan("");
    EXPECT_EQ(largestDisplacement(*ws, 1, exceeds), 240.0f);
    EXPECT_TRUE(exceeds);
}

}  // namespace
