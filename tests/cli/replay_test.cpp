// trussmill-cli replay: scripts read whole before anything runs, the program driven by them, and the
// log of what a user would notice. The Pratt truss drawn by a script shows, after Calculate, the
// very picture that `render --review` makes of the saved file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/member_sizes.h"
#include "cli/replay_script.h"
#include "files/bridge_file.h"
#include "platform/shell.h"
#include "tests/support/cli_run.h"

namespace {

std::string scratch(const char* name) {
    return scratchFolder(std::string("replay-") + name);
}

// A script that draws the sample Pratt truss member by member in file order, with snap 10 and the
// sizes chosen with Default Size, saves it as savedAs and runs Calculate.
std::string prattScript(const std::string& savedAs) {
    BridgeModel sample;
    initBridgeModel(sample);
    MemberSizeTable sizes;
    initMemberSizes(sizes);
    EXPECT_TRUE(loadBridgeFile(example("PRATT.BRG").c_str(), sample, sizes).ok());
    std::string script = "command 4505  # coordinate snap 10\n";
    int size = 5;
    for (int i = 1; i <= sample.memberCount; ++i) {
        const Member& m = sample.members[i];
        if (m.size != size) {
            size = m.size;
            script += "command " + std::to_string(3400 + size) + "\n";
        }
        const Joint& a = sample.joints[m.startJoint];
        const Joint& b = sample.joints[m.endJoint];
        const std::string from = std::to_string(a.screenX) + " " + std::to_string(a.screenY);
        const std::string to = std::to_string(b.screenX) + " " + std::to_string(b.screenY);
        script += "move " + from + "\npress " + from + "\ndrag " + to + "\nrelease " + to + "\n";
    }
    return script + "choose " + savedAs + "\ncommand 1004\ncommand 5002\n";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

TEST(ReplayScript, ReadsEveryEventAndRefusesBadLines) {
    std::vector<ReplayEvent> events;
    int bad = 0;
    std::string reason;
    // Comments, blank lines and CR LF line ends; a '#' inside a path is part of it.
    ASSERT_TRUE(parseReplayScript(
        "# a demo\r\n\n  press 150 250 # the left support\r\n"
        "drag -5 30000\nrelease 200 250\nmove 1 2\ncommand 5002\n"
        "answer yes\nchoose /tmp/a b#1.BRG\ncancel-file\nprint no\n"
        "close\nwait 1700\npng out.png\nkey Shift+Tab\ntable size 3 7\ntable close\nkey Ctrl+Z",
        events, bad, reason))
        << reason;
    ASSERT_EQ(events.size(), 16u);
    EXPECT_EQ(events[0].kind, ReplayEventKind::Press);
    EXPECT_EQ(events[0].x, 150);
    EXPECT_EQ(events[0].line, 3);
    EXPECT_EQ(events[1].x, -5);
    EXPECT_EQ(events[4].value, 5002);
    EXPECT_EQ(events[6].text, "/tmp/a b#1.BRG");
    EXPECT_EQ(events[8].value, 0);
    EXPECT_EQ(events[10].value, 1700);
    EXPECT_EQ(events[11].text, "out.png");
    EXPECT_EQ(events[12].value, long(KeyName::Tab));
    EXPECT_EQ(events[12].x, 1);  // with Shift
    EXPECT_EQ(events[13].x, 3);
    EXPECT_EQ(events[13].value, 7);
    EXPECT_EQ(events[14].text, "close");
    EXPECT_EQ(events[15].kind, ReplayEventKind::Command);  // Edit / Undo's shortcut
    EXPECT_EQ(events[15].value, 9001);

    // Each bad line is named with its number; nothing after it counts.
    const char* badScripts[] = {
        "press 1\n",    "press 1 2 3\n",        "press a b\n",    "command\n",       "command 5002x\n",
        "wait -1\n",    "answer maybe\n",       "choose\n",       "print perhaps\n", "close now\n",
        "jump 1 2\n",   "drag 1 99999999999\n", "key Home\n",     "key Ctrl+Left\n", "table size 3 13\n",
        "table open\n", "table select 0\n",     "table close 2\n"};
    for (const char* script : badScripts) {
        std::vector<ReplayEvent> none;
        const std::string text = std::string("move 1 1\n# fine so far\n") + script;
        EXPECT_FALSE(parseReplayScript(text, none, bad, reason)) << script;
        EXPECT_EQ(bad, 3) << script;
        EXPECT_FALSE(reason.empty());
    }
}

TEST(Replay, PrattDrawnByAScriptLooksLikeTheRenderOfItsFile) {
    const std::string dir = scratch("pratt");
    write(dir + "/pratt.txt", prattScript(dir + "/PRATT"));
    const CliRun run =
        cli("replay " + dir + "/pratt.txt --png " + dir + "/replayed.png --log " + dir + "/log.jsonl");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(dir + "/PRATT.BRG"), slurp(example("PRATT.BRG")));
    const CliRun rendered = cli("render --review " + dir + "/PRATT.BRG " + dir + "/rendered.png");
    ASSERT_EQ(rendered.status, 0) << rendered.err;
    const std::string picture = slurp(dir + "/replayed.png");
    EXPECT_GT(picture.size(), 1000u);
    EXPECT_TRUE(picture == slurp(dir + "/rendered.png"));

    // The log: the intro's sounds, a member drawn for each of the file's (as a screen reader hears
    // it), the save dialog, and the end in Review, saved.
    const std::vector<std::string> log = linesOf(slurp(dir + "/log.jsonl"));
    ASSERT_GE(log.size(), 33u);
    EXPECT_EQ(log[0], R"({"t":100000,"kind":"sound","action":"async","file":"truckstr.wav"})");
    EXPECT_NE(log[1].find(R"("kind":"sound","action":"stop","file":null)"), std::string::npos);
    EXPECT_NE(log[2].find(R"("kind":"announce","text":"Member 1 added from joint 1 to joint 2"})"),
              std::string::npos);
    EXPECT_NE(log[31].find(R"("kind":"fileDialog","save":true,"answer":")"), std::string::npos);
    EXPECT_NE(log.back().find(R"("kind":"end","mode":5004,"savedFlag":1,"name":"PRATT"})"),
              std::string::npos);

    // The views of the results go on from there as the renders of the file draw them: the forces
    // in colour, the deflected shape (in its case's colours) of the case that bends the bridge most, then of
    // the leftmost one after more Left presses than there are cases. The table's rows open the member's
    // chart, and a size chosen there is one step back to Build.
    std::string views = prattScript(dir + "/PRATT") + "command 9041\npng " + dir + "/colours.png\n" +
                        "command 9043\npng " + dir + "/deflected.png\n";
    for (int n = 0; n < 8; ++n) views += "key Left\n";
    views += "png " + dir + "/leftmost.png\ncommand 9042\ntable select 3\ntable open 3\ntable size 3 7\n";
    write(dir + "/views.txt", views);
    ASSERT_EQ(cli("replay " + dir + "/views.txt --log " + dir + "/views.jsonl").status, 0);
    for (const auto& [png, flags] : {std::pair{"colours", "--review --colours"},
                                     {"deflected", "--deflected --colours"},
                                     {"leftmost", "--deflected --case 1 --colours"}}) {
        const std::string file = dir + "/" + png + "-rendered.png";
        ASSERT_EQ(cli(std::string("render ") + flags + " " + dir + "/PRATT.BRG " + file).status, 0);
        EXPECT_TRUE(slurp(dir + "/" + png + ".png") == slurp(file)) << png;
    }
    EXPECT_FALSE(slurp(dir + "/deflected.png") == slurp(dir + "/leftmost.png"));
    const std::string viewsLog = slurp(dir + "/views.jsonl");
    EXPECT_NE(viewsLog.find(R"("kind":"memberTable","rows":29,"selected":3,"selectedRow":"3\t3\t4\t)"),
              std::string::npos);
    EXPECT_NE(viewsLog.find(R"("kind":"picture","title":"Member 3 of PRATT: force along the truck's path")"),
              std::string::npos);
    EXPECT_NE(viewsLog.find(R"("kind":"end","mode":5001,"savedFlag":0,"name":"PRATT"})"), std::string::npos);
    // After Calculate a screen reader hears the verdict.
    EXPECT_NE(
        viewsLog.find(R"("kind":"announce","text":"Bridge passed, 90.51 kips; worst member 26 at 75.6 %."})"),
        std::string::npos);
}

// The Warren truss of the desktop session: deck, diagonals, top chord, as board pixels.
constexpr int kWarren[][4] = {
    {150, 250, 230, 250}, {230, 250, 310, 250}, {310, 250, 390, 250}, {390, 250, 470, 250},
    {470, 250, 550, 250}, {150, 250, 190, 210}, {190, 210, 230, 250}, {230, 250, 270, 210},
    {270, 210, 310, 250}, {310, 250, 350, 210}, {350, 210, 390, 250}, {390, 250, 430, 210},
    {430, 210, 470, 250}, {470, 250, 510, 210}, {510, 210, 550, 250}, {190, 210, 270, 210},
    {270, 210, 350, 210}, {350, 210, 430, 210}, {430, 210, 510, 210}};

// The arrow keys that take the keyboard cursor from one point to another at coordinate snap 10.
std::string arrowsBetween(int x1, int y1, int x2, int y2) {
    std::string keys;
    for (const auto& [delta, back, ahead] : {std::tuple{x2 - x1, "Left", "Right"}, {y2 - y1, "Up", "Down"}}) {
        const int steps = std::abs(delta) / 10;
        const std::string name = delta < 0 ? back : ahead;
        for (int n = steps / 10; n > 0; --n) keys += "key Shift+" + name + "\n";
        for (int n = steps % 10; n > 0; --n) keys += "key " + name + "\n";
    }
    return keys;
}

// The Warren truss drawn with the keys alone and with the mouse, then joint 7 moved up 10 ft (by
// Tab in the keys' drawing), saved, and the last three steps undone and saved again: the same bytes
// each time. The keys also start a member and a move and let go of them with Escape, which must
// leave nothing behind; after a pointer move the board shows no trace of the cursor.
TEST(Replay, KeysDrawTheBridgeTheMouseDraws) {
    std::string keys = "command 4505\n";
    std::string mouse = "command 4505\n";
    int x = 150;
    int y = 250;
    for (const auto& m : kWarren) {
        keys += arrowsBetween(x, y, m[0], m[1]) + "key Enter\n" + arrowsBetween(m[0], m[1], m[2], m[3]) +
                "key Enter\n";
        x = m[2];
        y = m[3];
        const std::string from = std::to_string(m[0]) + " " + std::to_string(m[1]);
        const std::string to = std::to_string(m[2]) + " " + std::to_string(m[3]);
        mouse += "move " + from + "\npress " + from + "\ndrag " + to + "\nrelease " + to + "\n";
    }
    keys += "key Enter\nkey Shift+Up\nkey Escape\n";  // a member begun and let go
    // Joints are numbered as drawn: joint 7 is the first top joint, (190, 210).
    keys += "command 2002\n";
    for (int n = 0; n < 7; ++n) keys += "key Tab\n";
    keys += "key Enter\nkey Up\nkey Enter\nkey Tab\nkey Enter\nkey Shift+Down\nkey Escape\n";
    mouse += "command 2002\npress 190 210\ndrag 190 200\nrelease 190 200\n";
    const std::string byKeys = scratch("by-keys");
    const std::string byMouse = scratch("by-mouse");
    for (auto [script, dir] : {std::pair{&keys, byKeys}, {&mouse, byMouse}}) {
        write(dir + "/session.txt", *script + "choose " + dir + "/WARREN\ncommand 1004\n" +
                                        "command 9001\ncommand 9001\ncommand 9001\nchoose " + dir +
                                        "/UNDONE\ncommand 1004\ncommand 5001\nmove 300 300\n");
        ASSERT_EQ(cli("replay " + dir + "/session.txt --png " + dir + "/board.png").status, 0) << dir;
    }
    EXPECT_GT(slurp(byMouse + "/WARREN.BRG").size(), 100u);
    EXPECT_EQ(slurp(byKeys + "/WARREN.BRG"), slurp(byMouse + "/WARREN.BRG"));
    EXPECT_EQ(slurp(byKeys + "/UNDONE.BRG"), slurp(byMouse + "/UNDONE.BRG"));
    EXPECT_NE(slurp(byKeys + "/UNDONE.BRG"), slurp(byKeys + "/WARREN.BRG"));
    EXPECT_TRUE(slurp(byKeys + "/board.png") == slurp(byMouse + "/board.png"));
}

// The drawn Pratt truss, saved and analysed, undone step by step (29 members and the name the save
// gave) to the empty board, unsaved, then redone to where it was saved: saved again, and saving it
// under another name writes the same bytes.
TEST(Replay, UndoEverythingThenRedoBackToTheSavedBridge) {
    const std::string dir = scratch("undo");
    const std::string drawn = prattScript(dir + "/FIRST");
    std::string undoAll;
    std::string redoAll;
    for (int step = 1; step <= 30; ++step) {
        undoAll += "command 9001\n";
        redoAll += "command 9002\n";
    }
    write(dir + "/undone.txt", drawn + undoAll + "move 150 250\n");  // the read-out of a fresh start
    write(dir + "/redone.txt", drawn + undoAll + redoAll);
    write(dir + "/saved.txt", drawn + undoAll + redoAll + "choose " + dir + "/SECOND\ncommand 1004\n");
    write(dir + "/empty.txt", "move 150 250\n");
    for (const char* run : {"undone", "redone", "saved", "empty"}) {
        const std::string at = dir + "/" + run;
        ASSERT_EQ(cli("replay " + at + ".txt --png " + at + ".png --log " + at + ".jsonl").status, 0) << run;
    }
    EXPECT_NE(
        linesOf(slurp(dir + "/undone.jsonl")).back().find(R"("mode":5001,"savedFlag":0,"name":"UNTITLED"})"),
        std::string::npos);
    EXPECT_TRUE(slurp(dir + "/undone.png") == slurp(dir + "/empty.png"));
    EXPECT_NE(
        linesOf(slurp(dir + "/redone.jsonl")).back().find(R"("mode":5001,"savedFlag":1,"name":"FIRST"})"),
        std::string::npos);
    EXPECT_EQ(slurp(dir + "/SECOND.BRG"), slurp(dir + "/FIRST.BRG"));
    EXPECT_EQ(slurp(dir + "/FIRST.BRG"), slurp(example("PRATT.BRG")));
}

TEST(Replay, LogsWhatTheUserSeesAndHowTheProgramEnded) {
    const std::string dir = scratch("log");
    write(dir + "/bad.BRG", "not a bridge\n");
    write(dir + "/session.txt",
          "command 5002\n"  // No Bridge!
          "command 7002\n"  // the clipboard
          "command 8002\n"  // a help page
          "press 150 250\nrelease 250 250\n"
          "answer cancel\n"  // not a button of the continue question: its default, No
          "command 1001\n"
          "answer yes\n"
          "close\n");
    const CliRun run =
        cli("replay " + dir + "/session.txt --open " + dir + "/bad.BRG --log " + dir + "/log.jsonl");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string log = slurp(dir + "/log.jsonl");
    EXPECT_NE(log.find(R"("kind":"messageBox","caption":"","text":"bad.BRG: not a bridge file)"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(R"("text":"No Bridge!","buttons":"ok","answer":"ok"})"), std::string::npos);
    EXPECT_NE(log.find(R"("kind":"clipboard","width":500,"height":250})"), std::string::npos);
    EXPECT_NE(log.find(R"("kind":"help","file":"qx4gs.hlp"})"), std::string::npos);
    EXPECT_NE(log.find(R"("buttons":"yesno","answer":"no"})"), std::string::npos);
    EXPECT_NE(log.find(R"("buttons":"yesno","answer":"yes"})"), std::string::npos);
    const std::vector<std::string> lines = linesOf(log);
    EXPECT_NE(lines.back().find(R"("kind":"exit","code":0})"), std::string::npos) << lines.back();

    // Events after the program ended are not delivered; the run still counts as done.
    write(dir + "/after.txt", "command 1007\ncommand 8003\n");
    const CliRun ended = cli("replay " + dir + "/after.txt --log " + dir + "/after.jsonl");
    EXPECT_EQ(ended.status, 0);
    EXPECT_EQ(slurp(dir + "/after.jsonl").find("Trussmill v4.8"), std::string::npos);
}

// The sounds of a log in order, as "action file" words.
std::vector<std::string> soundsOf(const std::string& log) {
    std::vector<std::string> sounds;
    for (const std::string& line : linesOf(log)) {
        if (line.find(R"("kind":"sound")") == std::string::npos) continue;
        const size_t action = line.find(R"("action":")") + 10;
        const size_t file = line.find(R"("file":)");
        std::string word = line.substr(action, line.find('"', action) - action);
        const std::string name = line.substr(file + 7, line.find('}', file) - file - 7);
        sounds.push_back(word + " " + name);
    }
    return sounds;
}

TEST(Replay, TheTruckCrossesAndTheProgramEndsInReview) {
    const std::string dir = scratch("animate");
    // A passed bridge: the engine starts, the truck drives 613 frames, the horn, then cheers.
    write(dir + "/passed.txt", "command 5003\n");
    ASSERT_EQ(cli("replay " + dir + "/passed.txt --open " + example("PRATT.BRG") + " --log " + dir +
                  "/passed.jsonl --png " + dir + "/passed.png")
                  .status,
              0);
    const std::vector<std::string> passed = soundsOf(slurp(dir + "/passed.jsonl"));
    const std::vector<std::string> passedWanted = {
        "async \"truckstr.wav\"", "stop null", "sync \"truckstr.wav\"",
        "loop \"truck.wav\"",     "stop null", "sync \"truckwh.wav\"",
        "async \"cheers.wav\""};
    EXPECT_EQ(passed, passedWanted);
    ASSERT_EQ(cli("render --review " + example("PRATT.BRG") + " " + dir + "/passed-review.png").status, 0);
    EXPECT_TRUE(slurp(dir + "/passed.png") == slurp(dir + "/passed-review.png"));

    // A failed bridge (the deck weight is too much for it): the horn, the crash, silence.
    write(dir + "/failed.txt", "command 6002\ncommand 5003\n");
    ASSERT_EQ(cli("replay " + dir + "/failed.txt --open " + example("PRATT.BRG") + " --log " + dir +
                  "/failed.jsonl --png " + dir + "/failed.png")
                  .status,
              0);
    const std::vector<std::string> failed = soundsOf(slurp(dir + "/failed.jsonl"));
    const std::vector<std::string> failedWanted = {
        "async \"truckstr.wav\"", "stop null", "sync \"truckstr.wav\"",
        "loop \"truck.wav\"",     "stop null", "async \"truckwh.wav\"",
        "loop \"crash.wav\"",     "stop null"};
    EXPECT_EQ(failed, failedWanted);
    ASSERT_EQ(cli("render --review --deck-weight " + example("PRATT.BRG") + " " + dir + "/failed-review.png")
                  .status,
              0);
    EXPECT_TRUE(slurp(dir + "/failed.png") == slurp(dir + "/failed-review.png"));

    // With Use Sound off the run is silent after the intro.
    write(dir + "/quiet.txt", "command 7003\ncommand 5003\n");
    ASSERT_EQ(
        cli("replay " + dir + "/quiet.txt --open " + example("PRATT.BRG") + " --log " + dir + "/quiet.jsonl")
            .status,
        0);
    EXPECT_EQ(soundsOf(slurp(dir + "/quiet.jsonl")).size(), 2u);
}

// A replay keeps to a store of its own. What a desktop run left in the user's folders (a copy of
// unsaved work, recent files, an assignment) is neither offered nor changed by replays that exit
// or that are left with unsaved work, and nothing is added there. With --state two replays share
// one folder: the second is offered what the first left.
TEST(Replay, KeepsToAStoreOfItsOwn) {
    const std::string dir = scratch("state");
    const std::string config = std::string(std::getenv("XDG_CONFIG_HOME")) + "/trussmill";
    const std::string state = std::string(std::getenv("XDG_STATE_HOME")) + "/trussmill";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(state);
    const std::vector<std::pair<std::string, std::string>> planted = {
        {state + "/recovery.BRG", slurp(example("HOWE.BRG"))},
        {state + "/recovery.info", "HOWE\n/home/student/HOWE.BRG\n"},
        {config + "/recent-files", "/home/student/HOWE.BRG\n"},
        {config + "/assignment", "title = Week 3\nmax_joints = 4\n"}};
    for (const auto& [path, text] : planted) write(path, text);
    write(dir + "/exits.txt", "wait 8000\nanswer yes\nclose\n");
    // Calculate (a limits notice, were the assignment read), then a member drawn and left unsaved.
    write(dir + "/left.txt", "command 5002\ncommand 5001\npress 150 250\ndrag 200 250\nrelease 250 250\n");
    for (const char* script : {"exits", "left", "left"}) {
        const std::string log = dir + "/" + script + ".jsonl";
        ASSERT_EQ(
            cli("replay " + dir + "/" + script + ".txt --open " + example("PRATT.BRG") + " --log " + log)
                .status,
            0);
        EXPECT_EQ(slurp(log).find("Restore them?"), std::string::npos) << script;
        EXPECT_EQ(slurp(log).find("the assignment allows"), std::string::npos) << script;
    }
    for (const auto& [path, text] : planted) EXPECT_EQ(slurp(path), text) << path;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config), {}), 2);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(state), {}), 2);

    const std::string kept = dir + "/kept/deeper";
    std::filesystem::remove_all(dir + "/kept");
    ASSERT_EQ(cli("replay " + dir + "/left.txt --state " + kept).status, 0);
    ASSERT_EQ(cli("replay " + dir + "/exits.txt --state " + kept + " --log " + dir + "/kept.jsonl").status,
              0);
    EXPECT_NE(slurp(dir + "/kept.jsonl").find("changes to UNTITLED. Restore them?"), std::string::npos);
    EXPECT_EQ(cli("replay " + dir + "/exits.txt --state /dev/null/state").status, 1);
}

TEST(Replay, BadScriptsAndUsage) {
    const std::string dir = scratch("bad");
    write(dir + "/bad.txt", "command 5002\n\nrelease 10\n");
    const CliRun bad =
        cli("replay " + dir + "/bad.txt --log " + dir + "/bad.jsonl --png " + dir + "/bad.png");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, dir + "/bad.txt:3: release takes two whole numbers X Y\n");
    EXPECT_FALSE(exists(dir + "/bad.jsonl"));
    EXPECT_FALSE(exists(dir + "/bad.png"));

    EXPECT_EQ(cli("replay " + dir + "/missing.txt").status, 1);
    write(dir + "/empty.txt", "");
    EXPECT_EQ(cli("replay " + dir + "/empty.txt --open " + dir + "/missing.BRG").status, 1);
    EXPECT_EQ(cli("replay").status, 2);
    EXPECT_EQ(cli("replay " + dir + "/empty.txt --png").status, 2);
    EXPECT_EQ(cli("replay " + dir + "/empty.txt --state").status, 2);
    EXPECT_EQ(cli("replay " + dir + "/empty.txt --fast").status, 2);
    EXPECT_EQ(cli("replay " + dir + "/empty.txt " + dir + "/empty.txt").status, 2);
    // A PNG that cannot be written is a failure, named with its reason.
    const CliRun unwritable = cli("replay " + dir + "/empty.txt --png " + dir + "/no/such/folder.png");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("folder.png: cannot be written: No such file or directory"),
              std::string::npos)
        << unwritable.err;
}

}  // namespace
