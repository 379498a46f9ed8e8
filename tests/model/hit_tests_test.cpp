// Joint and member hit tests: the 4 pixel joint reach, the hit tolerance window in feet and the
// seven member classes with their reach across and their end points.
#include "model/hit_tests.h"

#include <gtest/gtest.h>

#include "tests/support/test_bridges.h"

namespace {

// A joint at a board pixel, for members whose slope is set in pixels.
int jointAtPixel(TestBridge& b, int column, int row) {
    return b.joint(column - BOARD_ORIGIN_COLUMN, BOARD_ORIGIN_ROW - row);
}

TEST(HitTests, FindJointAtTakesTheLowestIndexWithinFourPixels) {
    TestBridge b;
    b.joint(100, 50);  // board (250, 200)
    b.joint(102, 50);  // board (252, 200)
    // Strictly fewer than 4 pixels each way; exactly 4 misses.
    EXPECT_EQ(findJointAt(b.model, {247, 203}), 1);
    EXPECT_EQ(findJointAt(b.model, {246, 200}), 0);
    EXPECT_EQ(findJointAt(b.model, {250, 196}), 0);
    EXPECT_EQ(findJointAt(b.model, {250, 204}), 0);
    // Both in reach: the first one wins; beyond the first only the second remains.
    EXPECT_EQ(findJointAt(b.model, {251, 200}), 1);
    EXPECT_EQ(findJointAt(b.model, {255, 200}), 2);
    EXPECT_EQ(findJointAt(TestBridge().model, {250, 200}), 0);
}

TEST(HitTests, FindJointNearUsesTheToleranceInFeetAndTakesTheHighestIndex) {
    TestBridge b;
    b.joint(100, 50);
    const BoardPoint centre{250, 200};
    // Tolerance 10: 9 ft away in either direction is the joint, 10 ft is not.
    EXPECT_EQ(findJointNear(b.model, {centre.column + 9, centre.row}), 1);
    EXPECT_EQ(findJointNear(b.model, {centre.column - 9, centre.row + 9}), 1);
    EXPECT_EQ(findJointNear(b.model, {centre.column + 10, centre.row}), 0);
    EXPECT_EQ(findJointNear(b.model, {centre.column, centre.row - 10}), 0);
    b.model.hitTolerance = 4;
    EXPECT_EQ(findJointNear(b.model, {centre.column + 3, centre.row + 3}), 1);
    EXPECT_EQ(findJointNear(b.model, {centre.column + 4, centre.row}), 0);
    // Two joints in range: the later one wins.
    b.model.hitTolerance = 10;
    b.joint(108, 50);
    EXPECT_EQ(findJointNear(b.model, {centre.column + 1, centre.row}), 2);
    // The search reads the feet, not the board position (a joint being dragged).
    b.model.joints[2].screenX = 400;
    EXPECT_EQ(findJointNear(b.model, {centre.column + 1, centre.row}), 2);
}

TEST(HitTests, NearVerticalAndHorizontalMembersExcludeTheirEnds) {
    TestBridge b;
    const int top = b.joint(100, 50);    // board (250, 200)
    const int bottom = b.joint(100, 0);  // board (250, 250)
    const int right = b.joint(200, 0);   // board (350, 250)
    b.member(top, bottom);               // class A: start above end
    EXPECT_EQ(findMemberAt(b.model, {253, 225}), 1);
    EXPECT_EQ(findMemberAt(b.model, {254, 225}), 0);
    EXPECT_EQ(findMemberAt(b.model, {250, 201}), 1);
    EXPECT_EQ(findMemberAt(b.model, {250, 200}), 0);
    EXPECT_EQ(findMemberAt(b.model, {250, 249}), 1);
    // Class B: the same member drawn upward.
    std::swap(b.model.members[1].startJoint, b.model.members[1].endJoint);
    EXPECT_EQ(findMemberAt(b.model, {247, 201}), 1);
    EXPECT_EQ(findMemberAt(b.model, {246, 225}), 0);
    EXPECT_EQ(findMemberAt(b.model, {250, 250}), 0);
    // Class C: horizontal, 3 pixels across, ends excluded.
    b.model.memberCount = 0;
    b.member(right, bottom);
    EXPECT_EQ(findMemberAt(b.model, {300, 253}), 1);
    EXPECT_EQ(findMemberAt(b.model, {300, 254}), 0);
    EXPECT_EQ(findMemberAt(b.model, {251, 250}), 1);
    EXPECT_EQ(findMemberAt(b.model, {250, 250}), 0);
    EXPECT_EQ(findMemberAt(b.model, {350, 250}), 0);
    // Both ends on one spot: never hit, not even on the spot.
    const int twin = b.joint(200, 0);
    b.model.memberCount = 0;
    b.member(right, twin);
    EXPECT_EQ(findMemberAt(b.model, {350, 250}), 0);
    EXPECT_EQ(findMemberAt(b.model, {351, 250}), 0);
}

TEST(HitTests, SlopingMembersAreWalkedPixelByPixelWithTheirEnds) {
    // Class D, slope 2 down the board: column = 150 + trunc((row - 150) / 2).
    {
        TestBridge b;
        b.member(jointAtPixel(b, 150, 150), jointAtPixel(b, 170, 190));
        EXPECT_EQ(findMemberAt(b.model, {150, 150}), 1);
        EXPECT_EQ(findMemberAt(b.model, {170, 190}), 1);
        EXPECT_EQ(findMemberAt(b.model, {159, 160}), 1);  // 4 across row 160 (column 155)
        EXPECT_EQ(findMemberAt(b.model, {160, 160}), 0);  // 5 across
        EXPECT_EQ(findMemberAt(b.model, {170, 191}), 0);  // past the end row
    }
    // Class E, slope 0.5: row = 150 + trunc((column - 150) * 0.5).
    {
        TestBridge b;
        b.member(jointAtPixel(b, 190, 170), jointAtPixel(b, 150, 150));  // drawn right to left
        EXPECT_EQ(findMemberAt(b.model, {160, 159}), 1);
        EXPECT_EQ(findMemberAt(b.model, {160, 160}), 0);
        EXPECT_EQ(findMemberAt(b.model, {190, 170}), 1);
        EXPECT_EQ(findMemberAt(b.model, {191, 170}), 0);
    }
    // Class F, slope -0.5: the offset truncates toward zero, so column 151 still expects row 190.
    {
        TestBridge b;
        b.member(jointAtPixel(b, 150, 190), jointAtPixel(b, 190, 170));
        EXPECT_EQ(findMemberAt(b.model, {151, 194}), 1);
        EXPECT_EQ(findMemberAt(b.model, {160, 181}), 1);  // row 185 expected
        EXPECT_EQ(findMemberAt(b.model, {160, 180}), 0);
    }
    // Class G, slope -2: column = 150 + trunc((row - 190) / -2), rows 150..190.
    {
        TestBridge b;
        b.member(jointAtPixel(b, 150, 190), jointAtPixel(b, 170, 150));
        EXPECT_EQ(findMemberAt(b.model, {166, 151}), 1);  // column 169 expected
        EXPECT_EQ(findMemberAt(b.model, {164, 151}), 0);
        EXPECT_EQ(findMemberAt(b.model, {170, 150}), 1);
        EXPECT_EQ(findMemberAt(b.model, {170, 149}), 0);
    }
}

TEST(HitTests, FindMemberTakesTheFirstInTableOrderAndCanTestAtAJoint) {
    TestBridge b;
    const int left = b.joint(0, 0);
    const int right = b.joint(100, 0);
    const int mid = b.joint(50, 0);
    const int top = b.joint(50, 40);
    b.member(top, mid);
    b.member(left, right);
    b.member(right, left);
    EXPECT_EQ(findMemberAt(b.model, {200, 250}), 2);  // member 1 excludes its end at mid
    EXPECT_EQ(findMemberAt(b.model, {200, 230}), 1);
    EXPECT_EQ(findMemberAtJoint(b.model, mid), 2);
    EXPECT_EQ(findMemberAtJoint(b.model, left), 0);
}

}  // namespace
