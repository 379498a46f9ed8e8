// The table, design, results and number checks. Messages name the first fault found, with the
// index of the joint or member concerned, so that a failing seed can be replayed to the spot.
#include "fuzz/model_checks.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "analysis/member_evaluation.h"
#include "analysis/member_sizes.h"

namespace {

// Joints the program places stay in the joint area; a dropped joint is snapped without clamping,
// which can carry it up to two pixels right (snap 4) or five pixels down (snap 10) of the area,
// and Reflect Member mirrors the first of those two pixels left of it.
constexpr int kDrawnLeft = JOINT_AREA_LEFT - 2;
constexpr int kDrawnRight = JOINT_AREA_RIGHT + 2;
constexpr int kDrawnTop = JOINT_AREA_TOP;
constexpr int kDrawnBottom = JOINT_AREA_BOTTOM + 5;

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char text[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

template <typename Record>
bool allZero(const Record& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (size_t i = 0; i < sizeof record; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

bool joinSamePair(const Member& a, const Member& b) {
    return (a.startJoint == b.startJoint && a.endJoint == b.endJoint) ||
           (a.startJoint == b.endJoint && a.endJoint == b.startJoint);
}

std::string countFault(const BridgeModel& model, const TableCheck& check) {
    const bool drawn = check.origin == TableOrigin::Drawn;
    // While a member is open its press may have added it and its start joint beyond the limits.
    const int open = check.memberOpen ? 1 : 0;
    const int jointLimit = drawn ? MAX_JOINTS + open : LAST_JOINT_SLOT;
    const int memberLimit = drawn ? MAX_MEMBERS + 1 + open : LAST_MEMBER_SLOT;
    if (model.jointCount < 0 || model.jointCount > jointLimit)
        return format("jointCount %d outside 0..%d", model.jointCount, jointLimit);
    if (model.memberCount < 0 || model.memberCount > memberLimit)
        return format("memberCount %d outside 0..%d", model.memberCount, memberLimit);
    if (check.memberOpen && model.memberCount < 1) return "a member is open but memberCount is 0";
    if (!allZero(model.joints[0])) return "joint slot 0 was written";
    if (!allZero(model.members[0])) return "member slot 0 was written";
    if (std::memchr(model.bridgeName, '\0', sizeof model.bridgeName) == nullptr)
        return "bridgeName is not terminated";
    if (std::memchr(model.filePath, '\0', sizeof model.filePath) == nullptr)
        return "filePath is not terminated";
    if (model.savedFlag > 1) return format("savedFlag %d", model.savedFlag);
    return "";
}

std::string jointFault(const BridgeModel& model, const TableCheck& check) {
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        if (check.origin == TableOrigin::Drawn &&
            (joint.screenX < kDrawnLeft || joint.screenX > kDrawnRight || joint.screenY < kDrawnTop ||
             joint.screenY > kDrawnBottom))
            return format("joint %d at board (%d, %d) lies outside the joint area", j, joint.screenX,
                          joint.screenY);
        if (!std::isfinite(joint.x) || !std::isfinite(joint.y))
            return format("joint %d has feet not finite", j);
        // The geometry update sets the feet from the board only while there are members.
        if (model.memberCount > 0 && j != check.draggedJoint &&
            (joint.x != feetFromColumn(joint.screenX) || joint.y != feetFromRow(joint.screenY)))
            return format("joint %d at (%g, %g) ft stands at board (%d, %d)", j, static_cast<double>(joint.x),
                          static_cast<double>(joint.y), joint.screenX, joint.screenY);
    }
    return "";
}

std::string memberFault(const BridgeModel& model, const TableCheck& check) {
    const bool drawn = check.origin == TableOrigin::Drawn;
    const int closed = model.memberCount - (check.memberOpen ? 1 : 0);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (m.startJoint < 1 || m.startJoint > model.jointCount || m.endJoint < 1 ||
            m.endJoint > model.jointCount)
            return format("member %d joins joints %d and %d of %d", i, m.startJoint, m.endJoint,
                          model.jointCount);
        if (i > closed) continue;  // the open member: size and ends come with the release
        const int lowestSize = drawn ? 1 : 0;
        if (m.size < lowestSize || m.size > MEMBER_SIZE_COUNT)
            return format("member %d has size %d", i, m.size);
        if (!drawn) continue;
        if (m.startJoint == m.endJoint)
            return format("member %d runs from joint %d to itself", i, m.startJoint);
        const Joint& a = model.joints[m.startJoint];
        const Joint& b = model.joints[m.endJoint];
        if (a.screenX == b.screenX && a.screenY == b.screenY && m.startJoint != check.draggedJoint &&
            m.endJoint != check.draggedJoint)
            return format("member %d joins joints %d and %d standing on one spot", i, m.startJoint,
                          m.endJoint);
        for (int k = i + 1; k <= closed; ++k) {
            if (joinSamePair(m, model.members[k]))
                return format("members %d and %d both join joints %d and %d", i, k, m.startJoint, m.endJoint);
        }
    }
    return "";
}

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

}  // namespace

std::string tableFault(const BridgeModel& model, const TableCheck& check) {
    std::string fault = countFault(model, check);
    if (fault.empty()) fault = jointFault(model, check);
    if (fault.empty()) fault = memberFault(model, check);
    return fault;
}

std::string designDifference(const BridgeModel& expected, const BridgeModel& actual) {
    if (expected.jointCount != actual.jointCount)
        return format("%d joints instead of %d", actual.jointCount, expected.jointCount);
    if (expected.memberCount != actual.memberCount)
        return format("%d members instead of %d", actual.memberCount, expected.memberCount);
    for (int j = 1; j <= expected.jointCount; ++j) {
        const Joint& e = expected.joints[j];
        const Joint& a = actual.joints[j];
        if (e.screenX != a.screenX || e.screenY != a.screenY)
            return format("joint %d at board (%d, %d) instead of (%d, %d)", j, a.screenX, a.screenY,
                          e.screenX, e.screenY);
        if ((e.fileFlag1 != 0) != (a.fileFlag1 != 0) || (e.fileFlag2 != 0) != (a.fileFlag2 != 0) ||
            (e.fileFlag3 != 0) != (a.fileFlag3 != 0))
            return format("joint %d has other file flags", j);
    }
    for (int i = 1; i <= expected.memberCount; ++i) {
        const Member& e = expected.members[i];
        const Member& a = actual.members[i];
        if (!joinSamePair(e, a))
            return format("member %d joins %d and %d instead of %d and %d", i, a.startJoint, a.endJoint,
                          e.startJoint, e.endJoint);
        if (e.size != a.size) return format("member %d has size %d instead of %d", i, a.size, e.size);
    }
    return "";
}

std::string resultsFault(const BridgeModel& model, const AnalysisResults& results) {
    if (results.bridgeUnstable > 1 || results.bridgeFailed > 1) return "a verdict flag is neither 0 nor 1";
    if (results.bridgeUnstable) {
        if (!results.bridgeFailed) return "an unstable bridge is not marked failed";
        if (results.instability == InstabilityCause::None) return "an unstable bridge names no cause";
        return "";
    }
    if (results.instability != InstabilityCause::None) return "a stable bridge names a cause of instability";
    if (!std::isfinite(results.maxDeflection) || std::fabs(results.maxDeflection) > DEFLECTION_LIMIT_IN)
        return format("maximum deflection %g in", static_cast<double>(results.maxDeflection));
    bool anyFailed = false;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (!std::isfinite(m.force) || !std::isfinite(m.allowableCompression) ||
            !std::isfinite(m.allowableTension) || !std::isfinite(m.forceRatio) || m.forceRatio < 0.0)
            return format("member %d: force %g, allowables %g and %g, ratio %g", i, m.force,
                          m.allowableCompression, m.allowableTension, m.forceRatio);
        for (int k = 1; k <= model.roadbedJointCount; ++k) {
            if (!std::isfinite(results.caseForces[i][k]))
                return format("member %d: load case %d force not finite", i, k);
        }
        anyFailed = anyFailed || m.forceRatio == FAILED_RATIO;
    }
    if (anyFailed != (results.bridgeFailed != 0))
        return anyFailed ? "a member failed but the bridge passed"
                         : "the bridge failed with no failed member";
    return "";
}

std::string mechanismFault(const BridgeModel& model, const Mechanism& mechanism) {
    double largest = 0.0;
    for (int j = 1; j <= model.jointCount; ++j) {
        const double dx = mechanism.motion[j][0];
        const double dy = mechanism.motion[j][1];
        if (!std::isfinite(dx) || !std::isfinite(dy))
            return format("the mechanism moves joint %d by %g, %g", j, dx, dy);
        const uint8_t kind = model.joints[j].kind;
        if ((kind == JointKind::LeftSupport && dx != 0.0) ||
            ((kind == JointKind::LeftSupport || kind == JointKind::RightSupport) && dy != 0.0))
            return format("the mechanism moves support joint %d where it is held", j);
        largest = std::max(largest, std::hypot(dx, dy));
    }
    if (std::fabs(largest - 1.0) > 1e-9)
        return format("the mechanism's largest motion is %g, not 1", largest);
    if (!(mechanism.residual >= 0.0)) return "the mechanism's residual is not a number";
    return "";
}

std::string nonFiniteNumberIn(std::string_view text) {
    static constexpr std::string_view kWords[] = {"nan", "inf", "infinity"};
    int line = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') ++line;
        if (i > 0 && isWordChar(text[i - 1])) continue;
        for (std::string_view word : kWords) {
            if (text.size() - i < word.size()) continue;
            bool same = true;
            for (size_t k = 0; k < word.size() && same; ++k)
                same = std::tolower(static_cast<unsigned char>(text[i + k])) == word[k];
            const size_t after = i + word.size();
            if (same && (after == text.size() || !isWordChar(text[after]))) {
                const size_t start = text.rfind('\n', i);
                const size_t from = start == std::string_view::npos ? 0 : start + 1;
                const std::string_view shown =
                    text.substr(from, std::min<size_t>(60, text.find('\n', i) - from));
                return format("line %d: \"%.*s\"", line, static_cast<int>(shown.size()), shown.data());
            }
        }
    }
    return "";
}
