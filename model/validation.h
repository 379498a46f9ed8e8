// The two guards of the bridge model: the check of a member just added, which enforces the
// limits and repairs what breaks them, and the check before an analysis, which changes nothing
// but stops at the first fault and names it.
#pragma once

#include "model/bridge_model.h"
#include "model/model_outcome.h"

struct MemberSizeTable;

// Checks member memberCount, just appended; updateGeometry must have run since. jointsBefore is
// jointCount before the member was added: joints jointsBefore+1..jointCount are the ones it
// created, the only joints the limit checks may take back. In order: roadbed joint limit, joint
// limit, member limit (the new member is taken back at most once for these), then zero-length,
// short and too long members, then duplicates. Reports each repair, asks for a repaint whenever
// something changed, and returns true only when the member stood unchanged.
bool validateNewMember(BridgeModel& model, const MemberSizeTable& memberSizes, int jointsBefore,
                       ModelOutcome& outcome);

// Removes, for each member from the last down to the first, the highest-numbered later member
// joining the same two joints (either order). Joint numbers do not change. Returns how many
// members were removed.
int removeDuplicateMembers(BridgeModel& model);

// Runs updateGeometry, then looks for the first fault that makes an analysis meaningless: a
// member from a joint to itself or between two joints on one spot, a member without section
// properties, a roadbed shorter than the span, a joint with fewer than two members. Returns true
// when a fault was found (the caller must not analyse); the outcome holds its message and the
// joint or member to mark. Changes nothing but the derived fields.
bool checkBeforeAnalysis(BridgeModel& model, const MemberSizeTable& memberSizes, ModelOutcome& outcome);
