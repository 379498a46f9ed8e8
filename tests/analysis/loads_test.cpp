// The optional loads: deck weight and extra live load of deck members, self weight of every
// member, how the shares reach joints (half to each end, float32 sums) and which joints pass them
// on; and the loads' effect on a solved truss.
#include "analysis/loads.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "analysis/analysis.h"
#include "tests/support/test_bridges.h"

namespace {

TEST(Loads, DeckMembersCarryDeckWeightAndLiveLoad) {
    TestBridge b;
    const int support = b.joint(0, 0);
    const int road = b.joint(40, 0);
    const int top = b.joint(40, 30);
    const int lone = b.joint(200, 50);
    b.member(support, road);  // deck member, 40 ft
    b.member(road, top);      // hanger: not a deck member
    b.member(support, top);
    b.update();
    b.model.joints[lone].deckLoad = b.model.joints[lone].liveLoad = b.model.joints[lone].selfWeightLoad =
        9.0f;
    std::vector<double> loads(2 * b.model.jointCount + 1, 0.0);
    applyDeckWeight(b.model, loads.data());
    applyExtraLiveLoad(b.model, loads.data());

    // 2.5 L + 0.000324 L^2 and 2.3 L, as float32; nothing on members off the deck.
    EXPECT_EQ(b.model.members[1].deckLoad, 100.5184f);
    EXPECT_EQ(b.model.members[1].liveLoad, 92.0f);
    EXPECT_EQ(b.model.members[2].deckLoad, 0.0f);
    EXPECT_EQ(b.model.members[3].liveLoad, 0.0f);
    // Half to each end; only the roadbed joint passes its share on, downward.
    EXPECT_EQ(b.model.joints[support].deckLoad, 50.2592f);
    EXPECT_EQ(b.model.joints[road].deckLoad, 50.2592f);
    EXPECT_EQ(b.model.joints[road].liveLoad, 46.0f);
    EXPECT_EQ(b.model.joints[top].deckLoad, 0.0f);
    EXPECT_EQ(loads[2 * road], -static_cast<double>(50.2592f) - 46.0);
    EXPECT_EQ(loads[2 * support], 0.0);
    EXPECT_EQ(loads[2 * road - 1], 0.0);  // never horizontal
    // A joint no member touches gets zero shares.
    EXPECT_EQ(b.model.joints[lone].deckLoad, 0.0f);
    EXPECT_EQ(b.model.joints[lone].liveLoad, 0.0f);

    applySelfWeight(b.model, loads.data());
    EXPECT_EQ(b.model.joints[lone].selfWeightLoad, 0.0f);
    // Self weight reaches free and roadbed joints, never supports; a float32 sum over the members
    // at the joint in ascending order, each term weight * 0.5 / 1000 kips.
    const Member* m = b.model.members;
    const float atTop =
        static_cast<float>(static_cast<float>(m[2].weight * 0.5 / 1000.0) + m[3].weight * 0.5 / 1000.0);
    EXPECT_EQ(b.model.joints[top].selfWeightLoad, atTop);
    EXPECT_EQ(loads[2 * top], -static_cast<double>(atTop));
    EXPECT_EQ(loads[2 * support], 0.0);
    EXPECT_EQ(loads[2 * road], -static_cast<double>(50.2592f) - 46.0 - b.model.joints[road].selfWeightLoad);
}

TEST(Loads, OptionalLoadsAddToEveryCase) {
    // The worked example: each 100 ft deck member carries 253.24 kips of deck weight and 230 kips
    // of live load, so every roadbed joint takes one member's worth of each. Deck member 1-2 takes
    // 1.5, 1 and 0.5 times the load at joints 2, 3 and 4 (from its truck-only forces 120, 80, 40).
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    TestBridge b = workedExampleBridge();
    analyzeBridge(b.model, AnalysisOptions{0, 1, 1, 0}, *results, *workspace);
    ASSERT_EQ(results->bridgeUnstable, 0);
    const double perJoint = static_cast<double>(253.24f) + 230.0;
    EXPECT_NEAR(results->caseForces[1][1], 120.0 + 3.0 * perJoint, 1e-5);
    EXPECT_NEAR(results->caseForces[1][3], 40.0 + 3.0 * perJoint, 1e-5);
    EXPECT_EQ(b.model.joints[2].deckLoad, 253.24f);
    EXPECT_EQ(b.model.joints[1].liveLoad, 115.0f);  // computed for the support, not applied

    // Self weight is in the loads only with its option; the idle vertical 3-7 then holds up the
    // top joint's weight.
    analyzeBridge(b.model, AnalysisOptions{1, 0, 0, 0}, *results, *workspace);
    EXPECT_GT(b.model.joints[7].selfWeightLoad, 1.0f);
    EXPECT_NEAR(results->caseForces[10][1], -b.model.joints[7].selfWeightLoad, 1e-6);
}

}  // namespace
