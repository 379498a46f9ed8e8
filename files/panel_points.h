// The panel points of the 3-D scene: every joint on the deck line (y = 0) between the supports,
// in increasing x, each with the joints straight above and below it. They place the stringers
// and the bracing between the two truss planes. Entries are numbered from 1.
#pragma once

#include <cstdint>

#include "model/bridge_model.h"

// Top joints at least this high (ft) get sway bracing.
constexpr float SWAY_BRACING_MIN_HEIGHT_FT = 21.0f;

struct PanelPoint {
    float deckX;          // ft, x of the deck joint
    float topY;           // ft, y of topJoint
    int16_t topJoint;     // last joint in table order at exactly deckX with y >= 0; may be the deck joint
    int16_t deckJoint;    // the joint on the deck line
    int16_t hasPost;      // 1 when topJoint is a joint of its own at least 21 ft up: sway bracing
    float bottomY;        // ft, y of bottomJoint
    int16_t bottomJoint;  // last joint in table order at exactly deckX with y <= 0; may be the deck joint
    int16_t hasHanger;    // 1 when bottomJoint is a joint of its own: bracing below the deck
};

// Each entry is a different joint, so room for every joint slot means no number of roadbed joints
// can overflow the list.
struct PanelPointList {
    PanelPoint entry[JOINT_SLOTS];  // 1..count
    int count;
};

// Finds the panel points of the joint table as it stands (after updateGeometry). Joints are taken
// by their feet: those with y = 0 and x from -0.4999 to 400.5 ft, ordered by x rounded to whole
// feet, ties in table order. The supports are panel points like any other deck joint; when one is
// missing the list is simply shorter.
void collectPanelPoints(const BridgeModel& model, PanelPointList& list);
