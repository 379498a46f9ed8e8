// Two places where editing could leave tables that look sound but are not: a member drawn from
// the end of another member along it splits that member and must not stand twice, and a joint
// dropped on the very spot of another joint must join it, even where the drop point finds the
// dragged joint itself first (it still counts where it stood).
#include <gtest/gtest.h>

#include "model/editing.h"
#include "model/validation.h"
#include "tests/support/test_bridges.h"

namespace {

bool joins(const Member& m, int a, int b) {
    return (m.startJoint == a && m.endJoint == b) || (m.startJoint == b && m.endJoint == a);
}

// Draws a member as the mouse handlers do, from press to release (board pixels).
bool draw(TestBridge& b, BoardPoint from, BoardPoint to) {
    ModelOutcome outcome;
    const PendingMember pending = beginMember(b.model, from, outcome);
    return finishMember(b.model, b.sizes, pending, to, 5, outcome);
}

TEST(SplitAndDrop, AMemberDrawnAlongAnotherFromItsEndStandsOnce) {
    // From the left end of a 100 ft deck member to its middle: the member is split in two there,
    // and the new member is the left piece, not a second copy of it.
    TestBridge b;
    draw(b, {150, 250}, {250, 250});
    EXPECT_TRUE(draw(b, {150, 250}, {200, 250}));
    ASSERT_EQ(b.model.jointCount, 3);
    ASSERT_EQ(b.model.memberCount, 2);
    EXPECT_TRUE(joins(b.model.members[1], 1, 3));
    EXPECT_TRUE(joins(b.model.members[2], 3, 2));

    // The same from the right end of a sloping member, in a bridge with more around it.
    TestBridge t = workedExampleBridge();
    const int before = t.model.memberCount;
    // Member 7 runs from (0, 0) ft to (100, 50) ft; draw from its upper end halfway down it.
    EXPECT_TRUE(draw(t, {250, 200}, {200, 225}));
    EXPECT_EQ(t.model.memberCount, before + 1);
    EXPECT_EQ(removeDuplicateMembers(t.model), 0);
}

TEST(SplitAndDrop, AJointDroppedOnAnotherJointsSpotJoinsIt) {
    // Joint 2 stands 5 ft right of joint 1. Dropped on joint 1's spot, the nearest joint to the
    // drop point by the rule is joint 2 itself (its old place is within the tolerance and it has
    // the higher number); it must still join joint 1 rather than stand on top of it.
    TestBridge b;
    b.joint(50, 50);
    b.joint(55, 50);
    b.joint(150, 50);
    b.member(1, 2);
    b.member(2, 3);
    b.update();
    ModelOutcome outcome;
    EXPECT_TRUE(dropJoint(b.model, b.sizes, 2, {200, 200}, {200, 200}, outcome));
    EXPECT_EQ(b.model.jointCount, 2);
    ASSERT_EQ(b.model.memberCount, 1);
    EXPECT_TRUE(joins(b.model.members[1], 1, 2));  // the member to (150, 50) ft, now from joint 1

    // Dropped near where it stood, on no other joint's spot, it only snaps there.
    TestBridge c;
    c.joint(50, 50);
    c.joint(55, 50);
    c.member(1, 2);
    c.update();
    EXPECT_FALSE(dropJoint(c.model, c.sizes, 2, {203, 201}, {205, 200}, outcome));
    EXPECT_EQ(c.model.jointCount, 2);
    EXPECT_EQ(c.model.joints[2].screenX, 205);
}

}  // namespace
