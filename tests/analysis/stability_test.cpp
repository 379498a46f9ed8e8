// The four ways a truss is found unstable, checked in order (too few members, an unbraced joint,
// a singular stiffness matrix, a deflection beyond 240 in), the bracing tolerance on both sides,
// what an unstable analysis leaves behind, and a bridge with no roadbed joint.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "tests/analysis/analysis_bridges.h"

namespace {

constexpr double kHalfPi = 1.5707963267948966;

struct Analysis {
    std::unique_ptr<AnalysisResults> results = std::make_unique<AnalysisResults>();
    std::unique_ptr<AnalysisWorkspace> workspace = std::make_unique<AnalysisWorkspace>();

    InstabilityCause run(TestBridge& b, const AnalysisOptions& options = {}) {
        analyzeBridge(b.model, options, *results, *workspace);
        EXPECT_EQ(results->bridgeUnstable, results->instability != InstabilityCause::None);
        if (results->bridgeUnstable) {
            EXPECT_EQ(results->bridgeFailed, 1);
        }
        checkMechanism(b);
        return results->instability;
    }

    // Every unstable truss has a motion that moves a joint and stretches no member (to rounding;
    // a truss that only deflects too far, almost none), 0 where the supports hold it, the joint
    // that moves most moving 1; the unbraced joint is named. A stable truss has none.
    void checkMechanism(const TestBridge& b) {
        auto scratch = std::make_unique<AnalysisWorkspace>();
        auto m = std::make_unique<Mechanism>();
        const bool found = findMechanism(b.model, *results, *scratch, *m);
        EXPECT_EQ(found, results->bridgeUnstable == 1);
        if (!found) return;
        const bool deflects = results->instability == InstabilityCause::ExcessiveDeflection;
        EXPECT_LT(m->residual, deflects ? 1e-3 : 1e-6) << int(results->instability);
        EXPECT_EQ(m->joint, results->unbracedJoint);
        double largest = 0;
        for (int j = 1; j <= b.model.jointCount; ++j) {
            largest = std::max(largest, std::hypot(m->motion[j][0], m->motion[j][1]));
            const uint8_t kind = b.model.joints[j].kind;
            const bool pinned = kind == JointKind::LeftSupport;
            const bool supported = pinned || kind == JointKind::RightSupport;
            EXPECT_TRUE(!pinned || m->motion[j][0] == 0.0);
            EXPECT_TRUE(!supported || m->motion[j][1] == 0.0);
        }
        EXPECT_NEAR(largest, 1.0, 1e-12);
    }
};

// The worked example's joints (deck 1..5, top 6..8) with the given members.
TestBridge workedExampleJoints(Ends members) {
    TestBridge b;
    for (auto [x, y] :
         Points{{0, 0}, {100, 0}, {200, 0}, {300, 0}, {400, 0}, {100, 50}, {200, 50}, {300, 50}}) {
        b.joint(x, y);
    }
    b.members(members);
    b.update();
    return b;
}

// The worked example with diagonal 2-6 moved to 4-7: deck joint 2 keeps only its two deck
// members, on one straight line, while the member count still passes.
TestBridge straightDeckJointBridge() {
    return workedExampleJoints({{1, 2},
                                {2, 3},
                                {3, 4},
                                {4, 5},
                                {6, 7},
                                {7, 8},
                                {1, 6},
                                {8, 5},
                                {4, 7},
                                {3, 7},
                                {4, 8},
                                {6, 3},
                                {8, 3}});
}

TEST(Stability, MemberCountComesFirst) {
    // 10 joints need 17 members: with 16 the truss is unstable before anything else is looked at,
    // even though joint 10 has no member at all.
    TestBridge b;
    for (auto [x, y] : Points{{0, 0},
                              {100, 0},
                              {200, 0},
                              {300, 0},
                              {400, 0},
                              {100, 50},
                              {200, 50},
                              {300, 50},
                              {150, 75},
                              {250, 75}}) {
        b.joint(x, y);
    }
    b.members({{1, 2},
               {2, 3},
               {3, 4},
               {4, 5},
               {6, 7},
               {7, 8},
               {1, 6},
               {8, 5},
               {2, 6},
               {3, 7},
               {4, 8},
               {6, 3},
               {8, 3},
               {2, 7},
               {4, 7},
               {6, 9}});
    b.update();
    ASSERT_EQ(b.model.jointCount, 10);
    Analysis a;
    EXPECT_EQ(a.run(b), InstabilityCause::TooFewMembers);
    // One more member passes the count; joint 10 is still unattached.
    b.member(9, 7);
    b.update();
    EXPECT_EQ(a.run(b), InstabilityCause::UnbracedJoint);
    EXPECT_EQ(a.results->unbracedJoint, 10);
}

TEST(Stability, UnbracedJoints) {
    Analysis a;
    // A deck joint with only the two deck members: straight line, unbraced (a spare diagonal
    // keeps the member count up).
    TestBridge straight = straightDeckJointBridge();
    EXPECT_EQ(a.run(straight), InstabilityCause::UnbracedJoint);
    EXPECT_EQ(a.results->unbracedJoint, 2);

    // A joint halfway up a vertical: one member drawn up (pi/2), one down (6.28318531 - pi/2),
    // the first-numbered one either way (so compared with its angle + or - 3.14159).
    for (bool upFirst : {true, false}) {
        TestBridge vertical = workedExampleJoints({{1, 2},
                                                   {2, 3},
                                                   {3, 4},
                                                   {4, 5},
                                                   {6, 7},
                                                   {7, 8},
                                                   {1, 6},
                                                   {8, 5},
                                                   {2, 6},
                                                   {4, 8},
                                                   {6, 3},
                                                   {8, 3},
                                                   {4, 7}});
        const int middle = vertical.joint(200, 25);
        vertical.member(middle, upFirst ? 7 : 3);
        vertical.member(middle, upFirst ? 3 : 7);
        vertical.update();
        ASSERT_NEAR(vertical.model.members[upFirst ? 15 : 14].angle, 6.28318531 - kHalfPi, 1e-12);
        EXPECT_EQ(a.run(vertical), InstabilityCause::UnbracedJoint);
        EXPECT_EQ(a.results->unbracedJoint, middle);
    }

    // A support whose only member is the deck: checked like any joint.
    TestBridge support = workedExampleJoints({{1, 2},
                                              {2, 3},
                                              {3, 4},
                                              {4, 5},
                                              {6, 7},
                                              {7, 8},
                                              {4, 7},
                                              {8, 5},
                                              {2, 6},
                                              {3, 7},
                                              {4, 8},
                                              {6, 3},
                                              {8, 3}});
    EXPECT_EQ(a.run(support), InstabilityCause::UnbracedJoint);
    EXPECT_EQ(a.results->unbracedJoint, 1);
}

TEST(Stability, BracingToleranceIsAboutATenthOfADegree) {
    // Joint 2 has the deck members (angle 0) and the vertical 2-6 (member 9), turned here to
    // within a hair of the deck. Joint 6 stays braced by its other members.
    Analysis a;
    auto withHangerAt = [](double angle) {
        TestBridge b = workedExampleBridge();
        b.model.members[9].angle = angle;
        return b;
    };
    TestBridge braced = withHangerAt(0.002);
    EXPECT_NE(a.run(braced), InstabilityCause::UnbracedJoint);
    TestBridge loose = withHangerAt(0.0015);
    EXPECT_EQ(a.run(loose), InstabilityCause::UnbracedJoint);
    EXPECT_EQ(a.results->unbracedJoint, 2);
    // Only 0 and +-3.14159 are compared: just below a full turn reads as bracing the deck at 0.
    TestBridge justBelowFullTurn = withHangerAt(6.28318531 - 0.0005);
    EXPECT_NE(a.run(justBelowFullTurn), InstabilityCause::UnbracedJoint);
}

TEST(Stability, SolverCausesAndWhatAnUnstableAnalysisLeaves) {
    Analysis a;
    TestBridge good = workedExampleBridge();
    ASSERT_EQ(a.run(good), InstabilityCause::None);
    const float firstDeflection = a.results->maxDeflection;

    // Stopped by a check: no load case runs, so the previous maximum deflection stays.
    TestBridge singular = swayingPanelsBridge();
    EXPECT_EQ(a.run(singular), InstabilityCause::SingularStiffness);
    EXPECT_EQ(a.results->maxDeflection, firstDeflection);
    good.model.memberCount = 12;  // a member deleted: too few
    EXPECT_EQ(a.run(good), InstabilityCause::TooFewMembers);
    EXPECT_EQ(a.results->maxDeflection, firstDeflection);
    TestBridge unbraced = straightDeckJointBridge();
    EXPECT_EQ(a.run(unbraced), InstabilityCause::UnbracedJoint);
    EXPECT_EQ(a.results->maxDeflection, firstDeflection);

    // A mechanism the elimination gets through: every case is solved, then the deflection fails it.
    TestBridge sliding = slidingEndBridge();
    EXPECT_EQ(a.run(sliding), InstabilityCause::ExcessiveDeflection);
    EXPECT_GT(a.results->maxDeflection, 240.0f);
    // No member results beyond the allowable forces, which are in place.
    for (int i = 1; i <= sliding.model.memberCount; ++i) {
        const Member& m = sliding.model.members[i];
        EXPECT_EQ(m.force, 0.0);
        EXPECT_EQ(m.forceRatio, 0.0);
        EXPECT_GT(m.allowableCompression, 0.0);
        EXPECT_EQ(m.allowableTension, static_cast<double>(m.tensionCapacity));
    }

    // The next analysis clears the flags and the old results.
    good.model.memberCount = 13;
    EXPECT_EQ(a.run(good), InstabilityCause::None);
    EXPECT_EQ(a.results->unbracedJoint, 0);
}

TEST(Stability, BridgeWithoutRoadbedJointsHasNoLoadCases) {
    // Triangles over the span meeting the deck line only at the supports.
    TestBridge b;
    for (auto [x, y] : Points{{0, 0}, {400, 0}, {100, 50}, {200, 60}, {300, 50}}) b.joint(x, y);
    b.members({{1, 3}, {3, 4}, {1, 4}, {4, 5}, {5, 2}, {4, 2}, {1, 2}});
    b.update();
    Analysis a;
    a.results->maxDeflection = 3.5f;
    EXPECT_EQ(a.run(b), InstabilityCause::None);
    EXPECT_EQ(b.model.roadbedJointCount, 0);
    EXPECT_EQ(a.results->bridgeFailed, 0);
    EXPECT_EQ(a.results->maxDeflection, 3.5f);  // no case ran
    for (int i = 1; i <= b.model.memberCount; ++i) {
        EXPECT_EQ(b.model.members[i].force, 0.0);
        EXPECT_EQ(b.model.members[i].forceRatio, 0.0);
    }
    // Every member is still designed for 6 kips of compression when the option asks for it.
    a.run(b, AnalysisOptions{0, 0, 0, 1});
    EXPECT_EQ(b.model.members[3].force, -6.0);
    EXPECT_GT(b.model.members[3].forceRatio, 0.0);
}

}  // namespace
