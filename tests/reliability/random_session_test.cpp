// The whole program fed twenty thousand random events from one fixed seed: after every event the
// tables are sound, every save reported done holds the bridge on the board and every refused one
// left the earlier file, every open gives the file's bridge, and saving then opening gives the
// same bridge back, Undo and Redo bring back the bridges before and after each step, and the copy
// of unsaved work is kept, offered and taken back as it should be across kills and restarts. The
// session must have reached all of it, and the watches must catch a lost save and a wrong undo.
#include "fuzz/random_session.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "files/file_paths.h"
#include "fuzz/file_sandbox.h"
#include "fuzz/session_checks.h"
#include "resources/menu_resource.h"
#include "tests/app/app_driver.h"
#include "tests/support/scratch_folder.h"

namespace {

TEST(RandomSession, TwentyThousandEventsKeepEveryProperty) {
    RandomSessionOptions options;
    options.seed = 20240315;
    options.events = 20000;
    options.folder = scratchFolder("random-session") + "/sandbox";
    const RandomSessionReport r = runRandomSession(options);
    EXPECT_EQ(r.failure, "");
    EXPECT_GE(r.events, 20000);
    // What the session reached: restarts after the close box, Exit and kills, unsaved work taken
    // back, analyses, saves and opens both done and refused, exports and round trips.
    EXPECT_GE(r.programRuns, 5);
    EXPECT_GE(r.restores, 5);
    EXPECT_GE(r.analyses, 20);
    EXPECT_GE(r.saves, 50);
    EXPECT_GE(r.savesRefused, 10);
    EXPECT_GE(r.opens, 20);
    EXPECT_GE(r.opensRefused, 5);
    EXPECT_GE(r.exports, 10);
    EXPECT_GE(r.roundTrips, 30);
    EXPECT_GE(r.longestBridge, 30);
    EXPECT_GE(r.undos, 1000);
    EXPECT_GE(r.redos, 500);
}

TEST(RandomSession, TheSeedDecidesTheSession) {
    RandomSessionOptions options;
    options.events = 1500;
    options.folder = scratchFolder("random-session-seed") + "/one";
    const RandomSessionReport first = runRandomSession(options);
    options.folder = scratchFolder("random-session-seed") + "/two";
    const RandomSessionReport again = runRandomSession(options);
    EXPECT_EQ(first.failure, "");
    EXPECT_EQ(again.events, first.events);
    EXPECT_EQ(again.saves, first.saves);
    EXPECT_EQ(again.opens, first.opens);
    EXPECT_EQ(again.longestBridge, first.longestBridge);
    options.seed = 2;
    const RandomSessionReport other = runRandomSession(options);
    EXPECT_TRUE(other.saves != first.saves || other.opens != first.opens ||
                other.longestBridge != first.longestBridge);
}

TEST(RandomSession, TheWatchCatchesLostAndWrongFiles) {
    const FileSandbox sandbox(scratchFolder("random-session-watch") + "/sandbox");
    AppDriver run;
    run.drawMemberFt(0, 0, 100, 0);
    SessionWatch watch(sandbox);
    SessionCounts counts;

    // A save whose file is then spoilt is caught.
    const std::string saved = sandbox.path(SandboxChoice::NewName, 0);
    run.shell.answerFileDialog(saved);
    watch.before(run.shell, run.program(), CMD_FILE_SAVE_AS);
    run.command(CMD_FILE_SAVE_AS);
    EXPECT_EQ(watch.after(run.shell, run.program(), counts), "");
    EXPECT_EQ(counts.saves, 1);
    watch.before(run.shell, run.program(), CMD_FILE_SAVE_AS);
    run.shell.answerFileDialog(saved);
    run.command(CMD_FILE_SAVE_AS);
    std::ofstream(saved + ".BRG") << "RADIV40 DATA FILE\n0 0 1 29000 1 1\n";
    EXPECT_NE(watch.after(run.shell, run.program(), counts), "");

    // Refused saves are counted; files they did not set out to write are not theirs to keep.
    run.drawMemberFt(100, 0, 200, 0);
    const std::string missing = sandbox.path(SandboxChoice::MissingFolder, 0);
    watch.before(run.shell, run.program(), CMD_FILE_SAVE_AS);
    run.shell.answerFileDialog(missing);
    run.command(CMD_FILE_SAVE_AS);
    EXPECT_EQ(watch.after(run.shell, run.program(), counts), "");
    EXPECT_EQ(counts.savesRefused, 1);
    watch.before(run.shell, run.program(), CMD_FILE_SAVE_AS);
    run.shell.answerFileDialog(missing);
    run.command(CMD_FILE_SAVE_AS);
    std::ofstream(saved + ".BRG") << "changed behind the program's back";
    EXPECT_EQ(watch.after(run.shell, run.program(), counts), "");  // not the file it tried to write
    watch.before(run.shell, run.program(), CMD_FILE_SAVE_AS);
    run.shell.answerFileDialog(sandbox.path(SandboxChoice::FolderInstead, 1));
    run.command(CMD_FILE_SAVE_AS);
    std::ofstream(sandbox.folder() + "/PRATT.BRG") << "spoilt";
    EXPECT_EQ(watch.after(run.shell, run.program(), counts), "");

    // An open whose file changes afterwards no longer matches the bridge on the board.
    const std::string sample = sandbox.restoreExample(1);
    run.shell.answerMessageBox(DialogButton::Yes);
    run.shell.answerFileDialog(sample);
    watch.before(run.shell, run.program(), CMD_FILE_OPEN);
    run.command(CMD_FILE_OPEN);
    std::string pratt;
    readWholeFile(sandbox.restoreExample(0).c_str(), pratt, 1 << 20);
    std::ofstream(sample) << pratt;
    EXPECT_NE(watch.after(run.shell, run.program(), counts), "");
}

// One event delivered by deliver, seen by the watch; what the watch found.
std::string watched(AppDriver& run, HistoryWatch& watch, int command, const std::function<void()>& deliver) {
    SessionCounts counts;
    watch.before(*run.app, command);
    deliver();
    return watch.after(run.shell, *run.app, counts);
}

TEST(RandomSession, TheHistoryWatchCatchesAWrongUndo) {
    // An Undo that takes back a step the watch never saw does not bring back the bridge before
    // the step the watch knows of.
    AppDriver run;
    HistoryWatch watch;
    watch.startOver(*run.app);
    EXPECT_EQ(watched(run, watch, 0, [&] { run.press(columnOfFt(0), rowOfFt(0)); }), "");
    EXPECT_EQ(watched(run, watch, 0, [&] { run.release(columnOfFt(100), rowOfFt(0)); }), "");
    run.drawMemberFt(100, 0, 200, 0);
    EXPECT_EQ(watched(run, watch, CMD_EDIT_UNDO, [&] { run.command(CMD_EDIT_UNDO); })
                  .rfind("Undo did not bring back the bridge before the step: ", 0),
              0u);

    // Undo left enabled with nothing to undo.
    AppDriver fresh;
    HistoryWatch clean;
    clean.startOver(*fresh.app);
    EXPECT_EQ(watched(fresh, clean, CMD_EDIT_UNDO, [&] { fresh.command(CMD_EDIT_UNDO); }), "");
    fresh.shell.enableMenuItem(CMD_EDIT_UNDO, true);
    EXPECT_EQ(watched(fresh, clean, CMD_DISPLAY_REFRESH, [&] { fresh.command(CMD_DISPLAY_REFRESH); }),
              "Undo is enabled with nothing to undo");
}

}  // namespace
