// The bridge tables' lifecycle and the geometry update that derives every member's position,
// length, angle, section and weight from the joints' board coordinates and the member sizes.
#include "model/bridge_model.h"

#include <cassert>
#include <cmath>
#include <cstring>

#include "analysis/member_sizes.h"

namespace {

uint8_t kindAt(int column, int row) {
    uint8_t kind = JointKind::Free;
    if (row == BOARD_ORIGIN_ROW) kind = JointKind::Roadbed;
    if (row == BOARD_ORIGIN_ROW && column == BOARD_ORIGIN_COLUMN) kind = JointKind::LeftSupport;
    if (row == BOARD_ORIGIN_ROW && column == RIGHT_SUPPORT_COLUMN) kind = JointKind::RightSupport;
    return kind;
}

bool onDeckLine(uint8_t kind) {
    return kind == JointKind::LeftSupport || kind == JointKind::Roadbed || kind == JointKind::RightSupport;
}

// Radians counter-clockwise from +x, for a member whose ends are already ordered so dx >= 0.
double memberAngle(const Member& m, double dx, double dy, double length) {
    if (m.startY == m.endY) return 0.0;
    if (m.endY > m.startY) return dy <= dx ? std::acos(dx / length) : std::asin(dy / length);
    return dx >= -dy ? FULL_CIRCLE_RAD - std::acos(dx / length) : FULL_CIRCLE_RAD - std::asin(-dy / length);
}

}  // namespace

void initBridgeModel(BridgeModel& model) {
    std::memset(&model, 0, sizeof model);
    setBridgeName(model, "UNTITLED");
    model.hitTolerance = INITIAL_HIT_TOLERANCE;
    model.savedFlag = 1;
    model.elasticModulus = DEFAULT_ELASTIC_MODULUS_KSI;
}

void updateGeometry(BridgeModel& model, const MemberSizeTable& memberSizes) {
    if (model.memberCount == 0) {
        model.totalWeight = 0.0;
        model.roadbedJointCount = 0;
        return;
    }
    for (int j = 1; j <= model.jointCount; ++j) {
        Joint& joint = model.joints[j];
        joint.x = feetFromColumn(joint.screenX);
        joint.y = feetFromRow(joint.screenY);
    }
    model.roadbedJointCount = 0;
    for (int j = 1; j <= model.jointCount; ++j) {
        Joint& joint = model.joints[j];
        joint.kind = kindAt(joint.screenX, joint.screenY);
        if (joint.kind == JointKind::Roadbed) ++model.roadbedJointCount;
    }
    model.totalWeight = 0.0;
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        assert(m.startJoint >= 1 && m.startJoint <= model.jointCount && m.endJoint >= 1 &&
               m.endJoint <= model.jointCount && "member ends must be joints 1..jointCount");
        if (model.joints[m.startJoint].x > model.joints[m.endJoint].x) {
            const int16_t start = m.startJoint;
            m.startJoint = m.endJoint;
            m.endJoint = start;
        }
        const Joint& a = model.joints[m.startJoint];
        const Joint& b = model.joints[m.endJoint];
        m.startX = a.x;
        m.startY = a.y;
        m.endX = b.x;
        m.endY = b.y;
        const double dx = static_cast<double>(m.endX) - m.startX;
        const double dy = static_cast<double>(m.endY) - m.startY;
        m.length = std::sqrt(dx * dx + dy * dy);
        m.angle = memberAngle(m, dx, dy, m.length);
        const MemberSize& section = memberSizes[m.size];
        m.area = section.area;
        m.radiusOfGyration = section.radiusOfGyration;
        m.tensionCapacity = section.tensionCapacity;
        m.weight = static_cast<float>(m.length * (m.area * STEEL_LB_PER_FT_PER_SQIN));
        model.totalWeight += m.weight / 1000.0;
    }
    for (int i = 1; i <= model.memberCount; ++i) {
        Member& m = model.members[i];
        m.isDeckMember =
            onDeckLine(model.joints[m.startJoint].kind) && onDeckLine(model.joints[m.endJoint].kind) ? 1 : 0;
    }
}

void clearResults(BridgeModel& model, int lastMember) {
    for (int i = 1; i <= lastMember; ++i) {
        Member& m = model.members[i];
        m.force = 0.0;
        m.allowableCompression = 0.0;
        m.allowableTension = 0.0;
        m.forceRatio = 0.0;
    }
}

void clearBridge(BridgeModel& model) {
    model.memberCount = 0;
    model.jointCount = 0;
    setBridgeName(model, "UNTITLED");
    model.totalWeight = 0.0;
    clearResults(model);
}

void setBridgeName(BridgeModel& model, const char* name) {
    const size_t length = strnlen(name, BRIDGE_NAME_CHARS);
    std::memset(model.bridgeName, 0, sizeof model.bridgeName);
    std::memcpy(model.bridgeName, name, length);
}

int columnFromFeet(double x) {
    return static_cast<int>(std::trunc(x)) + BOARD_ORIGIN_COLUMN;
}

int rowFromFeet(double y) {
    return BOARD_ORIGIN_ROW - static_cast<int>(std::trunc(y));
}
