// Editing operations: how joints are found or made for a new member, deleting with renumbering,
// moving and merging joints, splitting and mirroring members.
#include "model/editing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_bridges.h"

namespace {

BoardPoint at(int xFt, int yFt) {
    return BoardPoint{columnFromFeet(xFt), rowFromFeet(yFt)};
}

std::vector<std::string> messagesOf(const ModelOutcome& outcome) {
    return std::vector<std::string>(outcome.messages, outcome.messages + outcome.messageCount);
}

bool draw(TestBridge& b, BoardPoint press, BoardPoint release, ModelOutcome& outcome, int size = 5) {
    const PendingMember pending = beginMember(b.model, press, outcome);
    EXPECT_TRUE(pending.started);
    return finishMember(b.model, b.sizes, pending, release, size, outcome);
}

// The joints of member i as (x, y) ft pairs, in table order.
std::vector<int> endsOf(const BridgeModel& model, int i) {
    const Joint& a = model.joints[model.members[i].startJoint];
    const Joint& b = model.joints[model.members[i].endJoint];
    return {static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(b.x), static_cast<int>(b.y)};
}

TEST(Editing, FirstMemberRestartsTheJointTableAndGetsTwoJointsOfItsOwn) {
    TestBridge b;
    for (int i = 0; i < 5; ++i) b.joint(10 * i, 20);  // left over from deleted members
    b.model.joints[1].fileFlag2 = 1;
    ModelOutcome out;
    // Press and release on one spot: two joints there, removed as a short member and a loose joint.
    EXPECT_FALSE(draw(b, at(100, 50), at(100, 50), out));
    EXPECT_EQ(messagesOf(out),
              (std::vector<std::string>{"Deleting short member.", "Deleting unattached joint."}));
    EXPECT_TRUE(out.redraw);
    EXPECT_EQ(b.model.memberCount, 0);
    ASSERT_EQ(b.model.jointCount, 1);
    EXPECT_EQ(b.model.joints[1].screenX, 250);
    EXPECT_EQ(b.model.joints[1].fileFlag2, 0);  // a new joint's file flags are 0
    // The next member starts afresh again: the joint left behind is replaced.
    ModelOutcome second;
    EXPECT_TRUE(draw(b, at(0, 0), at(100, 0), second));
    EXPECT_EQ(second.messageCount, 0);
    EXPECT_FALSE(second.redraw);
    EXPECT_EQ(b.model.jointCount, 2);
    EXPECT_EQ(endsOf(b.model, 1), (std::vector<int>{0, 0, 100, 0}));
}

TEST(Editing, MemberEndsSnapToJointsWithinTheHitTolerance) {
    TestBridge b;
    ModelOutcome out;
    draw(b, at(100, 50), at(150, 50), out);
    // 9 ft from joint 1 takes joint 1; 10 ft from joint 2 makes a new joint.
    EXPECT_TRUE(draw(b, at(109, 50), at(160, 50), out));
    EXPECT_EQ(b.model.members[2].startJoint, 1);
    EXPECT_EQ(b.model.jointCount, 3);
    // Joints 2 (150 ft) and 3 (160 ft) are both within 10 ft of 155 ft: the later one, 3, wins.
    EXPECT_TRUE(draw(b, at(100, 90), at(155, 50), out));
    EXPECT_EQ(b.model.members[3].endJoint, 3);
    EXPECT_EQ(b.model.jointCount, 4);
    EXPECT_EQ(out.messageCount, 0);
}

TEST(Editing, DeletingJointsRenumbersAndDeletingMembersKeepsJoints) {
    TestBridge b;
    for (int i = 1; i <= 5; ++i) b.joint(20 * i, 10 * i);
    b.members({{1, 2}, {2, 3}, {3, 4}, {4, 5}, {1, 5}, {5, 3}, {2, 4}});
    deleteJoint(b.model, 3);
    EXPECT_EQ(b.model.jointCount, 4);
    EXPECT_EQ(b.model.joints[3].x, 80.0f);  // old joint 4
    ASSERT_EQ(b.model.memberCount, 4);
    const int expected[][2] = {{1, 2}, {3, 4}, {1, 4}, {2, 3}};  // order kept, 4 -> 3, 5 -> 4
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(b.model.members[i].startJoint, expected[i - 1][0]) << i;
        EXPECT_EQ(b.model.members[i].endJoint, expected[i - 1][1]) << i;
    }
    // Deleting members never removes joints, even the ones left with none.
    deleteMember(b.model, 1);
    deleteMember(b.model, 2);
    EXPECT_EQ(b.model.jointCount, 4);
    EXPECT_EQ(b.model.memberCount, 2);
    EXPECT_EQ(b.model.members[1].endJoint, 4);  // 3-4, was second
    EXPECT_EQ(b.model.members[2].startJoint, 2);
}

TEST(Editing, DroppingAJointMergesNearAnotherAndOnlySnapsNearItsOwnPlace) {
    TestBridge b;
    b.joint(0, 0);    // 1
    b.joint(100, 0);  // 2
    b.joint(50, 50);  // 3
    b.joint(200, 0);  // 4
    b.joint(150, 0);  // 5
    b.members({{1, 2}, {2, 5}, {3, 5}, {5, 4}, {2, 3}, {4, 2}}, 7);
    b.update();
    ModelOutcome out;
    // Released 6 ft from joint 2: 5 merges into 2. Member 2-5 becomes zero length and goes, 5-4
    // becomes a second 2-4, and 3-5 a second 2-3; one of each pair goes.
    EXPECT_TRUE(dropJoint(b.model, b.sizes, 5, at(106, 3), at(110, 0), out));
    EXPECT_TRUE(out.redraw);
    EXPECT_EQ(out.messageCount, 0);
    EXPECT_EQ(b.model.jointCount, 4);
    ASSERT_EQ(b.model.memberCount, 3);
    EXPECT_EQ(endsOf(b.model, 1), (std::vector<int>{0, 0, 100, 0}));
    EXPECT_EQ(endsOf(b.model, 2), (std::vector<int>{50, 50, 100, 0}));
    EXPECT_EQ(endsOf(b.model, 3), (std::vector<int>{100, 0, 200, 0}));
    // Merging into a joint above the removed one lowers its number too.
    TestBridge c;
    c.joint(0, 0);
    c.joint(50, 50);
    c.joint(100, 0);
    c.members({{1, 2}, {2, 3}});
    mergeJoint(c.model, c.sizes, 1, 3, out);
    EXPECT_EQ(c.model.jointCount, 2);
    ASSERT_EQ(c.model.memberCount, 1);  // 3-2 twice: one left
    EXPECT_EQ(c.model.members[1].startJoint, 1);
    EXPECT_EQ(c.model.members[1].endJoint, 2);
    // Dropped within the tolerance of where it started: it only moves to the snapped point.
    TestBridge d = workedExampleBridge();
    ModelOutcome moved;
    EXPECT_FALSE(dropJoint(d.model, d.sizes, 7, at(204, 56), at(205, 55), moved));
    EXPECT_TRUE(moved.redraw);
    EXPECT_EQ(d.model.jointCount, 8);
    EXPECT_EQ(d.model.joints[7].x, 205.0f);
    EXPECT_EQ(d.model.joints[7].y, 55.0f);
    EXPECT_EQ(d.model.members[6].startX, 205.0f);  // geometry updated
}

TEST(Editing, EndingAMemberOnAnotherSplitsItKeepingItsSize) {
    TestBridge b;
    ModelOutcome out;
    draw(b, at(0, 0), at(100, 0), out, 9);
    // A new end on the middle of member 1 (not on a joint) splits it; the new member keeps size 3.
    EXPECT_TRUE(draw(b, at(50, 60), at(50, 0), out, 3));
    EXPECT_TRUE(out.redraw);
    EXPECT_EQ(out.messageCount, 0);
    ASSERT_EQ(b.model.memberCount, 3);
    EXPECT_EQ(b.model.jointCount, 4);
    EXPECT_EQ(endsOf(b.model, 1), (std::vector<int>{50, 60, 50, 0}));
    EXPECT_EQ(b.model.members[1].size, 3);
    EXPECT_EQ(endsOf(b.model, 2), (std::vector<int>{0, 0, 50, 0}));  // reordered left to right
    EXPECT_EQ(endsOf(b.model, 3), (std::vector<int>{50, 0, 100, 0}));
    EXPECT_EQ(b.model.members[2].size, 9);
    EXPECT_EQ(b.model.members[3].size, 9);
    EXPECT_EQ(b.model.members[3].length, 50.0);
    // Ending on an existing joint never splits, even where it lies on a member.
    draw(b, at(50, 60), at(150, 0), out);
    draw(b, at(20, 40), at(100, 0), out);  // ends on joint 2
    EXPECT_EQ(b.model.memberCount, 5);
    ModelOutcome onJoint;
    EXPECT_TRUE(draw(b, at(100, 60), at(52, 3), onJoint));  // found joint (50, 0)
    EXPECT_EQ(b.model.memberCount, 6);
    EXPECT_FALSE(onJoint.redraw);
}

TEST(Editing, ReflectionMirrorsAboutTheCentreLine) {
    // Left side: (100, 0)-(150, 50) gives (300, 0)-(250, 50).
    TestBridge b;
    b.joint(100, 0);
    b.joint(150, 50);
    b.member(1, 2, 11);
    b.update();
    ModelOutcome out;
    reflectMember(b.model, b.sizes, 1, out);
    EXPECT_EQ(out.messageCount, 0);
    ASSERT_EQ(b.model.memberCount, 2);
    EXPECT_EQ(endsOf(b.model, 2), (std::vector<int>{250, 50, 300, 0}));
    EXPECT_EQ(b.model.members[2].size, 11);
    // Right side: the mirrored end near an existing joint (96 ft, within 10 of 100) takes it.
    TestBridge r;
    r.joint(96, 0);
    r.joint(300, 0);
    r.joint(340, 60);
    r.members({{1, 2}, {2, 3}});
    r.update();
    reflectMember(r.model, r.sizes, 2, out);
    ASSERT_EQ(r.model.memberCount, 3);
    EXPECT_EQ(r.model.jointCount, 4);  // (100, 0) found joint 1; (60, 60) is new
    EXPECT_EQ(r.model.members[3].startJoint, 4);
    EXPECT_EQ(r.model.members[3].endJoint, 1);
    // Across the centre line: nothing happens and nothing is said.
    TestBridge across;
    across.joint(150, 0);
    across.joint(250, 0);
    across.member(1, 2);
    across.update();
    const BridgeModel before = across.model;
    ModelOutcome none;
    reflectMember(across.model, across.sizes, 1, none);
    EXPECT_EQ(across.model.memberCount, 1);
    EXPECT_EQ(across.model.jointCount, 2);
    EXPECT_EQ(none.messageCount, 0);
    EXPECT_FALSE(none.redraw);
    EXPECT_EQ(std::memcmp(&before, &across.model, sizeof before), 0);
    // On the centre line: both images coincide with it and vanish as duplicates, silently.
    TestBridge centre;
    centre.joint(200, 0);
    centre.joint(200, 50);
    centre.member(1, 2);
    centre.update();
    ModelOutcome dup;
    reflectMember(centre.model, centre.sizes, 1, dup);
    EXPECT_EQ(centre.model.memberCount, 1);
    EXPECT_EQ(centre.model.jointCount, 2);
    EXPECT_EQ(dup.messageCount, 0);
    EXPECT_TRUE(dup.redraw);
}

TEST(Editing, FullTablesRefuseMoreMembersInsteadOfOverflowing) {
    // 150 distinct members among 18 joints 80 ft up, then one on the centre line: 151, as a split
    // may leave it.
    TestBridge b;
    for (int i = 0; i < 18; ++i) b.joint(10 + 20 * i, 80);
    for (int a = 1; a <= 18 && b.model.memberCount < 150; ++a) {
        for (int c = a + 1; c <= 18 && b.model.memberCount < 150; ++c) b.member(a, c);
    }
    const int foot = b.joint(200, 0);
    const int head = b.joint(200, 50);
    b.member(foot, head);
    b.update();
    ASSERT_EQ(b.model.memberCount, 151);
    // Its two images would need slots 152 and 153: one is added and refused, the other never is.
    ModelOutcome out;
    reflectMember(b.model, b.sizes, 151, out);
    EXPECT_EQ(messagesOf(out), std::vector<std::string>{"Max. members = 150"});
    EXPECT_EQ(b.model.memberCount, 151);
    // With every member slot taken (a loaded file may do that), nothing is added at all.
    b.member(1, foot);
    ModelOutcome none;
    reflectMember(b.model, b.sizes, 152, none);
    EXPECT_EQ(messagesOf(none), std::vector<std::string>{"Max. members = 150"});
    EXPECT_EQ(b.model.memberCount, 152);
    ModelOutcome press;
    EXPECT_FALSE(beginMember(b.model, at(300, 90), press).started);
    EXPECT_EQ(messagesOf(press), std::vector<std::string>{"Max. members = 150"});
    EXPECT_EQ(b.model.memberCount, 152);
    // A joint table without room for two more joints refuses the press too; 60 joints still draw.
    TestBridge joints;
    for (int i = 0; i < 61; ++i) joints.joint(6 * i, 90);
    joints.member(1, 2);
    ModelOutcome full;
    EXPECT_FALSE(beginMember(joints.model, at(200, -40), full).started);
    EXPECT_EQ(messagesOf(full), std::vector<std::string>{"Max. Joints = 60"});
    EXPECT_EQ(joints.model.jointCount, 61);
    joints.model.jointCount = 60;
    EXPECT_TRUE(beginMember(joints.model, at(200, -40), full).started);
}

}  // namespace
