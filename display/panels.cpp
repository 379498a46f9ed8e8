// The panel texts. Fields are written at fixed pixel columns in 8 px cells; most end in blanks so
// that a shorter value covers the tail of a longer one. Whole numbers use printf patterns whose
// output matches the window system's own formatter for these patterns ("%3.2d" of -5 is "-05").
#include "display/panels.h"

#include <cassert>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "model/format_significant.h"

namespace {

constexpr double DEGREES_PER_RADIAN = 57.296;
constexpr double FAILED_FORCE_RATIO = 1000.0;  // percent; marks a member that failed

struct Heading {
    int x;
    int row;
    const char* text;  // blanks inside are part of the heading
};

constexpr Heading COORDINATE_HEADINGS[] = {
    {4, PANEL_HEADING_ROW_1, "GRID COORDINATES"},
    {4, PANEL_HEADING_ROW_2, "X (ft.)  Y (ft.)"},
    {160, PANEL_HEADING_ROW_1, "DELTA-X   DELTA-Y   LENGTH    ANGLE   "},
    {160, PANEL_HEADING_ROW_2, " (ft.)     (ft.)     (ft.)  (degrees) "},
    {476, PANEL_HEADING_ROW_1, " BRIDGE  "},
    {476, PANEL_HEADING_ROW_2, "Wt.(kips)"},
    {568, PANEL_HEADING_ROW_1, "BRIDGE"},
    {568, PANEL_HEADING_ROW_2, " NAME "},
};

constexpr Heading RESULT_HEADINGS[] = {
    {4, PANEL_HEADING_ROW_1, "MEMBER"},
    {4, PANEL_HEADING_ROW_2, " (No.)"},
    {72, PANEL_HEADING_ROW_1, "SIZE "},
    {68, PANEL_HEADING_ROW_2, "(No.)"},
    {128, PANEL_HEADING_ROW_1, "LENGTH"},
    {122, PANEL_HEADING_ROW_2, " (ft.)"},
    {209, PANEL_HEADING_ROW_1, "ACTUAL FORCE "},
    {205, PANEL_HEADING_ROW_2, "(kips)(ten.+)"},
    {336, PANEL_HEADING_ROW_1, "   ALLOWABLE FORCE    "},
    {336, PANEL_HEADING_ROW_2, "(ten.)(k)   (comp.)(k)"},
    {545, PANEL_HEADING_ROW_1, "EFFICIENCY"},
    {545, PANEL_HEADING_ROW_2, "(ratio)(%)"},
};

// Columns of the coordinates value row (also used by the member statistics).
constexpr int X_COLUMN = 11;
constexpr int Y_COLUMN = 86;
constexpr int DELTA_X_COLUMN = 175;
constexpr int DELTA_Y_COLUMN = 256;
constexpr int LENGTH_COLUMN = 330;
constexpr int ANGLE_COLUMN = 405;
constexpr int WEIGHT_COLUMN = 485;
constexpr int NAME_COLUMN = 560;  // the name is centred in 8 cells from here

// Columns of the results value row.
constexpr int MEMBER_COLUMN = 20;
constexpr int SIZE_COLUMN = 78;
constexpr int RESULT_LENGTH_COLUMN = 138;
constexpr int FORCE_COLUMN = 229;
constexpr int TENSION_COLUMN = 358;
constexpr int COMPRESSION_COLUMN = 446;
constexpr int EFFICIENCY_COLUMN = 570;

// The results row is blanked with a 14 px white stroke along row 424 (covering rows 417..430).
constexpr int BLANK_LEFT = 3;
constexpr int BLANK_RIGHT = 620;
constexpr int BLANK_ROW = 424;
constexpr int BLANK_PEN_WIDTH = 14;

void writeText(Surface& window, int x, int y, const char* pattern, ...) __attribute__((format(printf, 4, 5)));

void writeText(Surface& window, int x, int y, const char* pattern, ...) {
    char text[128];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    window.textOut(x, y, text);
}

void writeHeadings(Surface& window, const Heading* headings, size_t count) {
    for (size_t i = 0; i < count; ++i) window.textOut(headings[i].x, headings[i].row, headings[i].text);
}

size_t nameLength(const char* name) {
    return strnlen(name, BRIDGE_NAME_CHARS);
}

void writeWeightAndName(Surface& window, const BridgeModel& model) {
    writeText(window, WEIGHT_COLUMN, PANEL_VALUE_ROW, "%s   ",
              formatSignificant(model.totalWeight, 4).c_str());
    const int pad = (BRIDGE_NAME_CHARS - static_cast<int>(nameLength(model.bridgeName))) / 2;
    writeText(window, NAME_COLUMN + 8 * pad, PANEL_VALUE_ROW, "%.*s   ", BRIDGE_NAME_CHARS, model.bridgeName);
}

// The fields the coordinates row and the member statistics share: position, extent, length and
// angle in degrees. Negative Y is written with two digits after its sign ("-05").
void writeGeometryFields(Surface& window, int x, int y, bool negativeY, int dx, int dy, double length,
                         double angle) {
    writeText(window, X_COLUMN, PANEL_VALUE_ROW, " %3.3d   ", x);
    if (negativeY) {
        writeText(window, Y_COLUMN, PANEL_VALUE_ROW, "%3.2d   ", y);
    } else {
        writeText(window, Y_COLUMN, PANEL_VALUE_ROW, "%3.3d   ", y);
    }
    writeText(window, DELTA_X_COLUMN, PANEL_VALUE_ROW, "%d   ", dx);
    writeText(window, DELTA_Y_COLUMN, PANEL_VALUE_ROW, "%d   ", dy);
    writeText(window, LENGTH_COLUMN, PANEL_VALUE_ROW, "%s     ", formatSignificant(length, 4).c_str());
    writeText(window, ANGLE_COLUMN, PANEL_VALUE_ROW, "%s    ", formatSignificant(angle, 3).c_str());
}

// The member's inclination from the horizontal, 0..90 degrees, from its angle in radians.
double foldedAngleDegrees(double angleRad) {
    double a = angleRad * DEGREES_PER_RADIAN;
    if (a > 270.0) a = 360.0 - a;
    if (a > 180.0) a = a - 180.0;
    if (a > 90.0) a = 180.0 - a;
    if (a < 0.01) a = 0.0;
    return a;
}

// Feet as the panel's 16-bit fields hold them: truncated toward zero, then wrapped as 16-bit
// integers wrap. Only a bridge from a hand-edited file, with joints far off the board, reaches
// beyond 16 bits; the panel then shows nonsense, but nothing undefined happens.
int16_t panelFeet(float feet) {
    return static_cast<int16_t>(static_cast<int>(feet));
}

bool memberSlot(int member) {
    return member >= 0 && member <= LAST_MEMBER_SLOT;
}

bool jointSlot(int joint) {
    return joint >= 0 && joint <= LAST_JOINT_SLOT;
}

void writeLabel(Surface& window, const BridgeModel& model, int member, int value) {
    const Member& m = model.members[member];
    assert(jointSlot(m.startJoint) && jointSlot(m.endJoint) && "member ends must be joint slots");
    if (!jointSlot(m.startJoint) || !jointSlot(m.endJoint)) return;
    const Joint& a = model.joints[m.startJoint];
    const Joint& b = model.joints[m.endJoint];
    const int column = (a.screenX + b.screenX) / 2;
    const int row = (a.screenY + b.screenY) / 2;
    window.setBackgroundColor(LABEL_BACKGROUND);
    writeText(window, column - 10, row - 8, "%2.2d", value);
}

}  // namespace

void drawPanelHeadings(Surface& window, const BridgeModel& model, const PanelInputs& inputs,
                       int16_t& selectedMember, PanelState& panels) {
    if (inputs.reviewMode) {
        writeHeadings(window, RESULT_HEADINGS, std::size(RESULT_HEADINGS));
        showMemberResults(window, model, selectedMember, inputs.bridgeUnstable);
    } else {
        writeHeadings(window, COORDINATE_HEADINGS, std::size(COORDINATE_HEADINGS));
        showCoordinates(window, model, inputs.cursor, panels);
    }
}

void showCoordinates(Surface& window, const BridgeModel& model, const CursorReadout& cursor,
                     PanelState& panels) {
    int16_t dx = 0;
    int16_t dy = 0;
    double length = 0.0;
    double angle = 0.0;
    if (cursor.drawingMember) {
        dx = static_cast<int16_t>(
            std::abs((cursor.dragStartColumn - BOARD_ORIGIN_COLUMN) - cursor.cursorGridX));
        dy = static_cast<int16_t>(std::abs((cursor.dragStartRow - BOARD_ORIGIN_ROW) + cursor.cursorGridY));
        length = std::sqrt(double(dx) * dx + double(dy) * dy);
        angle = dx == 0 ? 90.0 : std::atan2(double(dy), double(dx)) * DEGREES_PER_RADIAN;
    }
    writeGeometryFields(window, cursor.cursorGridX, cursor.cursorGridY, cursor.cursorGridY < 0, dx, dy,
                        length, angle);

    if (std::strncmp(model.bridgeName, panels.lastShownName, BRIDGE_NAME_CHARS) != 0) {
        window.textOut(NAME_COLUMN, PANEL_VALUE_ROW, "          ");  // ten blanks over the old name
    }
    writeWeightAndName(window, model);
    std::memcpy(panels.lastShownName, model.bridgeName, nameLength(model.bridgeName));
    panels.lastShownName[nameLength(model.bridgeName)] = '\0';
}

void showMemberStats(Surface& window, const BridgeModel& model, int member) {
    assert(memberSlot(member) && "showMemberStats needs a member slot 0..152");
    if (!memberSlot(member)) return;
    const Member& m = model.members[member];
    // Truncated toward zero and signed: a member descending from its start shows a negative DY.
    const int16_t dx = panelFeet(m.endX - m.startX);
    const int16_t dy = panelFeet(m.endY - m.startY);
    const double length = std::sqrt(double(dx) * dx + double(dy) * dy);
    writeGeometryFields(window, panelFeet(m.startX), panelFeet(m.startY), m.startY < 0.0f, dx, dy, length,
                        foldedAngleDegrees(m.angle));
    writeWeightAndName(window, model);
}

void showMemberResults(Surface& window, const BridgeModel& model, int16_t& selectedMember,
                       bool bridgeUnstable) {
    if (selectedMember == 0) selectedMember = 1;
    const int member = selectedMember;
    assert(memberSlot(member) && "selectedMember must be a member slot 0..152");
    if (!memberSlot(member)) return;
    const Member& m = model.members[member];

    const Pen previous = window.selectPen(Pen{WHITE, BLANK_PEN_WIDTH});
    window.moveTo(BLANK_LEFT, BLANK_ROW);
    window.lineTo(BLANK_RIGHT, BLANK_ROW);
    window.selectPen(previous);

    writeText(window, MEMBER_COLUMN, PANEL_VALUE_ROW, "%d ", member);
    writeText(window, SIZE_COLUMN, PANEL_VALUE_ROW, "%2.2d", m.size);
    window.textOut(RESULT_LENGTH_COLUMN, PANEL_VALUE_ROW, formatSignificant(m.length, 4).c_str());
    window.textOut(FORCE_COLUMN, PANEL_VALUE_ROW,
                   bridgeUnstable ? "UNSTABLE" : formatSignificant(m.force, 5).c_str());
    window.textOut(TENSION_COLUMN, PANEL_VALUE_ROW, formatSignificant(m.allowableTension, 4).c_str());
    window.textOut(
        COMPRESSION_COLUMN, PANEL_VALUE_ROW,
        m.allowableCompression >= 1.0 ? formatSignificant(m.allowableCompression, 4).c_str() : "< 1.0");
    const char* efficiency = "N.A.";
    SignificantText ratio{};
    if (!bridgeUnstable) {
        ratio = formatSignificant(m.forceRatio, 4);
        efficiency = m.forceRatio == FAILED_FORCE_RATIO ? "FAIL" : ratio.c_str();
    }
    window.textOut(EFFICIENCY_COLUMN, PANEL_VALUE_ROW, efficiency);
}

void labelMemberNumbers(Surface& window, const BridgeModel& model) {
    for (int i = 1; i <= model.memberCount; ++i) writeLabel(window, model, i, i);
}

void labelMemberSizes(Surface& window, const BridgeModel& model) {
    for (int i = 1; i <= model.memberCount; ++i) writeLabel(window, model, i, model.members[i].size);
}

void labelMemberSize(Surface& window, const BridgeModel& model, int member) {
    assert(memberSlot(member) && "labelMemberSize needs a member slot 0..152");
    if (!memberSlot(member)) return;
    writeLabel(window, model, member, model.members[member].size);
}
