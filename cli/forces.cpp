// The forces table, its CSV, and the forces command that picks the output by file extension.
#include "cli/forces.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>

#include "analysis/member_evaluation.h"
#include "cli/force_chart.h"
#include "cli/instability.h"
#include "cli/png_file.h"
#include "files/file_paths.h"
#include "files/text_output.h"

namespace {

// The shortest decimal text that reads back as exactly this double.
void appendExact(std::string& out, double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc{} ? end : buffer);
}

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

}  // namespace

ForceTable forceTableOf(const BridgeRun& run, int member) {
    const BridgeModel& model = run.model;
    ForceTable table;
    table.options = run.options;
    for (int j = 1, k = 0; j <= model.jointCount; ++j) {
        if (model.joints[j].kind == JointKind::Roadbed)
            table.positions.push_back({j, ++k, model.joints[j].x});
    }
    std::stable_sort(table.positions.begin(), table.positions.end(),
                     [](const TruckPosition& p, const TruckPosition& q) { return p.xFt < q.xFt; });
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
            const double force = run.results.caseForces[i][p.loadCase];
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

CommandResult writeMemberForces(BridgeRun& run, const std::string& bridgePath, const std::string& outPath,
                                int member) {
    const std::string ext = lowerExtension(outPath);
    if (ext != ".csv" && ext != ".svg" && ext != ".png") {
        return CommandResult::failed(CLI_USAGE_ERROR, "",
                                     "forces writes .csv, .svg or .png files, not " + outPath);
    }
    if (member < 0 || member > run.model.memberCount) {
        return CommandResult::failed(CLI_USAGE_ERROR, "",
                                     "there is no member " + std::to_string(member) + " in " + bridgePath +
                                         " (it has " + std::to_string(run.model.memberCount) + ")");
    }
    run.calculate();
    if (run.check != nullptr) return CommandResult::failed(CLI_FILE_ERROR, bridgePath, run.check);
    if (run.results.bridgeUnstable) {
        return CommandResult::failed(CLI_FILE_ERROR, bridgePath, instabilityReason(run.model, run.results));
    }
    const ForceTable table = forceTableOf(run, member);
    bool written;
    if (ext == ".png") {
        written = writePngFile(outPath.c_str(), forcesPicture(table, run.model.bridgeName));
    } else {
        written = writeFileAtomically(
            outPath.c_str(), ext == ".csv" ? forcesCsv(table) : forcesSvg(table, run.model.bridgeName));
    }
    if (!written) return CommandResult::failed(CLI_FILE_ERROR, outPath, "Error: Cannot write to file");
    return {};
}
