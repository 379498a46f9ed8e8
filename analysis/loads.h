// The optional loads on the truss: its own weight, the deck weight and the extra live load. Each
// member's load is shared half and half between its end joints; only free and roadbed joints pass
// loads on to the solver, since the supports carry theirs directly. All loads act downward, kips.
#pragma once

#include "model/bridge_model.h"

// Each recomputes its member and joint fields from the current geometry (updateGeometry must have
// run) and subtracts the joint shares from the vertical entries of loadVector (kips, DOF 2j is
// joint j's vertical, indexed from 1, at least 2 * jointCount + 1 entries).
// Self weight: Joint::selfWeightLoad, into free and roadbed joints.
void applySelfWeight(BridgeModel& model, double* loadVector);
// Deck weight 2.5 L + 0.000324 L^2 kips per deck member (L in ft): Member::deckLoad and
// Joint::deckLoad, into roadbed joints.
void applyDeckWeight(BridgeModel& model, double* loadVector);
// Extra live load 2.3 L kips per deck member: Member::liveLoad and Joint::liveLoad, into roadbed
// joints.
void applyExtraLiveLoad(BridgeModel& model, double* loadVector);

// The two halves of the operations above, for callers that reuse one computation of the fields
// over several load cases: first the fields, then the subtraction.
void computeSelfWeightShares(BridgeModel& model);
void computeDeckWeightShares(BridgeModel& model);
void computeExtraLiveLoadShares(BridgeModel& model);
void subtractSelfWeight(const BridgeModel& model, double* loadVector);
void subtractDeckWeight(const BridgeModel& model, double* loadVector);
void subtractExtraLiveLoad(const BridgeModel& model, double* loadVector);
