// Finding the joint or member under a board point. Board points are pixels (column, row; rows
// grow downward); the joint search by hit tolerance works in feet, which equal pixels.
#pragma once

#include "model/bridge_model.h"

struct BoardPoint {
    int column;
    int row;
};

inline BoardPoint boardPointOf(const Joint& joint) {
    return BoardPoint{joint.screenX, joint.screenY};
}

// The first joint (lowest index) within 4 pixels both across and down, strictly; 0 when none.
// Used by the Joints tools, which take what is drawn under the pointer.
int findJointAt(const BridgeModel& model, BoardPoint point);

// The last joint (highest index) whose feet lie strictly inside the square of half-width
// hitTolerance ft around the point; 0 when none. Uses the joints' feet fields, so a joint being
// dragged (board position changed, feet not yet) is found where it stood before the drag.
int findJointNear(const BridgeModel& model, BoardPoint point);

// The first member (table order) passing through the point; 0 when none. Near-vertical and
// near-horizontal members are hit within 3 pixels across and not at their end points; sloping
// members within 4 pixels across, end points included. A member whose ends share one spot is
// never hit.
int findMemberAt(const BridgeModel& model, BoardPoint point);

// As findMemberAt, at the board position of joint 1..jointCount.
int findMemberAtJoint(const BridgeModel& model, int joint);
