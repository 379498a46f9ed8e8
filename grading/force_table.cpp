// The forces table and its CSV.
#include "grading/force_table.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "analysis/member_evaluation.h"
#include "files/text_output.h"

namespace {

// The shortest decimal text that reads back as exactly this double. The browser build's library
// has no to_chars for doubles; there the fewest digits of printf's %g that read back stand in.
void appendExact(std::string& out, double value) {
    char buffer[32];
#if defined(__cpp_lib_to_chars)
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc{} ? end : buffer);
#else
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    out += buffer;
#endif
}

}  // namespace

std::vector<TruckPosition> truckPositionsOf(const BridgeModel& model) {
    std::vector<TruckPosition> positions;
    for (int j = 1, k = 0; j <= model.jointCount; ++j) {
        if (model.joints[j].kind == JointKind::Roadbed) positions.push_back({j, ++k, model.joints[j].x});
    }
    std::stable_sort(positions.begin(), positions.end(),
                     [](const TruckPosition& p, const TruckPosition& q) { return p.xFt < q.xFt; });
    return positions;
}

ForceTable forceTableOf(const BridgeModel& model, const AnalysisResults& results,
                        const AnalysisOptions& options, int member) {
    ForceTable table;
    table.options = options;
    table.positions = truckPositionsOf(model);
    const int first = member == 0 ? 1 : member;
    const int last = member == 0 ? model.memberCount : member;
    for (int i = first; i <= last; ++i) {
        const Member& m = model.members[i];
        MemberForces row{i,
                         m.startJoint,
                         m.endJoint,
                         m.size,
                         m.allowableTension,
                         m.allowableCompression,
                         m.force,
                         m.forceRatio == FAILED_RATIO,
                         {},
                         -1};
        for (const TruckPosition& p : table.positions) {
            const double force = results.caseForces[i][p.loadCase];
            if (row.controlling < 0 && force == m.force && force != 0.0) {
                row.controlling = static_cast<int>(row.forces.size());
            }
            row.forces.push_back(force);
        }
        table.members.push_back(std::move(row));
    }
    return table;
}

std::string forcesCsv(const ForceTable& table) {
    std::string out = "member,startJoint,endJoint,size,allowableTension,allowableCompression";
    for (const TruckPosition& p : table.positions) appendFormat(out, ",joint %d at %g ft", p.joint, p.xFt);
    out += '\n';
    for (const MemberForces& m : table.members) {
        appendFormat(out, "%d,%d,%d,%d,", m.member, m.startJoint, m.endJoint, m.size);
        appendExact(out, m.allowableTension);
        out += ',';
        appendExact(out, m.allowableCompression);
        for (double force : m.forces) {
            out += ',';
            appendExact(out, force);
        }
        out += '\n';
    }
    return out;
}
