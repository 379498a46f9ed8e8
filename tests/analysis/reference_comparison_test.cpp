// The fast analysis against the plain reference on many random bridges, stable and unstable: the
// same verdict, the same case forces and maximum deflection to the bit, the same tables byte for
// byte. Also makes sure the random bridges reach every instability cause and the fallback to the
// textbook inversion.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "analysis/analysis.h"
#include "analysis/stiffness_solver.h"
#include "tests/analysis/analysis_bridges.h"
#include "tests/analysis/reference_analysis.h"

namespace {

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Random points joined to their nearest neighbours: mostly unbraced or mechanisms, sometimes rigid.
TestBridge randomNetwork(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TestBridge b;
    b.joint(0, 0);
    b.joint(400, 0);
    const int count = pick(3, 40);
    for (int j = 3; j <= count; ++j) b.joint(pick(0, 400), pick(0, 2) == 0 ? 0 : pick(-65, 100));
    for (int a = 1; a <= count; ++a) {
        const int links = pick(1, 4);
        for (int l = 0; l < links && b.model.memberCount < MAX_MEMBERS; ++l) {
            int best = 0;
            double bestDistance = 1e9;
            for (int tries = 0; tries < 6; ++tries) {
                const int c = pick(1, count);
                const double dx = b.model.joints[c].x - b.model.joints[a].x;
                const double dy = b.model.joints[c].y - b.model.joints[a].y;
                const double distance = dx * dx + dy * dy;
                if (c != a && distance > 0 && distance < bestDistance) {
                    best = c;
                    bestDistance = distance;
                }
            }
            if (best) b.member(a, best, pick(1, 12));
        }
    }
    b.update();
    return b;
}

struct Tally {
    int stable = 0;
    int causes[5] = {};
    int fallbacks = 0;
};

// Whether the zero-skipping inversion gives up on this bridge (a pivot that is not positive).
bool fallsBack(const BridgeModel& model, const AnalysisOptions& options, AnalysisWorkspace& ws) {
    assembleStiffness(model, ws);
    buildFreeDofMap(model, ws);
    chooseLoadedColumns(model, options, ws);
    reduceToFreeDofs(ws);
    return !invertPositivePivots(ws);
}

void compareWithReference(const TestBridge& bridge, const AnalysisOptions& options, AnalysisWorkspace& ws,
                          Tally& tally, int seed) {
    auto fast = std::make_unique<AnalysisResults>();
    auto slow = std::make_unique<AnalysisResults>();
    fast->maxDeflection = slow->maxDeflection = 12.5f;  // left over from an earlier analysis
    // Byte copies, padding included, so the two tables can be compared whole afterwards.
    auto fastModel = std::make_unique<BridgeModel>();
    auto slowModel = std::make_unique<BridgeModel>();
    std::memcpy(fastModel.get(), &bridge.model, sizeof(BridgeModel));
    std::memcpy(slowModel.get(), &bridge.model, sizeof(BridgeModel));
    analyzeBridge(*fastModel, options, *fast, ws);
    referenceAnalyzeBridge(*slowModel, options, *slow);

    SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << bridge.model.jointCount << " joints, "
                                    << bridge.model.memberCount << " members");
    ASSERT_EQ(fast->bridgeUnstable, slow->bridgeUnstable);
    ASSERT_EQ(fast->bridgeFailed, slow->bridgeFailed);
    ASSERT_TRUE(sameBits(fast->maxDeflection, slow->maxDeflection))
        << fast->maxDeflection << " vs " << slow->maxDeflection;
    const bool casesRan = fast->instability == InstabilityCause::None ||
                          fast->instability == InstabilityCause::ExcessiveDeflection;
    if (casesRan) {
        for (int i = 1; i <= fastModel->memberCount; ++i) {
            for (int k = 1; k <= fastModel->roadbedJointCount; ++k) {
                ASSERT_TRUE(sameBits(fast->caseForces[i][k], slow->caseForces[i][k]))
                    << "member " << i << " case " << k << ": " << fast->caseForces[i][k] << " vs "
                    << slow->caseForces[i][k];
            }
        }
    }
    // Member results, load fields and counts: the whole tables, byte for byte.
    ASSERT_EQ(std::memcmp(fastModel.get(), slowModel.get(), sizeof(BridgeModel)), 0);

    if (fast->bridgeUnstable) {
        ++tally.causes[static_cast<int>(fast->instability)];
    } else {
        ++tally.stable;
    }
    if (fast->instability == InstabilityCause::None ||
        fast->instability >= InstabilityCause::SingularStiffness) {
        if (fallsBack(bridge.model, options, ws)) ++tally.fallbacks;
    }
}

AnalysisOptions randomOptions(std::mt19937& rng) {
    const unsigned bits = rng();
    return AnalysisOptions{static_cast<uint8_t>(bits & 1), static_cast<uint8_t>((bits >> 1) & 1),
                           static_cast<uint8_t>((bits >> 2) & 1), static_cast<uint8_t>((bits >> 3) & 1)};
}

TEST(ReferenceComparison, RandomTrussesGiveTheReferenceBits) {
    auto ws = std::make_unique<AnalysisWorkspace>();
    Tally tally;
    for (int seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        const TestBridge bridge = randomBridge(rng);
        compareWithReference(bridge, randomOptions(rng), *ws, tally, seed);
        if (testing::Test::HasFatalFailure()) return;
    }
    // The sample must reach stable bridges, the fast path's fallback and the solver's own causes.
    EXPECT_GT(tally.stable, 100);
    EXPECT_GT(tally.fallbacks, 10);
    EXPECT_GT(tally.causes[static_cast<int>(InstabilityCause::ExcessiveDeflection)], 10);
}

TEST(ReferenceComparison, RandomNetworksGiveTheReferenceBits) {
    auto ws = std::make_unique<AnalysisWorkspace>();
    Tally tally;
    for (int seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(1000 + seed);
        const TestBridge bridge = randomNetwork(rng);
        compareWithReference(bridge, randomOptions(rng), *ws, tally, seed);
        if (testing::Test::HasFatalFailure()) return;
    }
    EXPECT_GT(tally.causes[static_cast<int>(InstabilityCause::UnbracedJoint)], 100);
    EXPECT_GT(tally.fallbacks, 10);
}

TEST(ReferenceComparison, NamedBridgesGiveTheReferenceBits) {
    // Full tables, the largest legal bridge both ways, a row swap and a singular matrix.
    auto ws = std::make_unique<AnalysisWorkspace>();
    Tally tally;
    const AnalysisOptions all{1, 1, 1, 1};
    compareWithReference(fullTableBridge(), all, *ws, tally, 0);
    compareWithReference(largestLegalBridge(JointOrder::DeckFirst), all, *ws, tally, 0);
    compareWithReference(largestLegalBridge(JointOrder::LeftToRight), AnalysisOptions{}, *ws, tally, 0);
    compareWithReference(slidingEndBridge(), all, *ws, tally, 0);
    compareWithReference(swayingPanelsBridge(), AnalysisOptions{}, *ws, tally, 0);
    EXPECT_EQ(tally.stable, 3);
    EXPECT_EQ(tally.causes[static_cast<int>(InstabilityCause::SingularStiffness)], 1);
    EXPECT_EQ(tally.fallbacks, 2);
}

}  // namespace
