// The board as a user sees it on a 632 x 436 window: grid dots, members in black or red, joint
// rings, the Review highlight, the paint's order (back buffer without the bridge, overlay with it)
// and the red marks of the pre-analysis check.
#include <gtest/gtest.h>

#include <vector>

#include "display/board.h"
#include "tests/support/screen_text.h"
#include "tests/support/synthetic_pictures.h"
#include "tests/support/test_bridges.h"

namespace {

constexpr Color RED = rgb(255, 0, 0);
constexpr Color YELLOW = rgb(255, 255, 0);

struct Board {
    Surface window{BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE};
    DrawingResources resources = syntheticResources();
    PanelState panels;
};

std::vector<Point> pixelsOf(const Surface& s, Color c) {
    std::vector<Point> found;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            if (s.pixel(x, y) == c) found.push_back({x, y});
        }
    }
    return found;
}

// A deck member 1 from (0, 0) to (100, 0) ft and a diagonal 2 from (100, 0) to (200, 50) ft.
TestBridge twoMembers() {
    TestBridge b;
    b.joint(0, 0);
    b.joint(100, 0);
    b.joint(200, 50);
    b.member(1, 2);
    b.member(2, 3);
    b.update();
    return b;
}

}  // namespace

TEST(Board, GridDotsCoverTheJointArea) {
    // Snaps 1, 2, 4 and 5: 81 x 34 dots every 5 px, columns 150..550, rows 150..315.
    for (int snap : {1, 2, 4, 5}) {
        Surface window(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE);
        Surface overlay(OVERLAY_WIDTH, OVERLAY_HEIGHT, WHITE);
        drawGrid(window, overlay, snap);
        const std::vector<Point> dots = pixelsOf(window, BLACK);
        EXPECT_EQ(dots.size(), 81u * 34u) << "snap " << snap;
        EXPECT_EQ(dots.front(), (Point{150, 150}));
        EXPECT_EQ(dots.back(), (Point{550, 315}));
        EXPECT_EQ(window.pixel(155, 155), BLACK);
        EXPECT_EQ(window.pixel(152, 150), WHITE);
    }
    // Snap 10: 41 x 17 dots every 10 px; row 315 is not reached, the last row is 310.
    Surface window(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE);
    Surface overlay(OVERLAY_WIDTH, OVERLAY_HEIGHT, WHITE);
    drawGrid(window, overlay, 10);
    const std::vector<Point> dots = pixelsOf(window, BLACK);
    EXPECT_EQ(dots.size(), 41u * 17u);
    EXPECT_EQ(dots.back(), (Point{550, 310}));
    EXPECT_EQ(window.pixel(155, 150), WHITE);
    // The overlay was refreshed with the dots at their window positions less (145, 145).
    EXPECT_EQ(overlay.pixel(5, 5), BLACK);
    EXPECT_EQ(overlay.pixel(405, 165), BLACK);
    EXPECT_EQ(pixelsOf(overlay, BLACK).size(), 41u * 17u);
}

TEST(Board, MembersAreRedOnlyAtARatioOfExactly1000) {
    TestBridge b = twoMembers();
    b.model.members[1].forceRatio = 1000.0;
    b.model.members[2].forceRatio = 999.9;
    Surface window(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE);
    drawBridge(window, b.model);
    EXPECT_EQ(window.pixel(200, 250), RED);    // middle of the deck member
    EXPECT_EQ(window.pixel(300, 225), BLACK);  // middle of the diagonal
    EXPECT_EQ(window.pen(), (Pen{BLACK, 1}));  // the red pen was only borrowed
    // Joint rings on top: black outline, white inside even where a line passed.
    EXPECT_EQ(window.pixel(148, 250), BLACK);
    EXPECT_EQ(window.pixel(150, 250), WHITE);
    EXPECT_EQ(window.pixel(251, 250), BLACK);
    EXPECT_EQ(window.pixel(250, 249), WHITE);

    // After a refresh (every ratio 0) nothing is red.
    b.model.members[1].forceRatio = 0.0;
    drawBridge(window, b.model);
    EXPECT_TRUE(pixelsOf(window, RED).empty());
}

TEST(Board, JointsWithoutMembersShowNoRings) {
    TestBridge b;
    b.joint(0, 0);
    b.joint(400, 0);
    Surface window(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE);
    window.takeDirtyRect();
    drawBridge(window, b.model);
    EXPECT_TRUE(window.takeDirtyRect().empty());
}

TEST(Board, PaintDrawsSiteTruckBridgePanelAndHighlightInOrder) {
    Board board;
    TestBridge b = twoMembers();
    b.model.members[1].forceRatio = 1000.0;
    b.model.members[1].length = 100.0;
    BoardPaintInputs inputs;
    inputs.panel.reviewMode = true;
    int16_t selected = 1;
    EXPECT_FALSE(paintBoard(board.window, board.resources, b.model, inputs, selected, board.panels));

    // Review: the failed member is yellow over its red line, the other one stays black.
    EXPECT_EQ(board.window.pixel(200, 250), YELLOW);
    EXPECT_EQ(board.window.pixel(300, 225), BLACK);
    EXPECT_TRUE(pixelsOf(board.window, RED).empty());
    EXPECT_EQ(readText(board.window, 4, PANEL_HEADING_ROW_1, 6), "MEMBER");
    EXPECT_EQ(readText(board.window, 20, PANEL_VALUE_ROW, 1), "1");
    // The site and the parked truck: sky, the road, the white trailer and red cab at (20, 235).
    EXPECT_EQ(board.window.pixel(5, 5), SITE_SKY);
    EXPECT_EQ(board.window.pixel(10, 251), SITE_ROAD);
    EXPECT_EQ(board.window.pixel(22, 237), WHITE);
    EXPECT_EQ(board.window.pixel(65, 243), TRUCK_CAB);
    EXPECT_EQ(board.window.pixel(20, 235), BLACK);          // trailer outline
    EXPECT_EQ(board.window.pixel(20 + 42, 235), SITE_SKY);  // the mask lets the sky through
    // The back buffer holds the site and truck but not the bridge; the overlay holds the bridge.
    EXPECT_EQ(board.resources.backBuffer.pixel(200, 250), board.resources.boardBitmap.pixel(200, 250));
    EXPECT_EQ(board.resources.backBuffer.pixel(65, 243), TRUCK_CAB);
    EXPECT_EQ(board.resources.overlay.pixel(200 - 145, 250 - 145), YELLOW);
    EXPECT_EQ(board.resources.overlay.pixel(300 - 145, 225 - 145), BLACK);

    // Outside Review the same bridge shows its failed member red and the coordinates panel.
    inputs.panel.reviewMode = false;
    inputs.gridOn = true;
    EXPECT_TRUE(paintBoard(board.window, board.resources, b.model, inputs, selected, board.panels));
    EXPECT_EQ(board.window.pixel(200, 250), RED);
    EXPECT_EQ(board.window.pixel(155, 155), BLACK);  // a grid dot
    EXPECT_EQ(readText(board.window, 4, PANEL_HEADING_ROW_1, 16), "GRID COORDINATES");

    // A minimized window is not drawn at all.
    Board hidden;
    inputs.minimized = true;
    hidden.window.takeDirtyRect();
    EXPECT_FALSE(paintBoard(hidden.window, hidden.resources, b.model, inputs, selected, hidden.panels));
    EXPECT_TRUE(hidden.window.takeDirtyRect().empty());
}

TEST(Board, HighlightsAndPreAnalysisMarks) {
    TestBridge b = twoMembers();
    Surface window(BACK_BUFFER_WIDTH, BACK_BUFFER_HEIGHT, WHITE);
    drawBridge(window, b.model);
    // Show selections in yellow; the window's black pen is back afterwards.
    highlightJoint(window, b.model, 2);
    EXPECT_EQ(window.pixel(248, 250), YELLOW);
    EXPECT_EQ(window.pixel(148, 250), BLACK);
    highlightMember(window, b.model, 2);
    EXPECT_EQ(window.pixel(300, 225), YELLOW);
    EXPECT_EQ(window.pen(), (Pen{BLACK, 1}));

    // The pre-analysis check's outcome marks its joint or its member in red.
    ModelOutcome jointFault;
    jointFault.markedJoint = 3;
    markOutcome(window, b.model, jointFault);
    EXPECT_EQ(window.pixel(351, 200), RED);
    EXPECT_EQ(window.pixel(200, 250), BLACK);
    ModelOutcome memberFault;
    memberFault.markedMember = 1;
    markOutcome(window, b.model, memberFault);
    EXPECT_EQ(window.pixel(200, 250), RED);
    EXPECT_EQ(window.pen(), (Pen{BLACK, 1}));
}
