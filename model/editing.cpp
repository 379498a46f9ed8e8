// The editing operations on the joint and member tables. Tables stay compact and indexed from 1;
// every index argument is checked against its count, since a bad one is a caller's fault.
#include "model/editing.h"

#include <cassert>
#include <initializer_list>

#include "analysis/member_sizes.h"
#include "model/validation.h"

namespace {

// The centre line of the span, x = 200 ft, on the board; mirroring maps column c to 700 - c.
constexpr int CENTRE_COLUMN = BOARD_ORIGIN_COLUMN + static_cast<int>(CENTRE_LINE_FT);

void assertMember(const BridgeModel& model, int member) {
    assert(member >= 1 && member <= model.memberCount && "member index must be 1..memberCount");
    (void)model;
    (void)member;
}

void assertJoint(const BridgeModel& model, int joint) {
    assert(joint >= 1 && joint <= model.jointCount && "joint index must be 1..jointCount");
    (void)model;
    (void)joint;
}

void placeJoint(BridgeModel& model, int joint, BoardPoint point) {
    Joint& j = model.joints[joint];
    j = Joint{};  // file flags and loads 0; kind follows at the next updateGeometry
    j.screenX = static_cast<int16_t>(point.column);
    j.screenY = static_cast<int16_t>(point.row);
    j.x = feetFromColumn(point.column);
    j.y = feetFromRow(point.row);
}

int appendMember(BridgeModel& model, int startJoint, int endJoint, int size) {
    assert(model.memberCount < LAST_MEMBER_SLOT && "no free member slot: check for room before adding");
    const int i = ++model.memberCount;
    model.members[i] = Member{};
    model.members[i].startJoint = static_cast<int16_t>(startJoint);
    model.members[i].endJoint = static_cast<int16_t>(endJoint);
    model.members[i].size = static_cast<int8_t>(size);
    return i;
}

// The limit message when the tables cannot take one more member and the two joints it may
// create; nullptr when they can. Within the limits there is always room: the tables keep spare
// slots for what validation takes back.
const char* tablesFullMessage(const BridgeModel& model) {
    if (model.memberCount >= LAST_MEMBER_SLOT) return ModelMessage::MaxMembers;
    if (model.jointCount > LAST_JOINT_SLOT - 2) return ModelMessage::MaxJoints;
    return nullptr;
}

// The last joint other than `except` standing exactly on the board point; 0 when none.
int otherJointAt(const BridgeModel& model, BoardPoint point, int except) {
    int found = 0;
    for (int j = 1; j <= model.jointCount; ++j) {
        if (j != except && model.joints[j].screenX == point.column && model.joints[j].screenY == point.row)
            found = j;
    }
    return found;
}

BoardPoint mirrored(BoardPoint p) {
    return BoardPoint{2 * CENTRE_COLUMN - p.column, p.row};
}

}  // namespace

JointLookup addOrFindJoint(BridgeModel& model, BoardPoint point, MemberEnd end) {
    assert(model.memberCount >= 1 && "count the new member before looking up its joints");
    if (model.memberCount == 1) {
        // The first member restarts the table, dropping joints left over from deleted members.
        const int j = end == MemberEnd::Start ? 1 : 2;
        model.jointCount = static_cast<int16_t>(j);
        placeJoint(model, j, point);
        return JointLookup{j, false};
    }
    const int hit = findJointNear(model, point);
    if (hit != 0) return JointLookup{hit, true};
    assert(model.jointCount < LAST_JOINT_SLOT && "no free joint slot: check for room before adding a member");
    const int j = ++model.jointCount;
    placeJoint(model, j, point);
    return JointLookup{j, false};
}

int membersAtJoint(const BridgeModel& model, int joint) {
    int count = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        if (model.members[i].startJoint == joint || model.members[i].endJoint == joint) ++count;
    }
    return count;
}

void deleteMember(BridgeModel& model, int member) {
    assertMember(model, member);
    for (int i = member; i < model.memberCount; ++i) model.members[i] = model.members[i + 1];
    --model.memberCount;
}

void deleteJoint(BridgeModel& model, int joint) {
    assertJoint(model, joint);
    for (int j = joint; j < model.jointCount; ++j) model.joints[j] = model.joints[j + 1];
    --model.jointCount;
    int kept = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (m.startJoint == joint || m.endJoint == joint) continue;
        if (kept + 1 != i) model.members[kept + 1] = m;
        ++kept;
    }
    model.memberCount = static_cast<int16_t>(kept);
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        if (m.startJoint > joint) --m.startJoint;
        if (m.endJoint > joint) --m.endJoint;
    }
}

void moveJoint(BridgeModel& model, int joint, BoardPoint point) {
    assertJoint(model, joint);
    Joint& j = model.joints[joint];
    j.screenX = static_cast<int16_t>(point.column);
    j.screenY = static_cast<int16_t>(point.row);
    j.x = feetFromColumn(point.column);
    j.y = feetFromRow(point.row);
}

void mergeJoint(BridgeModel& model, const MemberSizeTable& memberSizes, int removed, int kept,
                ModelOutcome& outcome) {
    assertJoint(model, removed);
    assertJoint(model, kept);
    assert(removed != kept && "mergeJoint needs two different joints");
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        if (m.startJoint == removed) m.startJoint = static_cast<int16_t>(kept);
        if (m.endJoint == removed) m.endJoint = static_cast<int16_t>(kept);
    }
    deleteJoint(model, removed);  // no member uses it now; only renumbers
    for (int i = model.memberCount; i >= 1; --i) {
        if (model.members[i].startJoint == model.members[i].endJoint) deleteMember(model, i);
    }
    removeDuplicateMembers(model);
    updateGeometry(model, memberSizes);
    outcome.redraw = true;
}

void splitMember(BridgeModel& model, const MemberSizeTable& memberSizes, int member, int joint,
                 ModelOutcome& outcome) {
    assertMember(model, member);
    assertJoint(model, joint);
    const Member old = model.members[member];
    assert(joint != old.startJoint && joint != old.endJoint &&
           "split a member at a joint other than its ends");
    deleteMember(model, member);
    appendMember(model, joint, old.startJoint, old.size);
    appendMember(model, joint, old.endJoint, old.size);
    updateGeometry(model, memberSizes);
    outcome.redraw = true;
}

void setMemberSize(BridgeModel& model, int member, int size) {
    assertMember(model, member);
    assert(size >= 1 && size <= MEMBER_SIZE_COUNT && "member size must be 1..12");
    model.members[member].size = static_cast<int8_t>(size);
}

void reflectMember(BridgeModel& model, const MemberSizeTable& memberSizes, int member,
                   ModelOutcome& outcome) {
    assertMember(model, member);
    const Member source = model.members[member];
    const BoardPoint start = boardPointOf(model.joints[source.startJoint]);
    const BoardPoint end = boardPointOf(model.joints[source.endJoint]);
    const bool onLeft = start.column <= CENTRE_COLUMN && end.column <= CENTRE_COLUMN;
    const bool onRight = start.column >= CENTRE_COLUMN && end.column >= CENTRE_COLUMN;
    int jointsBeforeLast = -1;  // stays -1 while no image has been added
    for (const bool side : {onLeft, onRight}) {
        if (!side) continue;
        if (const char* full = tablesFullMessage(model)) {
            // With one image added, validation will report the limit itself.
            if (jointsBeforeLast < 0) outcome.report(full);
            continue;
        }
        jointsBeforeLast = model.jointCount;
        const int image = appendMember(model, 0, 0, source.size);
        model.members[image].startJoint =
            static_cast<int16_t>(addOrFindJoint(model, mirrored(start), MemberEnd::Start).joint);
        model.members[image].endJoint =
            static_cast<int16_t>(addOrFindJoint(model, mirrored(end), MemberEnd::End).joint);
    }
    if (jointsBeforeLast < 0) return;
    updateGeometry(model, memberSizes);
    validateNewMember(model, memberSizes, jointsBeforeLast, outcome);
}

PendingMember beginMember(BridgeModel& model, BoardPoint press, ModelOutcome& outcome) {
    // The first member restarts the joint table, so only a bridge with members can be full.
    if (model.memberCount > 0) {
        if (const char* full = tablesFullMessage(model)) {
            outcome.report(full);
            return PendingMember{false, 0};
        }
    }
    const int i = appendMember(model, 0, 0, 0);
    const int16_t jointsBefore = i == 1 ? int16_t{0} : model.jointCount;
    model.members[i].startJoint = static_cast<int16_t>(addOrFindJoint(model, press, MemberEnd::Start).joint);
    return PendingMember{true, jointsBefore};
}

bool finishMember(BridgeModel& model, const MemberSizeTable& memberSizes, const PendingMember& pending,
                  BoardPoint release, int size, ModelOutcome& outcome) {
    assert(pending.started && model.memberCount >= 1 &&
           "finishMember ends a member that beginMember started");
    assert(size >= 1 && size <= MEMBER_SIZE_COUNT && "member size must be 1..12");
    Member& added = model.members[model.memberCount];
    assertJoint(model, added.startJoint);
    const JointLookup end = addOrFindJoint(model, release, MemberEnd::End);
    added.endJoint = static_cast<int16_t>(end.joint);
    added.size = static_cast<int8_t>(size);
    updateGeometry(model, memberSizes);
    const bool stood = validateNewMember(model, memberSizes, pending.jointsBefore, outcome);
    if (stood && !end.existing) {
        // Only a member that stood keeps its new end joint; it may land on another member.
        const int crossed = findMemberAtJoint(model, end.joint);
        if (crossed != 0 && crossed != model.memberCount) {
            splitMember(model, memberSizes, crossed, end.joint, outcome);
            // A member drawn from an end of the one it splits, along it, would stand twice.
            if (removeDuplicateMembers(model) > 0) updateGeometry(model, memberSizes);
        }
    }
    return stood;
}

bool dropJoint(BridgeModel& model, const MemberSizeTable& memberSizes, int joint, BoardPoint release,
               BoardPoint snapped, ModelOutcome& outcome) {
    assertJoint(model, joint);
    int target = findJointNear(model, release);
    // The dragged joint still counts where it stood, so near its old place it finds itself; snapped
    // onto the very spot of another joint it joins that joint all the same, since two joints on
    // one spot would hide a member of no length between them.
    if (target == 0 || target == joint) target = otherJointAt(model, snapped, joint);
    if (target != 0 && target != joint) {
        mergeJoint(model, memberSizes, joint, target, outcome);
        return true;
    }
    moveJoint(model, joint, snapped);
    updateGeometry(model, memberSizes);
    outcome.redraw = true;
    return false;
}
