// The menu commands through the window procedure: the unsaved-changes questions and what No or
// Cancel leave alone, the file commands, the modes with their check marks, the analysis commands,
// and the commands that only draw, copy or toggle.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "display/result_views.h"
#include "files/bridge_file.h"
#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"
#include "tests/support/cli_run.h"
#include "tests/support/screen_text.h"

namespace {

constexpr char kContinue[] = "The current bridge has changes. \nDo you want to continue?";
constexpr char kSaveFirst[] = "The current bridge has changes. \nDo you want to save before analyzing?";

// A program with the sample Pratt truss open, saved.
std::unique_ptr<AppDriver> withPratt() {
    auto run = std::make_unique<AppDriver>();
    run->app->openFile(example("PRATT.BRG").c_str());
    run->shell.pumpMessages();
    return run;
}

// A program with one unsaved member on the roadbed.
std::unique_ptr<AppDriver> withUnsavedMember() {
    auto run = std::make_unique<AppDriver>();
    run->drawMemberFt(0, 0, 100, 0);
    return run;
}

const MessageBoxRequest& lastBox(const AppDriver& run) {
    return run.shell.messageBoxes().back().request;
}

TEST(Commands, QuestionsAnsweredNoOrCancelChangeNothing) {
    // New: the continue question, warning icon, No by default; No keeps the bridge.
    auto run = withUnsavedMember();
    run->shell.answerMessageBox(DialogButton::No);
    run->command(CMD_FILE_NEW);
    ASSERT_EQ(run->shell.messageBoxes().size(), 1u);
    const MessageBoxRequest& question = lastBox(*run);
    EXPECT_EQ(question.text, kContinue);
    EXPECT_EQ(question.caption, " ");
    EXPECT_EQ(question.icon, MessageIcon::Warning);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultButton, DialogButton::No);
    EXPECT_TRUE(question.ownedByMainWindow);
    EXPECT_EQ(run->model().memberCount, 1);
    EXPECT_EQ(run->model().savedFlag, 0);

    // Open: No shows no dialog.
    run->shell.answerMessageBox(DialogButton::No);
    run->command(CMD_FILE_OPEN);
    EXPECT_TRUE(run->shell.fileDialogs().empty());
    EXPECT_EQ(run->model().memberCount, 1);

    // Calculate and Animate: the save question, Yes by default; Cancel stops before the check.
    for (const int command : {CMD_MODE_CALCULATE, CMD_MODE_ANIMATE}) {
        run->shell.answerMessageBox(DialogButton::Cancel);
        const size_t boxes = run->shell.messageBoxes().size();
        run->command(command);
        ASSERT_EQ(run->shell.messageBoxes().size(), boxes + 1);
        EXPECT_EQ(lastBox(*run).text, kSaveFirst);
        EXPECT_EQ(lastBox(*run).buttons, MessageButtons::YesNoCancel);
        EXPECT_EQ(lastBox(*run).defaultButton, DialogButton::Yes);
        EXPECT_EQ(run->state().mode, Mode::Build);
    }

    // The close box on unsaved changes asks too; No keeps the window and the bridge.
    run->shell.answerMessageBox(DialogButton::No);
    run->closeBox();
    EXPECT_TRUE(run->shell.windowAlive());
    EXPECT_EQ(lastBox(*run).text, kContinue);
    EXPECT_EQ(run->model().memberCount, 1);

    // Exit with No: no notice, still running.
    run->shell.answerMessageBox(DialogButton::No);
    const size_t boxes = run->shell.messageBoxes().size();
    run->command(CMD_FILE_EXIT);
    EXPECT_EQ(run->shell.messageBoxes().size(), boxes + 1);
    EXPECT_TRUE(run->shell.windowAlive());
}

TEST(Commands, NewExitAndTheCloseBox) {
    // New with Yes: an empty board named UNTITLED in Build mode.
    auto run = withUnsavedMember();
    run->command(CMD_JOINT_DELETE);
    run->shell.answerMessageBox(DialogButton::Yes);
    run->command(CMD_FILE_NEW);
    EXPECT_EQ(run->model().memberCount, 0);
    EXPECT_EQ(run->model().jointCount, 0);
    EXPECT_STREQ(run->model().bridgeName, "UNTITLED");
    EXPECT_EQ(run->model().savedFlag, 1);
    EXPECT_EQ(run->state().mode, Mode::Build);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_MODE_BUILD));
    EXPECT_FALSE(run->shell.isMenuItemChecked(CMD_JOINT_DELETE));

    // Exit on a saved bridge: no question, the notice, then the window goes and the loop ends 0.
    run->command(CMD_FILE_EXIT);
    ASSERT_EQ(run->shell.messageBoxes().size(), 2u);
    const MessageBoxRequest& notice = lastBox(*run);
    EXPECT_EQ(notice.text,
              "This software\n is not intended for professional use.\nDo not design or construct any "
              "structure \nbased on information obtained\nfrom the use of this software or manual.");
    EXPECT_EQ(notice.caption, " ");
    EXPECT_EQ(notice.icon, MessageIcon::Information);
    EXPECT_FALSE(run->shell.windowAlive());
    ASSERT_TRUE(run->shell.quitCode().has_value());
    EXPECT_EQ(*run->shell.quitCode(), 0);

    // Exit on unsaved changes asks once (not again for the close it sends), then the notice.
    auto unsaved = withUnsavedMember();
    unsaved->shell.answerMessageBox(DialogButton::Yes);
    unsaved->command(CMD_FILE_EXIT);
    ASSERT_EQ(unsaved->shell.messageBoxes().size(), 2u);
    EXPECT_EQ(unsaved->shell.messageBoxes()[0].request.text, kContinue);
    EXPECT_FALSE(unsaved->shell.windowAlive());

    // The close box on a saved bridge closes at once, with no question and no notice.
    auto saved = withPratt();
    saved->closeBox();
    EXPECT_FALSE(saved->shell.windowAlive());
    EXPECT_TRUE(saved->shell.messageBoxes().empty());
    EXPECT_EQ(*saved->shell.quitCode(), 0);
}

TEST(Commands, SaveAndOpen) {
    const std::string dir = scratchFolder("app-save");
    // Save on UNTITLED opens the Save As dialog; the name gets ".BRG" and becomes the bridge's name.
    auto run = withUnsavedMember();
    run->shell.answerFileDialog(dir + "/first");
    run->command(CMD_FILE_SAVE);
    ASSERT_EQ(run->shell.fileDialogs().size(), 1u);
    const FileDialogRecord& dialog = run->shell.fileDialogs()[0];
    EXPECT_TRUE(dialog.save);
    EXPECT_TRUE(dialog.request.promptOverwrite);
    ASSERT_EQ(dialog.request.filters.size(), 3u);
    EXPECT_EQ(dialog.request.filters[0], (FileFilter{"Bridge Files (*.BRG)", "*.BRG"}));
    EXPECT_TRUE(exists(dir + "/first.BRG"));
    EXPECT_STREQ(run->model().bridgeName, "first");
    EXPECT_EQ(run->model().savedFlag, 1);

    // Save on a named bridge writes at once, without a dialog.
    run->drawMemberFt(100, 0, 200, 0);
    EXPECT_EQ(run->model().savedFlag, 0);
    run->command(CMD_FILE_SAVE);
    EXPECT_EQ(run->shell.fileDialogs().size(), 1u);
    EXPECT_EQ(run->model().savedFlag, 1);
    EXPECT_NE(slurp(dir + "/first.BRG").find("\n2 2 3 3 "), std::string::npos);

    // A save that cannot be written says so and keeps the changes unsaved, name and path unchanged.
    run->drawMemberFt(200, 0, 300, 0);
    run->shell.answerFileDialog(dir + "/no-such-folder/second");
    run->command(CMD_FILE_SAVE_AS);
    EXPECT_EQ(lastBox(*run).text, "Error: Cannot write to file");
    EXPECT_EQ(lastBox(*run).caption, "");
    EXPECT_EQ(run->model().savedFlag, 0);
    EXPECT_STREQ(run->model().bridgeName, "first");

    // Written but not handed over (a browser's download or picked file refused): the reason is
    // shown, and the bridge stays unsaved under its old name and path; the dialog offered its name.
    const std::string firstPath = run->model().filePath;
    run->shell.failNextDelivery("writing to it was not allowed");
    run->shell.answerFileDialog(dir + "/third");
    run->command(CMD_FILE_SAVE_AS);
    EXPECT_EQ(run->shell.fileDialogs().back().request.proposedName, "first.BRG");
    EXPECT_EQ(run->shell.deliveredFiles().back(), dir + "/third.BRG");
    EXPECT_EQ(lastBox(*run).text, "Error: Cannot write to file\nthird.BRG: writing to it was not allowed");
    EXPECT_EQ(run->model().savedFlag, 0);
    EXPECT_STREQ(run->model().bridgeName, "first");
    EXPECT_EQ(run->model().filePath, firstPath);

    // Open: the dialog wants an existing file; a refused file is named with its reason and changes
    // nothing, and Build is selected whatever the outcome.
    write(dir + "/bad.BRG", "RADIV40 DATA FILE\n1 2 1 29000 1 1\n");
    const BridgeModel before = run->model();
    run->command(CMD_MEMBER_DELETE);
    run->shell.answerMessageBox(DialogButton::Yes);
    run->shell.answerFileDialog(dir + "/bad.BRG");
    run->command(CMD_FILE_OPEN);
    const FileDialogRecord& open = run->shell.fileDialogs().back();
    EXPECT_FALSE(open.save);
    EXPECT_TRUE(open.request.fileMustExist);
    EXPECT_TRUE(open.request.pathMustExist);
    EXPECT_EQ(lastBox(*run).text.rfind("bad.BRG: ", 0), 0u) << lastBox(*run).text;
    EXPECT_EQ(std::memcmp(&before, &run->model(), sizeof before), 0);
    EXPECT_EQ(run->state().mode, Mode::Build);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_MODE_BUILD));
    // One over the reader's limit is refused with both sizes (100 MiB, a sparse file).
    write(dir + "/huge.BRG", "");
    ASSERT_EQ(::truncate((dir + "/huge.BRG").c_str(), 100 << 20), 0);
    run->shell.answerMessageBox(DialogButton::Yes);
    run->shell.answerFileDialog(dir + "/huge.BRG");
    run->command(CMD_FILE_OPEN);
    EXPECT_EQ(lastBox(*run).text, "huge.BRG: is too large (104.9 MB; the limit is 16.8 MB)");
    EXPECT_EQ(std::memcmp(&before, &run->model(), sizeof before), 0);

    // A good file replaces the bridge, saved, with its name.
    run->shell.answerMessageBox(DialogButton::Yes);
    run->shell.answerFileDialog(example("HOWE.BRG"));
    run->command(CMD_FILE_OPEN);
    EXPECT_STREQ(run->model().bridgeName, "HOWE");
    EXPECT_EQ(run->model().savedFlag, 1);
    EXPECT_GT(run->model().memberCount, 20);
}

TEST(Commands, CalculateAndAnimate) {
    // Empty bridge: a notice each, mode unchanged.
    AppDriver empty;
    empty.command(CMD_MODE_CALCULATE);
    empty.command(CMD_MODE_ANIMATE);
    ASSERT_EQ(empty.shell.messageBoxes().size(), 2u);
    EXPECT_EQ(empty.shell.messageBoxes()[0].request.text, "No Bridge!");
    EXPECT_EQ(empty.shell.messageBoxes()[1].request.text, "No way!");
    EXPECT_EQ(empty.state().mode, Mode::Build);

    // A bridge that fails the check: the message, a red mark, and the mode stays.
    auto unsaved = withUnsavedMember();
    unsaved->command(CMD_MEMBER_SHOW_STATS);
    unsaved->shell.answerMessageBox(DialogButton::No);
    unsaved->command(CMD_MODE_CALCULATE);
    EXPECT_EQ(lastBox(*unsaved).text, "Part of the roadbed is missing!");
    EXPECT_EQ(unsaved->state().mode, Mode::ShowStats);

    // Yes to the save question and a cancelled dialog still analyse.
    auto pratt = withPratt();
    pratt->command(CMD_JOINT_MOVE);
    pratt->click(columnOfFt(200), rowOfFt(50));  // a press on a joint marks the bridge changed
    ASSERT_EQ(pratt->model().savedFlag, 0);
    pratt->shell.answerMessageBox(DialogButton::Yes);
    pratt->shell.cancelFileDialog();
    pratt->command(CMD_MODE_CALCULATE);
    EXPECT_EQ(pratt->state().mode, Mode::Review);
    EXPECT_EQ(pratt->state().selectedMember, 1);
    EXPECT_TRUE(pratt->shell.isMenuItemChecked(CMD_MODE_REVIEW));
    EXPECT_FALSE(pratt->shell.isMenuItemChecked(CMD_MODE_CALCULATE));
    EXPECT_GT(pratt->model().members[1].allowableTension, 0.0);
    EXPECT_EQ(pratt->program().results.bridgeFailed, 0);
    // The wait cursor came and went.
    EXPECT_EQ(pratt->shell.cursor(), CursorShape::Arrow);

    // Animate analyses too and ends in Review; Refresh then takes the failure marks away.
    auto animated = withPratt();
    animated->command(CMD_OPTION_DECK_WEIGHT);  // too heavy for this truss
    animated->command(CMD_MODE_ANIMATE);
    EXPECT_EQ(animated->state().mode, Mode::Review);
    EXPECT_EQ(animated->program().results.bridgeFailed, 1);
    int failed = 0;
    for (int i = 1; i <= animated->model().memberCount; ++i)
        failed += animated->model().members[i].forceRatio == 1000.0;
    EXPECT_GT(failed, 0);
    animated->command(CMD_DISPLAY_REFRESH);
    for (int i = 1; i <= animated->model().memberCount; ++i)
        EXPECT_EQ(animated->model().members[i].forceRatio, 0.0);
}

// Live Results follow every change while editing, with no message box: the Pratt truss without a
// diagonal is unstable, drawn back in it passes in colour, a joint dragged high makes it fail at
// every move. Calculate then works as before and finds the truss without the diagonal unstable:
// its mechanism swings on the timer until a click, after which the picture stays.
TEST(Commands, LiveResultsAndTheMechanismsSwing) {
    auto pratt = withPratt();
    const auto note = [&] { return readText(pratt->window(), 10, 9, 14); };
    const size_t boxes = pratt->shell.messageBoxes().size();
    pratt->command(CMD_MEMBER_DELETE);
    pratt->click(325, 225);  // the diagonal from (150, 50) to (200, 0) ft
    ASSERT_EQ(pratt->model().memberCount, 28);
    pratt->command(CMD_MODE_BUILD);
    EXPECT_NE(note(), "Live: unstabl");
    pratt->command(CMD_OPTION_LIVE_RESULTS);
    EXPECT_EQ(note(), "Live: unstable");
    pratt->drawMember(300, 200, 350, 250);
    EXPECT_EQ(note(), "Live: passes, ");
    const Member& diagonal = pratt->program().liveModel.members[29];
    EXPECT_EQ(pratt->window().pixel(325, 225), forceColor(diagonal.force, diagonal.forceRatio));
    pratt->command(CMD_JOINT_MOVE);
    pratt->press(350, 200);
    pratt->move(362, 160, true);
    EXPECT_EQ(note(), "Live: fails, 9");
    pratt->move(352, 200, true);
    EXPECT_EQ(note(), "Live: passes, ");
    pratt->release(350, 200);
    EXPECT_EQ(pratt->shell.messageBoxes().size(), boxes);
    pratt->command(CMD_EDIT_UNDO);  // the diagonal goes again
    pratt->shell.answerMessageBox(DialogButton::No);
    pratt->command(CMD_MODE_CALCULATE);
    EXPECT_EQ(pratt->state().mode, Mode::Review);
    EXPECT_EQ(readText(pratt->window(), 10, 9, 10), "16 joints ");
    // A screen reader hears the verdict, and the board's name says it too.
    EXPECT_EQ(pratt->shell.announcements().back(),
              "Bridge unstable: 16 joints need at least 29 members; this bridge has 28.");
    EXPECT_EQ(pratt->shell.boardDescription(), "Bridge PRATT, 16 joints, 28 members, 87.68 kips, unstable");
    const Surface still = pratt->window();
    pratt->shell.advanceClock(250);  // a quarter swing: the truss as drawn
    pratt->shell.pumpMessages();
    EXPECT_NE(pratt->window().pixels(), still.pixels());
    pratt->click(175, 250);  // member 1 stays selected
    EXPECT_EQ(pratt->window().pixels(), still.pixels());
    pratt->shell.advanceClock(250);
    pratt->shell.pumpMessages();
    EXPECT_EQ(pratt->window().pixels(), still.pixels());

    // Where the user asked for less motion, the mechanism does not swing at all.
    HeadlessOptions calm;
    calm.reducedMotion = true;
    AppDriver still2(calm);
    still2.app->openFile(example("PRATT.BRG").c_str());
    still2.command(CMD_MEMBER_DELETE);
    still2.click(325, 225);
    still2.shell.answerMessageBox(DialogButton::No);
    still2.command(CMD_MODE_CALCULATE);
    const Surface first = still2.window();
    still2.shell.advanceClock(250);
    still2.shell.pumpMessages();
    EXPECT_EQ(still2.window().pixels(), first.pixels());
}

TEST(Commands, ModesToolsAndSettings) {
    auto run = withPratt();
    // Default Size 7 with Members/Delete active: Build is active, Delete keeps its check mark.
    run->command(CMD_MEMBER_DELETE);
    run->command(3407);
    EXPECT_EQ(run->state().mode, Mode::Build);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_MEMBER_DELETE));
    EXPECT_TRUE(run->shell.isMenuItemChecked(3407));
    EXPECT_FALSE(run->shell.isMenuItemChecked(3405));
    EXPECT_EQ(run->program().memberSizes.defaultMemberSize, 7);

    // Tool commands move the one check mark; Change Size n is a tool of its own.
    for (const int tool : {CMD_JOINT_DELETE, CMD_JOINT_MOVE, CMD_JOINT_SHOW, int16_t{3203},
                           CMD_MEMBER_REFLECT, CMD_MEMBER_SHOW_STATS, CMD_MODE_REVIEW, CMD_MODE_BUILD}) {
        run->command(tool);
        EXPECT_EQ(run->state().mode, tool);
        for (const int other :
             {CMD_JOINT_DELETE, CMD_JOINT_MOVE, CMD_JOINT_SHOW, int16_t{3203}, CMD_MEMBER_REFLECT,
              CMD_MEMBER_SHOW_STATS, CMD_MODE_REVIEW, CMD_MODE_BUILD, CMD_MEMBER_DELETE})
            EXPECT_EQ(run->shell.isMenuItemChecked(other), other == tool) << tool << " " << other;
    }

    // Snaps: one check mark per group; joint snap sets the hit tolerance.
    run->command(CMD_COORD_SNAP_2);
    EXPECT_EQ(run->state().coordinateSnap, 2);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_COORD_SNAP_2));
    EXPECT_FALSE(run->shell.isMenuItemChecked(CMD_COORD_SNAP_5));
    run->command(CMD_JOINT_SNAP_4);
    EXPECT_EQ(run->model().hitTolerance, 4);
    EXPECT_FALSE(run->shell.isMenuItemChecked(CMD_JOINT_SNAP_10));

    // Options and sound toggle with their check marks; twice returns to where they were.
    run->command(CMD_OPTION_MIN_FORCE);
    EXPECT_EQ(run->program().options.useMinMemberForce, 1);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_OPTION_MIN_FORCE));
    run->command(CMD_OPTION_MIN_FORCE);
    EXPECT_EQ(run->program().options.useMinMemberForce, 0);
    run->command(CMD_SPECIAL_SOUND);
    EXPECT_EQ(run->state().soundSetting, 0);
    EXPECT_FALSE(run->shell.isMenuItemChecked(CMD_SPECIAL_SOUND));
    run->command(CMD_SPECIAL_SOUND);
    EXPECT_EQ(run->state().soundSetting, 2);

    // Unknown ids are ignored.
    const AppState before = run->state();
    run->command(9999);
    run->command(0);
    EXPECT_EQ(run->state().mode, before.mode);
    EXPECT_TRUE(run->shell.windowAlive());
}

TEST(Commands, DrawingCommandsGridClipboardHelpAndAbout) {
    auto run = withPratt();
    // Grid on draws the dots at once, with no repaint; off repaints.
    run->command(CMD_DISPLAY_GRID);
    EXPECT_FALSE(run->shell.windowInvalid());
    EXPECT_EQ(run->window().pixel(155, 150), BLACK);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_DISPLAY_GRID));
    run->shell.postCommand(CMD_DISPLAY_GRID);
    run->shell.pumpMessages();
    EXPECT_FALSE(run->shell.isMenuItemChecked(CMD_DISPLAY_GRID));
    EXPECT_NE(run->window().pixel(155, 150), BLACK);

    // The clipboard gets the board with its margin, 500 x 250 from (100, 125).
    run->command(CMD_SPECIAL_CLIPBOARD);
    ASSERT_EQ(run->shell.clipboardImages().size(), 1u);
    const Surface& copy = run->shell.clipboardImages()[0];
    ASSERT_EQ(copy.width(), 500);
    ASSERT_EQ(copy.height(), 250);
    for (int y = 0; y < 250; y += 7)
        for (int x = 0; x < 500; x += 7) ASSERT_EQ(copy.pixel(x, y), run->window().pixel(100 + x, 125 + y));

    // Help pages by id, and the About notice with no owner.
    run->command(CMD_HELP_MENU_COMMANDS);
    run->command(CMD_HELP_GETTING_STARTED);
    ASSERT_EQ(run->shell.helpRequests().size(), 2u);
    EXPECT_EQ(run->shell.helpRequests()[0], "qx4menu.hlp");
    EXPECT_EQ(run->shell.helpRequests()[1], "qx4gs.hlp");
    run->command(CMD_HELP_ABOUT);
    EXPECT_EQ(lastBox(*run).caption, "");
    EXPECT_FALSE(lastBox(*run).ownedByMainWindow);
    EXPECT_EQ(std::count(lastBox(*run).text.begin(), lastBox(*run).text.end(), '\n'), 2);

    // Number Members writes labels on the board without a repaint; mode unchanged.
    run->command(CMD_MEMBER_NUMBERS);
    EXPECT_FALSE(run->shell.windowInvalid());
    EXPECT_EQ(run->state().mode, Mode::Build);
}

TEST(Commands, PrintGivesTheResultsInReviewAndTheDataOtherwise) {
    // The document name of the first page tells the two reports apart.
    const auto titleOf = [](const PrintJobRecord& job) {
        for (const PrintOp& op : job.ops)
            if (op.kind == PrintOpKind::TextOut) return op.text;
        return std::string();
    };
    auto run = withPratt();
    run->command(CMD_MODE_CALCULATE);
    run->shell.answerPrintDialog(true);
    run->command(CMD_FILE_PRINT);
    ASSERT_EQ(run->shell.printJobs().size(), 1u);
    EXPECT_EQ(titleOf(run->shell.printJobs()[0]), "Trussmill - RESULTS - Kelvane");
    // Any tool afterwards prints the data report, results held or not; mode and saved state stay.
    run->command(CMD_JOINT_SHOW);
    run->shell.answerPrintDialog(true);
    run->command(CMD_FILE_PRINT);
    ASSERT_EQ(run->shell.printJobs().size(), 2u);
    EXPECT_EQ(titleOf(run->shell.printJobs()[1]), "Trussmill - OUTPUT - Kelvane");
    EXPECT_EQ(run->state().mode, Mode::ShowJoint);
    EXPECT_EQ(run->model().savedFlag, 1);
    // A cancelled dialog prints nothing.
    run->shell.answerPrintDialog(false);
    run->command(CMD_FILE_PRINT);
    EXPECT_EQ(run->shell.printDialogsShown(), 3);
    EXPECT_EQ(run->shell.printJobs().size(), 2u);
    EXPECT_TRUE(run->shell.messageBoxes().empty());

    // Without the report font: the notice, and no page.
    HeadlessOptions noFonts;
    noFonts.printerFontsAvailable = false;
    AppDriver bare(noFonts);
    bare.shell.answerPrintDialog(true);
    bare.command(CMD_FILE_PRINT);
    ASSERT_EQ(bare.shell.messageBoxes().size(), 1u);
    EXPECT_EQ(bare.shell.messageBoxes()[0].request.text, "Not enough memory available for printing.");
    int pages = 0;
    for (const PrintOp& op : bare.shell.printJobs().at(0).ops) pages += op.kind == PrintOpKind::StartPage;
    EXPECT_EQ(pages, 0);

    // A printer that refuses the job: the user is told why, nothing is drawn, nothing else changes.
    HeadlessOptions refusing;
    refusing.printerRefusal = "the file /x/report.pdf cannot be written: Permission denied";
    AppDriver refused(refusing, example("PRATT.BRG"));
    const BridgeModel before = refused.model();
    refused.shell.answerPrintDialog(true);
    refused.command(CMD_FILE_PRINT);
    ASSERT_EQ(refused.shell.messageBoxes().size(), 1u);
    const MessageBoxRequest& told = refused.shell.messageBoxes()[0].request;
    EXPECT_EQ(
        told.text,
        "The report could not be printed: the file /x/report.pdf cannot be written: Permission denied.");
    EXPECT_EQ(told.caption, " ");
    EXPECT_EQ(told.icon, MessageIcon::Information);
    EXPECT_EQ(told.buttons, MessageButtons::Ok);
    for (const PrintOp& op : refused.shell.printJobs().at(0).ops) EXPECT_NE(op.kind, PrintOpKind::StartPage);
    EXPECT_EQ(refused.model().savedFlag, before.savedFlag);
    EXPECT_EQ(refused.state().mode, Mode::Build);
}

TEST(Commands, ExportsWriteNextToTheChosenName) {
    const std::string dir = scratchFolder("app-export");
    auto run = withPratt();
    run->shell.answerFileDialog(dir + "/pratt.BRG");
    run->command(CMD_SPECIAL_DXF);
    run->shell.answerFileDialog(dir + "/pratt");
    run->command(CMD_SPECIAL_VRML);
    EXPECT_TRUE(exists(dir + "/pratt.DXF"));
    EXPECT_TRUE(exists(dir + "/pratt.WRL"));
    EXPECT_FALSE(exists(dir + "/pratt.BRG"));
    EXPECT_EQ(run->shell.fileDialogs()[0].request.filters[0].pattern, "*.DXF");
    EXPECT_EQ(run->shell.fileDialogs()[1].request.filters[0].pattern, "*.WRL");
    EXPECT_TRUE(run->shell.messageBoxes().empty());
    // Exports leave the saved state and the mode alone.
    EXPECT_EQ(run->model().savedFlag, 1);

    run->shell.answerFileDialog(dir + "/missing/pratt");
    run->command(CMD_SPECIAL_DXF);
    EXPECT_EQ(lastBox(*run).text, "Error: Cannot write to file");

    // Each export is handed over as written, with its own extension; a failed hand-over says why.
    EXPECT_EQ(run->shell.deliveredFiles(),
              (std::vector<std::string>{dir + "/pratt.DXF", dir + "/pratt.WRL"}));
    EXPECT_EQ(run->shell.fileDialogs().back().request.proposedName, "PRATT.DXF");
    run->shell.failNextDelivery("no room");
    run->shell.answerFileDialog(dir + "/pratt");
    run->command(CMD_SPECIAL_VRML);
    EXPECT_EQ(lastBox(*run).text, "Error: Cannot write to file\npratt.WRL: no room");
}

}  // namespace

namespace {

// An active assignment: its options fixed and greyed, its title in the window's, its limits named
// after an analysis, kept for the next run until closed; one that does not read changes nothing.
TEST(Commands, AnAssignmentFixesOptionsAndNamesBrokenLimits) {
    const std::string dir = scratchFolder("app-assignment");
    const std::string path = dir + "/week3.trussmill-assignment";
    write(path,
          "title = Week 3 \xE2\x80\x93 Br\xC3\xBC"
          "cke\ndead_load = yes\nmin_member_force = no\nmax_joints = 10\n"
          "max_weight = 50\n");
    auto run = withPratt();
    run->command(CMD_OPTION_MIN_FORCE);
    EXPECT_FALSE(run->shell.isMenuItemEnabled(CMD_FILE_CLOSE_ASSIGNMENT));
    run->shell.answerFileDialog(path);
    run->command(CMD_FILE_OPEN_ASSIGNMENT);
    EXPECT_EQ(run->shell.fileDialogs().back().request.filters[0].pattern, "*.trussmill-assignment");
    EXPECT_EQ(run->shell.windowTitle(), std::string(PROGRAM_TITLE) +
                                            " - Week 3 \xE2\x80\x93 Br\xC3\xBC"
                                            "cke");
    EXPECT_EQ(run->program().options.includeDeadLoad, 1);
    EXPECT_EQ(run->program().options.useMinMemberForce, 0);
    EXPECT_TRUE(run->shell.isMenuItemChecked(CMD_OPTION_DEAD_LOAD));
    EXPECT_FALSE(run->shell.isMenuItemChecked(CMD_OPTION_MIN_FORCE));
    EXPECT_FALSE(run->shell.isMenuItemEnabled(CMD_OPTION_DEAD_LOAD));
    EXPECT_TRUE(run->shell.isMenuItemEnabled(CMD_OPTION_DECK_WEIGHT));
    EXPECT_TRUE(run->shell.isMenuItemEnabled(CMD_FILE_CLOSE_ASSIGNMENT));
    // A greyed option says why.
    EXPECT_EQ(run->shell.menuItemTip(CMD_OPTION_DEAD_LOAD),
              "Set by the assignment Week 3 \xE2\x80\x93 Br\xC3\xBC"
              "cke");
    EXPECT_EQ(run->shell.menuItemTip(CMD_OPTION_DECK_WEIGHT), "");
    run->command(CMD_OPTION_DEAD_LOAD);  // a fixed option stays as the assignment says
    EXPECT_EQ(run->program().options.includeDeadLoad, 1);

    // Calculate analyses as always, then names every broken limit in one notice.
    run->command(CMD_MODE_CALCULATE);
    EXPECT_EQ(run->state().mode, Mode::Review);
    const std::string limits = lastBox(*run).text;
    EXPECT_EQ(limits.rfind("This bridge has 16 joints; the assignment allows 10.\nThis bridge weighs ", 0),
              0u)
        << limits;
    EXPECT_NE(limits.find("kips; the assignment allows 50."), std::string::npos) << limits;

    // The next run starts with it; Close Assignment ends it there and for the runs after.
    AppDriver next({}, "", [&](HeadlessShell& shell) { shell.keepStoredOf(run->shell); });
    EXPECT_EQ(next.shell.windowTitle(), run->shell.windowTitle());
    EXPECT_FALSE(next.shell.isMenuItemEnabled(CMD_OPTION_DEAD_LOAD));
    next.command(CMD_FILE_CLOSE_ASSIGNMENT);
    EXPECT_EQ(next.shell.windowTitle(), PROGRAM_TITLE);
    EXPECT_TRUE(next.shell.isMenuItemEnabled(CMD_OPTION_DEAD_LOAD));
    EXPECT_EQ(next.shell.menuItemTip(CMD_OPTION_DEAD_LOAD), "");
    EXPECT_FALSE(next.shell.stored(StoreKind::Configuration, "assignment"));

    // A file that does not read is named with its line and changes nothing; the command line
    // takes an assignment as well as a bridge.
    write(dir + "/bad.trussmill-assignment", "title = x\nmax_wieght = 10\n");
    next.shell.answerFileDialog(dir + "/bad.trussmill-assignment");
    next.command(CMD_FILE_OPEN_ASSIGNMENT);
    EXPECT_EQ(lastBox(next).text, "bad.trussmill-assignment: line 2: unknown key 'max_wieght'");
    EXPECT_EQ(next.shell.windowTitle(), PROGRAM_TITLE);
    AppDriver started({}, path);
    EXPECT_EQ(started.shell.windowTitle(), run->shell.windowTitle());
}

// Submit to Contest: only where a contest server is reached; what was typed checked and asked
// again, the bridge's file text sent, the server's answer or refusal put in the team's words.
TEST(Commands, SubmitToContestSendsTheBridgeAndShowsTheServersAnswer) {
    EXPECT_EQ(withPratt()->shell.menuItemText(CMD_FILE_SUBMIT_TO_CONTEST), "");
    HeadlessOptions served;
    served.contestServer = true;
    AppDriver run(served);
    EXPECT_NE(run.shell.menuItemText(CMD_FILE_SUBMIT_TO_CONTEST), "");
    run.command(CMD_FILE_SUBMIT_TO_CONTEST);
    EXPECT_EQ(lastBox(run).text, "No Bridge!");
    run.app->openFile(example("PRATT.BRG").c_str());
    run.shell.answerContestDialog(ContestEntry{"k7m2-q9xr", " Span Masters ", "12a4"});
    run.shell.answerContestDialog(ContestEntry{"K7M2Q9XR", "Span Masters", "1234"});
    ContestAnswer passed;
    passed.reached = true;
    passed.status = 200;
    passed.verdict = "passed";
    passed.weight = 90.5123;
    passed.brokenRules = {"This bridge has 16 joints; the assignment allows 10."};
    passed.best = true;
    passed.similarTo = {"Team 2", "Girders"};
    run.shell.answerContestSubmission(passed);
    run.command(CMD_FILE_SUBMIT_TO_CONTEST);
    EXPECT_EQ(run.shell.messageBoxes()[1].request.text, "The team PIN must be 4 to 12 digits.");
    ASSERT_EQ(run.shell.contestSubmissions().size(), 1u);
    std::string written;
    writeBridgeFile(run.program().model, written);
    EXPECT_EQ(run.shell.contestSubmissions()[0].second, written);
    EXPECT_EQ(run.shell.contestSubmissions()[0].first.team, "Span Masters");
    EXPECT_EQ(
        lastBox(run).text,
        "Bridge passed, 90.51 kips.\nAgainst the rules: This bridge has 16 joints; the assignment allows 10."
        "\nNot ranked yet: a team is ranked once the teacher approves its name and it has a passing design "
        "within the rules.\nThis is your team's best design so far.\nThe same or nearly the same design "
        "as: Team 2, Girders.");
    // The next submission starts from what was typed; a refusal and no answer say so.
    ContestAnswer refused;
    refused.reached = true;
    refused.status = 403;
    refused.error = "wrong PIN for this team";
    run.shell.answerContestDialog(ContestEntry{"K7M2Q9XR", "Span Masters", "4321"});
    run.shell.answerContestSubmission(refused);
    run.command(CMD_FILE_SUBMIT_TO_CONTEST);
    EXPECT_EQ(run.shell.contestDialogs().back().classCode, "K7M2Q9XR");
    EXPECT_EQ(run.shell.contestDialogs().back().pin, "1234");
    EXPECT_EQ(lastBox(run).text, "The contest server refused the bridge: wrong PIN for this team.");
    run.shell.answerContestDialog(ContestEntry{"K7M2Q9XR", "Span Masters", "1234"});
    run.command(CMD_FILE_SUBMIT_TO_CONTEST);
    EXPECT_EQ(lastBox(run).text, "The contest server did not answer: no server is scripted.");
    const size_t boxes = run.shell.messageBoxes().size();
    run.command(CMD_FILE_SUBMIT_TO_CONTEST);  // cancelled: nothing sent, nothing said
    EXPECT_EQ(run.shell.messageBoxes().size(), boxes);
    EXPECT_EQ(run.shell.contestSubmissions().size(), 3u);
}

}  // namespace
