// The data report: the bridge as drawn, with one row per joint (position, kind and load shares)
// and one row per member (ends, size, length, angle, allowable forces, weight and load shares).
#include <span>

#include "analysis/loads.h"
#include "analysis/member_evaluation.h"
#include "model/format_significant.h"
#include "print/report_page.h"
#include "print/reports.h"

using namespace report;

namespace {

// The member table follows the joints on the same page only when its headings fit on this line
// or above; otherwise it starts a page of its own.
constexpr int LAST_MEMBER_HEADING_LINE = 13;

struct HeadingText {
    int x;
    const char* text;
};

constexpr HeadingText JOINT_HEADINGS[] = {{10, "Joint"},        {70, "X Coord."},   {160, "Y Coord."},
                                          {250, "Joint Type"},  {360, "Dead Load"}, {470, "Deck Load"},
                                          {580, "Traffic Load"}};
constexpr HeadingText JOINT_UNITS[] = {{20, "#"},       {80, "(ft.)"},   {170, "(ft.)"}, {280, "#"},
                                       {370, "(kips)"}, {485, "(kips)"}, {600, "(kips)"}};
constexpr HeadingText MEMBER_HEADINGS[] = {
    {10, "Memb."},  {73, "Jt1"},           {115, "Jt2"},      {155, "Memb."},    {220, "Length"},
    {290, "Angle"}, {368, "Allow. Force"}, {478, "Self-Wt."}, {550, "Deck-Wt."}, {645, "Traffic"}};
constexpr HeadingText MEMBER_UNITS[] = {{30, "#"},       {80, "#"},       {120, "#"},     {155, "Size#"},
                                        {230, "(ft.)"},  {289, "(deg.)"}, {370, "T(k)"},  {440, "C(k)"},
                                        {490, "(kips)"}, {560, "(kips)"}, {650, "(kips)"}};

void headingLine(PrintSurface& printer, int y, std::span<const HeadingText> line) {
    for (const HeadingText& h : line) printer.textOut(h.x, y, h.text);
}

void jointHeadings(PrintSurface& printer, int headingY, int unitsY) {
    headingLine(printer, headingY, JOINT_HEADINGS);
    headingLine(printer, unitsY, JOINT_UNITS);
}

void memberHeadings(PrintSurface& printer, int headingY, int unitsY) {
    headingLine(printer, headingY, MEMBER_HEADINGS);
    headingLine(printer, unitsY, MEMBER_UNITS);
}

void summary(ReportDocument& document, const BridgeModel& model, const LocalTime& date) {
    document.text(20, -340, "Bridge Name: %s", model.bridgeName);
    document.text(20, -360, "Bridge Weight = %s kips  ", formatSignificant(model.totalWeight, 5).c_str());
    drawDateAndTime(document, date);
    document.text(400, -360, "Number of members = %d ", model.memberCount);
    document.text(400, -380, "Number of joints = %d ", model.jointCount);
}

void jointRows(ReportDocument& document, const BridgeModel& model) {
    for (int j = 1; j <= model.jointCount; ++j) {
        const Joint& joint = model.joints[j];
        const int y = document.nextRowY(jointHeadings);
        document.text(22, y, "%2.0d", j);
        document.number(80, y, joint.x, 4);
        document.number(170, y, joint.y, 4);
        document.text(280, y, "%2.0d", joint.kind);
        document.number(360, y, joint.selfWeightLoad, 5);
        document.number(480, y, joint.deckLoad, 5);
        document.number(600, y, joint.liveLoad, 5);
    }
}

// The member table starts three lines below the last joint row, or at the top of a new page when
// its headings would come below LAST_MEMBER_HEADING_LINE. The page break before it draws no joint
// headings: the member headings follow at once.
void memberRows(ReportDocument& document, const BridgeModel& model) {
    int headingLine = document.line() + 3;
    if (headingLine > LAST_MEMBER_HEADING_LINE) {
        document.breakPage(nullptr);
        headingLine = CONTINUED_LINE;
    }
    memberHeadings(document.printer(), lineY(headingLine), lineY(headingLine + 1));
    document.setLine(headingLine + 2);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const int y = document.nextRowY(memberHeadings);
        document.text(22, y, "%3.0d", i);
        document.text(75, y, "%3.0d", m.startJoint);
        document.text(115, y, "%3.0d", m.endJoint);
        document.text(165, y, "%2.0d", m.size);
        document.number(230, y, m.length, 4);
        document.number(300, y, m.angle * DEGREES_PER_RADIAN, 3);
        document.number(370, y, m.allowableTension, 4);
        allowableCompressionText(document, 435, y, m.allowableCompression);
        document.numberBefore(490, y, m.weight / 1000.0, 5, 570);  // under 0.1 kips: fewer digits
        document.number(570, y, m.deckLoad, 4);
        document.number(660, y, m.liveLoad, 4);
    }
}

}  // namespace

void prepareDataReport(BridgeModel& model, const MemberSizeTable& memberSizes) {
    updateGeometry(model, memberSizes);
    computeAllowables(model);
    computeExtraLiveLoadShares(model);
    computeSelfWeightShares(model);
    computeDeckWeightShares(model);
}

PrintOutcome printData(PrintSurface& printer, BridgeModel& model, const MemberSizeTable& memberSizes,
                       const LocalTime& date) {
    prepareDataReport(model, memberSizes);
    ReportDocument document(printer, "Trussmill - OUTPUT - Kelvane", 20, 10);
    if (const PrintOutcome begun = document.begin(); begun != PrintOutcome::Printed) return begun;
    drawBridgePicture(printer, model, JointMarks::Numbered);
    summary(document, model, date);
    jointHeadings(printer, -560, -580);
    jointRows(document, model);
    memberRows(document, model);
    document.end();
    return PrintOutcome::Printed;
}
