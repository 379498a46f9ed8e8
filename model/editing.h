// The editing operations behind the mouse: adding members with their joints, deleting, moving,
// merging, splitting, resizing and mirroring. Points are board pixels already clamped and snapped
// by the caller. The tables stay compact: deleting shifts the records behind down by one.
// Operations that validate or repaint report through a ModelOutcome; the others leave
// updateGeometry and the repaint to the caller.
#pragma once

#include "model/bridge_model.h"
#include "model/hit_tests.h"
#include "model/model_outcome.h"

struct MemberSizeTable;

enum class MemberEnd { Start, End };

struct JointLookup {
    int joint;      // 1..jointCount
    bool existing;  // an existing joint was found; false when a joint was appended
};

// The joint for one end of the member being added (already counted in memberCount): the last
// joint within hitTolerance ft of the point, else a new joint appended at the point with its
// file flags 0. For the first member of a bridge the joint table starts afresh instead, and both
// ends get joints of their own (1 and 2) even on one spot. Needs a free joint slot.
JointLookup addOrFindJoint(BridgeModel& model, BoardPoint point, MemberEnd end);

// Number of members 1..memberCount with an end at the joint.
int membersAtJoint(const BridgeModel& model, int joint);

// Removes member 1..memberCount; its joints stay, even with no member left.
void deleteMember(BridgeModel& model, int member);

// Removes joint 1..jointCount and every member at it; joints above it move down one place and
// the members' joint numbers follow.
void deleteJoint(BridgeModel& model, int joint);

// Puts joint 1..jointCount at the point, board and feet. No limit is checked.
void moveJoint(BridgeModel& model, int joint, BoardPoint point);

// Moves every member of `removed` over to `kept`, deletes `removed`, then drops the members that
// became zero length and the duplicates; updates the geometry and asks for a repaint.
void mergeJoint(BridgeModel& model, const MemberSizeTable& memberSizes, int removed, int kept,
                ModelOutcome& outcome);

// Replaces the member by two of its size, from the joint to each of its ends; the member count
// rises by one with no limit check (the table keeps a spare slot). The joint must not be an end
// of the member. Updates the geometry and asks for a repaint.
void splitMember(BridgeModel& model, const MemberSizeTable& memberSizes, int member, int joint,
                 ModelOutcome& outcome);

// Size 1..12; the caller runs updateGeometry to copy the new section.
void setMemberSize(BridgeModel& model, int member, int size);

// Adds the mirror image of the member about the centre line (x = 200 ft), when both its ends lie
// on one side; a member on the centre line gets two images, which validation removes as
// duplicates. Mirrored ends go through addOrFindJoint. Then the geometry is updated and the last
// image validated. A member across the centre line is left alone and nothing is reported. An image
// the tables have no slot for is not added; when none can be, the limit is reported.
void reflectMember(BridgeModel& model, const MemberSizeTable& memberSizes, int member, ModelOutcome& outcome);

// A member being drawn: left by the press, handed to the release.
struct PendingMember {
    bool started;          // false: the tables were full and the press added nothing
    int16_t jointsBefore;  // joints that existed before the member; those it creates follow them
};

// On the press: counts the new member and finds or makes its start joint. Refused, with the limit
// message, only when the tables have no slot left for a member and two joints (possible after a
// split or with a loaded file beyond the limits).
PendingMember beginMember(BridgeModel& model, BoardPoint press, ModelOutcome& outcome);

// On the release: finds or makes the end joint, gives the member its size, updates the geometry
// and validates. A member that stood unchanged and ended on a new joint lying on another member
// splits that member there; a piece of the split that repeats the new member is dropped. Returns
// whether the member stood unchanged.
bool finishMember(BridgeModel& model, const MemberSizeTable& memberSizes, const PendingMember& pending,
                  BoardPoint release, int size, ModelOutcome& outcome);

// The end of a joint drag: when the unsnapped release point lies within hitTolerance of another
// joint (the last such joint; the dragged joint counts where it stood before the drag), or the
// snapped point is another joint's very spot, the dragged joint is merged into it; otherwise it
// moves to the snapped point. Updates the geometry and asks for a repaint. Returns whether the
// joints were merged.
bool dropJoint(BridgeModel& model, const MemberSizeTable& memberSizes, int joint, BoardPoint release,
               BoardPoint snapped, ModelOutcome& outcome);
