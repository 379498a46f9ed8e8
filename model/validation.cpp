// Validation of a new member and the check before an analysis. Counts and lengths are those of
// the updateGeometry that ran before the call; only the removal of a too long member reruns it.
#include "model/validation.h"

#include <algorithm>
#include <cassert>

#include "analysis/member_sizes.h"
#include "model/editing.h"

namespace {

// The span is 400 ft; deck lengths are truncated to whole feet before adding, so a complete deck
// may come out a foot short.
constexpr int MIN_ROADBED_SUM_FT = 399;

bool joinSamePair(const Member& a, const Member& b) {
    return (a.startJoint == b.startJoint && a.endJoint == b.endJoint) ||
           (a.startJoint == b.endJoint && a.endJoint == b.startJoint);
}

// After a zero-length or short member is removed: the last joint goes too if nothing uses it.
void removeLastJointIfUnattached(BridgeModel& model, ModelOutcome& outcome) {
    if (model.jointCount >= 1 && membersAtJoint(model, model.jointCount) == 0) {
        outcome.report(ModelMessage::UnattachedJointDeleted);
        --model.jointCount;
    }
}

// Takes back the new member (once) and up to `excess` of the joints it created, newest first.
// The created joints are the last ones of the table; none is taken while a member still uses it.
struct LimitRepair {
    BridgeModel& model;
    int createdJoints;
    bool memberTakenBack = false;

    void takeBack(int excess) {
        if (!memberTakenBack) {
            --model.memberCount;
            memberTakenBack = true;
        }
        for (int n = std::min(excess, createdJoints); n > 0; --n) {
            if (membersAtJoint(model, model.jointCount) != 0) break;
            --model.jointCount;
            --createdJoints;
        }
    }
};

}  // namespace

bool validateNewMember(BridgeModel& model, const MemberSizeTable& memberSizes, int jointsBefore,
                       ModelOutcome& outcome) {
    assert(model.memberCount >= 1 && "validateNewMember checks the member just appended; append it first");
    bool stood = true;
    LimitRepair repair{model, std::clamp(model.jointCount - jointsBefore, 0, 2)};

    // roadbedJointCount is not recomputed after joints are taken back; the joint limit below sees
    // the joint count as the roadbed repair left it.
    if (model.roadbedJointCount > MAX_ROADBED_JOINTS) {
        outcome.report(ModelMessage::MaxRoadbedJoints);
        repair.takeBack(model.roadbedJointCount - MAX_ROADBED_JOINTS);
        stood = false;
    }
    if (model.jointCount > MAX_JOINTS) {
        outcome.report(ModelMessage::MaxJoints);
        repair.takeBack(model.jointCount - MAX_JOINTS);
        stood = false;
    }
    if (model.memberCount > MAX_MEMBERS) {
        outcome.report(ModelMessage::MaxMembers);
        repair.takeBack(0);  // the joints it created stay
        stood = false;
    }
    if (!stood) outcome.redraw = true;
    if (model.memberCount == 0) return stood;

    // The member now last: the new one, or the one before it when a limit took the new one back.
    const int m = model.memberCount;
    const Member& last = model.members[m];
    if (last.startJoint == last.endJoint) {
        outcome.report(ModelMessage::ZeroLengthMember);
        --model.memberCount;
        removeLastJointIfUnattached(model, outcome);
        outcome.redraw = true;
        return false;
    }
    if (last.length < MIN_MEMBER_LENGTH_FT) {
        outcome.report(ModelMessage::ShortMember);
        --model.memberCount;
        removeLastJointIfUnattached(model, outcome);
        outcome.redraw = true;
        return false;
    }
    if (last.length > MAX_MEMBER_LENGTH_FT) {
        --model.memberCount;  // the joints it created stay, unattached
        updateGeometry(model, memberSizes);
        outcome.redraw = true;
        outcome.report(ModelMessage::MemberTooLong);
        return false;
    }
    if (removeDuplicateMembers(model) > 0) {
        outcome.redraw = true;
        stood = false;
    }
    return stood;
}

int removeDuplicateMembers(BridgeModel& model) {
    int removed = 0;
    for (int k = model.memberCount; k >= 1; --k) {
        for (int later = model.memberCount; later > k; --later) {
            if (joinSamePair(model.members[k], model.members[later])) {
                deleteMember(model, later);
                ++removed;
                break;
            }
        }
    }
    return removed;
}

bool checkBeforeAnalysis(BridgeModel& model, const MemberSizeTable& memberSizes, ModelOutcome& outcome) {
    updateGeometry(model, memberSizes);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (m.startJoint == m.endJoint) {
            outcome.report(ModelMessage::SameJointMember);
            outcome.markedJoint = m.startJoint;
            return true;
        }
    }
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const Joint& a = model.joints[m.startJoint];
        const Joint& b = model.joints[m.endJoint];
        if (a.x == b.x && a.y == b.y) {
            outcome.report(ModelMessage::SameSpotMember);
            outcome.markedJoint = m.startJoint;
            return true;
        }
    }
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (m.size == 0 || m.area == 0.0 || m.radiusOfGyration == 0.0) {
            outcome.report(ModelMessage::NoProperties);
            outcome.markedMember = i;
            return true;
        }
    }
    int roadbedFt = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        if (model.members[i].isDeckMember == 1) roadbedFt += static_cast<int>(model.members[i].length);
    }
    if (roadbedFt < MIN_ROADBED_SUM_FT) {
        outcome.report(ModelMessage::RoadbedMissing);
        return true;
    }
    // A joint with no member is reported before one with a single member, wherever they stand.
    for (int fewest = 0; fewest <= 1; ++fewest) {
        for (int j = 1; j <= model.jointCount; ++j) {
            if (membersAtJoint(model, j) == fewest) {
                outcome.report(ModelMessage::UnattachedJoint);
                outcome.markedJoint = j;
                return true;
            }
        }
    }
    return false;
}
