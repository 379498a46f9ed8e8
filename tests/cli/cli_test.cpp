// trussmill-cli run as a user would: the sample bridges, malformed files refused with a one-line
// reason and nothing written, usage errors, grading a folder, and the exports and the picture.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/bridge_file.h"
#include "files/dxf_export.h"
#include "files/file_paths.h"
#include "files/vrml_export.h"
#include "tests/support/cli_run.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_bridges.h"

namespace {

std::string scratch(const char* name) {
    return scratchFolder(std::string("cli-") + name);
}

int lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST(Cli, AnalysesTheSampleBridges) {
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"}) {
        const CliRun r = cli("analyze " + example(name));
        EXPECT_EQ(r.status, 0) << name << r.err;
        EXPECT_NE(r.out.find("Bridge Passed"), std::string::npos) << name;
        EXPECT_NE(r.out.find("Memb.  Size   Length"), std::string::npos) << name;
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
    // The options reach the analysis: the deck weight is far more than these trusses carry.
    const CliRun heavy = cli("analyze --deck-weight " + example("PRATT.BRG"));
    EXPECT_NE(heavy.out.find("Deck Load Included"), std::string::npos);
    EXPECT_NE(heavy.out.find("Bridge Failed"), std::string::npos);
}

// members --csv says what analyze --json says of every member (the same numbers, ratios and
// verdicts, written the same way), and names the roadbed joint furthest left whose load case gives
// the design force; with the minimum force option a member may have none. JSON has the same rows.
TEST(Cli, TheMemberTableAgreesWithTheAnalysis) {
    for (const char* flags : {"", "--deck-weight ", "--min-force "}) {
        for (const char* name : {"PRATT.BRG", "DECK.BRG"}) {
            SCOPED_TRACE(std::string(flags) + name);
            const CliRun json = cli(std::string("analyze --json ") + flags + example(name));
            const CliRun csv = cli(std::string("members --csv ") + flags + example(name));
            ASSERT_EQ(csv.status, 0) << csv.err;
            TestBridge b;
            ASSERT_TRUE(loadBridgeFile(example(name).c_str(), b.model, b.sizes).ok());
            std::istringstream rows(csv.out);
            std::string row;
            std::getline(rows, row);
            EXPECT_EQ(row,
                      "index,startJoint,endJoint,size,length,force,allowableTension,allowableCompression,"
                      "forceRatio,governingJoint,status");
            int count = 0;
            while (std::getline(rows, row)) {
                std::vector<std::string> f;
                std::stringstream fields(row);
                for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
                if (row.back() == ',') f.push_back("");
                ASSERT_EQ(f.size(), 11u) << row;
                ++count;
                EXPECT_EQ(f[0], std::to_string(count));
                EXPECT_NE(json.out.find("\"force\":" + f[5] + ",\"allowableTension\":" + f[6] +
                                        ",\"allowableCompression\":" + f[7] + ",\"forceRatio\":" + f[8]),
                          std::string::npos)
                    << row;
                EXPECT_EQ(f[10], std::stod(f[8]) == 1000.0 ? "FAIL" : "ok") << row;
                if (f[9].empty()) {
                    EXPECT_TRUE(std::string(flags) == "--min-force " || std::stod(f[5]) == 0) << row;
                    continue;
                }
                const int governing = std::stoi(f[9]);
                ASSERT_EQ(b.model.joints[governing].kind, JointKind::Roadbed) << row;
                // Its load case gives the force: the truck on that joint, found among the case forces
                // analyze lists for the member in joint order.
                const size_t at = json.out.find("\"index\":" + f[0] + ",\"startJoint\"");
                const size_t cases = json.out.find("\"caseForces\":[", at) + 14;
                std::stringstream list(json.out.substr(cases, json.out.find(']', cases) - cases));
                int k = 0;
                std::string force;
                for (int j = 1; j <= governing; ++j) {
                    if (b.model.joints[j].kind == JointKind::Roadbed) ++k, std::getline(list, force, ',');
                }
                EXPECT_EQ(force, f[5]) << row << " (case " << k << ")";
            }
            EXPECT_EQ(count, b.model.memberCount);
            const CliRun asJson = cli(std::string("members --json ") + flags + example(name));
            EXPECT_EQ(lines(asJson.out), 1);
            EXPECT_EQ(asJson.out.find("[{\"index\":1,\"startJoint\":"), 0u);
        }
    }
}

TEST(Cli, JsonOfTheHandSolvedTruss) {
    const std::string dir = scratch("json");
    TestBridge b = workedExampleBridge();
    ASSERT_TRUE(saveBridgeFile((dir + "/WORKED.BRG").c_str(), b.model));
    const CliRun r = cli("analyze --json " + dir + "/WORKED.BRG");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out.rfind("{\"name\":\"WORKED\",\"jointCount\":8,\"memberCount\":13,\"roadbedJointCount\":3,", 0),
        0u)
        << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("\"check\":null,\"unstable\":false,\"failed\":true,\"maxDeflection\":1.334"),
              std::string::npos);
    // Member 1 carries +120 kips with the truck on joint 2, at 19.16 percent.
    EXPECT_NE(r.out.find("\"forceRatio\":19.157"), std::string::npos);
    EXPECT_NE(r.out.find("\"caseForces\":[120.00000"), std::string::npos);
    // Each joint's displacements, one [dx, dy] per case: the left support holds both ways, the
    // right one vertically; 1.334 in is the last case's largest.
    EXPECT_NE(r.out.find("\"liveLoad\":0,\"caseDisplacements\":[[0,0],[0,0],[0,0]]}"), std::string::npos);
    EXPECT_NE(r.out.find(",0],["), std::string::npos);  // the right support's dy
    EXPECT_NE(r.out.find(",-1.334"), std::string::npos);

    EXPECT_EQ(r.out.find("\"mechanism\""), std::string::npos);  // only an unstable truss has one

    // Without its last diagonal it is unstable: too few members, and one motion of its joints.
    TestBridge shortBridge = workedExampleBridge();
    --shortBridge.model.memberCount;
    ASSERT_TRUE(saveBridgeFile((dir + "/SHORT.BRG").c_str(), shortBridge.model));
    const CliRun shortOfOne = cli("analyze --json " + dir + "/SHORT.BRG");
    EXPECT_NE(shortOfOne.out.find("\"mechanism\":{\"reason\":\"members\",\"joint\":null,\"motion\":[[0,0],"),
              std::string::npos)
        << shortOfOne.out.substr(shortOfOne.out.find("\"mechanism\""));
    // The program's picture of it is one still of its swing, the sentence above it.
    const CliRun still = cli("render --review " + dir + "/SHORT.BRG " + dir + "/short.png");
    EXPECT_EQ(still.status, 0) << still.err;

    // A bridge the check stops: the message, null results, no load cases.
    b.joint(300, 80);  // attached to nothing
    ASSERT_TRUE(saveBridgeFile((dir + "/LOOSE.BRG").c_str(), b.model));
    const CliRun loose = cli("analyze --json " + dir + "/LOOSE.BRG");
    EXPECT_NE(loose.out.find("\"check\":\"Unattached joint.\",\"unstable\":null,\"failed\":null,"
                             "\"maxDeflection\":null,\"overallEfficiency\":null"),
              std::string::npos);
    EXPECT_NE(loose.out.find("\"caseForces\":[]"), std::string::npos);
    EXPECT_NE(loose.out.find("\"caseDisplacements\":[]"), std::string::npos);

    // An empty bridge stops at "No Bridge!".
    TestBridge empty;
    ASSERT_TRUE(saveBridgeFile((dir + "/EMPTY.BRG").c_str(), empty.model));
    EXPECT_NE(cli("analyze --json " + dir + "/EMPTY.BRG").out.find("\"check\":\"No Bridge!\""),
              std::string::npos);
}

TEST(Cli, MalformedFilesAreRefusedAndNothingIsWritten) {
    const std::string dir = scratch("malformed");
    const std::pair<const char*, const char*> files[] = {
        {"empty.BRG", ""},
        {"notabridge.BRG", "HELLO WORLD\n"},
        {"toomany.BRG", "RADIV40 DATA FILE\n0 99 1 29000 1 1\n"},
        {"short.BRG", "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n"},
        {"badjoint.BRG",
         "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 9 0 0 0 0\n1 1 7 3 29 5 29000\n"},
    };
    for (const auto& [name, text] : files) write(dir + "/" + name, text);
    for (const auto& [name, text] : files) {
        const std::string file = dir + "/" + name;
        const std::string out = dir + "/out-" + name;
        for (const std::string& command :
             {"analyze " + file, "analyze --json " + file, "dxf " + file + " " + out,
              "vrml " + file + " " + out, "render " + file + " " + out}) {
            const CliRun r = cli(command);
            EXPECT_EQ(r.status, 1) << command;
            EXPECT_EQ(lines(r.err), 1) << command << ": " << r.err;
            EXPECT_NE(r.err.find(file), std::string::npos) << r.err;  // the reason names the file
            EXPECT_TRUE(r.out.empty()) << command;
            EXPECT_FALSE(exists(out)) << command;
        }
    }
    const CliRun missing = cli("analyze " + dir + "/nothere.BRG");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;
    // A file over the reader's limit is refused unread, with both sizes (100 MiB, a sparse file).
    write(dir + "/huge.BRG", "");
    ASSERT_EQ(::truncate((dir + "/huge.BRG").c_str(), 100 << 20), 0);
    EXPECT_EQ(cli("analyze " + dir + "/huge.BRG").err,
              "trussmill-cli: " + dir + "/huge.BRG: is too large (104.9 MB; the limit is 16.8 MB)\n");

    // An output that cannot be written is a file error too.
    const CliRun unwritable = cli("dxf " + example("PRATT.BRG") + " " + dir + "/no/such/folder/x.DXF");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("x.DXF: cannot be written: No such file or directory"), std::string::npos)
        << unwritable.err;
}

TEST(Cli, UsageErrorsAndHelp) {
    for (const char* command : {"", "frobnicate x", "analyze", "analyze a b", "analyze --csv x.BRG", "grade",
                                "dxf x.BRG", "render --json x y", "vrml a b c"}) {
        const CliRun r = cli(command);
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << command;
    }
    const CliRun help = cli("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word :
         {"analyze", "grade", "dxf", "vrml", "render", "--dead-load", "--min-force", "caseForces"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
}

// Output that cannot be written is a failure, never a success: every command that writes to
// standard output, onto a full disk, says why in one line and ends with status 1; a reader that
// stops early (a closed pipe, SIGPIPE ignored) ends it quietly, but not with status 0.
TEST(Cli, OutputThatCannotBeWrittenIsAFailure) {
    const std::string pratt = example("PRATT.BRG");
    const std::string lightened = scratchFolder("cli-full") + "/light.BRG";
    const std::string err = scratchFolder("cli-full") + "/err.txt";
    auto status = [&](const std::string& redirected) {
        const int raw =
            std::system(("\"" + std::string(TRUSSMILL_CLI) + "\" " + redirected + " 2>" + err).c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    for (const std::string& command : std::vector<std::string>{
             "--help", "--version", "analyze " + pratt, "analyze --json " + pratt, "grade " + pratt,
             "grade --csv " + pratt, "grade --json " + pratt, "lighten " + pratt + " " + lightened}) {
        EXPECT_EQ(status(command + " >/dev/full"), 1) << command;
        EXPECT_EQ(slurp(err), "trussmill-cli: cannot write the output: No space left on device\n") << command;
    }
    std::string many;
    for (int i = 0; i < 200; ++i) many += " " + pratt;
    const std::string piped = "grade --json" + many + " | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}";
    const int raw = std::system(
        ("bash -c 'trap \"\" PIPE; \"" + std::string(TRUSSMILL_CLI) + "\" " + piped + "' 2>" + err).c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    EXPECT_EQ(slurp(err), "");
}

TEST(Cli, GradesAFolderAndGoesOnPastBadFiles) {
    const std::string dir = scratch("grade");
    const std::string cls = dir + "/class";
    ::mkdir(cls.c_str(), 0755);
    ::mkdir((cls + "/ann").c_str(), 0755);
    write(cls + "/ann/pratt.brg", slurp(example("PRATT.BRG")));
    write(cls + "/bob.BRG", "garbage");
    write(cls + "/carl.BRG", slurp(example("WARREN.BRG")));
    write(cls + "/notes.txt", "not a bridge");
    const CliRun r = cli("grade --csv " + cls + " " + example("DECK.BRG"));
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream rows(r.out);
    std::string header, ann, bob, carl, deck, extra;
    std::getline(rows, header);
    std::getline(rows, ann);
    std::getline(rows, bob);
    std::getline(rows, carl);
    std::getline(rows, deck);
    EXPECT_FALSE(std::getline(rows, extra)) << extra;  // notes.txt is not a bridge file
    EXPECT_EQ(header,
              "file,name,joints,members,weight,result,maxDeflection,overallEfficiency,worstMember,worstRatio,"
              "similar_to");
    EXPECT_EQ(ann.rfind(cls + "/ann/pratt.brg,pratt,16,29,90.51,passed,", 0), 0u) << ann;
    EXPECT_NE(bob.find("unreadable: not a bridge file"), std::string::npos) << bob;
    EXPECT_EQ(carl.rfind(cls + "/carl.BRG,carl,17,31,", 0), 0u) << carl;
    EXPECT_NE(deck.find(",DECK,"), std::string::npos) << deck;

    const CliRun table = cli("grade " + cls);
    EXPECT_NE(table.out.find("unreadable"), std::string::npos);
    EXPECT_NE(table.out.find("passed"), std::string::npos);
}

TEST(Cli, ExportsAndPictureMatchTheProgram) {
    const std::string dir = scratch("exports");
    ASSERT_EQ(cli("dxf " + example("HOWE.BRG") + " " + dir + "/howe.dxf").status, 0);
    ASSERT_EQ(cli("vrml " + example("HOWE.BRG") + " " + dir + "/howe.wrl").status, 0);
    TestBridge b;
    ASSERT_TRUE(loadBridgeFile(example("HOWE.BRG").c_str(), b.model, b.sizes).ok());
    EXPECT_EQ(slurp(dir + "/howe.dxf"), dxfText(b.model));  // written to the exact path given
    EXPECT_EQ(slurp(dir + "/howe.wrl"), vrmlText(b.model));

    for (const char* mode : {"", "--review "}) {
        const std::string png = dir + "/board" + (mode[0] ? "-review" : "") + ".png";
        const CliRun r = cli(std::string("render ") + mode + example("HOWE.BRG") + " " + png);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string bytes = slurp(png);
        ASSERT_GT(bytes.size(), 24u);
        EXPECT_EQ(bytes.substr(1, 3), "PNG");
        // IHDR: the client area of the main window, 632 x 436.
        auto be32 = [&](size_t at) {
            return (unsigned(uint8_t(bytes[at])) << 24) | (unsigned(uint8_t(bytes[at + 1])) << 16) |
                   (unsigned(uint8_t(bytes[at + 2])) << 8) | unsigned(uint8_t(bytes[at + 3]));
        };
        EXPECT_EQ(be32(16), 632u);
        EXPECT_EQ(be32(20), 436u);
    }
}

}  // namespace
