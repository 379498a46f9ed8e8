// Text and JSON reports of an analysed bridge. Real numbers in the text report go through
// formatSignificant with the digits the printed results report uses; JSON numbers carry 17
// significant digits so that they read back as the same doubles.
#include "cli/reports.h"

#include <cmath>
#include <cstdio>

#include "analysis/member_evaluation.h"
#include "files/text_output.h"
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

// ---- JSON

void jsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    appendFormat(out, "%.17g", value);
}

void jsonString(std::string& out, const char* text) {
    out += '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
        switch (*p) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (*p < 0x20 || *p >= 0x7F) {
                    appendFormat(out, "\\u%04x", *p);  // names are bytes; Latin-1 keeps JSON valid
                } else {
                    out += static_cast<char>(*p);
                }
        }
    }
    out += '"';
}

void field(std::string& out, const char* name, bool& first) {
    if (!first) out += ',';
    first = false;
    jsonString(out, name);
    out += ':';
}

}  // namespace

std::string verdictOf(const BridgeRun& run) {
    if (run.check != nullptr) return run.check;
    if (run.results.bridgeUnstable) return "unstable";
    return run.results.bridgeFailed ? "failed" : "passed";
}

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
    appendFormat(out, "Max. Deflection = %s inches\n", g(run.results.maxDeflection, 4).c_str());
    if (unstable) {
        out += "Overall Eff. Ratio: N.A.\n\n";
        out += "THIS BRIDGE HAS UNSTABLE GEOMETRY\nNO NUMERICAL RESULTS AVAILABLE\n";
        return out;
    }
    appendFormat(out, "Overall Eff. Ratio: %s\n\n", g(overallEfficiency(model), 5).c_str());
    appendMemberRows(out, model);
    return out;
}

std::string jsonReport(const BridgeRun& run) {
    const BridgeModel& model = run.model;
    const bool analysed = run.check == nullptr;
    const bool unstable = analysed && run.results.bridgeUnstable != 0;
    std::string out = "{";
    bool first = true;
    field(out, "name", first);
    jsonString(out, model.bridgeName);
    field(out, "jointCount", first);
    appendFormat(out, "%d", model.jointCount);
    field(out, "memberCount", first);
    appendFormat(out, "%d", model.memberCount);
    field(out, "roadbedJointCount", first);
    appendFormat(out, "%d", model.roadbedJointCount);
    field(out, "totalWeight", first);
    jsonNumber(out, model.totalWeight);
    field(out, "check", first);
    if (analysed) {
        out += "null";
    } else {
        jsonString(out, run.check);
    }
    field(out, "unstable", first);
    out += !analysed ? "null" : unstable ? "true" : "false";
    field(out, "failed", first);
    out += !analysed ? "null" : run.results.bridgeFailed ? "true" : "false";
    field(out, "maxDeflection", first);
    if (analysed) {
        jsonNumber(out, run.results.maxDeflection);
    } else {
        out += "null";
    }
    field(out, "overallEfficiency", first);
    if (analysed && !unstable) {
        jsonNumber(out, overallEfficiency(model));
    } else {
        out += "null";
    }

    field(out, "joints", first);
    out += '[';
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        bool f = true;
        out += j > 1 ? ",{" : "{";
        field(out, "index", f);
        appendFormat(out, "%d", j);
        field(out, "x", f);
        jsonNumber(out, joint.x);
        field(out, "y", f);
        jsonNumber(out, joint.y);
        field(out, "kind", f);
        appendFormat(out, "%d", joint.kind);
        field(out, "selfWeightLoad", f);
        jsonNumber(out, joint.selfWeightLoad);
        field(out, "deckLoad", f);
        jsonNumber(out, joint.deckLoad);
        field(out, "liveLoad", f);
        jsonNumber(out, joint.liveLoad);
        out += '}';
    }
    out += ']';

    field(out, "members", first);
    out += '[';
    const bool haveCases = analysed && !unstable;
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        bool f = true;
        out += i > 1 ? ",{" : "{";
        field(out, "index", f);
        appendFormat(out, "%d", i);
        field(out, "startJoint", f);
        appendFormat(out, "%d", m.startJoint);
        field(out, "endJoint", f);
        appendFormat(out, "%d", m.endJoint);
        field(out, "size", f);
        appendFormat(out, "%d", m.size);
        const struct {
            const char* name;
            double value;
        } numbers[] = {{"length", m.length},
                       {"angle", m.angle},
                       {"weight", m.weight},
                       {"force", m.force},
                       {"allowableTension", m.allowableTension},
                       {"allowableCompression", m.allowableCompression},
                       {"forceRatio", m.forceRatio}};
        for (const auto& n : numbers) {
            field(out, n.name, f);
            jsonNumber(out, n.value);
        }
        field(out, "caseForces", f);
        out += '[';
        if (haveCases) {
            for (int k = 1; k <= model.roadbedJointCount; ++k) {
                if (k > 1) out += ',';
                jsonNumber(out, run.results.caseForces[i][k]);
            }
        }
        out += "]}";
    }
    out += "]}\n";
    return out;
}
