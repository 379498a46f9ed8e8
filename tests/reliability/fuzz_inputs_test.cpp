// Every input the fuzzers have kept, and the sample bridges, go through the fuzz targets:
// what once broke a property must hold it now. A few inputs written by hand show that the targets
// reach what they are meant to reach.
#include <dirent.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "fuzz/model_checks.h"
#include "tests/support/cli_run.h"

namespace {

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> paths;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            if (e->d_name[0] != '.') paths.push_back(folder + "/" + e->d_name);
        }
        ::closedir(d);
    }
    return paths;
}

std::string regressions(const char* target) {
    return std::string(TRUSSMILL_SOURCE_DIR) + "/fuzz/regressions/" + target;
}

TEST(FuzzInputs, KeptInputsHoldEveryProperty) {
    int inputs = 0;
    for (const std::string& path : filesIn(regressions("bridge_reader"))) {
        EXPECT_EQ(checkBridgeReaderInput(slurp(path)), "") << path;
        EXPECT_EQ(checkPipelineInput(slurp(path)), "") << path;
        ++inputs;
    }
    for (const std::string& path : filesIn(regressions("pipeline"))) {
        EXPECT_EQ(checkPipelineInput(slurp(path)), "") << path;
        ++inputs;
    }
    for (const std::string& path : filesIn(regressions("replay"))) {
        EXPECT_EQ(checkReplayInput(slurp(path)), "") << path;
        ++inputs;
    }
    for (const std::string& path : filesIn(regressions("assignment"))) {
        EXPECT_EQ(checkAssignmentInput(slurp(path)), "") << path;
        ++inputs;
    }
    EXPECT_GE(inputs, 2);
}

TEST(FuzzInputs, SamplesAndHandMadeInputs) {
    // The samples pass the check and reach the analysis with every option set, the board, both
    // exports; a sample with CR LF line ends reads the same.
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"}) {
        const std::string text = slurp(example(name));
        EXPECT_EQ(checkBridgeReaderInput(text), "") << name;
        EXPECT_EQ(checkPipelineInput(text), "") << name;
        std::string crlf;
        for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        EXPECT_EQ(checkBridgeReaderInput(crlf), "") << name;
    }
    // Refused files: cut short, counts beyond the tables, bytes a terminal would obey.
    for (const char* text :
         {"", "RADIV40", "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n",
          "RADIV40 DATA FILE\n200 2 1 29000 1 1\n", "RADIV40 DATA FILE\n\x1b[2J 2 1 29000 1 1\n",
          "RADIV40 DATA FILE\n1 2 1 29000 1 1\n1 0 0 0 0 0\n2 1e300 0 0 0 0\n"}) {
        EXPECT_EQ(checkBridgeReaderInput(text), "") << text;
        EXPECT_EQ(checkPipelineInput(text), "") << text;
    }
    // The sample assignment is taken; one with a bad value is refused with its line.
    EXPECT_EQ(checkAssignmentInput(slurp(example("contest.trussmill-assignment"))), "");
    EXPECT_EQ(checkAssignmentInput("title = x\r\n\tmax_joints = 61\r\n"), "");
    // Scripts: refused lines, and a short session that draws, saves, opens, analyses and closes.
    EXPECT_EQ(checkReplayInput("press 1\n"), "");
    EXPECT_EQ(checkReplayInput("command 5002\nbogus\n"), "");
    EXPECT_EQ(checkReplayInput(std::string("press 1 2\0\n", 11)), "");
    EXPECT_EQ(checkReplayInput("command 4505\npress 150 250\ndrag 200 250\nrelease 250 250\n"
                               "press 250 250\nrelease 250 200\nchoose a\ncommand 1004\nchoose b\n"
                               "command 7001\nanswer yes\nchoose PRATT\ncommand 1002\ncommand 5002\n"
                               "press 300 250\nrelease 300 250\ncommand 2002\npress 200 200\n"
                               "drag 1000 1000\nrelease -5 -5\ncommand 1003\nclose\nanswer yes\nclose\n"),
              "");
}

// A mechanism whose joints move further than a float holds: with every option its deflection is
// no number, and the analysis report says so in words.
TEST(FuzzInputs, ADeflectionBeyondAFloatIsNoNumberInTheReport) {
    const std::string bridge = regressions("pipeline") + "/deflection-beyond-a-float.BRG";
    const CliRun run = cli("analyze --dead-load --deck-weight --live-load --min-force " + bridge);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Max. Deflection = N.A.\n"), std::string::npos) << run.out;
    EXPECT_EQ(nonFiniteNumberIn(run.out), "");
}

}  // namespace
