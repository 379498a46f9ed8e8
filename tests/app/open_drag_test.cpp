// A joint drag whose release fell outside the drag area stays open; a command that comes then ends
// it with the joint back where it stood. So a save holds what the board shows, and a later drag in
// Joints / Move moves no joint the user did not press on.
#include <gtest/gtest.h>

#include "analysis/member_sizes.h"
#include "files/bridge_file.h"
#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"
#include "tests/support/cli_run.h"

namespace {

TEST(OpenDrag, ACommandPutsTheJointBackWhereItStood) {
    const std::string dir = scratchFolder("app-open-drag");
    AppDriver run;
    run.drawMemberFt(0, 0, 100, 0);
    run.drawMemberFt(100, 0, 100, 50);
    run.drawMemberFt(0, 0, 100, 50);
    run.command(CMD_JOINT_MOVE);
    run.press(columnOfFt(100), rowOfFt(50));
    run.move(columnOfFt(150), rowOfFt(60), true);
    run.release(columnOfFt(150), 100);  // above the drag area: the drag stays open
    ASSERT_TRUE(run.state().draggingJoint);
    const int moving = run.state().selectedJoint;
    EXPECT_EQ(run.model().joints[moving].screenX, columnOfFt(150));

    // Save As ends the drag first: the joint is back, and the file holds the bridge on the board.
    run.shell.answerFileDialog(dir + "/held");
    run.command(CMD_FILE_SAVE_AS);
    EXPECT_FALSE(run.state().draggingJoint);
    EXPECT_EQ(run.model().joints[moving].screenX, columnOfFt(100));
    EXPECT_EQ(run.model().joints[moving].screenY, rowOfFt(50));
    BridgeModel saved;
    initBridgeModel(saved);
    MemberSizeTable sizes;
    initMemberSizes(sizes);
    ASSERT_TRUE(loadBridgeFile((dir + "/held.BRG").c_str(), saved, sizes).ok());
    for (int j = 1; j <= saved.jointCount; ++j) {
        EXPECT_EQ(saved.joints[j].screenX, run.model().joints[j].screenX) << j;
        EXPECT_EQ(saved.joints[j].screenY, run.model().joints[j].screenY) << j;
    }

    // With the drag over, deleting a joint and moving the pointer with the button held in
    // Joints / Move drags nothing: the joints keep their places.
    run.command(CMD_JOINT_MOVE);
    run.press(columnOfFt(100), rowOfFt(50));
    run.release(columnOfFt(150), 100);
    run.command(CMD_JOINT_DELETE);
    run.click(columnOfFt(0), rowOfFt(0));
    const BridgeModel before = run.model();
    run.command(CMD_JOINT_MOVE);
    run.move(columnOfFt(300), rowOfFt(30), true);
    run.release(columnOfFt(300), rowOfFt(30));
    for (int j = 1; j <= before.jointCount; ++j) {
        EXPECT_EQ(run.model().joints[j].screenX, before.joints[j].screenX) << j;
        EXPECT_EQ(run.model().joints[j].screenY, before.joints[j].screenY) << j;
    }
}

}  // namespace
