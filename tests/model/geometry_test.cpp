// The geometry update: member order, angles, kinds, deck flags, weights and totals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/support/test_bridges.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(Geometry, EmptyBridgeLeavesJointsAndZeroesTotals) {
    TestBridge b;
    b.joint(0, 0);
    b.model.joints[1].screenX = 200;  // stale feet must survive: no member, no update
    b.model.totalWeight = 5.0;
    b.model.roadbedJointCount = 7;
    b.update();
    EXPECT_EQ(b.model.joints[1].x, 0.0f);
    EXPECT_EQ(b.model.totalWeight, 0.0);
    EXPECT_EQ(b.model.roadbedJointCount, 0);
}

TEST(Geometry, JointKindsComeFromWhereJointsStand) {
    TestBridge b;
    const int left = b.joint(0, 0);
    const int road = b.joint(100, 0);
    const int right = b.joint(400, 0);
    const int free = b.joint(100, 30);
    const int lone = b.joint(200, 0);  // no member reaches it; still a roadbed joint
    b.member(left, free);
    b.member(road, right);
    b.update();
    EXPECT_EQ(b.model.joints[left].kind, JointKind::LeftSupport);
    EXPECT_EQ(b.model.joints[road].kind, JointKind::Roadbed);
    EXPECT_EQ(b.model.joints[right].kind, JointKind::RightSupport);
    EXPECT_EQ(b.model.joints[free].kind, JointKind::Free);
    EXPECT_EQ(b.model.joints[lone].kind, JointKind::Roadbed);
    EXPECT_EQ(b.model.roadbedJointCount, 2);  // supports never count
    // Deck members: both ends on the deck line. Straight up from the support is not one.
    EXPECT_EQ(b.model.members[1].isDeckMember, 0);
    EXPECT_EQ(b.model.members[2].isDeckMember, 1);
}

TEST(Geometry, FeetFollowBoardCoordinates) {
    TestBridge b;
    b.joint(10, 10);
    b.joint(20, 10);
    b.member(1, 2);
    b.model.joints[2].screenX = 190;  // moved on the board only
    b.model.joints[2].screenY = 260;
    b.update();
    EXPECT_EQ(b.model.joints[2].x, 40.0f);
    EXPECT_EQ(b.model.joints[2].y, -10.0f);
    EXPECT_EQ(b.model.members[1].endY, -10.0f);
}

TEST(Geometry, EndsAreOrderedLeftToRightAndAnglesFollowTheRules) {
    struct Case {
        int x1, y1, x2, y2;
        int expectStart;  // 1 or 2: which joint ends up as the start
        double angle;
    };
    const double down = 6.28318531;
    const Case cases[] = {
        {0, 0, 100, 0, 1, 0.0},                                          // horizontal
        {100, 0, 0, 0, 2, 0.0},                                          // drawn right to left: swapped
        {0, 0, 30, 40, 1, std::asin(40.0 / 50.0)},                       // steep rising: asin branch
        {0, 0, 40, 30, 1, std::acos(40.0 / 50.0)},                       // shallow rising: acos branch
        {0, 0, 40, 40, 1, std::acos(40.0 / std::sqrt(3200.0))},          // dy == dx takes acos
        {40, 30, 0, 0, 2, std::acos(40.0 / 50.0)},                       // swapped, then rising
        {0, 0, 40, -30, 1, down - std::acos(40.0 / 50.0)},               // shallow falling: acos branch
        {0, 0, 30, -40, 1, down - std::asin(40.0 / 50.0)},               // steep falling: asin branch
        {0, 0, 40, -40, 1, down - std::acos(40.0 / std::sqrt(3200.0))},  // dx == -dy takes acos
        {50, 0, 50, 40, 1, kPi / 2},                                     // vertical up keeps its order
        {50, 40, 50, 0, 1, down - kPi / 2},                              // vertical down: 6.28318531 - pi/2
    };
    for (const Case& c : cases) {
        TestBridge b;
        b.joint(c.x1, c.y1);
        b.joint(c.x2, c.y2);
        b.member(1, 2);
        b.update();
        const Member& m = b.model.members[1];
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2);
        EXPECT_EQ(m.startJoint, c.expectStart);
        EXPECT_LE(m.startX, m.endX);
        EXPECT_DOUBLE_EQ(m.angle, c.angle);
        EXPECT_DOUBLE_EQ(m.length, std::hypot(c.x2 - c.x1, c.y2 - c.y1));
    }
    // The falling vertical is exactly the rounded circle less a quarter turn.
    EXPECT_NEAR(6.28318531 - kPi / 2, 4.712389, 1e-6);
}

TEST(Geometry, SectionsAndWeightsComeFromTheSizeTableInSinglePrecision) {
    TestBridge b;
    b.joint(0, 0);
    b.joint(40, 0);
    b.joint(40, 30);
    b.member(1, 2, 1);
    b.member(2, 3, 9);
    b.member(1, 3, 0);  // no properties: takes the placeholder entry
    b.update();
    const Member& m1 = b.model.members[1];
    EXPECT_EQ(m1.area, 2.75);
    EXPECT_EQ(m1.radiusOfGyration, 1.127);
    EXPECT_EQ(m1.tensionCapacity, 59.4f);
    EXPECT_EQ(m1.weight, static_cast<float>(40.0 * (2.75 * 3.402778)));
    EXPECT_NEAR(m1.weight, 374.31, 0.005);
    EXPECT_EQ(b.model.members[2].tensionCapacity, 2246.0f);
    const Member& m3 = b.model.members[3];
    EXPECT_EQ(m3.area, 0.0001);
    EXPECT_EQ(m3.weight, static_cast<float>(50.0 * (0.0001 * 3.402778)));
    // The total adds the stored float32 weights, each divided by 1000 in double.
    double total = 0.0;
    for (int i = 1; i <= 3; ++i) total += b.model.members[i].weight / 1000.0;
    EXPECT_EQ(b.model.totalWeight, total);
}

TEST(Geometry, NewAndClearedBridges) {
    TestBridge b = workedExampleBridge();
    b.model.members[4].force = 12.0;
    b.model.members[LAST_MEMBER_SLOT].forceRatio = 1000.0;  // spare slots are cleared too
    clearBridge(b.model);
    EXPECT_EQ(b.model.jointCount, 0);
    EXPECT_EQ(b.model.memberCount, 0);
    EXPECT_STREQ(b.model.bridgeName, "UNTITLED");
    EXPECT_EQ(b.model.totalWeight, 0.0);
    EXPECT_EQ(b.model.members[4].force, 0.0);
    EXPECT_EQ(b.model.members[LAST_MEMBER_SLOT].forceRatio, 0.0);

    BridgeModel fresh;
    initBridgeModel(fresh);
    EXPECT_EQ(fresh.hitTolerance, 10);
    EXPECT_EQ(fresh.savedFlag, 1);
    EXPECT_EQ(fresh.elasticModulus, 29000.0);
    EXPECT_STREQ(fresh.filePath, "");
}

TEST(Geometry, BoardAndFeetConversionsTruncateTowardZero) {
    EXPECT_EQ(columnFromFeet(12.9), 162);
    EXPECT_EQ(columnFromFeet(-3.7), 147);
    EXPECT_EQ(rowFromFeet(12.9), 238);
    EXPECT_EQ(rowFromFeet(-5.5), 255);
    EXPECT_EQ(feetFromColumn(550), 400.0f);
    EXPECT_EQ(feetFromRow(315), -65.0f);
}

TEST(MemberSizes, TableHoldsTheExactValues) {
    MemberSizeTable t;
    initMemberSizes(t);
    EXPECT_EQ(t.defaultMemberSize, 5);
    EXPECT_EQ(t[5].area, 29.0);
    EXPECT_EQ(t[5].radiusOfGyration, 5.92);
    EXPECT_EQ(t[5].tensionCapacity, 626.4f);
    // Sizes 1..8 hold 21.6 ksi times the area; 9..12 hold whole numbers.
    for (int s = 1; s <= 8; ++s) EXPECT_NEAR(t[s].tensionCapacity, 21.6 * t[s].area, 1e-3) << s;
    EXPECT_EQ(t[9].tensionCapacity, 2246.0f);
    EXPECT_EQ(t[10].tensionCapacity, 2506.0f);
    EXPECT_EQ(t[11].tensionCapacity, 4082.0f);
    EXPECT_EQ(t[12].tensionCapacity, 4471.0f);
    EXPECT_EQ(t[12].radiusOfGyration, 14.1);
    EXPECT_EQ(t[0].tensionCapacity, 0.0001f);
}

}  // namespace
