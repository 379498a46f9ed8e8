// The information panel read back from the window as text: headings at their places, the
// coordinates row while drawing, the name field's clearing, member statistics and the results row
// of passed, failed and unstable bridges, and the member labels.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/panels.h"
#include "tests/support/screen_text.h"
#include "tests/support/test_bridges.h"

namespace {

Surface panelWindow() {
    return Surface(632, 436, WHITE);
}

std::string valueAt(const Surface& window, int x, int cells) {
    return readText(window, x, PANEL_VALUE_ROW, cells);
}

// One member from (0, 0) ft to (100, -50) ft: it descends from its start joint.
TestBridge descendingMember() {
    TestBridge b;
    b.joint(0, 0);
    b.joint(100, -50);
    b.member(2, 1);
    b.update();
    return b;
}

}  // namespace

TEST(Panels, HeadingsSitAtTheirPlacesInFull) {
    // The longest headings, whose neighbours would show if one were misplaced or cut short.
    TestBridge b;
    int16_t selected = 1;
    PanelState panels;
    Surface window = panelWindow();
    drawPanelHeadings(window, b.model, PanelInputs{}, selected, panels);
    EXPECT_EQ(readText(window, 4, 379, 16), "GRID COORDINATES");
    EXPECT_EQ(readText(window, 160, 397, 38), " (ft.)     (ft.)     (ft.)  (degrees) ");
    EXPECT_EQ(readText(window, 476, 379, 9), " BRIDGE  ");
    EXPECT_EQ(readText(window, 568, 379, 6), "BRIDGE");
    EXPECT_EQ(readText(window, 568, 397, 6), " NAME ");
    EXPECT_EQ(valueAt(window, 11, 7), " 000   ");

    window = panelWindow();
    PanelInputs review;
    review.reviewMode = true;
    drawPanelHeadings(window, b.model, review, selected, panels);
    EXPECT_EQ(readText(window, 4, 379, 6), "MEMBER");
    EXPECT_EQ(readText(window, 205, 397, 13), "(kips)(ten.+)");
    EXPECT_EQ(readText(window, 336, 379, 22), "   ALLOWABLE FORCE    ");
    EXPECT_EQ(readText(window, 545, 397, 10), "(ratio)(%)");
    EXPECT_EQ(valueAt(window, 20, 2), "1 ");
}

TEST(Panels, CoordinatesRowFollowsThePointerAndTheMemberBeingDrawn) {
    TestBridge b;
    b.model.totalWeight = 123.456;
    PanelState panels;
    Surface window = panelWindow();
    CursorReadout cursor;

    // Not drawing: X and Y with three digits, everything else 0.
    cursor.cursorGridX = 12;
    cursor.cursorGridY = 45;
    showCoordinates(window, b.model, cursor, panels);
    EXPECT_EQ(valueAt(window, 11, 7), " 012   ");
    EXPECT_EQ(valueAt(window, 86, 6), "045   ");
    EXPECT_EQ(valueAt(window, 175, 4), "0   ");
    EXPECT_EQ(valueAt(window, 256, 4), "0   ");
    EXPECT_EQ(valueAt(window, 330, 7), "0.     ");
    EXPECT_EQ(valueAt(window, 405, 6), "0.    ");
    EXPECT_EQ(valueAt(window, 485, 7), "123.5  ");
    EXPECT_EQ(valueAt(window, 560, 9), "UNTITLED ");

    // A negative Y has two digits after its sign; the blanks cover the longer value before it.
    cursor.cursorGridY = -5;
    showCoordinates(window, b.model, cursor, panels);
    EXPECT_EQ(valueAt(window, 86, 6), "-05   ");

    // Drawing from (50, 50) ft with the pointer on the start point: length 0, angle 90.
    cursor.drawingMember = true;
    cursor.dragStartColumn = 200;
    cursor.dragStartRow = 200;
    cursor.cursorGridX = 50;
    cursor.cursorGridY = 50;
    showCoordinates(window, b.model, cursor, panels);
    EXPECT_EQ(valueAt(window, 175, 4), "0   ");
    EXPECT_EQ(valueAt(window, 330, 7), "0.     ");
    EXPECT_EQ(valueAt(window, 405, 6), "90.   ");

    // ...and to (80, 10) ft: 30 across, 40 down (both unsigned), 50 ft long at 53.1 degrees.
    cursor.cursorGridX = 80;
    cursor.cursorGridY = 10;
    showCoordinates(window, b.model, cursor, panels);
    EXPECT_EQ(valueAt(window, 11, 7), " 080   ");
    EXPECT_EQ(valueAt(window, 86, 6), "010   ");
    EXPECT_EQ(valueAt(window, 175, 5), "30   ");
    EXPECT_EQ(valueAt(window, 256, 5), "40   ");
    EXPECT_EQ(valueAt(window, 330, 8), "50.     ");
    EXPECT_EQ(valueAt(window, 405, 8), "53.1    ");
}

TEST(Panels, ChangedNameClearsTheOldOne) {
    TestBridge b;
    PanelState panels;
    Surface window = panelWindow();
    showCoordinates(window, b.model, CursorReadout{}, panels);
    EXPECT_EQ(valueAt(window, 560, 9), "UNTITLED ");

    // "UNTITLED" to "A": ten blanks first, then the name centred at 560 + 8 * 3.
    setBridgeName(b.model, "A");
    showCoordinates(window, b.model, CursorReadout{}, panels);
    EXPECT_EQ(valueAt(window, 560, 9), "   A     ");
    EXPECT_STREQ(panels.lastShownName, "A");

    // The same name again does not clear: what covers the field's first cell stays.
    window.textOut(560, PANEL_VALUE_ROW, "Z");
    showCoordinates(window, b.model, CursorReadout{}, panels);
    EXPECT_EQ(valueAt(window, 560, 9), "Z  A     ");

    // A full eight-letter name starts at 560.
    setBridgeName(b.model, "TRUSS123");
    showCoordinates(window, b.model, CursorReadout{}, panels);
    EXPECT_EQ(valueAt(window, 560, 9), "TRUSS123 ");
    EXPECT_STREQ(panels.lastShownName, "TRUSS123");
}

TEST(Panels, MemberStatsKeepTheSignAndFoldTheAngle) {
    // A member descending from its start: DY is negative, the angle 333.4 degrees folds to 26.6.
    TestBridge b = descendingMember();
    ASSERT_EQ(b.model.members[1].startJoint, 1);
    Surface window = panelWindow();
    showMemberStats(window, b.model, 1);
    EXPECT_EQ(valueAt(window, 11, 7), " 000   ");
    EXPECT_EQ(valueAt(window, 86, 6), "000   ");
    EXPECT_EQ(valueAt(window, 175, 6), "100   ");
    EXPECT_EQ(valueAt(window, 256, 6), "-50   ");
    EXPECT_EQ(valueAt(window, 330, 9), "111.8    ");
    EXPECT_EQ(valueAt(window, 405, 8), "26.6    ");
    EXPECT_EQ(valueAt(window, 560, 9), "UNTITLED ");

    // A member starting below the deck shows its Y with two digits after the sign.
    TestBridge up;
    up.joint(100, -50);
    up.joint(200, 0);
    up.member(1, 2);
    up.update();
    showMemberStats(window, up.model, 1);
    EXPECT_EQ(valueAt(window, 11, 7), " 100   ");
    EXPECT_EQ(valueAt(window, 86, 6), "-50   ");
    EXPECT_EQ(valueAt(window, 256, 6), "50    ");
    EXPECT_EQ(valueAt(window, 405, 8), "26.6    ");

    // Every quadrant folds into 0..90 degrees; under 0.01 degrees reads as 0.
    const struct {
        double degrees;
        const char* shown;
    } folds[] = {{200.0, "20.  "}, {120.0, "60.  "}, {90.0, "90.  "}, {0.005, "0.   "}, {359.0, "1.   "}};
    for (const auto& fold : folds) {
        b.model.members[1].angle = fold.degrees / 57.296;
        showMemberStats(window, b.model, 1);
        EXPECT_EQ(valueAt(window, 405, 5), fold.shown) << fold.degrees;
    }
}

TEST(Panels, ResultsRowOfPassedFailedAndUnstableBridges) {
    TestBridge b = descendingMember();
    Member& m = b.model.members[1];
    m.force = -123.456;
    m.allowableTension = 626.4;
    m.allowableCompression = 1.0;
    m.forceRatio = 250.0;
    Surface window = panelWindow();
    window.fillRect({0, 417, 632, 431}, BLACK);  // a longer row shown before

    // A member over 100 percent that is not marked failed shows its ratio; compression 1.0 is '1.'.
    int16_t selected = 1;
    showMemberResults(window, b.model, selected, false);
    EXPECT_EQ(valueAt(window, 20, 2), "1 ");
    EXPECT_EQ(valueAt(window, 78, 2), "05");
    EXPECT_EQ(valueAt(window, 138, 5), "111.8");
    EXPECT_EQ(valueAt(window, 229, 7), "-123.46");
    EXPECT_EQ(valueAt(window, 358, 5), "626.4");
    EXPECT_EQ(valueAt(window, 446, 3), "1. ");
    EXPECT_EQ(valueAt(window, 570, 5), "250. ");
    EXPECT_EQ(window.pixel(3, 417), WHITE);  // the whole row was blanked first
    EXPECT_EQ(window.pixel(620, 430), WHITE);
    EXPECT_EQ(window.pixel(100, 424), WHITE);

    // A failed member (ratio exactly 1000) shows FAIL; an allowable compression of 0.75 '< 1.0'.
    m.forceRatio = 1000.0;
    m.allowableCompression = 0.75;
    showMemberResults(window, b.model, selected, false);
    EXPECT_EQ(valueAt(window, 446, 5), "< 1.0");
    EXPECT_EQ(valueAt(window, 570, 5), "FAIL ");
    m.forceRatio = 999.9;
    showMemberResults(window, b.model, selected, false);
    EXPECT_EQ(valueAt(window, 570, 5), "999.9");

    // An unstable bridge: UNSTABLE and N.A., the length and allowable forces still shown.
    m.allowableCompression = 12.34567;
    showMemberResults(window, b.model, selected, true);
    EXPECT_EQ(valueAt(window, 229, 9), "UNSTABLE ");
    EXPECT_EQ(valueAt(window, 570, 5), "N.A. ");
    EXPECT_EQ(valueAt(window, 138, 5), "111.8");
    EXPECT_EQ(valueAt(window, 358, 5), "626.4");
    EXPECT_EQ(valueAt(window, 446, 5), "12.35");

    // A selectedMember of 0 shows member 1 and is left at 1.
    selected = 0;
    showMemberResults(window, b.model, selected, false);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(valueAt(window, 20, 2), "1 ");
}

TEST(Panels, MemberLabelsOnGreyNearTheMiddle) {
    TestBridge b = workedExampleBridge();
    Surface window = panelWindow();
    b.model.members[12].size = 12;
    labelMemberNumbers(window, b.model);
    // Member 1 runs from board (150, 250) to (250, 250): label at (190, 242).
    EXPECT_EQ(readText(window, 190, 242, 2), "01");
    EXPECT_EQ(window.pixel(190, 242), LABEL_BACKGROUND);
    EXPECT_EQ(window.backgroundColor(), LABEL_BACKGROUND);  // left set until the paint resets it
    // Member 13 runs from (350, 250) to (450, 200) after the update orders its ends: (390, 217).
    EXPECT_EQ(readText(window, 390, 217, 2), "13");
    labelMemberSizes(window, b.model);
    EXPECT_EQ(readText(window, 190, 242, 2), "05");
    EXPECT_EQ(readText(window, 290, 217, 2), "12");  // member 12, (250, 200) to (350, 250)
    b.model.members[1].size = 9;
    labelMemberSize(window, b.model, 1);
    EXPECT_EQ(readText(window, 190, 242, 2), "09");
}
