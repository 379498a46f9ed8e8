// Start-up as the user meets it: the command line's display switches and bridge files, the second
// instance, the window's sizing, and the intro's length, sounds and puff on the virtual clock.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/bridge_file.h"
#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"
#include "tests/support/cli_run.h"

namespace {

HeadlessOptions withDisplayModes() {
    HeadlessOptions options;
    options.displayModesWork = true;
    return options;
}

TEST(Startup, CommandLineSwitchesTheDisplayOnlyWhenAskedExactly) {
    struct Case {
        const char* line;
        int width;  // 0: no switch asked for
        int height;
    };
    // "FS" as the first two letters wins whatever follows; the W switches must match whole.
    const Case cases[] = {
        {"FS", 640, 480}, {"FS W800H600", 640, 480}, {"W640H480", 640, 480}, {"W800H600", 800, 600},
        {"fs", 0, 0},     {"W640H480 ", 0, 0},       {"w800h600", 0, 0},     {"", 0, 0}};
    for (const Case& c : cases) {
        AppDriver run(withDisplayModes(), c.line);
        const auto& asked = run.shell.displayModeRequests();
        if (c.width == 0) {
            EXPECT_TRUE(asked.empty()) << c.line;
            continue;
        }
        ASSERT_EQ(asked.size(), 1u) << c.line;
        EXPECT_EQ(asked[0].width, c.width);
        EXPECT_EQ(asked[0].height, c.height);
        EXPECT_TRUE(run.state().displayChanged);
        // The way out puts the display back, once.
        EXPECT_EQ(run.app->finish(0), 0);
        run.app->finish(0);
        ASSERT_EQ(run.shell.displayModeRequests().size(), 2u);
        EXPECT_EQ(run.shell.displayModeRequests()[1].width, 0);
    }
    // A refused switch is silent and nothing is restored at exit.
    AppDriver refused({}, "FS");
    EXPECT_FALSE(refused.state().displayChanged);
    EXPECT_TRUE(refused.shell.messageBoxes().empty());
    refused.app->finish(0);
    EXPECT_EQ(refused.shell.displayModeRequests().size(), 1u);
}

TEST(Startup, SecondInstanceIsRefusedWithoutAWindow) {
    HeadlessOptions options;
    options.previousInstanceRunning = true;
    AppDriver run(options);
    ASSERT_TRUE(run.exitCode.has_value());
    EXPECT_EQ(*run.exitCode, 0);
    EXPECT_FALSE(run.shell.windowAlive());
    ASSERT_EQ(run.shell.messageBoxes().size(), 1u);
    const MessageBoxRequest& box = run.shell.messageBoxes()[0].request;
    EXPECT_EQ(box.text, "The Program is already running. Restore from icon.");
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.icon, MessageIcon::Information);
    EXPECT_FALSE(box.ownedByMainWindow);
}

TEST(Startup, WindowGrowsUntilTheClientAreaHoldsTheBoard) {
    // The usual frame leaves 632 x 436: nothing moves.
    AppDriver usual;
    EXPECT_EQ(usual.state().windowHeight, 480);
    EXPECT_EQ(usual.shell.outerRect(), (Rect{0, 0, 640, 480}));
    EXPECT_EQ(usual.state().clientWidth, 632);
    EXPECT_EQ(usual.state().clientHeight, 436);

    // A frame 20 pixels taller: the window grows by 20, unless the screen is smaller.
    HeadlessOptions tall;
    tall.frameHeight = 64;
    AppDriver grown(tall);
    EXPECT_EQ(grown.state().windowHeight, 500);
    EXPECT_EQ(grown.state().clientHeight, 436);
    tall.fullScreenClientHeight = 490;
    AppDriver limited(tall);
    EXPECT_EQ(limited.state().windowHeight, 490);
    EXPECT_EQ(limited.state().clientHeight, 426);

    // The client size is measured once; a restore puts the window back at 640 x windowHeight.
    grown.shell.resizeByUser({0, 0, 700, 600});
    grown.shell.pumpMessages();
    EXPECT_EQ(grown.shell.outerRect(), (Rect{0, 0, 640, 500}));
    EXPECT_EQ(grown.state().clientHeight, 436);
}

TEST(Startup, IntroLastsSevenSecondsWithTheEngineStartAndAPuffAboveTheCab) {
    HeadlessOptions options;
    AppDriver run(options);
    const uint32_t length = run.shell.tickCount() - options.startTick;
    // 2 s of title, then 5 s of puff frames of a little over 70 ms; the last may run over.
    EXPECT_GT(length, 7000u);
    EXPECT_LT(length, 7080u);
    const auto& sounds = run.shell.sounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[0].action, SoundAction::PlayAsynchronous);
    EXPECT_EQ(sounds[0].fileName, "truckstr.wav");
    EXPECT_EQ(sounds[0].tick, options.startTick);
    EXPECT_EQ(sounds[1].action, SoundAction::Stop);
    // The wait cursor shows for the intro only.
    ASSERT_GE(run.shell.cursorChanges().size(), 2u);
    EXPECT_EQ(run.shell.cursorChanges()[0], CursorShape::Wait);
    EXPECT_EQ(run.shell.cursor(), CursorShape::Arrow);
}

TEST(Startup, PuffStaysInItsColumnAndRows) {
    // Every frame after the title picture changes only column 65, rows 225..236.
    HeadlessShell shell;
    std::vector<Rect> shown;
    shell.setPresentObserver([&](const Surface&, Rect area) { shown.push_back(area); });
    Application app(shell);
    ASSERT_FALSE(app.start("").has_value());
    ASSERT_GT(shown.size(), 60u);  // the title, then about 70 puff frames
    for (size_t i = 1; i < shown.size(); ++i) {
        EXPECT_GE(shown[i].left, 65);
        EXPECT_LE(shown[i].right, 66);
        EXPECT_GE(shown[i].top, 225);
        EXPECT_LE(shown[i].bottom, 237);
    }
    // The first paint puts the site over the title picture.
    shell.pumpMessages();
    EXPECT_FALSE(shell.windowInvalid());
}

TEST(Startup, BridgeFileOnTheCommandLineOpensAfterTheIntro) {
    AppDriver opened({}, example("PRATT.BRG"));
    EXPECT_EQ(opened.model().memberCount, 29);
    EXPECT_STREQ(opened.model().bridgeName, "PRATT");
    EXPECT_EQ(opened.model().savedFlag, 1);
    EXPECT_TRUE(opened.shell.messageBoxes().empty());

    // A refused file is named with the reason, and the program starts empty.
    const std::string bad = scratchFolder("startup") + "/notes.txt";
    write(bad, "shopping list\n");
    AppDriver refused({}, bad);
    ASSERT_EQ(refused.shell.messageBoxes().size(), 1u);
    const std::string text = refused.shell.messageBoxes()[0].request.text;
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(text.rfind("notes.txt: not a bridge file", 0), 0u) << text;
    EXPECT_EQ(refused.model().memberCount, 0);
    EXPECT_STREQ(refused.model().bridgeName, "UNTITLED");
    EXPECT_STREQ(refused.model().filePath, "");

    // Text that names no file is ignored; so is a folder.
    AppDriver missing({}, "no-such-bridge.BRG");
    EXPECT_TRUE(missing.shell.messageBoxes().empty());
    AppDriver folder({}, scratchFolder("startup"));
    EXPECT_TRUE(folder.shell.messageBoxes().empty());
}

// What one run keeps for the next: the copy of unsaved work, the recent files, the zoom.
TEST(Startup, WhatARunKeepsForTheNext) {
    const std::string question = "Trussmill was closed without saving the changes to UNTITLED. Restore them?";
    auto keptOf = [](const AppDriver& earlier, DialogButton answer) {
        return [&earlier, answer](HeadlessShell& shell) {
            shell.keepStoredOf(earlier.shell);
            shell.answerMessageBox(answer);
        };
    };

    // A change keeps a copy at once; the run then ends without a clean exit.
    AppDriver crashed;
    crashed.drawMemberFt(0, 0, 100, 0);
    ASSERT_TRUE(crashed.shell.stored(StoreKind::State, "recovery.BRG"));
    EXPECT_EQ(crashed.shell.stored(StoreKind::State, "recovery.info"), "UNTITLED\n\n");

    // Yes: asked after the intro, the bridge comes back unsaved; Undo takes it back to the board
    // the start gave.
    AppDriver restored({}, "", keptOf(crashed, DialogButton::Yes));
    ASSERT_EQ(restored.shell.messageBoxes().size(), 1u);
    const MessageBoxRequest& asked = restored.shell.messageBoxes()[0].request;
    EXPECT_EQ(asked.text, question);
    EXPECT_EQ(asked.caption, " ");
    EXPECT_EQ(asked.icon, MessageIcon::Question);
    EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
    for (const ShellEvent& e : restored.shell.events()) {
        if (e.kind == ShellEventKind::MessageBox) {
            EXPECT_GT(e.tick - HeadlessOptions{}.startTick, 7000u);  // after the intro
        }
    }
    EXPECT_TRUE(sameBridgeContents(restored.model(), crashed.model()));
    EXPECT_EQ(restored.model().savedFlag, 0);
    EXPECT_TRUE(restored.shell.stored(StoreKind::State, "recovery.BRG"));
    restored.command(CMD_EDIT_UNDO);
    EXPECT_EQ(restored.model().memberCount, 0);

    // No discards it; a copy that does not read is dropped without a question.
    AppDriver declined({}, "", keptOf(crashed, DialogButton::No));
    EXPECT_EQ(declined.model().memberCount, 0);
    EXPECT_FALSE(declined.shell.stored(StoreKind::State, "recovery.BRG"));
    AppDriver garbled({}, "", [](HeadlessShell& shell) {
        shell.setStored(StoreKind::State, "recovery.BRG", "not a bridge");
    });
    EXPECT_TRUE(garbled.shell.messageBoxes().empty());
    EXPECT_FALSE(garbled.shell.stored(StoreKind::State, "recovery.BRG"));

    // A bridge without members is nothing to bring back: a click on the empty board (one joint
    // left, unsaved) keeps no copy, and such a copy from elsewhere is dropped without a question.
    AppDriver clicked;
    clicked.click(columnOfFt(100), rowOfFt(50));
    ASSERT_EQ(clicked.model().savedFlag, 0);
    EXPECT_FALSE(clicked.shell.stored(StoreKind::State, "recovery.BRG"));
    std::string memberless;
    writeBridgeFile(clicked.model(), memberless);
    AppDriver empty(
        {}, "", [&](HeadlessShell& shell) { shell.setStored(StoreKind::State, "recovery.BRG", memberless); });
    EXPECT_TRUE(empty.shell.messageBoxes().empty());
    EXPECT_FALSE(empty.shell.stored(StoreKind::State, "recovery.BRG"));

    // A bridge named on the command line opens after the answer, asking first about the work
    // brought back; a save, and a clean exit, drop the copy.
    AppDriver both({}, example("PRATT.BRG"), [&](HeadlessShell& shell) {
        keptOf(crashed, DialogButton::Yes)(shell);
        shell.answerMessageBox(DialogButton::No);
    });
    ASSERT_EQ(both.shell.messageBoxes().size(), 2u);
    EXPECT_EQ(both.model().memberCount, 1);
    both.shell.answerFileDialog(scratchFolder("startup") + "/kept");
    both.command(CMD_FILE_SAVE_AS);
    EXPECT_FALSE(both.shell.stored(StoreKind::State, "recovery.BRG"));
    both.drawMemberFt(100, 0, 200, 0);
    EXPECT_TRUE(both.shell.stored(StoreKind::State, "recovery.BRG"));
    both.shell.answerMessageBox(DialogButton::Yes);
    both.closeBox();
    EXPECT_FALSE(both.shell.stored(StoreKind::State, "recovery.BRG"));

    // Recent files: newest first, numbered, their folders as tips; the next run lists them too.
    HeadlessOptions large;
    large.largestFittingBoardScale = 3;
    AppDriver opener(large);
    EXPECT_EQ(opener.shell.boardScale(), 3);  // the first start fits the screen
    opener.app->openFile(example("HOWE.BRG").c_str());
    opener.app->openFile(example("PRATT.BRG").c_str());
    EXPECT_EQ(opener.shell.menuItemText(CMD_FILE_RECENT_1), "&1 PRATT.BRG");
    EXPECT_EQ(opener.shell.menuItemTip(CMD_FILE_RECENT_1),
              example("PRATT.BRG").substr(0, example("PRATT.BRG").size() - 9));
    EXPECT_EQ(opener.shell.menuItemText(CMD_FILE_RECENT_1 + 1), "&2 HOWE.BRG");
    EXPECT_EQ(opener.shell.menuItemText(CMD_FILE_RECENT_1 + 2), "");
    opener.command(CMD_DISPLAY_ZOOM_IN);
    opener.command(CMD_DISPLAY_ZOOM_IN);
    EXPECT_EQ(opener.shell.boardScale(), 4);
    opener.command(CMD_DISPLAY_ZOOM_OUT);
    EXPECT_EQ(opener.shell.boardScale(), 3);
    opener.command(CMD_DISPLAY_FORCE_COLOURS);  // kept too, as is Live Results, unlike the deflected shape
    opener.command(CMD_OPTION_LIVE_RESULTS);
    opener.command(CMD_DISPLAY_DEFLECTED_SHAPE);

    // Choosing one opens it (and it moves up); one that no longer reads is refused and leaves.
    const std::string moved = scratchFolder("startup") + "/MOVED.BRG";
    write(moved, slurp(example("WARREN.BRG")));
    AppDriver next({}, "", [&](HeadlessShell& shell) { shell.keepStoredOf(opener.shell); });
    EXPECT_EQ(next.shell.boardScale(), 3);  // remembered
    EXPECT_TRUE(next.shell.isMenuItemChecked(CMD_DISPLAY_FORCE_COLOURS));
    EXPECT_TRUE(next.app->program().state.forceColours);
    EXPECT_TRUE(next.shell.isMenuItemChecked(CMD_OPTION_LIVE_RESULTS));
    EXPECT_FALSE(next.shell.isMenuItemChecked(CMD_DISPLAY_DEFLECTED_SHAPE));
    next.app->openFile(moved.c_str());
    ::unlink(moved.c_str());
    next.command(CMD_FILE_RECENT_1 + 2);
    EXPECT_STREQ(next.model().bridgeName, "HOWE");
    EXPECT_EQ(next.shell.menuItemText(CMD_FILE_RECENT_1), "&1 HOWE.BRG");
    next.command(CMD_FILE_RECENT_1 + 1);
    EXPECT_EQ(next.shell.messageBoxes().back().request.text.rfind("MOVED.BRG: ", 0), 0u);
    EXPECT_STREQ(next.model().bridgeName, "HOWE");
    EXPECT_EQ(next.shell.menuItemText(CMD_FILE_RECENT_1 + 1), "&2 PRATT.BRG");
    EXPECT_EQ(next.shell.menuItemText(CMD_FILE_RECENT_1 + 2), "");
}

// Runs that could not make the single-instance check keep their copies under tags of their own:
// no run's clean exit removes another's copy, every copy whose run has ended is offered, one at a
// time, and an unsure run takes neither the plain copy nor a live run's.
TEST(Startup, RunsThatCannotTellOfEachOtherKeepEachTheirOwnCopy) {
    auto run = [](const char* tag, std::vector<std::string> running) {
        HeadlessOptions options;
        options.instanceTag = tag;
        options.runningInstances = std::move(running);
        return options;
    };
    auto kept = [](const AppDriver& on, const char* name) { return on.shell.stored(StoreKind::State, name); };
    const std::string pratt = slurp(example("PRATT.BRG"));

    // Two at once, beside the plain copy of a run that could check and a live run's copy: the
    // second leaves cleanly, the first is killed.
    AppDriver first(run("p1-1", {"p1-1", "p3-3"}), "", [&](HeadlessShell& shell) {
        shell.setStored(StoreKind::State, "recovery.BRG", pratt);
        shell.setStored(StoreKind::State, "recovery-p3-3.BRG", pratt);
    });
    auto sharing = [&](HeadlessShell& shell) { shell.shareStoredWith(first.shell); };
    AppDriver second(run("p2-2", {"p1-1", "p3-3"}), "", sharing);
    first.drawMemberFt(0, 0, 100, 0);
    second.drawMemberFt(0, 0, 50, 50);
    second.shell.answerMessageBox(DialogButton::Yes);
    second.closeBox();
    EXPECT_FALSE(kept(first, "recovery-p2-2.BRG"));
    EXPECT_TRUE(kept(first, "recovery-p1-1.BRG") && kept(first, "recovery-p1-1.info"));

    // An unsure start is asked about the killed run's copy alone; Yes makes it its own.
    AppDriver unsure(run("p4-4", {"p3-3"}), "", sharing);
    EXPECT_EQ(unsure.shell.messageBoxes().size(), 1u);
    EXPECT_TRUE(sameBridgeContents(unsure.model(), first.model()));
    EXPECT_TRUE(kept(unsure, "recovery-p4-4.BRG") && !kept(unsure, "recovery-p1-1.BRG"));
    EXPECT_EQ(kept(unsure, "recovery.BRG"), pratt);
    EXPECT_EQ(kept(unsure, "recovery-p3-3.BRG"), pratt);

    // Once that one has ended, a start that could check is asked about both copies left.
    AppDriver sure(run("", {"p3-3"}), "", [&](HeadlessShell& shell) {
        sharing(shell);
        shell.answerMessageBox(DialogButton::No);
        shell.answerMessageBox(DialogButton::No);
    });
    EXPECT_EQ(sure.shell.messageBoxes().size(), 2u);
    EXPECT_FALSE(kept(sure, "recovery.BRG") || kept(sure, "recovery-p4-4.BRG"));
    EXPECT_TRUE(kept(sure, "recovery-p3-3.BRG"));
}

TEST(Startup, CreationSetsTheInitialChecksAndState) {
    AppDriver run;
    for (const int id :
         {CMD_MODE_BUILD, CMD_COORD_SNAP_5, CMD_JOINT_SNAP_10, int16_t{3405}, CMD_SPECIAL_SOUND})
        EXPECT_TRUE(run.shell.isMenuItemChecked(id)) << id;
    EXPECT_FALSE(run.shell.isMenuItemChecked(CMD_DISPLAY_GRID));
    EXPECT_EQ(run.state().mode, 5001);
    EXPECT_EQ(run.state().coordinateSnap, 5);
    EXPECT_EQ(run.state().soundSetting, 2);
    EXPECT_EQ(run.state().gridOn, 0);
    EXPECT_EQ(run.state().selectedMember, 0);
    EXPECT_EQ(run.program().memberSizes.defaultMemberSize, 5);
}

}  // namespace
