// The results report: the verdict, the options and one row per member with its force, allowable
// forces and efficiency ratio, as the last analysis left them.
#include <cmath>

#include "analysis/member_evaluation.h"
#include "model/format_significant.h"
#include "print/report_page.h"
#include "print/reports.h"

using namespace report;

namespace {

void resultHeadings(PrintSurface& printer, int headingY, int unitsY) {
    printer.textOut(20, headingY,
                    "Memb.  Size   Length   Angle    Actual   Allow Ten.  Allow Comp.  Eff. Ratio");
    printer.textOut(20, unitsY, " #       #     (ft.) (degrees)  (kips)    (kips)       (kips)        (%)");
}

void summary(ReportDocument& document, const BridgeModel& model, const AnalysisOptions& options,
             const AnalysisResults& results, const LocalTime& date) {
    PrintSurface& printer = document.printer();
    document.text(20, -340, "Bridge Name: %s", model.bridgeName);
    printer.textOut(400, -340, results.bridgeFailed ? "Bridge Failed" : "Bridge Passed");
    document.text(20, -360, "Bridge Weight = %s kips  ", formatSignificant(model.totalWeight, 5).c_str());
    document.text(400, -360, "Number of members = %d ", model.memberCount);
    drawDateAndTime(document, date);
    document.text(400, -380, "Number of joints = %d ", model.jointCount);
    // A mechanism can move further than a float holds; that is no deflection to print.
    if (std::isfinite(results.maxDeflection)) {
        document.text(400, -400, "Max. Deflection = %s inches",
                      formatSignificant(results.maxDeflection, 4).c_str());
    } else {
        printer.textOut(400, -400, "Max. Deflection = N.A.");
    }
    if (results.bridgeUnstable) {
        printer.textOut(20, -420, "Overall Eff. Ratio: N.A.");
    } else {
        document.text(20, -420, "Overall Eff. Ratio: %s ",
                      formatSignificant(overallEfficiency(model), 5).c_str());
    }
    printer.textOut(20, -440,
                    options.includeDeadLoad == 1 ? "Truss Dead Load Included" : "Truss Dead Load Excluded");
    printer.textOut(20, -460, options.includeDeckWeight == 1 ? "Deck Load Included" : "Deck Load Excluded");
    printer.textOut(
        20, -480,
        options.includeExtraLiveLoad == 1 ? "Extra Live Load Included" : "Extra Live Load Excluded");
    printer.textOut(
        20, -500,
        options.useMinMemberForce == 1 ? "Min. Member Force = 6 kips" : "Min. Member Force = 0 kips");
}

void memberRows(ReportDocument& document, const BridgeModel& model) {
    PrintSurface& printer = document.printer();
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const int y = document.nextRowY(resultHeadings);
        document.text(22, y, "%2.2d", i);
        document.text(100, y, "%2.2d", m.size);
        document.number(158, y, m.length, 4);
        document.number(238, y, m.angle * DEGREES_PER_RADIAN, 3);
        document.numberBefore(m.force < 0 ? 308 : 312, y, m.force, 6, 410);  // under 0.1 kips: fewer digits
        document.number(410, y, m.allowableTension, 4);
        allowableCompressionText(document, 516, y, m.allowableCompression);
        if (m.forceRatio == FAILED_RATIO) {
            printer.textOut(630, y, "FAIL");
        } else {
            document.number(630, y, m.forceRatio, 3);
        }
    }
}

}  // namespace

PrintOutcome printResults(PrintSurface& printer, const BridgeModel& model, const AnalysisOptions& options,
                          const AnalysisResults& results, const LocalTime& date) {
    ReportDocument document(printer, "Trussmill - RESULTS - Kelvane", 20, 20);
    if (const PrintOutcome begun = document.begin(); begun != PrintOutcome::Printed) return begun;
    drawBridgePicture(printer, model, JointMarks::Dots);
    summary(document, model, options, results, date);
    resultHeadings(printer, -560, -580);
    if (results.bridgeUnstable) {
        printer.textOut(238, -620, "THIS BRIDGE HAS UNSTABLE GEOMETRY");
        printer.textOut(238, -640, "NO NUMERICAL RESULTS AVAILABLE");
    } else {
        memberRows(document, model);
    }
    document.end();
    return PrintOutcome::Printed;
}
