// Joint and member hit tests on the board. Member tests follow the member's major direction
// pixel by pixel, with the slope in single precision, so a click hits exactly what is drawn.
#include "model/hit_tests.h"

#include <cassert>
#include <cstdlib>

namespace {

// A joint is under the pointer within fewer than 4 pixels both across and down.
constexpr int JOINT_REACH_PX = 4;
// Within a near-vertical or near-horizontal member: fewer than 4 pixels across.
constexpr int STRAIGHT_REACH_PX = 4;
// Within a sloping member: fewer than 5 pixels across its major direction.
constexpr int SLOPED_REACH_PX = 5;

bool memberPassesThrough(const BridgeModel& model, const Member& member, BoardPoint p) {
    BoardPoint a = boardPointOf(model.joints[member.startJoint]);
    BoardPoint b = boardPointOf(model.joints[member.endJoint]);
    if (a.column > b.column) {  // equal columns keep the start joint first
        const BoardPoint t = a;
        a = b;
        b = t;
    }
    const int dX = b.column - a.column;
    const int dY = b.row - a.row;
    if (dX == 0 && dY > 0) {  // vertical, start above end; ends excluded
        return std::abs(p.column - a.column) < STRAIGHT_REACH_PX && a.row < p.row && p.row < b.row;
    }
    if (dX == 0 && dY < 0) {  // vertical, start below end
        return std::abs(p.column - a.column) < STRAIGHT_REACH_PX && b.row < p.row && p.row < a.row;
    }
    if (dY == 0) {  // horizontal, or both ends on one spot (never hit)
        return std::abs(p.row - a.row) < STRAIGHT_REACH_PX && a.column < p.column && p.column < b.column;
    }
    const float s = static_cast<float>(dY) / static_cast<float>(dX);
    if (s > 1.0f) {  // steep, falling on the board: walk the rows a.row..b.row
        if (p.row < a.row || p.row > b.row) return false;
        const int column = a.column + static_cast<int>(static_cast<float>(p.row - a.row) / s);
        return std::abs(p.column - column) < SLOPED_REACH_PX;
    }
    if (s > -1.0f) {  // shallow either way: walk the columns a.column..b.column
        if (p.column < a.column || p.column > b.column) return false;
        const int row = a.row + static_cast<int>(static_cast<float>(p.column - a.column) * s);
        return std::abs(p.row - row) < SLOPED_REACH_PX;
    }
    // Steep, rising on the board: walk the rows b.row..a.row.
    if (p.row < b.row || p.row > a.row) return false;
    const int column = a.column + static_cast<int>(static_cast<float>(p.row - a.row) / s);
    return std::abs(p.column - column) < SLOPED_REACH_PX;
}

}  // namespace

int findJointAt(const BridgeModel& model, BoardPoint point) {
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        if (std::abs(point.column - joint.screenX) < JOINT_REACH_PX &&
            std::abs(point.row - joint.screenY) < JOINT_REACH_PX)
            return j;
    }
    return 0;
}

int findJointNear(const BridgeModel& model, BoardPoint point) {
    const float x = feetFromColumn(point.column);
    const float y = feetFromRow(point.row);
    const float t = static_cast<float>(model.hitTolerance);
    int hit = 0;
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        if (joint.x - t < x && x < joint.x + t && joint.y - t < y && y < joint.y + t) hit = j;
    }
    return hit;
}

int findMemberAt(const BridgeModel& model, BoardPoint point) {
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& member = model.members[i];
        assert(member.startJoint >= 1 && member.startJoint <= model.jointCount && member.endJoint >= 1 &&
               member.endJoint <= model.jointCount && "member ends must be joints 1..jointCount");
        if (memberPassesThrough(model, member, point)) return i;
    }
    return 0;
}

int findMemberAtJoint(const BridgeModel& model, int joint) {
    assert(joint >= 1 && joint <= model.jointCount && "findMemberAtJoint takes a joint 1..jointCount");
    return findMemberAt(model, boardPointOf(model.joints[joint]));
}
