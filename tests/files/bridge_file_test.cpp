// The .BRG file: exact bytes written, what loading rebuilds, refusals that leave the model as it
// was, save -> load -> save identity, and saves that fail without losing the earlier file.
#include "files/bridge_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "files/assignment_file.h"
#include "files/file_paths.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_bridges.h"

namespace {

std::string textOf(const BridgeModel& model) {
    std::string out;
    writeBridgeFile(model, out);
    return out;
}

bool sameBytes(const BridgeModel& a, const BridgeModel& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(BridgeFile, WritesTheFiveLineExampleExactly) {
    TestBridge b;
    b.joint(0, 0);
    b.joint(100, 0);
    b.member(1, 2, 5);
    b.update();
    EXPECT_EQ(textOf(b.model),
              "RADIV40 DATA FILE\n"
              "1 2 1 29000.000000 1 1\n"
              "1 0.000000 0.000000 0 0 0\n"
              "2 100.000000 0.000000 0 0 0\n"
              "1 1 2 3 29.000000 5 29000\n");
}

TEST(BridgeFile, WritesFlagsAsOnesAndMembersAsStored) {
    TestBridge b;
    b.joint(-0, -5);
    b.joint(30, 7);
    b.member(2, 1, 12);  // written in stored order; no geometry update first
    b.model.joints[1].fileFlag1 = 7;
    b.model.joints[2].fileFlag3 = 1;
    b.model.elasticModulus = 30000.5;
    EXPECT_EQ(textOf(b.model),
              "RADIV40 DATA FILE\n"
              "1 2 1 30000.500000 1 1\n"
              "1 0.000000 -5.000000 1 0 0\n"
              "2 30.000000 7.000000 0 0 1\n"
              "1 2 1 3 0.000000 12 29000\n");
}

TEST(BridgeFile, LoadingRebuildsTheModel) {
    TestBridge b;
    b.model.members[20].forceRatio = 1000.0;  // results of an earlier bridge are cleared
    b.model.savedFlag = 0;
    const char* text =
        "RADIV40xyz anything goes\r\n"  // only the first 7 characters of the magic count
        "2 3 1 31000.25 1 1\r\n"
        "1 0 0 1 0 0\r\n"
        "2 12.9 -5.5 0 1 0\r\n"
        "3 400 0 0 0 1\r\n"
        "1 2 1 3 999.0 7 29000\n"  // the area is informative only
        "2 2 3 3 0 1 29000\n";
    BridgeFileResult r = readBridgeText(text, b.model, b.sizes);
    ASSERT_TRUE(r.ok()) << r.reason;
    const BridgeModel& m = b.model;
    EXPECT_EQ(m.jointCount, 3);
    EXPECT_EQ(m.memberCount, 2);
    EXPECT_EQ(m.elasticModulus, static_cast<double>(31000.25f));
    EXPECT_EQ(m.savedFlag, 1);
    // Board coordinates from truncated feet, and the feet then follow the board.
    EXPECT_EQ(m.joints[2].screenX, 162);
    EXPECT_EQ(m.joints[2].screenY, 255);
    EXPECT_EQ(m.joints[2].x, 12.0f);
    EXPECT_EQ(m.joints[2].y, -5.0f);
    EXPECT_EQ(m.joints[1].fileFlag1, 1);
    EXPECT_EQ(m.joints[2].fileFlag2, 1);
    EXPECT_EQ(m.joints[3].fileFlag3, 1);
    EXPECT_EQ(m.joints[3].kind, JointKind::RightSupport);
    // Geometry updated: ends ordered, area from the size table.
    EXPECT_EQ(m.members[1].startJoint, 1);
    EXPECT_EQ(m.members[1].endJoint, 2);
    EXPECT_EQ(m.members[1].area, 60.75);
    EXPECT_EQ(m.members[1].size, 7);
    EXPECT_EQ(m.members[2].size, 1);
    EXPECT_EQ(m.members[20].forceRatio, 0.0);
    EXPECT_GT(m.totalWeight, 0.0);
}

TEST(BridgeFile, RefusedFilesLeaveTheModelUntouched) {
    const char* refused[] = {
        "",                                                       // empty: code 2
        "   \n\r\n",                                              // only blanks
        "RADIV4 DATA FILE\n0 0 1 29000 1 1\n",                    // magic too short
        "radiv40 DATA FILE\n0 0 1 29000 1 1\n",                   // magic is case-sensitive
        "RADIV40 DATA\n",                                         // header tokens missing
        "RADIV40 DATA FILE\n",                                    // no header
        "RADIV40 DATA FILE\n1 2 1 29000\n",                       // short header
        "RADIV40 DATA FILE\n-1 0 1 29000 1 1\n",                  // negative count
        "RADIV40 DATA FILE\n0 63 1 29000 1 1\n",                  // more joints than the table holds
        "RADIV40 DATA FILE\n153 2 1 29000 1 1\n",                 // more members than the table holds
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n",                   // joint line missing
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 x 0 0 0 0\n",      // non-numeric coordinate
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 1.5 0 0 0 0.5\n",  // real where a whole number goes
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 nan 0 0 0 0\n",    // not finite
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 inf 0 0 0 0\n",
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 1e300 0 0 0 0\n",  // infinite as a float
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 40000 0 0 0 0\n",  // off a 16-bit board
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 0 -32600 0 0 0\n",
        "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 10 0 0 0 0\n1 1 3 3 29 5 29000\n",   // joint 3 of
                                                                                                 // 2
        "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 10 0 0 0 0\n1 0 2 3 29 5 29000\n",   // joint 0
        "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 10 0 0 0 0\n1 1 2 3 29 13 29000\n",  // size 13
        "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 10 0 0 0 0\n1 1 2 3 29 -1 29000\n",  // size -1
        "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 10 0 0 0 0\n1 1 2 3 29 5\n",  // short member
        "RADIV40 DATA FILE\n2 2 1 29000 1 1\n1 0 0 0 0 0\n2 10 0 0 0 0\n1 1 2 3 29 5 29000\n",  // member
                                                                                                // missing
        "RADIV40 DATA FILE\n0 1 1 29000 1 1\n1 0 0 0 0 99999999999999999999\n",  // overflowing integer
    };
    TestBridge b = workedExampleBridge();
    b.model.savedFlag = 0;
    std::strcpy(b.model.filePath, "/somewhere/PRATT.BRG");
    const BridgeModel before = b.model;
    for (const char* text : refused) {
        BridgeFileResult r = readBridgeText(text, b.model, b.sizes);
        EXPECT_FALSE(r.ok()) << text;
        EXPECT_NE(r.reason[0], '\0') << text;
        EXPECT_TRUE(sameBytes(b.model, before)) << text;
    }
    EXPECT_EQ(readBridgeText("", b.model, b.sizes).status, BridgeFileStatus::Empty);
    EXPECT_EQ(readBridgeText("XRADIV40 A B", b.model, b.sizes).status, BridgeFileStatus::NotBridgeFile);
    EXPECT_EQ(readBridgeText("RADIV40 A", b.model, b.sizes).status, BridgeFileStatus::NoHeader);
}

TEST(BridgeFile, TakesWhatTheProgramItselfCanWrite) {
    // 152 members (a split past the limit) and 62 joints, many of them on the roadbed.
    TestBridge b;
    for (int j = 0; j < 62; ++j) b.joint(j * 6, j % 2 == 0 ? 0 : 10);
    for (int i = 0; i < 152; ++i) b.member(1 + i % 61, 2 + i % 61, 1 + i % 12);
    b.update();
    TestBridge loaded;
    BridgeFileResult r = readBridgeText(textOf(b.model), loaded.model, loaded.sizes);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(loaded.model.memberCount, 152);
    EXPECT_EQ(loaded.model.jointCount, 62);
    EXPECT_EQ(loaded.model.roadbedJointCount, 30);
    EXPECT_EQ(textOf(loaded.model), textOf(b.model));
}

TEST(BridgeFile, SaveLoadSaveGivesIdenticalBytes) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 300; ++round) {
        TestBridge b;
        const int joints = 2 + static_cast<int>(random() % 61);
        for (int j = 0; j < joints; ++j) {
            b.joint(static_cast<int>(random() % 401), static_cast<int>(random() % 166) - 65);
            b.model.joints[j + 1].fileFlag1 = static_cast<uint8_t>(random() % 2);
            b.model.joints[j + 1].fileFlag2 = static_cast<uint8_t>(random() % 3);
            b.model.joints[j + 1].fileFlag3 = static_cast<uint8_t>(random() % 2);
        }
        const int members = static_cast<int>(random() % 153);
        for (int i = 0; i < members; ++i) {
            b.member(1 + static_cast<int>(random() % joints), 1 + static_cast<int>(random() % joints),
                     static_cast<int>(random() % 13));
        }
        b.update();
        const std::string first = textOf(b.model);
        TestBridge loaded;
        BridgeFileResult r = readBridgeText(first, loaded.model, loaded.sizes);
        ASSERT_TRUE(r.ok()) << r.reason;
        ASSERT_EQ(textOf(loaded.model), first) << "round " << round;
    }
}

TEST(BridgeFile, SaveAndLoadThroughTheDisk) {
    const std::string dir = scratchFolder("save-load");
    const std::string path = dir + "/PRATTBRIDGE.v2.BRG";
    TestBridge b = workedExampleBridge();
    b.model.savedFlag = 0;
    ASSERT_TRUE(saveBridgeFile(path.c_str(), b.model));
    EXPECT_EQ(b.model.savedFlag, 1);
    EXPECT_STREQ(b.model.bridgeName, "PRATTBRI");
    EXPECT_EQ(std::string(b.model.filePath), path);

    TestBridge loaded;
    BridgeFileResult r = loadBridgeFile(path.c_str(), loaded.model, loaded.sizes);
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_STREQ(loaded.model.bridgeName, "PRATTBRI");
    EXPECT_EQ(textOf(loaded.model), textOf(b.model));

    // CR LF line ends read the same.
    std::string crlf;
    for (char c : textOf(b.model)) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    TestBridge fromCrlf;
    ASSERT_TRUE(readBridgeText(crlf, fromCrlf.model, fromCrlf.sizes).ok());
    EXPECT_EQ(textOf(fromCrlf.model), textOf(b.model));

    // A missing file is refused with a reason, and the model keeps its name and path.
    const BridgeModel before = loaded.model;
    r = loadBridgeFile((dir + "/missing.BRG").c_str(), loaded.model, loaded.sizes);
    EXPECT_EQ(r.status, BridgeFileStatus::CannotOpen);
    EXPECT_TRUE(sameBytes(loaded.model, before));
}

TEST(BridgeFile, FailedSaveKeepsTheEarlierFileAndTheFlag) {
    const std::string dir = scratchFolder("failed-save");
    const std::string path = dir + "/KEEP.BRG";
    TestBridge b = workedExampleBridge();
    ASSERT_TRUE(saveBridgeFile(path.c_str(), b.model));
    std::string original;
    ASSERT_TRUE(readWholeFile(path.c_str(), original, 1 << 20));

    // A folder that does not exist, and a target that is a folder: both fail cleanly.
    b.member(6, 8);
    b.model.savedFlag = 0;
    const BridgeModel before = b.model;
    EXPECT_FALSE(saveBridgeFile((dir + "/no/such/folder/X.BRG").c_str(), b.model));
    ::mkdir((dir + "/ADIR.BRG").c_str(), 0755);
    EXPECT_FALSE(saveBridgeFile((dir + "/ADIR.BRG").c_str(), b.model));
    EXPECT_TRUE(sameBytes(b.model, before));

    // A device is never replaced by a file.
    EXPECT_FALSE(writeFileAtomically("/dev/null", "x"));

    // A write that fails halfway (file size limit): the earlier file stays whole and no
    // temporary file is left beside it.
    std::string big(1 << 16, 'x');
    struct rlimit old;
    ::getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit tight = old;
    tight.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &tight);
    const bool wrote = writeFileAtomically(path.c_str(), big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_FALSE(wrote);
    std::string now;
    ASSERT_TRUE(readWholeFile(path.c_str(), now, 1 << 20));
    EXPECT_EQ(now, original);
    int entries = 0;
    if (DIR* folder = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(folder)) entries += e->d_name[0] != '.' ? 1 : 0;
        ::closedir(folder);
    }
    EXPECT_EQ(entries, 2);  // KEEP.BRG and ADIR.BRG; no leftover temporary
}

TEST(FilePaths, ShortExtensionRuleAndNames) {
    char out[64];
    auto ext = [&](const char* chosen, const char* e) {
        EXPECT_TRUE(withShortExtensionReplaced(chosen, e, out, sizeof out));
        return std::string(out);
    };
    EXPECT_EQ(ext("bridge1", ".BRG"), "bridge1.BRG");
    EXPECT_EQ(ext("bridge1.brg", ".BRG"), "bridge1.BRG");
    EXPECT_EQ(ext("b.x", ".BRG"), "b.BRG");
    EXPECT_EQ(ext("b.long", ".BRG"), "b.long.BRG");
    EXPECT_EQ(ext("/home/s/BRIDGE1.BRG", ".DXF"), "/home/s/BRIDGE1.DXF");
    EXPECT_EQ(ext("/tmp/a.b/c", ".WRL"), "/tmp/a.b/c.WRL");  // a dot in a folder is never cut
    EXPECT_EQ(ext("/x.d/ab", ".BRG"), "/x.d/ab.BRG");
    EXPECT_EQ(ext("", ".BRG"), ".BRG");
    EXPECT_FALSE(withShortExtensionReplaced("abcdefgh", ".BRG", out, 12));

    char name[BRIDGE_NAME_CHARS + 1];
    bridgeNameFromPath("/home/s/UNTITLED.BRG", name);
    EXPECT_STREQ(name, "UNTITLED");
    bridgeNameFromPath("verylongname.tar.BRG", name);
    EXPECT_STREQ(name, "verylong");
    bridgeNameFromPath("dir.v2/a", name);
    EXPECT_STREQ(name, "a");
    bridgeNameFromPath(".hidden", name);
    EXPECT_STREQ(name, "");

    // Sizes in refusals: decimal units to one place, never "1000.0 kB".
    EXPECT_EQ(sizeText(999), "999 bytes");
    EXPECT_EQ(sizeText(65536), "65.5 kB");
    EXPECT_EQ(sizeText(999960), "1 MB");
    EXPECT_EQ(sizeText(BRIDGE_FILE_MAX_BYTES), "16.8 MB");
    EXPECT_EQ(readRefusal(EFBIG, BRIDGE_FILE_MAX_BYTES + 1, BRIDGE_FILE_MAX_BYTES),
              "is too large (over the limit of 16.8 MB)");
}

}  // namespace

// The assignment file: a good one read whole, and every kind of bad line refused with its number;
// what its limits say about a bridge.
TEST(AssignmentFile, GrammarAndLimits) {
    const AssignmentRead good = readAssignmentText(
        "\xEF\xBB\xBF# Spring term\n"
        "title = Spring bridge\tcontest No.#2   # a # after a blank starts a comment\n"
        "dead_load = yes\r\n"
        "min_member_force = no\n"
        "\n"
        "max_joints = 40\n"
        "max_weight = 150.5\n"
        "due = 2028-02-29\n",
        "fallback");
    ASSERT_TRUE(good.ok) << good.reason;
    EXPECT_EQ(good.assignment.title, "Spring bridge contest No.#2");
    EXPECT_EQ(good.assignment.deadLoad, true);
    EXPECT_EQ(good.assignment.minMemberForce, false);
    EXPECT_FALSE(good.assignment.deckWeight);
    EXPECT_EQ(good.assignment.maxJoints, 40);
    EXPECT_FALSE(good.assignment.maxMembers);
    EXPECT_EQ(good.assignment.maxWeight, 150.5);
    const AnalysisOptions options = optionsUnder(good.assignment, AnalysisOptions{0, 1, 1, 1});
    EXPECT_EQ(options.includeDeadLoad, 1);
    EXPECT_EQ(options.includeDeckWeight, 1);  // left to the student
    EXPECT_EQ(options.useMinMemberForce, 0);
    EXPECT_EQ(readAssignmentText("", "Week 3").assignment.title, "Week 3");

    const std::pair<const char*, const char*> bad[] = {
        {"title = A\nmax_wieght = 10\n", "line 2: unknown key 'max_wieght'"},
        {"dead_load = maybe\n", "line 1: dead_load must be yes or no, not 'maybe'"},
        {"\nmax_joints = 61\n", "line 2: max_joints must be a whole number from 1 to 60, not '61'"},
        {"max_weight = -3\n", "line 1: max_weight must be a weight in kips above 0, not '-3'"},
        {"due = 2027-02-29\n", "line 1: due must be a date written YYYY-MM-DD, not '2027-02-29'"},
        {"dead_load = yes\n# again\ndead_load = no\n", "line 3: dead_load is given twice (first on line 1)"},
        {"just words\n", "line 1: expected key = value, not 'just words'"},
        {"Name:\tsystem file\n", "line 1: expected key = value, not 'Name:?system file'"},
        // Strict UTF-8: Latin-1, a surrogate, overlong forms, bytes F5-FF, beyond U+10FFFF.
        {"title = caf\xE9\n", "line 1: not UTF-8 text"},
        {"# \xF0\x9F\x8C\x89\ntitle = \xED\xA0\x80\n", "line 2: not UTF-8 text"},
        {"title = \xC0\xAF\n", "line 1: not UTF-8 text"},
        {"title = \xE0\x80\xAF\n", "line 1: not UTF-8 text"},
        {"title = \xF5\x80\x80\x80\n", "line 1: not UTF-8 text"},
        {"due = 2027-01-01 # \xFF\n", "line 1: not UTF-8 text"},
        {"title = \xF4\x90\x80\x80\n", "line 1: not UTF-8 text"},
        // Control characters but the tab, in a comment too; a CR only as the end of CR LF.
        {"title = A\x1B[2J\n", "line 1: a control character (U+001B) in the line"},
        {"title = A\xC2\x9B\n", "line 1: a control character (U+009B) in the line"},
        {"\ndue = 2027-01-01\rtitle = x\n", "line 2: a control character (U+000D) in the line"},
        {"title = A # \x7F\n", "line 1: a control character (U+007F) in the line"},
        // A quote is cut between characters: the 40th byte is inside the last.
        {"dead_load = xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xC3\xA9\n",
         "line 1: dead_load must be yes or no, not 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...'"},
    };
    for (const auto& [text, reason] : bad) {
        const AssignmentRead read = readAssignmentText(text, "x");
        EXPECT_FALSE(read.ok) << text;
        EXPECT_EQ(read.reason, reason);
    }
    // The line of each key; a title from a file name is printable and cut between characters.
    EXPECT_EQ(good.keyLines, (std::map<std::string, int, std::less<>>{{"title", 2},
                                                                      {"dead_load", 3},
                                                                      {"min_member_force", 4},
                                                                      {"max_joints", 6},
                                                                      {"max_weight", 7},
                                                                      {"due", 8}}));
    EXPECT_EQ(readAssignmentText("", std::string(119, 'w') + "\xC3\xA9").assignment.title,
              std::string(119, 'w'));
    EXPECT_EQ(readAssignmentText("",
                                 "Week\x1B"
                                 "3\xFF")
                  .assignment.title,
              "Week?3?");

    // Limits: each broken one named, none when the bridge keeps them.
    BridgeModel model;
    initBridgeModel(model);
    model.jointCount = 44;
    model.memberCount = 80;
    model.totalWeight = 162.34;
    EXPECT_EQ(brokenLimits(good.assignment, model),
              (std::vector<std::string>{"This bridge has 44 joints; the assignment allows 40.",
                                        "This bridge weighs 162.3 kips; the assignment allows 150.5."}));
    model.jointCount = 40;
    model.totalWeight = 150.5;
    EXPECT_TRUE(brokenLimits(good.assignment, model).empty());
    EXPECT_TRUE(isAssignmentPath("/home/t/Week 3.Trussmill-Assignment"));
    EXPECT_FALSE(isAssignmentPath("PRATT.BRG"));
}
