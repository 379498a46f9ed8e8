// The optional loads and how they reach the joints. Joint shares are float32 sums built in
// ascending member order, each term formed in double precision; the solver sees them as kips
// subtracted from the vertical DOF of the joint.
#include "analysis/loads.h"

#include <cassert>

namespace {

// Sets each joint's field to the float32 sum, over the members that end there in ascending order,
// of termOf(member); a member counts once at each joint it touches.
template <typename TermOf>
void shareBetweenEnds(BridgeModel& model, float Joint::*field, TermOf termOf) {
    for (int j = 1; j <= model.jointCount; ++j) model.joints[j].*field = 0.0f;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        assert(m.startJoint >= 1 && m.startJoint <= model.jointCount && m.endJoint >= 1 &&
               m.endJoint <= model.jointCount && "member ends must be joints 1..jointCount");
        const double term = termOf(m);
        float& atStart = model.joints[m.startJoint].*field;
        atStart = static_cast<float>(atStart + term);
        if (m.endJoint != m.startJoint) {
            float& atEnd = model.joints[m.endJoint].*field;
            atEnd = static_cast<float>(atEnd + term);
        }
    }
}

bool carriesDeadLoad(uint8_t kind) {
    return kind == JointKind::Free || kind == JointKind::Roadbed;
}

template <typename Receives>
void subtractShares(const BridgeModel& model, float Joint::*field, Receives receives, double* loadVector) {
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        if (receives(joint.kind)) loadVector[2 * j] -= joint.*field;
    }
}

}  // namespace

void computeSelfWeightShares(BridgeModel& model) {
    // Pounds to kips, half to each end.
    shareBetweenEnds(model, &Joint::selfWeightLoad,
                     [](const Member& m) { return static_cast<double>(m.weight) * 0.5 / 1000.0; });
}

void computeDeckWeightShares(BridgeModel& model) {
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        const double lengthFt = m.length;
        m.deckLoad =
            m.isDeckMember ? static_cast<float>(2.5 * lengthFt + 0.000324 * (lengthFt * lengthFt)) : 0.0f;
    }
    shareBetweenEnds(model, &Joint::deckLoad, [](const Member& m) { return 0.5 * m.deckLoad; });
}

void computeExtraLiveLoadShares(BridgeModel& model) {
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        m.liveLoad = m.isDeckMember ? static_cast<float>(2.3 * m.length) : 0.0f;
    }
    shareBetweenEnds(model, &Joint::liveLoad, [](const Member& m) { return 0.5 * m.liveLoad; });
}

void subtractSelfWeight(const BridgeModel& model, double* loadVector) {
    subtractShares(model, &Joint::selfWeightLoad, carriesDeadLoad, loadVector);
}

void subtractDeckWeight(const BridgeModel& model, double* loadVector) {
    subtractShares(
        model, &Joint::deckLoad, [](uint8_t kind) { return kind == JointKind::Roadbed; }, loadVector);
}

void subtractExtraLiveLoad(const BridgeModel& model, double* loadVector) {
    subtractShares(
        model, &Joint::liveLoad, [](uint8_t kind) { return kind == JointKind::Roadbed; }, loadVector);
}

void applySelfWeight(BridgeModel& model, double* loadVector) {
    computeSelfWeightShares(model);
    subtractSelfWeight(model, loadVector);
}

void applyDeckWeight(BridgeModel& model, double* loadVector) {
    computeDeckWeightShares(model);
    subtractDeckWeight(model, loadVector);
}

void applyExtraLiveLoad(BridgeModel& model, double* loadVector) {
    computeExtraLiveLoadShares(model);
    subtractExtraLiveLoad(model, loadVector);
}
