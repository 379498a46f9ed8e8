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

EditHistory::EditHistory() : begun_(std::make_unique<BridgeModel>()) {}

EditHistory::~EditHistory() = default;

void EditHistory::begin(const BridgeModel& model) {
    if (open_) return;
    *begun_ = model;
    open_ = true;
}

EditHistory::Totals EditHistory::totalsOf(const BridgeModel& model) {
    Totals t{model.jointCount, model.memberCount, {}, model.elasticModulus};
    std::memcpy(t.bridgeName, model.bridgeName, sizeof t.bridgeName);
    return t;
}

bool EditHistory::end(const BridgeModel& model) {
    if (!open_) return false;
    open_ = false;
    const BridgeModel& before = *begun_;
    if (sameBridgeContents(before, model)) return false;

    // The side the bridge no longer holds: what the changed slots held before.
    Step step;
    // Slots past one side's count are kept whatever they hold: outside the bridge a slot may be
    // written without a step (a member taken back before its release), so it cannot be trusted to
    // hold this side when the step is undone or redone.
    const int joints = std::min(int(std::max(before.jointCount, model.jointCount)), int(LAST_JOINT_SLOT));
    const int jointsBoth = std::min(before.jointCount, model.jointCount);
    for (int i = 1; i <= joints; ++i) {
        const Joint& j = before.joints[i];
        if (i <= jointsBoth && sameJoint(j, model.joints[i])) continue;
        step.joints.push_back({int16_t(i), j.screenX, j.screenY, {j.fileFlag1, j.fileFlag2, j.fileFlag3}});
    }
    const int members = std::min(int(std::max(before.memberCount, model.memberCount)), int(LAST_MEMBER_SLOT));
    const int membersBoth = std::min(before.memberCount, model.memberCount);
    for (int i = 1; i <= members; ++i) {
        const Member& m = before.members[i];
        const Member& now = model.members[i];
        if (i <= membersBoth && m.startJoint == now.startJoint && m.endJoint == now.endJoint &&
            m.size == now.size)
            continue;
        step.members.push_back({int16_t(i), m.startJoint, m.endJoint, m.size});
    }
    step.totals = totalsOf(before);
    if (std::strcmp(before.filePath, model.filePath) != 0) step.path = before.filePath;
    step.joints.shrink_to_fit();
    step.members.shrink_to_fit();

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

void EditHistory::swap(Step& step, BridgeModel& model) {
    for (JointRecord& r : step.joints) {
        Joint& j = model.joints[r.slot];
        const JointRecord held{r.slot, j.screenX, j.screenY, {j.fileFlag1, j.fileFlag2, j.fileFlag3}};
        j.screenX = r.screenX;
        j.screenY = r.screenY;
        // The geometry sets the feet only while there are members: a joint without any keeps
        // here the feet of its own position, not those of whatever the slot held last.
        j.x = feetFromColumn(j.screenX);
        j.y = feetFromRow(j.screenY);
        j.fileFlag1 = r.fileFlags[0];
        j.fileFlag2 = r.fileFlags[1];
        j.fileFlag3 = r.fileFlags[2];
        r = held;
    }
    for (MemberRecord& r : step.members) {
        Member& m = model.members[r.slot];
        const MemberRecord held{r.slot, m.startJoint, m.endJoint, m.size};
        m.startJoint = r.startJoint;
        m.endJoint = r.endJoint;
        m.size = r.size;
        r = held;
    }
    const Totals held = totalsOf(model);
    model.jointCount = step.totals.jointCount;
    model.memberCount = step.totals.memberCount;
    std::memcpy(model.bridgeName, step.totals.bridgeName, sizeof model.bridgeName);
    model.elasticModulus = step.totals.elasticModulus;
    step.totals = held;
    if (step.path) {
        std::string path = model.filePath;
        std::snprintf(model.filePath, sizeof model.filePath, "%s", step.path->c_str());
        step.path = std::move(path);
    }
    clearResults(model);
}

void EditHistory::undo(BridgeModel& model) {
    if (!canUndo()) return;
    swap(steps_[--position_], model);
    ++version_;
}

void EditHistory::redo(BridgeModel& model) {
    if (!canRedo()) return;
    swap(steps_[position_++], model);
    ++version_;
}

size_t EditHistory::bytes() const {
    size_t total = sizeof(BridgeModel) + sizeof(steps_);
    for (const Step& step : steps_) {
        total += sizeof(Step) + step.joints.capacity() * sizeof(JointRecord) +
                 step.members.capacity() * sizeof(MemberRecord);
        if (step.path) total += step.path->capacity();
    }
    return total;
}
