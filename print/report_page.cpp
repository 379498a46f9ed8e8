// The pages, the frame, the bridge picture and the date line shared by the two printed reports.
#include "print/report_page.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "model/format_significant.h"
#include "print/reports.h"

namespace report {

namespace {

constexpr int WINDOW_ORIGIN_X = -50;
constexpr int WINDOW_ORIGIN_Y = 30;
constexpr int FRAME_RIGHT = 712;  // 7.12 by 9.8 inches
constexpr int FRAME_BOTTOM = -980;
constexpr int TITLE_Y = -30;
const char DOCUMENT_NAME[] = "QX DATA";

// A board point (column, row in pixels) on the page, truncated toward zero.
Point printedPoint(int column, int row) {
    return {static_cast<int>(1.5 * column - 180.0), static_cast<int>(140.0 - 1.5 * row)};
}

Point printedJoint(const BridgeModel& model, int joint) {
    const Joint& j = model.joints[joint];
    return printedPoint(j.screenX, j.screenY);
}

// A circle of the given radius around p, outlined with pen and filled white; the pen before it is
// put back.
void circle(PrintSurface& printer, Point p, int radius, Pen pen) {
    const Pen previous = printer.selectPen(pen);
    printer.ellipse(p.x - radius, p.y + radius, p.x + radius, p.y - radius);
    printer.selectPen(previous);
}

constexpr Pen WHITE_PEN{WHITE, 1};

}  // namespace

ReportDocument::ReportDocument(PrintSurface& printer, const char* title, int firstTitleX, int laterTitleX)
    : printer_(printer), title_(title), firstTitleX_(firstTitleX), laterTitleX_(laterTitleX) {}

PrintOutcome ReportDocument::begin() {
    if (!printer_.selectFont(FONT_HEIGHT_UNITS)) return PrintOutcome::NoFont;
    if (!printer_.startDocument(DOCUMENT_NAME)) return PrintOutcome::Refused;
    printer_.startPage();
    printer_.selectFont(FONT_HEIGHT_UNITS);
    frame(firstTitleX_);
    line_ = 0;
    return PrintOutcome::Printed;
}

void ReportDocument::frame(int titleX) {
    printer_.setWindowOrigin(WINDOW_ORIGIN_X, WINDOW_ORIGIN_Y);
    printer_.rectangle(0, 0, FRAME_RIGHT, FRAME_BOTTOM);
    printer_.textOut(titleX, TITLE_Y, title_);
}

void ReportDocument::breakPage(HeadingsFn headings) {
    printer_.endPage();
    printer_.startPage();
    printer_.selectFont(FONT_HEIGHT_UNITS);
    frame(laterTitleX_);
    if (headings) headings(printer_, HEADING_Y, UNITS_Y);
    line_ = CONTINUED_LINE;
}

int ReportDocument::nextRowY(HeadingsFn headings) {
    if (line_ >= LAST_LINE) breakPage(headings);
    ++line_;
    return lineY(line_);
}

void ReportDocument::end() {
    printer_.endPage();
    printer_.endDocument();
}

void ReportDocument::text(int x, int y, const char* format, ...) {
    char buffer[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    printer_.textOut(x, y, buffer);
}

void ReportDocument::number(int x, int y, double value, int significantDigits) {
    printer_.textOut(x, y, formatSignificant(value, significantDigits).c_str());
}

void allowableCompressionText(ReportDocument& document, int x, int y, double kips) {
    if (kips < 1.0) {
        document.printer().textOut(x, y, "< 1.0");
    } else {
        document.number(x, y, kips, 4);
    }
}

void ReportDocument::numberBefore(int x, int y, double value, int significantDigits, int nextColumnX) {
    SignificantText text = formatSignificant(value, significantDigits);
    while (significantDigits > 1 && x + CHAR_ADVANCE_UNITS * std::strlen(text.c_str()) > nextColumnX) {
        text = formatSignificant(value, --significantDigits);
    }
    printer_.textOut(x, y, text.c_str());
}

void drawBridgePicture(PrintSurface& printer, const BridgeModel& model, JointMarks marks) {
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const Point a = printedJoint(model, m.startJoint);
        const Point b = printedJoint(model, m.endJoint);
        printer.moveTo(a.x, a.y);
        printer.lineTo(b.x, b.y);
        const Point mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
        circle(printer, mid, 12, WHITE_PEN);
        char label[16];
        std::snprintf(label, sizeof label, "%3.2d", i);
        printer.textOut(mid.x - 16, mid.y + 8, label);
    }
    for (int j = 1; j <= model.jointCount; ++j) {
        const Point p = printedJoint(model, j);
        if (marks == JointMarks::Dots) {
            printer.ellipse(p.x - 3, p.y + 3, p.x + 3, p.y - 3);
            continue;
        }
        circle(printer, p, 10, WHITE_PEN);
        char label[16];
        std::snprintf(label, sizeof label, "%2.2d", j);
        printer.textOut(p.x - 10, p.y + 10, label);
    }
}

void drawDateAndTime(ReportDocument& document, const LocalTime& date) {
    document.text(20, -380, "Date: %d/%d/%d", date.month, date.day, date.year);
    // Only the afternoon hours become PM; noon and midnight print as they are, with AM.
    const bool afternoon = date.hour > 12;
    document.text(20, -400, "Time: %d:%d %s", afternoon ? date.hour - 12 : date.hour, date.minute,
                  afternoon ? "PM" : "AM");
}

}  // namespace report

MessageBoxRequest printFontFailureBox() {
    MessageBoxRequest box;
    box.text = "Not enough memory available for printing.";
    box.caption = "ZAZUVI";
    box.icon = MessageIcon::Information;
    box.buttons = MessageButtons::Ok;
    box.ownedByMainWindow = false;
    box.modality = Modality::System;
    return box;
}
