// Rows of the member table and their texts.
#include "display/member_table.h"

#include <cmath>
#include <limits>

#include "model/format_significant.h"

namespace {

constexpr double FAILED_FORCE_RATIO = 1000.0;  // percent; marks a member that failed
constexpr double NO_RESULT_KEY = std::numeric_limits<double>::max();

// The roadbed joint furthest left whose load case gives exactly the member's design force.
int16_t governingJointOf(const BridgeModel& model, const AnalysisResults& results, int member) {
    const double force = model.members[member].force;
    if (force == 0.0) return 0;
    int16_t best = 0;
    for (int j = 1, k = 0; j <= model.jointCount; ++j) {
        if (model.joints[j].kind != JointKind::Roadbed) continue;
        ++k;
        if (results.caseForces[member][k] != force) continue;
        if (best == 0 || model.joints[j].x < model.joints[best].x) best = static_cast<int16_t>(j);
    }
    return best;
}

std::string significant(double value, int digits) {
    return formatSignificant(value, digits).c_str();
}

}  // namespace

double demandPercent(const Member& m) {
    const double allowed = m.force >= 0.0 ? m.allowableTension : m.allowableCompression;
    if (m.forceRatio != FAILED_FORCE_RATIO || !(allowed > 0.0)) return m.forceRatio;
    return std::fabs(m.force) / allowed * 100.0;
}

int hardestWorkingMember(const BridgeModel& model) {
    int worst = 0;
    for (int i = 1; i <= model.memberCount; ++i) {
        if (worst == 0 || demandPercent(model.members[i]) > demandPercent(model.members[worst])) worst = i;
    }
    return worst;
}

void fillMemberRows(const BridgeModel& model, const AnalysisResults& results, RowResults state,
                    MemberRows& rows) {
    rows.results = state;
    rows.count = model.memberCount;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        MemberRow& row = rows.rows[i];
        row = MemberRow{};
        row.index = static_cast<int16_t>(i);
        row.startJoint = m.startJoint;
        row.endJoint = m.endJoint;
        row.size = m.size;
        row.lengthFt = m.length;
        row.allowableTension = m.allowableTension;
        row.allowableCompression = m.allowableCompression;
        if (state != RowResults::Analysed) continue;
        row.force = m.force;
        row.forceRatio = m.forceRatio;
        row.failed = m.forceRatio == FAILED_FORCE_RATIO;
        row.demandPercent = demandPercent(m);
        row.governingJoint = governingJointOf(model, results, i);
    }
}

std::array<std::string, MEMBER_TABLE_COLUMNS> memberRowTexts(const MemberRow& row, RowResults state) {
    std::array<std::string, MEMBER_TABLE_COLUMNS> texts;
    texts[0] = std::to_string(row.index);
    texts[1] = std::to_string(row.startJoint);
    texts[2] = std::to_string(row.endJoint);
    texts[3] = std::to_string(row.size);
    texts[4] = significant(row.lengthFt, 4);
    if (state == RowResults::None) return texts;
    texts[6] = significant(row.allowableTension, 4);
    texts[7] = row.allowableCompression >= 1.0 ? significant(row.allowableCompression, 4) : "< 1.0";
    if (state == RowResults::Unstable) {
        texts[5] = "UNSTABLE";
        texts[8] = "N.A.";
        return texts;
    }
    texts[5] = significant(std::fabs(row.force), 4);
    if (row.force > 0.0) texts[5] += " T";
    if (row.force < 0.0) texts[5] += " C";
    texts[8] = significant(row.demandPercent, 4);
    if (row.governingJoint != 0) texts[9] = std::to_string(row.governingJoint);
    texts[10] = row.failed ? "FAIL" : "ok";
    return texts;
}

std::array<double, MEMBER_TABLE_COLUMNS> memberRowSortKeys(const MemberRow& row, RowResults state) {
    std::array<double, MEMBER_TABLE_COLUMNS> keys;
    keys.fill(NO_RESULT_KEY);
    keys[0] = row.index;
    keys[1] = row.startJoint;
    keys[2] = row.endJoint;
    keys[3] = row.size;
    keys[4] = row.lengthFt;
    if (state == RowResults::None) return keys;
    keys[6] = row.allowableTension;
    keys[7] = row.allowableCompression;
    if (state == RowResults::Unstable) return keys;
    keys[5] = row.force;
    keys[8] = row.demandPercent;
    if (row.governingJoint != 0) keys[9] = row.governingJoint;
    keys[10] = row.failed ? 1.0 : 0.0;
    return keys;
}

std::string memberRowsTabSeparated(const MemberRows& rows) {
    std::string out;
    for (int c = 0; c < MEMBER_TABLE_COLUMNS; ++c) {
        if (c > 0) out += '\t';
        out += MEMBER_TABLE_HEADINGS[c];
    }
    out += '\n';
    for (int i = 1; i <= rows.count; ++i) {
        const std::array<std::string, MEMBER_TABLE_COLUMNS> texts =
            memberRowTexts(rows.rows[i], rows.results);
        for (int c = 0; c < MEMBER_TABLE_COLUMNS; ++c) {
            if (c > 0) out += '\t';
            out += texts[c];
        }
        out += '\n';
    }
    return out;
}
