// The steps of undo and redo, each the records an action changed.
#include "app/edit_history.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

bool sameJoint(const Joint& a, const Joint& b) {
    return a.screenX == b.screenX && a.screenY == b.screenY && a.fileFlag1 == b.fileFlag1 &&
           a.fileFlag2 == b.fileFlag2 && a.fileFlag3 == b.fileFlag3;
}

bool sameMember(const Member& a, const Member& b) {
    const bool sameEnds = (a.startJoint == b.startJoint && a.endJoint == b.endJoint) ||
                          (a.startJoint == b.endJoint && a.endJoint == b.startJoint);
    return sameEnds && a.size == b.size;
}

template <typename Record>
bool sameBytes(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, sizeof(Record)) == 0;
}

}  // namespace

bool sameBridgeContents(const BridgeModel& a, const BridgeModel& b) {
    if (a.jointCount != b.jointCount || a.memberCount != b.memberCount) return false;
    if (std::strcmp(a.bridgeName, b.bridgeName) != 0 || a.elasticModulus != b.elasticModulus) return false;
    for (int i = 1; i <= a.jointCount; ++i) {
        if (!sameJoint(a.joints[i], b.joints[i])) return false;
    }
    for (int i = 1; i <= a.memberCount; ++i) {
        if (!sameMember(a.members[i], b.members[i])) return false;
    }
    return true;
}

EditHistory::EditHistory()
    : begun_(std::make_unique<BridgeModel>()), ended_(std::make_unique<BridgeModel>()) {}

EditHistory::~EditHistory() = default;

void EditHistory::begin(const BridgeModel& model) {
    if (open_) return;
    *begun_ = model;
    clearResults(*begun_);
    open_ = true;
}

EditHistory::Totals EditHistory::totalsOf(const BridgeModel& model) {
    Totals t{model.jointCount,   model.memberCount,   model.roadbedJointCount, model.totalWeight, {},
             model.hitTolerance, model.elasticModulus};
    std::memcpy(t.bridgeName, model.bridgeName, sizeof t.bridgeName);
    return t;
}

void EditHistory::apply(const Totals& totals, BridgeModel& model) {
    model.jointCount = totals.jointCount;
    model.memberCount = totals.memberCount;
    model.roadbedJointCount = totals.roadbedJointCount;
    model.totalWeight = totals.totalWeight;
    std::memcpy(model.bridgeName, totals.bridgeName, sizeof totals.bridgeName);
    model.hitTolerance = totals.hitTolerance;
    model.elasticModulus = totals.elasticModulus;
}

bool EditHistory::end(const BridgeModel& model) {
    if (!open_) return false;
    open_ = false;
    const BridgeModel& before = *begun_;
    if (sameBridgeContents(before, model)) return false;
    BridgeModel& after = *ended_;
    after = model;
    clearResults(after);

    Step step;
    // Slots past both counts hold nothing of either bridge.
    const int joints = std::max(before.jointCount, after.jointCount);
    for (int i = 1; i <= std::min(joints, int(LAST_JOINT_SLOT)); ++i) {
        if (!sameBytes(before.joints[i], after.joints[i]))
            step.joints.push_back({int16_t(i), before.joints[i], after.joints[i]});
    }
    const int members = std::max(before.memberCount, after.memberCount);
    for (int i = 1; i <= std::min(members, int(LAST_MEMBER_SLOT)); ++i) {
        if (!sameBytes(before.members[i], after.members[i]))
            step.members.push_back({int16_t(i), before.members[i], after.members[i]});
    }
    step.before = totalsOf(before);
    step.after = totalsOf(after);
    if (std::strcmp(before.filePath, after.filePath) != 0) {
        step.pathBefore = before.filePath;
        step.pathAfter = after.filePath;
    }

    // A new change leaves the undone steps, and a saved bridge among them, out of reach.
    steps_.erase(steps_.begin() + std::ptrdiff_t(position_), steps_.end());
    if (saved_ && *saved_ > position_) saved_.reset();
    steps_.push_back(std::move(step));
    ++position_;
    if (steps_.size() > MIN_STEPS) {
        steps_.pop_front();
        --position_;
        if (saved_) saved_ = *saved_ == 0 ? std::optional<size_t>() : std::optional<size_t>(*saved_ - 1);
    }
    ++version_;
    return true;
}

void EditHistory::undo(BridgeModel& model) {
    if (!canUndo()) return;
    const Step& step = steps_[--position_];
    for (const JointChange& c : step.joints) model.joints[c.slot] = c.before;
    for (const MemberChange& c : step.members) model.members[c.slot] = c.before;
    apply(step.before, model);
    if (step.pathBefore) std::snprintf(model.filePath, sizeof model.filePath, "%s", step.pathBefore->c_str());
    clearResults(model);
    ++version_;
}

void EditHistory::redo(BridgeModel& model) {
    if (!canRedo()) return;
    const Step& step = steps_[position_++];
    for (const JointChange& c : step.joints) model.joints[c.slot] = c.after;
    for (const MemberChange& c : step.members) model.members[c.slot] = c.after;
    apply(step.after, model);
    if (step.pathAfter) std::snprintf(model.filePath, sizeof model.filePath, "%s", step.pathAfter->c_str());
    clearResults(model);
    ++version_;
}

size_t EditHistory::bytes() const {
    size_t total = 2 * sizeof(BridgeModel);
    for (const Step& step : steps_) {
        total += sizeof(Step) + step.joints.capacity() * sizeof(JointChange) +
                 step.members.capacity() * sizeof(MemberChange);
        if (step.pathBefore) total += step.pathBefore->capacity() + step.pathAfter->capacity();
    }
    return total;
}
