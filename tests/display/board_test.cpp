// The board as a user sees it on a 632 x 436 window: grid dots, members in black or red, joint
// rings, the Review highlight, the paint's order (back buffer without the bridge, overlay with it)
// and the red marks of the pre-analysis check.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "display/board.h"
#include "files/bridge_file.h"
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

// Review's result views on the sample bridges, analysed with and without the dead load: every
// member's colour follows the sign of its design force (blue above red for tension, red above blue
// for compression), a failed member is wide with a dark edge, and in every load case's deflected
// shape each joint's ring sits, within a pixel, at its position plus 20 pixels' worth of the
// case's largest displacement.
TEST(Board, ResultViewsFollowTheForcesAndDisplacements) {
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"}) {
        for (uint8_t deadLoad : {0, 1}) {
            SCOPED_TRACE(std::string(name) + (deadLoad ? " with dead load" : ""));
            TestBridge b;
            ASSERT_TRUE(loadBridgeFile((std::string(TRUSSMILL_SOURCE_DIR) + "/examples/" + name).c_str(),
                                       b.model, b.sizes)
                            .ok());
            updateGeometry(b.model, b.sizes);
            auto results = std::make_unique<AnalysisResults>();
            auto workspace = std::make_unique<AnalysisWorkspace>();
            auto deflection = std::make_unique<CaseDisplacements>();
            analyzeBridge(b.model, AnalysisOptions{deadLoad, 0, 0, 0}, *results, *workspace);
            collectCaseDisplacements(b.model, *results, *workspace, *deflection);
            ASSERT_EQ(results->bridgeUnstable, 0);
            // One deck member made to fail, to see its wide stroke.
            int failed = 0;
            for (int i = 2; i <= b.model.memberCount && failed == 0; ++i) {
                const Member& m = b.model.members[i];
                if (m.startY == 0 && m.endY == 0 && m.force != 0 && m.endX - m.startX >= 20) failed = i;
            }
            ASSERT_NE(failed, 0);
            b.model.members[failed].forceRatio = 1000.0;

            Board board;
            BoardPaintInputs inputs;
            inputs.panel.reviewMode = true;
            inputs.view.forceColours = true;
            inputs.view.results = results.get();
            int16_t selected = 1;
            (void)paintBoard(board.window, board.resources, b.model, inputs, selected, board.panels);
            for (int i = 2; i <= b.model.memberCount; ++i) {  // member 1 is highlighted
                const Member& m = b.model.members[i];
                const Joint& s = b.model.joints[m.startJoint];
                const Joint& e = b.model.joints[m.endJoint];
                const Color c = board.window.pixel((s.screenX + e.screenX) / 2, (s.screenY + e.screenY) / 2);
                EXPECT_EQ(c, forceColor(m.force, i == failed ? 100.0 : m.forceRatio)) << "member " << i;
                EXPECT_EQ(m.force<0, redOf(c)> blueOf(c)) << "member " << i;
            }
            const Member& f = b.model.members[failed];
            const int mx = (b.model.joints[f.startJoint].screenX + b.model.joints[f.endJoint].screenX) / 2;
            const int row = b.model.joints[f.startJoint].screenY;
            for (int dy : {-1, 0, 1}) EXPECT_EQ(board.window.pixel(mx, row + dy), forceColor(f.force, 100.0));
            for (int dy : {-2, 2}) EXPECT_EQ(board.window.pixel(mx, row + dy), FAILED_OUTLINE_COLOR);

            inputs.view.forceColours = false;
            inputs.view.deflection = deflection.get();
            for (int k = 1; k <= deflection->caseCount; ++k) {
                inputs.view.deflectedCase = k;
                (void)paintBoard(board.window, board.resources, b.model, inputs, selected, board.panels);
                double largest = 0;
                for (int j = 1; j <= b.model.jointCount; ++j)
                    largest = std::max(largest, std::hypot(deflection->dx[j][k], deflection->dy[j][k]));
                for (int j = 1; j <= b.model.jointCount; ++j) {
                    const double x = b.model.joints[j].screenX + deflection->dx[j][k] * 20 / largest;
                    const double y = b.model.joints[j].screenY - deflection->dy[j][k] * 20 / largest;
                    // A 4 x 4 ring around (px, py): white at px - 1 and px, black at px - 2 and px + 1;
                    // the highlight's yellow may cross it.
                    const auto is = [&](int px, int py, Color c) {
                        return board.window.pixel(px, py) == c || board.window.pixel(px, py) == YELLOW;
                    };
                    bool ring = false;
                    for (int ox = -1; ox <= 1; ++ox) {
                        for (int oy = -1; oy <= 1; ++oy) {
                            const int px = int(std::lround(x)) + ox;
                            const int py = int(std::lround(y)) + oy;
                            ring = ring || (is(px - 1, py, WHITE) && is(px, py, WHITE) &&
                                            is(px - 2, py, BLACK) && is(px + 1, py, BLACK));
                        }
                    }
                    EXPECT_TRUE(ring) << "case " << k << ", joint " << j << " at " << x << ", " << y;
                }
            }
        }
    }
}
