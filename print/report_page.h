// What both printed reports share: the document and its pages with their frame and title, the
// table lines and page breaks, the bridge picture and the report date. Positions are logical units
// of 0.01 inch with y upward; the window origin (-50, 30) puts the frame's corner (0, 0) half an
// inch right of and 0.3 inch below the corner of the printable area.
#pragma once

#include "model/bridge_model.h"
#include "platform/print_surface.h"
#include "platform/shell.h"
#include "print/reports.h"

namespace report {

constexpr int FONT_HEIGHT_UNITS = 16;  // 0.16 inch, also the height of a table line
constexpr double DEGREES_PER_RADIAN = 57.2957795;
// The advance of one character of the report font: a fixed-pitch face with a 16-unit cell has an
// em of about 13.75 units and advances about 0.6 em. Keeps long values out of the next column.
constexpr double CHAR_ADVANCE_UNITS = 8.3;

// Table line L is printed at y = -600 - 16 L. Line 1 is the first row on the first page; a page
// break restarts the count at -30, so a continuation page's rows run from line -29 (y = -136) to
// line 21 (y = -936), inside the frame that ends at y = -980.
constexpr int LAST_LINE = 21;
constexpr int CONTINUED_LINE = -30;
constexpr int HEADING_Y = -76;  // continuation pages: the two heading lines of the table
constexpr int UNITS_Y = -96;

constexpr int lineY(int line) {
    return -600 - FONT_HEIGHT_UNITS * line;
}

// Draws a table's two heading lines at the given heights.
using HeadingsFn = void (*)(PrintSurface& printer, int headingY, int unitsY);

// Draws what the printer gives into the document and keeps the table's line count across pages.
class ReportDocument {
  public:
    // title is drawn at (firstTitleX, -30) on the first page and at (laterTitleX, -30) after.
    ReportDocument(PrintSurface& printer, const char* title, int firstTitleX, int laterTitleX);

    // Makes the report font (nothing is started without it), then starts the document and the first
    // page with its frame and title. Returns Printed when the report may go on, NoFont when the
    // font cannot be made, Refused when the printer refuses the job.
    PrintOutcome begin();

    // Ends the page and starts the next one with the frame, the title and, when given, the
    // table's headings at HEADING_Y and UNITS_Y; the next row goes on line CONTINUED_LINE + 1.
    void breakPage(HeadingsFn headings);

    // The y of the next table row. A page that is full (its last row on LAST_LINE) is broken first,
    // only now that another row is to come, so a report never ends on a page of headings alone.
    int nextRowY(HeadingsFn headings);

    int line() const { return line_; }
    void setLine(int line) { line_ = line; }

    // Ends the last page and the document.
    void end();

    // printf text at (x, y).
    void text(int x, int y, const char* format, ...) __attribute__((format(printf, 4, 5)));
    // A real value with the given number of significant digits (formatSignificant).
    void number(int x, int y, double value, int significantDigits);
    // The same, with fewer digits when the text would reach nextColumnX: small values in the
    // exponential form are wider than some columns, and the next column's blank background
    // would cover their last digits.
    void numberBefore(int x, int y, double value, int significantDigits, int nextColumnX);

    PrintSurface& printer() { return printer_; }

  private:
    void frame(int titleX);

    PrintSurface& printer_;
    const char* title_;
    int firstTitleX_;
    int laterTitleX_;
    int line_ = 0;
};

// An allowable compression force, kips, with four significant digits, or "< 1.0" below 1 kip.
void allowableCompressionText(ReportDocument& document, int x, int y, double kips);

// How the joints are marked in the bridge picture.
enum class JointMarks : uint8_t {
    Numbered,  // blank circle of radius 10 with the joint number (data report)
    Dots,      // small black circle of radius 3 (results report)
};

// The bridge scaled to 1.5 units per foot with the span from (45, -235) to (645, -235): every
// member with its number in a blanked circle at its middle, then the joints.
void drawBridgePicture(PrintSurface& printer, const BridgeModel& model, JointMarks marks);

// "Date: month/day/year" at (20, -380) and "Time: h:m AM" at (20, -400), hours 13 to 23 less 12
// with "PM".
void drawDateAndTime(ReportDocument& document, const LocalTime& date);

}  // namespace report
