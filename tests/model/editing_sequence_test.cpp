// Long random sequences of editing operations, driven as the mouse handlers drive them, must keep
// the tables consistent after every step: member ends within 1..jointCount, counts within the
// limits and the tables, sizes valid, ends ordered left to right after the geometry update.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "model/editing.h"
#include "model/validation.h"
#include "tests/support/test_bridges.h"

namespace {

class Sequence {
  public:
    explicit Sequence(unsigned seed) : random_(seed) {}

    // How the user works for a while: mixed editing, growing the bridge with short members until
    // the joint and member limits act, or laying deck pieces with a fine joint snap until the
    // roadbed limit acts.
    enum class Phase { Mixed, Grow, Deck };

    // One user action, chosen at random; the geometry is updated after it as the handlers do.
    const char* step(Phase phase) {
        if (phase == Phase::Deck && phase_ != Phase::Deck) clearBridge(b_.model);  // a fresh deck
        phase_ = phase;
        growing_ = phase != Phase::Mixed;
        if (phase == Phase::Deck) b_.model.hitTolerance = 4;
        ModelOutcome out;
        const char* action = act(out);
        EXPECT_LE(out.messageCount, MAX_OUTCOME_MESSAGES);
        for (int i = 0; i < out.messageCount; ++i) {
            for (int k = 0; k < 3; ++k) {
                if (std::strcmp(out.messages[i], kLimits[k]) == 0) ++limitsSeen[k];
            }
        }
        updateGeometry(b_.model, b_.sizes);
        return action;
    }

    static constexpr const char* kLimits[3] = {ModelMessage::MaxRoadbedJoints, ModelMessage::MaxJoints,
                                               ModelMessage::MaxMembers};
    int limitsSeen[3] = {};

    testing::AssertionResult consistent() const {
        const BridgeModel& m = b_.model;
        if (m.jointCount < 0 || m.jointCount > MAX_JOINTS)
            return testing::AssertionFailure() << "jointCount " << m.jointCount;
        if (m.memberCount < 0 || m.memberCount > MAX_MEMBERS + 1)
            return testing::AssertionFailure() << "memberCount " << m.memberCount;
        for (int j = 1; j <= m.jointCount; ++j) {
            const Joint& joint = m.joints[j];
            if (joint.screenX < 140 || joint.screenX > 560 || joint.screenY < 140 || joint.screenY > 320)
                return testing::AssertionFailure() << "joint " << j << " off the board";
            if (m.memberCount > 0 &&
                (joint.x != feetFromColumn(joint.screenX) || joint.y != feetFromRow(joint.screenY)))
                return testing::AssertionFailure() << "joint " << j << " feet differ from the board";
        }
        for (int i = 1; i <= m.memberCount; ++i) {
            const Member& member = m.members[i];
            if (member.startJoint < 1 || member.startJoint > m.jointCount || member.endJoint < 1 ||
                member.endJoint > m.jointCount)
                return testing::AssertionFailure() << "member " << i << " ends " << member.startJoint << ", "
                                                   << member.endJoint << " of " << m.jointCount << " joints";
            if (member.size < 1 || member.size > MEMBER_SIZE_COUNT)
                return testing::AssertionFailure() << "member " << i << " size " << int{member.size};
            if (m.joints[member.startJoint].x > m.joints[member.endJoint].x || member.startX > member.endX)
                return testing::AssertionFailure() << "member " << i << " ends not ordered left to right";
        }
        return testing::AssertionSuccess();
    }

    int members() const { return b_.model.memberCount; }

  private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // The board snap of the mouse handlers: nearest multiple of s, ties upward.
    static int snap(int v, int s) { return ((v + s / 2) / s) * s; }
    static int clampTo(int v, int low, int high) { return v <= low ? low : v >= high ? high : v; }

    // A pointer position: anywhere on the press area, or near a joint or a member's middle so
    // that hits, merges and splits happen often.
    BoardPoint pointer() {
        const BridgeModel& m = b_.model;
        // A user growing a full bridge joins the joints already there.
        const bool full = growing_ && m.jointCount >= MAX_JOINTS - 2 && pick(0, 9) > 0;
        const int choice = full ? 1 : pick(0, 3);
        if (choice == 3) return {pick(JOINT_AREA_LEFT, JOINT_AREA_RIGHT), BOARD_ORIGIN_ROW};  // the roadbed
        if (choice == 1 && m.jointCount > 0) {
            const Joint& j = m.joints[pick(1, m.jointCount)];
            const int reach = full ? 3 : 12;
            return {j.screenX + pick(-reach, reach), j.screenY + pick(-reach, reach)};
        }
        if (choice == 2 && m.memberCount > 0) {
            const Member& member = m.members[pick(1, m.memberCount)];
            const Joint& a = m.joints[member.startJoint];
            const Joint& c = m.joints[member.endJoint];
            return {(a.screenX + c.screenX) / 2 + pick(-2, 2), (a.screenY + c.screenY) / 2 + pick(-2, 2)};
        }
        return {pick(JOINT_AREA_LEFT, JOINT_AREA_RIGHT), pick(JOINT_AREA_TOP, JOINT_AREA_BOTTOM)};
    }

    // Where a member end goes: snapped, then clamped to the joint area.
    BoardPoint placed(BoardPoint p, int s) {
        return {clampTo(snap(p.column, s), JOINT_AREA_LEFT, JOINT_AREA_RIGHT),
                clampTo(snap(p.row, s), JOINT_AREA_TOP, JOINT_AREA_BOTTOM)};
    }

    const char* act(ModelOutcome& out) {
        BridgeModel& m = b_.model;
        constexpr int kSnaps[] = {1, 2, 4, 5, 10};
        constexpr int16_t kTolerances[] = {4, 5, 10};
        const int s = kSnaps[pick(0, 4)];
        const int roll = pick(0, 99);
        if (roll < 2) {
            m.hitTolerance = kTolerances[pick(0, 2)];
            return "tolerance";
        }
        if (roll == 2 && pick(0, 9) == 0) {
            clearBridge(m);
            return "new";
        }
        if (roll < (growing_ ? 80 : 40) || m.memberCount == 0) {
            BoardPoint press = pointer();
            BoardPoint release = pointer();
            if (growing_ && pick(0, 1) == 0)
                release = {press.column + pick(-60, 60), press.row + pick(-60, 60)};
            if (phase_ == Phase::Deck && pick(0, 9) < 7) {
                press = {pick(JOINT_AREA_LEFT, JOINT_AREA_RIGHT), BOARD_ORIGIN_ROW};
                release = {press.column + pick(-40, 40), BOARD_ORIGIN_ROW};
            }
            const PendingMember pending = beginMember(m, placed(press, s), out);
            if (pending.started) finishMember(m, b_.sizes, pending, placed(release, s), pick(1, 12), out);
            return "add";
        }
        if (growing_ && roll < 88) {
            reflectMember(m, b_.sizes, pick(1, m.memberCount), out);
            return "reflect";
        }
        // The rest of the actions, equally likely in every phase.
        const int op = growing_ ? pick(40, 99) : roll;
        const int member = pick(1, m.memberCount);
        const int joint = m.jointCount > 0 ? pick(1, m.jointCount) : 0;
        if (op < 48) {
            deleteMember(m, member);
            return "delete member";
        }
        if (op < 53 && joint != 0) {
            deleteJoint(m, joint);
            return "delete joint";
        }
        if (op < 65 && joint != 0) {
            BoardPoint release = pointer();
            release = {clampTo(release.column, 150, 550), clampTo(release.row, 150, 315)};
            // The drag has moved the joint on the board only; its feet still say where it was.
            m.joints[joint].screenX = static_cast<int16_t>(release.column);
            m.joints[joint].screenY = static_cast<int16_t>(release.row);
            dropJoint(m, b_.sizes, joint, release, {snap(release.column, s), snap(release.row, s)}, out);
            return "move";
        }
        if (op < 70 && m.jointCount >= 2) {
            const int other = pick(1, m.jointCount);
            if (other != joint) mergeJoint(m, b_.sizes, joint, other, out);
            return "merge";
        }
        if (op < 75 && m.memberCount <= MAX_MEMBERS) {
            const Member& victim = m.members[member];
            if (joint != 0 && joint != victim.startJoint && joint != victim.endJoint)
                splitMember(m, b_.sizes, member, joint, out);
            return "split";
        }
        if (op < 90) {
            reflectMember(m, b_.sizes, member, out);
            return "reflect";
        }
        setMemberSize(m, member, pick(1, 12));
        return "resize";
    }

    std::mt19937 random_;
    TestBridge b_;
    bool growing_ = false;
    Phase phase_ = Phase::Mixed;
};

TEST(EditingSequence, ThousandsOfRandomEditsKeepTheTablesConsistent) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        Sequence sequence(seed);
        int busiest = 0;
        for (int step = 0; step < 12000; ++step) {
            const int inCycle = step % 4000;
            const Sequence::Phase phase = inCycle < 2500   ? Sequence::Phase::Grow
                                          : inCycle < 3300 ? Sequence::Phase::Deck
                                                           : Sequence::Phase::Mixed;
            const char* action = sequence.step(phase);
            ASSERT_TRUE(sequence.consistent())
                << "seed " << seed << ", step " << step << ", after " << action;
            if (sequence.members() > busiest) busiest = sequence.members();
        }
        // The run must reach the crowded tables where every limit acts.
        EXPECT_GE(busiest, MAX_MEMBERS) << seed;
        for (int k = 0; k < 3; ++k) EXPECT_GT(sequence.limitsSeen[k], 0) << seed << " " << k;
    }
}

}  // namespace
