// Text and JSON reports of an analysed bridge. Real numbers in the text report go through
// formatSignificant with the digits the printed results report uses; JSON numbers carry 17
// significant digits so that they read back as the same doubles.
#include "cli/reports.h"
#include <cmath>
#include <cstdio>
#include <memory>

#include "analysis/member_evaluation.h"
#include "display/member_table.h"
#include "files/text_output.h"
#include "grading/json_writer.h"
#include "model/format_significant.h"

namespace {

constexpr double kDegreesPerRadian = 57.2957795;

std::string g(double value, int digits) {
    return formatSignificant(value, digits).c_str();
}

// Puts text at a column of the row, padding with blanks (a longer earlier field pushes it right).
void at(std::string& row, size_t column, const std::string& text) {
    if (row.size() < column) row.append(column - row.size(), ' ');
    if (!row.empty() && row.back() != ' ') row += ' ';
    row += text;
}

std::string twoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%2.2d", value);
    return buffer;
}

void appendOptions(std::string& out, const AnalysisOptions& o) {
    appendFormat(out, "%s, %s, %s, %s\n",
                 o.includeDeadLoad ? "Truss Dead Load Included" : "Truss Dead Load Excluded",
                 o.includeDeckWeight ? "Deck Load Included" : "Deck Load Excluded",
                 o.includeExtraLiveLoad ? "Extra Live Load Included" : "Extra Live Load Excluded",
                 o.useMinMemberForce ? "Min. Member Force = 6 kips" : "Min. Member Force = 0 kips");
}

void appendMemberRows(std::string& out, const BridgeModel& model) {
    out += "Memb.  Size   Length   Angle    Actual   Allow Ten.  Allow Comp.  Eff. Ratio\n";
    out += " #       #     (ft.) (degrees)  (kips)    (kips)       (kips)        (%)\n";
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        std::string row;
        at(row, 1, twoDigits(i));
        at(row, 8, twoDigits(m.size));
        at(row, 14, g(m.length, 4));
        at(row, 23, g(m.angle * kDegreesPerRadian, 3));
        at(row, m.force < 0 ? 31 : 32, g(m.force, 6));
        at(row, 42, g(m.allowableTension, 4));
        at(row, 54, m.allowableCompression < 1.0 ? std::string("< 1.0") : g(m.allowableCompression, 4));
        at(row, 67, m.forceRatio == FAILED_RATIO ? std::string("FAIL") : g(m.forceRatio, 3));
        out += row;
        out += '\n';
    }
}

}  // namespace

std::string textReport(const BridgeRun& run) {
    const BridgeModel& model = run.model;
    std::string out;
    appendFormat(out, "Bridge Name: %s\n", model.bridgeName);
    appendFormat(out, "Number of joints = %d (%d on the roadbed), Number of members = %d\n", model.jointCount,
                 model.roadbedJointCount, model.memberCount);
    appendOptions(out, run.options);
    appendFormat(out, "Bridge Weight = %s kips\n", g(model.totalWeight, 5).c_str());
    if (run.check != nullptr) {
        appendFormat(out, "Not analysed: %s\n", run.check);
        return out;
    }
    const bool unstable = run.results.bridgeUnstable != 0;
    out += run.results.bridgeFailed ? "Bridge Failed\n" : "Bridge Passed\n";
    // A mechanism can move its joints further than a float holds: no number to print then.
    if (std::isfinite(run.results.maxDeflection)) {
        appendFormat(out, "Max. Deflection = %s inches\n", g(run.results.maxDeflection, 4).c_str());
    } else {
        out += "Max. Deflection = N.A.\n";
    }
    if (unstable) {
        out += "Overall Eff. Ratio: N.A.\n\n";
        out += "THIS BRIDGE HAS UNSTABLE GEOMETRY\nNO NUMERICAL RESULTS AVAILABLE\n";
        return out;
    }
    appendFormat(out, "Overall Eff. Ratio: %s\n\n", g(overallEfficiency(model), 5).c_str());
    appendMemberRows(out, model);
    return out;
}

namespace {

// How an unstable truss moves: the test that found it, the unbraced joint, one [dx, dy] per joint.
void appendMechanism(JsonObject& bridge, const BridgeRun& run) {
    std::string& out = bridge.key("mechanism");
    if (!run.mechanismFound) {
        out += "null";
        return;
    }
    const Mechanism& m = run.mechanism;
    static constexpr const char* kReasons[] = {"members", "joint", "matrix", "deflection"};
    JsonObject o(out);
    o.text("reason", kReasons[int(m.reason)]);
    if (m.joint != 0) {
        o.integer("joint", m.joint);
    } else {
        o.key("joint") += "null";
    }
    o.key("motion") += '[';
    for (int j = 1; j <= m.jointCount; ++j) {
        if (j > 1) out += ',';
        out += '[';
        jsonNumber(out, m.motion[j][0]);
        out += ',';
        jsonNumber(out, m.motion[j][1]);
        out += ']';
    }
    out += ']';
    o.close();
}

}  // namespace

std::string jsonReport(const BridgeRun& run) {
    const BridgeModel& model = run.model;
    const bool analysed = run.check == nullptr;
    const bool unstable = analysed && run.results.bridgeUnstable != 0;
    std::string out;
    JsonObject bridge(out);
    bridge.text("name", model.bridgeName);
    bridge.integer("jointCount", model.jointCount);
    bridge.integer("memberCount", model.memberCount);
    bridge.integer("roadbedJointCount", model.roadbedJointCount);
    bridge.number("totalWeight", model.totalWeight);
    if (analysed) {
        bridge.key("check") += "null";
    } else {
        bridge.text("check", run.check);
    }
    bridge.boolean("unstable", analysed, unstable);
    bridge.boolean("failed", analysed, run.results.bridgeFailed != 0);
    bridge.number("maxDeflection", analysed, run.results.maxDeflection);
    bridge.number("overallEfficiency", analysed && !unstable,
                  analysed && !unstable ? overallEfficiency(model) : 0.0);

    bridge.key("joints") += '[';
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        if (j > 1) out += ',';
        JsonObject o(out);
        o.integer("index", j);
        o.number("x", joint.x);
        o.number("y", joint.y);
        o.integer("kind", joint.kind);
        o.number("selfWeightLoad", joint.selfWeightLoad);
        o.number("deckLoad", joint.deckLoad);
        o.number("liveLoad", joint.liveLoad);
        o.key("caseDisplacements") += '[';
        for (int k = 1; analysed && k <= run.deflection.caseCount; ++k) {
            if (k > 1) out += ',';
            out += '[';
            jsonNumber(out, run.deflection.dx[j][k]);
            out += ',';
            jsonNumber(out, run.deflection.dy[j][k]);
            out += ']';
        }
        out += ']';
        o.close();
    }
    out += ']';

    bridge.key("members") += '[';
    const bool haveCases = analysed && !unstable;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        if (i > 1) out += ',';
        JsonObject o(out);
        o.integer("index", i);
        o.integer("startJoint", m.startJoint);
        o.integer("endJoint", m.endJoint);
        o.integer("size", m.size);
        o.number("length", m.length);
        o.number("angle", m.angle);
        o.number("weight", m.weight);
        o.number("force", m.force);
        o.number("allowableTension", m.allowableTension);
        o.number("allowableCompression", m.allowableCompression);
        o.number("forceRatio", m.forceRatio);
        o.key("caseForces") += '[';
        for (int k = 1; haveCases && k <= model.roadbedJointCount; ++k) {
            if (k > 1) out += ',';
            jsonNumber(out, run.results.caseForces[i][k]);
        }
        out += ']';
        o.close();
    }
    out += ']';
    if (unstable) appendMechanism(bridge, run);
    bridge.close();
    out += '\n';
    return out;
}

std::string memberTableReport(const BridgeRun& run, MemberTableFormat format) {
    const RowResults state = run.check != nullptr         ? RowResults::None
                             : run.results.bridgeUnstable ? RowResults::Unstable
                                                          : RowResults::Analysed;
    auto rows = std::make_unique<MemberRows>();
    fillMemberRows(run.model, run.results, state, *rows);
    if (format == MemberTableFormat::Text) return memberRowsTabSeparated(*rows);

    const bool json = format == MemberTableFormat::Json;
    std::string out = json ? "["
                           : "index,startJoint,endJoint,size,length,force,allowableTension,"
                             "allowableCompression,forceRatio,governingJoint,status\n";
    // A field without a value: null in JSON, empty in CSV.
    const auto field = [&](const char* name, bool exists, double value, bool first = false) {
        if (json) {
            if (!first) out += ',';
            jsonString(out, name);
            out += ':';
        } else if (!first) {
            out += ',';
        }
        if (exists) {
            jsonNumber(out, value);
        } else if (json) {
            out += "null";
        }
    };
    for (int i = 1; i <= rows->count; ++i) {
        const MemberRow& r = rows->rows[i];
        const bool analysed = state == RowResults::Analysed;
        if (json) out += i > 1 ? ",{" : "{";
        field("index", true, r.index, true);
        field("startJoint", true, r.startJoint);
        field("endJoint", true, r.endJoint);
        field("size", true, r.size);
        field("length", true, r.lengthFt);
        field("force", analysed, r.force);
        field("allowableTension", state != RowResults::None, r.allowableTension);
        field("allowableCompression", state != RowResults::None, r.allowableCompression);
        field("forceRatio", analysed, r.forceRatio);
        field("governingJoint", analysed && r.governingJoint != 0, r.governingJoint);
        const char* status = !analysed ? nullptr : r.failed ? "FAIL" : "ok";
        if (json) {
            out += ",\"status\":";
            if (status) {
                jsonString(out, status);
            } else {
                out += "null";
            }
            out += '}';
        } else {
            out += ',';
            if (status) out += status;
            out += '\n';
        }
    }
    if (json) out += "]\n";
    return out;
}
