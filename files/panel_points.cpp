// Collects the panel points of the 3-D scene from the joint table.
#include "files/panel_points.h"

#include <cassert>

void collectPanelPoints(const BridgeModel& model, PanelPointList& list) {
    assert(model.jointCount >= 0 && model.jointCount <= LAST_JOINT_SLOT && "jointCount must fit the table");
    list.count = 0;
    // Whole feet along the span; a joint matches exactly one of them.
    for (int x = 0; x <= static_cast<int>(SPAN_FT); ++x) {
        for (int j = 1; j <= model.jointCount; ++j) {
            const Joint& joint = model.joints[j];
            if (joint.y != 0.0f || joint.x < x - 0.4999 || joint.x > x + 0.5) continue;
            PanelPoint& p = list.entry[++list.count];
            p = PanelPoint{};
            p.deckX = joint.x;
            p.deckJoint = static_cast<int16_t>(j);
        }
    }
    for (int i = 1; i <= list.count; ++i) {
        PanelPoint& p = list.entry[i];
        // The last joint in table order wins, so a post whose top joint was made before the deck
        // joint is not seen as this panel point's post.
        for (int j = 1; j <= model.jointCount; ++j) {
            const Joint& joint = model.joints[j];
            if (joint.x != p.deckX) continue;
            if (joint.y >= 0.0f) {
                p.topJoint = static_cast<int16_t>(j);
                p.topY = joint.y;
            }
            if (joint.y <= 0.0f) {
                p.bottomJoint = static_cast<int16_t>(j);
                p.bottomY = joint.y;
            }
        }
        p.hasPost = p.topJoint != p.deckJoint && p.topY >= SWAY_BRACING_MIN_HEIGHT_FT ? 1 : 0;
        p.hasHanger = p.bottomJoint != p.deckJoint ? 1 : 0;
    }
}
