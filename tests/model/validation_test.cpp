// Validation of a new member (limits, lengths, duplicates, what is taken back and what stays)
// and the check before an analysis (faults in order, exact texts, marks).
#include "model/validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/editing.h"
#include "tests/support/test_bridges.h"

namespace {

BoardPoint at(int xFt, int yFt) {
    return BoardPoint{columnFromFeet(xFt), rowFromFeet(yFt)};
}

std::vector<std::string> messagesOf(const ModelOutcome& outcome) {
    return std::vector<std::string>(outcome.messages, outcome.messages + outcome.messageCount);
}

using Texts = std::vector<std::string>;

struct Drawn {
    bool stood;
    ModelOutcome outcome;
};

Drawn draw(TestBridge& b, BoardPoint press, BoardPoint release) {
    Drawn d{};
    const PendingMember pending = beginMember(b.model, press, d.outcome);
    EXPECT_TRUE(pending.started);
    d.stood = finishMember(b.model, b.sizes, pending, release, 5, d.outcome);
    return d;
}

// `roadbed` joints on the roadbed line at 10, 20, ... ft, then free joints 20 ft apart in rows at
// 30, 50, 70 and 90 ft up to `total` joints, and one member so that drawing does not restart the
// joint table. Free space for new joints: below the roadbed, and on it beyond 10 * roadbed ft.
TestBridge crowded(int total, int roadbed) {
    TestBridge b;
    for (int i = 1; i <= roadbed; ++i) b.joint(10 * i, 0);
    for (int i = 0; b.model.jointCount < total; ++i) b.joint(20 * (i % 20), 30 + 20 * (i / 20));
    b.member(total - 1, total);
    b.update();
    return b;
}

TEST(Validation, JointLimitTakesBackOnlyWhatTheNewMemberCreated) {
    // The 60th joint is fine; the 61st goes with its member.
    TestBridge b = crowded(59, 0);
    EXPECT_TRUE(draw(b, at(380, 30), at(390, -40)).stood);
    EXPECT_EQ(b.model.jointCount, 60);
    Drawn refused = draw(b, at(380, 30), at(350, -40));
    EXPECT_FALSE(refused.stood);
    EXPECT_EQ(messagesOf(refused.outcome), Texts{"Max. Joints = 60"});
    EXPECT_TRUE(refused.outcome.redraw);
    EXPECT_EQ(b.model.jointCount, 60);
    EXPECT_EQ(b.model.memberCount, 2);
    // Two new joints on 59: the second is taken back, the first (the 60th) stays unattached.
    TestBridge two = crowded(59, 0);
    EXPECT_EQ(messagesOf(draw(two, at(390, -40), at(350, -40)).outcome), Texts{"Max. Joints = 60"});
    EXPECT_EQ(two.model.jointCount, 60);
    EXPECT_EQ(two.model.joints[60].x, 390.0f);
    EXPECT_EQ(two.model.memberCount, 1);
    // Two new joints on 60: both go.
    TestBridge full = crowded(60, 0);
    EXPECT_EQ(messagesOf(draw(full, at(390, -40), at(350, -40)).outcome), Texts{"Max. Joints = 60"});
    EXPECT_EQ(full.model.jointCount, 60);
    EXPECT_EQ(full.model.memberCount, 1);
}

TEST(Validation, RoadbedLimitAndItsCombinationWithTheJointLimit) {
    // Two new roadbed joints on 30: both go.
    TestBridge b = crowded(40, 30);
    EXPECT_EQ(messagesOf(draw(b, at(350, 0), at(370, 0)).outcome), Texts{"Max. Roadbed Joints = 30"});
    EXPECT_EQ(b.model.jointCount, 40);
    EXPECT_EQ(b.model.memberCount, 1);
    // 60 joints, 30 roadbed joints, a member from a new roadbed joint to a new free joint: the
    // roadbed step takes the free joint, the joint step then the roadbed joint, the member once.
    TestBridge full = crowded(60, 30);
    const Drawn both = draw(full, at(350, 0), at(350, -40));
    EXPECT_EQ(messagesOf(both.outcome), (Texts{"Max. Roadbed Joints = 30", "Max. Joints = 60"}));
    EXPECT_EQ(full.model.jointCount, 60);
    EXPECT_EQ(full.model.memberCount, 1);
    // One new roadbed joint and one new free joint on 30: the newest (free) one goes, the roadbed
    // joint stays unattached and keeps the count above the limit.
    TestBridge left = crowded(40, 30);
    draw(left, at(350, 0), at(390, -40));
    EXPECT_EQ(left.model.jointCount, 41);
    EXPECT_EQ(left.model.joints[41].x, 350.0f);
    EXPECT_EQ(left.model.memberCount, 1);
}

TEST(Validation, AnExcessTheNewMemberDidNotCauseNeverCostsAJointInUse) {
    // A joint moved onto the roadbed (no limit checked) makes 31; it is the last joint and in use.
    TestBridge b = crowded(40, 30);
    moveJoint(b.model, 40, at(195, 0));
    b.update();
    ASSERT_EQ(b.model.roadbedJointCount, 31);
    const BridgeModel before = b.model;
    // A member between existing joints: only the member goes.
    Drawn d = draw(b, at(0, 30), at(20, 30));
    EXPECT_FALSE(d.stood);
    EXPECT_EQ(messagesOf(d.outcome), Texts{"Max. Roadbed Joints = 30"});
    EXPECT_EQ(b.model.jointCount, 40);
    EXPECT_EQ(b.model.memberCount, 1);
    EXPECT_EQ(b.model.members[1].endJoint, 40);
    EXPECT_EQ(b.model.joints[40].screenX, before.joints[40].screenX);
    // A member that made a free joint: that joint goes with it, nothing older.
    EXPECT_EQ(messagesOf(draw(b, at(0, 30), at(0, -40)).outcome), Texts{"Max. Roadbed Joints = 30"});
    EXPECT_EQ(b.model.jointCount, 40);
    EXPECT_EQ(b.model.memberCount, 1);
}

TEST(Validation, MemberLimitAndTheSplitThatMayPassIt) {
    TestBridge b = crowded(50, 0);
    // 149 distinct members in all, the last one joining joints 2 and 1 (20 and 0 ft, 30 ft up).
    std::vector<std::pair<int, int>> pairs;
    for (const int d : {4, 3, 2, 1}) {
        for (int i = 50 - d; i >= 1; --i) pairs.emplace_back(i + d, i);
    }
    b.model.memberCount = 0;
    for (size_t p = pairs.size() - 149; p < pairs.size(); ++p) b.member(pairs[p].first, pairs[p].second);
    ASSERT_EQ(b.model.memberCount, 149);
    b.update();
    // The 150th ends between joints 1 and 2 on a member there, which it splits: 151.
    Drawn split = draw(b, at(10, 10), at(10, 30));
    EXPECT_TRUE(split.stood);
    EXPECT_EQ(split.outcome.messageCount, 0);
    EXPECT_EQ(b.model.memberCount, 151);
    EXPECT_EQ(b.model.jointCount, 52);
    // The next one is refused; the joint it made stays.
    Drawn refused = draw(b, at(10, 10), at(30, -10));
    EXPECT_EQ(messagesOf(refused.outcome), Texts{"Max. members = 150"});
    EXPECT_EQ(b.model.memberCount, 151);
    EXPECT_EQ(b.model.jointCount, 53);
}

TEST(Validation, LengthsZeroShortAndTooLong) {
    TestBridge b = workedExampleBridge();
    // 130.0 ft is accepted.
    TestBridge exact;
    draw(exact, at(0, 0), at(100, 0));
    EXPECT_TRUE(draw(exact, at(100, 0), at(230, 0)).stood);
    EXPECT_EQ(exact.model.memberCount, 2);
    // From a joint to itself: removed; the joint stays while other members use it.
    const Drawn self = draw(b, at(201, 51), at(199, 49));
    EXPECT_EQ(messagesOf(self.outcome), Texts{"Deleting zero length member."});
    EXPECT_EQ(b.model.memberCount, 13);
    EXPECT_EQ(b.model.jointCount, 8);
    // Just over 130 ft is removed after the geometry is redone; its new joint stays and is later
    // found unattached.
    const Drawn longer = draw(b, at(200, 50), at(330, 51));
    EXPECT_FALSE(longer.stood);
    EXPECT_EQ(messagesOf(longer.outcome), Texts{"Member exceeds maximum length."});
    EXPECT_TRUE(longer.outcome.redraw);
    EXPECT_EQ(b.model.memberCount, 13);
    EXPECT_EQ(b.model.jointCount, 9);
    ModelOutcome check;
    EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, check));
    EXPECT_EQ(messagesOf(check), Texts{"Unattached joint."});
    EXPECT_EQ(check.markedJoint, 9);
    // 130.5 ft, as the geometry left it, is removed too.
    TestBridge half;
    half.joint(0, 0);
    half.joint(130, 0);
    half.member(1, 2);
    half.update();
    half.model.members[1].length = 130.5;
    ModelOutcome out;
    EXPECT_FALSE(validateNewMember(half.model, half.sizes, 0, out));
    EXPECT_EQ(messagesOf(out), Texts{"Member exceeds maximum length."});
    EXPECT_EQ(half.model.memberCount, 0);
    EXPECT_EQ(half.model.jointCount, 2);
    // From the loose last joint to itself: that joint goes as well.
    const Drawn loose = draw(b, at(330, 51), at(330, 51));
    EXPECT_EQ(messagesOf(loose.outcome),
              (Texts{"Deleting zero length member.", "Deleting unattached joint."}));
    EXPECT_EQ(b.model.jointCount, 8);
    // Shorter than 1 ft between two joints (only possible for joints on one spot).
    TestBridge spot;
    spot.joint(0, 0);
    spot.joint(50, 0);
    spot.joint(50, 0);
    spot.members({{1, 2}, {2, 3}});
    spot.update();
    ModelOutcome shortOut;
    EXPECT_FALSE(validateNewMember(spot.model, spot.sizes, 2, shortOut));
    EXPECT_EQ(messagesOf(shortOut), (Texts{"Deleting short member.", "Deleting unattached joint."}));
    EXPECT_EQ(spot.model.jointCount, 2);
}

TEST(Validation, DuplicatesDisappearSilently) {
    // Either direction: the new copy goes, no message, but the member did not stand.
    for (const bool reversed : {false, true}) {
        TestBridge b = workedExampleBridge();  // member 9 joins 2 (100, 0) and 6 (100, 50)
        const Drawn d = reversed ? draw(b, at(100, 50), at(100, 0)) : draw(b, at(100, 0), at(100, 50));
        EXPECT_FALSE(d.stood);
        EXPECT_EQ(d.outcome.messageCount, 0);
        EXPECT_TRUE(d.outcome.redraw);
        EXPECT_EQ(b.model.memberCount, 13);
    }
    // Each member keeps its first copy; three of a kind leave one.
    TestBridge b;
    b.joint(0, 0);
    b.joint(10, 0);
    b.joint(20, 0);
    b.members({{1, 2}, {2, 3}, {2, 1}, {3, 2}, {1, 2}});
    EXPECT_EQ(removeDuplicateMembers(b.model), 3);
    ASSERT_EQ(b.model.memberCount, 2);
    EXPECT_EQ(b.model.members[1].endJoint, 2);
    EXPECT_EQ(b.model.members[2].startJoint, 2);
}

TEST(Validation, CheckBeforeAnalysisStopsAtTheFirstFaultInOrder) {
    {  // A sound bridge passes, and only derived fields change.
        TestBridge b = workedExampleBridge();
        ModelOutcome out;
        EXPECT_FALSE(checkBeforeAnalysis(b.model, b.sizes, out));
        EXPECT_EQ(out.messageCount, 0);
        EXPECT_EQ(out.markedJoint, 0);
    }
    {  // A member from a joint to itself comes first (two blanks), even after one without properties.
        TestBridge b = workedExampleBridge();
        b.model.members[2].size = 0;
        b.member(3, 3);
        ModelOutcome out;
        EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, out));
        EXPECT_EQ(messagesOf(out), Texts{"Pre-Analysis (1) -  There is a zero length member in the model."});
        EXPECT_EQ(out.markedJoint, 3);
        EXPECT_EQ(out.markedMember, 0);
    }
    {  // Two joints on one spot (one blank); the start joint is marked.
        TestBridge b = workedExampleBridge();
        b.joint(200, 50);
        b.member(9, 7);
        ModelOutcome out;
        EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, out));
        EXPECT_EQ(messagesOf(out), Texts{"Pre-Analysis (1) - There is a zero length member in the model."});
        EXPECT_EQ(out.markedJoint, 9);
    }
    {  // No properties: the member is marked.
        TestBridge b = workedExampleBridge();
        b.model.members[5].size = 0;
        ModelOutcome out;
        EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, out));
        EXPECT_EQ(messagesOf(out), Texts{"Pre-Analysis (2) - A member in the model has no properties"});
        EXPECT_EQ(out.markedMember, 5);
        EXPECT_EQ(out.markedJoint, 0);
    }
}

TEST(Validation, CheckBeforeAnalysisRoadbedAndUnattachedJoints) {
    // Deck pieces summing to 400 and 399 pass the roadbed step; 398 does not. The deck alone has
    // loose ends, so a passing deck is reported next as an unattached joint.
    for (const int shortFall : {0, 1, 2}) {
        TestBridge b;
        for (const int x : {0, 100, 200, 300}) b.joint(x, 0);
        b.joint(400 - shortFall, 0);
        b.members({{1, 2}, {2, 3}, {3, 4}, {4, 5}});
        ModelOutcome out;
        EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, out));
        ASSERT_EQ(out.messageCount, 1);
        EXPECT_EQ(std::string(out.messages[0]),
                  shortFall == 2 ? "Part of the roadbed is missing!" : "Unattached joint.")
            << shortFall;
        EXPECT_EQ(out.markedJoint, shortFall == 2 ? 0 : 1);
    }
    // A joint with no member is reported before an earlier one with a single member.
    TestBridge b = workedExampleBridge();
    const int single = b.joint(250, 80);
    const int none = b.joint(50, 80);
    b.member(single, 7);
    ModelOutcome out;
    EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, out));
    EXPECT_EQ(messagesOf(out), Texts{"Unattached joint."});
    EXPECT_EQ(out.markedJoint, none);
    // A joint with one member counts as unattached.
    b.member(none, 6);
    ModelOutcome one;
    EXPECT_TRUE(checkBeforeAnalysis(b.model, b.sizes, one));
    EXPECT_EQ(messagesOf(one), Texts{"Unattached joint."});
    EXPECT_EQ(one.markedJoint, single);
}

}  // namespace
