// Editing with the mouse as a student does it: snapping and the limits of the board, members that
// split another, joints dragged and merged, the tools, stepping through members and joints, and
// drags that are interrupted. The sample Pratt truss drawn with the mouse alone must come out as the
// sample file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "files/bridge_file.h"
#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"
#include "tests/support/cli_run.h"

namespace {

int jointAtFt(const BridgeModel& model, float x, float y) {
    for (int j = 1; j <= model.jointCount; ++j)
        if (model.joints[j].x == x && model.joints[j].y == y) return j;
    return 0;
}

TEST(Mouse, SnapAndBoardLimits) {
    AppDriver run;
    // Snap 10: the press snaps to the nearest 10 px, the read-out counts feet from the support.
    run.command(CMD_COORD_SNAP_10);
    run.move(196, 204);
    EXPECT_EQ(run.state().cursorGridX, 50);
    EXPECT_EQ(run.state().cursorGridY, 50);
    run.press(196, 204);
    EXPECT_TRUE(run.state().drawingMember);
    EXPECT_EQ(run.state().dragStart.column, 200);
    EXPECT_EQ(run.state().dragStart.row, 200);
    run.release(300, 200);
    EXPECT_EQ(run.model().memberCount, 1);

    // Column 134 + 5 falls short of 140; 135 is taken and clamped to the support column.
    run.press(134, 220);
    EXPECT_FALSE(run.state().drawingMember);
    run.press(135, 220);
    EXPECT_TRUE(run.state().drawingMember);
    EXPECT_EQ(run.state().dragStart.column, 150);
    run.release(200, 220);

    // Half a step above the roadbed the read-out says 10 ft while the joint goes onto the roadbed.
    run.move(300, 245);
    EXPECT_EQ(run.state().cursorGridY, 10);
    run.drawMember(200, 250, 300, 245);
    EXPECT_NE(jointAtFt(run.model(), 150, 0), 0);

    // Snap 1: column 139 is refused, 141 clamped to 150; rows above 150 are refused at the press,
    // but a release there ends the member on row 150 (100 ft).
    AppDriver fine;
    fine.command(CMD_COORD_SNAP_1);
    fine.press(139, 200);
    EXPECT_FALSE(fine.state().drawingMember);
    fine.press(141, 200);
    EXPECT_EQ(fine.state().dragStart.column, 150);
    fine.release(141, 100);
    EXPECT_EQ(fine.model().memberCount, 1);
    EXPECT_NE(jointAtFt(fine.model(), 0, 100), 0);
    fine.press(300, 149);
    EXPECT_FALSE(fine.state().drawingMember);
    EXPECT_EQ(fine.model().savedFlag, 0);
}

TEST(Mouse, NewEndOnAMemberSplitsItButAJointNeverDoes) {
    AppDriver run;
    run.drawMemberFt(0, 0, 100, 0);
    // Ending on the middle of that member splits it at the new joint.
    run.drawMemberFt(50, 50, 50, 0);
    EXPECT_EQ(run.model().memberCount, 3);
    EXPECT_EQ(run.model().jointCount, 4);
    const int middle = jointAtFt(run.model(), 50, 0);
    ASSERT_NE(middle, 0);
    int atMiddle = 0;
    for (int i = 1; i <= run.model().memberCount; ++i) {
        const Member& m = run.model().members[i];
        atMiddle += m.startJoint == middle || m.endJoint == middle;
    }
    EXPECT_EQ(atMiddle, 3);
    // Ending on an existing joint splits nothing.
    run.drawMemberFt(100, 50, 100, 0);
    EXPECT_EQ(run.model().memberCount, 4);
    // A refused member (zero length) tells the user and leaves the tables as they were.
    const size_t boxes = run.shell.messageBoxes().size();
    run.drawMemberFt(100, 50, 100, 50);
    EXPECT_EQ(run.model().memberCount, 4);
    ASSERT_GT(run.shell.messageBoxes().size(), boxes);
    EXPECT_EQ(run.shell.messageBoxes().back().request.modality, Modality::Task);
}

TEST(Mouse, DraggedJointsMergeOrSnap) {
    AppDriver run;
    run.drawMemberFt(0, 0, 100, 0);
    run.drawMemberFt(0, 0, 50, 50);
    run.drawMemberFt(50, 50, 100, 0);
    run.drawMemberFt(100, 0, 150, 50);
    ASSERT_EQ(run.model().jointCount, 4);
    run.command(CMD_JOINT_MOVE);

    // Dropped near where it started, the joint only snaps to the grid.
    run.press(columnOfFt(50), rowOfFt(50));
    EXPECT_TRUE(run.state().draggingJoint);
    run.move(columnOfFt(53), rowOfFt(48), true);
    EXPECT_EQ(run.state().cursorGridX, 55);
    run.release(columnOfFt(53), rowOfFt(48));
    EXPECT_FALSE(run.state().draggingJoint);
    EXPECT_EQ(run.model().jointCount, 4);
    EXPECT_NE(jointAtFt(run.model(), 55, 50), 0);

    // A release outside the joint area leaves the drag open; the next one inside ends it.
    run.press(columnOfFt(55), rowOfFt(50));
    run.release(columnOfFt(55), 100);
    EXPECT_TRUE(run.state().draggingJoint);
    // Dropped near another joint, the two become one and the duplicate member goes.
    run.release(columnOfFt(146), rowOfFt(47));
    EXPECT_FALSE(run.state().draggingJoint);
    EXPECT_EQ(run.model().jointCount, 3);
    EXPECT_EQ(run.model().memberCount, 3);
    EXPECT_EQ(run.model().savedFlag, 0);

    // At the area's bottom edge the 10 ft snap rounds a drop 5 ft past it (-70 ft, where drawing
    // stops at -65): such a bridge must still save, open again and be analysed, or work is lost.
    AppDriver pratt({}, example("PRATT.BRG"));
    pratt.command(CMD_COORD_SNAP_10);
    pratt.command(CMD_JOINT_MOVE);
    pratt.press(columnOfFt(100), rowOfFt(50));
    pratt.release(columnOfFt(100), JOINT_AREA_BOTTOM);
    ASSERT_NE(jointAtFt(pratt.model(), 100, -70), 0);
    const std::string path = scratchFolder("mouse") + "/below";
    pratt.shell.answerFileDialog(path);
    pratt.command(CMD_FILE_SAVE_AS);
    AppDriver reopened({}, path + ".BRG");
    EXPECT_TRUE(reopened.shell.messageBoxes().empty());
    EXPECT_NE(jointAtFt(reopened.model(), 100, -70), 0);
    reopened.command(CMD_MODE_CALCULATE);
    EXPECT_EQ(reopened.state().mode, Mode::Review);
}

TEST(Mouse, ToolsActOnWhatIsUnderThePress) {
    AppDriver run;
    run.app->openFile(example("PRATT.BRG").c_str());
    run.shell.pumpMessages();
    const BridgeModel pratt = run.model();

    // Change Size writes the new size on the member without a repaint.
    run.command(3209);
    run.click(columnOfFt(75), rowOfFt(50));  // the first panel of the top chord
    EXPECT_EQ(run.model().members[9].size, 9);
    EXPECT_EQ(run.model().savedFlag, 0);
    EXPECT_FALSE(run.shell.windowInvalid());
    EXPECT_EQ(run.window().pixel((columnOfFt(50) + columnOfFt(100)) / 2 - 10, rowOfFt(50) - 8),
              rgb(192, 192, 192));

    // Delete Member and Delete Joint.
    run.command(CMD_MEMBER_DELETE);
    run.click(columnOfFt(75), rowOfFt(50));
    EXPECT_EQ(run.model().memberCount, pratt.memberCount - 1);
    run.command(CMD_JOINT_DELETE);
    run.click(columnOfFt(350), rowOfFt(50));
    EXPECT_EQ(run.model().jointCount, pratt.jointCount - 1);
    EXPECT_EQ(run.model().memberCount, pratt.memberCount - 5);
    // A press on nothing still marks the bridge changed and finds nothing.
    run.click(columnOfFt(200), rowOfFt(90));
    EXPECT_EQ(run.state().selectedJoint, 0);

    // Reflect Member adds the mirror image of a member on one side.
    AppDriver reflect;
    reflect.drawMemberFt(0, 0, 100, 40);
    reflect.command(CMD_MEMBER_REFLECT);
    reflect.click(columnOfFt(50), rowOfFt(20));
    EXPECT_EQ(reflect.model().memberCount, 2);
    EXPECT_NE(jointAtFt(reflect.model(), 300, 40), 0);
    EXPECT_NE(jointAtFt(reflect.model(), 400, 0), 0);
}

TEST(Mouse, ClicksOnEmptyBoardStepThroughMembersAndJoints) {
    AppDriver run;
    run.app->openFile(example("PRATT.BRG").c_str());
    run.command(CMD_MODE_CALCULATE);
    ASSERT_EQ(run.state().mode, Mode::Review);
    const int members = run.model().memberCount;
    for (int step = 2; step <= members; ++step) {
        run.click(590, 160);  // right of the board: no member there
        EXPECT_EQ(run.state().selectedMember, step);
    }
    run.click(590, 160);
    EXPECT_EQ(run.state().selectedMember, 1);
    // A click on a member selects it.
    run.click(columnOfFt(75), rowOfFt(50));
    EXPECT_EQ(run.state().selectedMember, 9);
    EXPECT_EQ(run.window().pixel(columnOfFt(60), rowOfFt(50)), rgb(255, 255, 0));

    // Joints / Show starts over at joint 1 and shows the joint's feet.
    run.command(CMD_JOINT_SHOW);
    run.click(590, 160);
    EXPECT_EQ(run.state().selectedJoint, 1);
    run.click(columnOfFt(300), rowOfFt(50));
    EXPECT_EQ(run.state().selectedJoint, 15);
    EXPECT_EQ(run.state().cursorGridX, 300);
    EXPECT_EQ(run.state().cursorGridY, 50);
    for (int step = 16; step <= run.model().jointCount; ++step) run.click(590, 160);
    run.click(590, 160);
    EXPECT_EQ(run.state().selectedJoint, 1);

    // After New the table slots still hold the old members: Review shows none of them.
    run.command(CMD_FILE_NEW);
    run.command(CMD_MODE_REVIEW);
    for (int y = 145; y < 355; ++y)
        for (int x = 145; x < 555; ++x)
            ASSERT_NE(run.window().pixel(x, y), rgb(255, 255, 0)) << x << "," << y;

    // Show Stats on an empty bridge steps nowhere: there is no member to show.
    AppDriver empty;
    empty.command(CMD_MEMBER_SHOW_STATS);
    empty.click(590, 160);
    EXPECT_EQ(empty.state().selectedMember, 0);
}

TEST(Mouse, InterruptedDragsLeaveTheTablesWhole) {
    // A release anywhere ends the member being drawn, clamped to the joint area.
    AppDriver run;
    run.press(columnOfFt(350), rowOfFt(0));
    run.release(900, 300);
    EXPECT_EQ(run.model().memberCount, 1);
    EXPECT_NE(jointAtFt(run.model(), 400, -50), 0);

    // A command while a member is open takes the member back: a save never holds half a member.
    const std::string dir = scratchFolder("app-mouse");
    run.press(columnOfFt(100), rowOfFt(-20));
    ASSERT_TRUE(run.state().drawingMember);
    run.shell.answerFileDialog(dir + "/half");
    run.command(CMD_FILE_SAVE_AS);
    EXPECT_FALSE(run.state().drawingMember);
    EXPECT_EQ(run.model().memberCount, 1);
    EXPECT_EQ(run.model().jointCount, 2);
    BridgeModel reread;
    initBridgeModel(reread);
    MemberSizeTable sizes;
    initMemberSizes(sizes);
    EXPECT_TRUE(loadBridgeFile((dir + "/half.BRG").c_str(), reread, sizes).ok());
    EXPECT_EQ(reread.memberCount, 1);
    run.release(columnOfFt(200), rowOfFt(0));  // nothing is open any more
    EXPECT_EQ(run.model().memberCount, 1);

    // A joint deleted while it is being dragged ends the drag without touching another joint.
    AppDriver moved;
    moved.drawMemberFt(0, 0, 100, 0);
    moved.drawMemberFt(100, 0, 100, 50);
    moved.command(CMD_JOINT_MOVE);
    moved.press(columnOfFt(100), rowOfFt(50));
    moved.release(columnOfFt(100), 120);  // outside: the drag stays open
    moved.command(CMD_JOINT_DELETE);
    moved.click(columnOfFt(100), rowOfFt(50));
    ASSERT_EQ(moved.model().jointCount, 2);
    moved.command(CMD_JOINT_MOVE);
    moved.move(columnOfFt(30), rowOfFt(30), true);
    moved.release(columnOfFt(30), rowOfFt(30));
    EXPECT_FALSE(moved.state().draggingJoint);
    EXPECT_NE(jointAtFt(moved.model(), 0, 0), 0);
    EXPECT_NE(jointAtFt(moved.model(), 100, 0), 0);
}

// The sample Pratt truss drawn member by member in its file order, with snap 10 and the sizes chosen
// with Default Size, then saved: the same file as the sample. Calculate then shows the screen that
// opening the sample and calculating shows.
TEST(Mouse, PrattDrawnWithTheMouseIsTheSampleFile) {
    BridgeModel sample;
    initBridgeModel(sample);
    MemberSizeTable sizes;
    initMemberSizes(sizes);
    ASSERT_TRUE(loadBridgeFile(example("PRATT.BRG").c_str(), sample, sizes).ok());

    AppDriver run;
    run.command(CMD_COORD_SNAP_10);
    int size = 5;
    for (int i = 1; i <= sample.memberCount; ++i) {
        const Member& m = sample.members[i];
        if (m.size != size) {
            size = m.size;
            run.command(CMD_DEFAULT_SIZE_1 + size - 1);
        }
        const Joint& a = sample.joints[m.startJoint];
        const Joint& b = sample.joints[m.endJoint];
        run.drawMember(a.screenX, a.screenY, b.screenX, b.screenY);
    }
    const std::string dir = scratchFolder("app-pratt");
    run.shell.answerFileDialog(dir + "/PRATT");
    run.command(CMD_FILE_SAVE_AS);
    EXPECT_EQ(slurp(dir + "/PRATT.BRG"), slurp(example("PRATT.BRG")));
    EXPECT_TRUE(run.shell.messageBoxes().empty());

    run.command(CMD_MODE_CALCULATE);
    AppDriver opened;
    opened.app->openFile((dir + "/PRATT.BRG").c_str());
    opened.command(CMD_MODE_CALCULATE);
    EXPECT_TRUE(run.window().pixels() == opened.window().pixels());
}

}  // namespace
