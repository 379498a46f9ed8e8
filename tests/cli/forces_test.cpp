// The forces command's CSV read back against the program's own analysis (and the hand-solved
// truss), one member at a time, refusals, and the chart drawn with the raster.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/forces.h"
#include "files/bridge_file.h"
#include "grading/chart_canvas.h"
#include "grading/force_chart.h"
#include "tests/support/cli_run.h"
#include "tests/support/test_bridges.h"

namespace {

struct Output {
    int status;
    std::string text;  // the file written, empty when there is none
    std::string err;
};

// Runs trussmill-cli forces and returns what it wrote to out.
Output forces(const std::string& bridge, const std::string& out, const std::string& flags = "") {
    ::unlink(out.c_str());
    const CliRun r = cli("forces " + flags + " " + bridge + " " + out);
    return {r.status, slurp(out), r.err};
}

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) rows.back().push_back(f);
    }
    return rows;
}

double number(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_EQ(*end, '\0') << text;
    return value;
}

std::unique_ptr<BridgeRun> calculated(const std::string& path, const AnalysisOptions& options) {
    auto run = BridgeRun::create(options);
    EXPECT_TRUE(run->load(path.c_str()).ok()) << path;
    run->calculate();
    return run;
}

// Every number of the CSV equals the analysis's own, read back exactly; positions run left to
// right and each names its roadbed joint, whose load case the column must hold.
void expectCsvMatchesAnalysis(const std::string& path, const AnalysisOptions& options,
                              const std::string& flags, const std::string& out) {
    SCOPED_TRACE(path + " " + flags);
    const Output written = forces(path, out, flags);
    ASSERT_EQ(written.status, 0) << written.err;
    const auto rows = csvRows(written.text);
    const auto run = calculated(path, options);
    const BridgeModel& model = run->model;
    ASSERT_EQ(int(rows.size()), model.memberCount + 1);
    const std::vector<std::string> fixed = {"member", "startJoint",       "endJoint",
                                            "size",   "allowableTension", "allowableCompression"};
    ASSERT_EQ(rows[0].size(), fixed.size() + size_t(model.roadbedJointCount));
    EXPECT_TRUE(std::equal(fixed.begin(), fixed.end(), rows[0].begin()));
    std::map<int, int> caseOfJoint;  // the k-th roadbed joint in joint order carries case k
    for (int j = 1, k = 0; j <= model.jointCount; ++j) {
        if (model.joints[j].kind == JointKind::Roadbed) caseOfJoint[j] = ++k;
    }
    std::vector<int> cases;
    double lastX = -1.0;
    for (size_t c = fixed.size(); c < rows[0].size(); ++c) {
        int joint = 0;
        double x = 0.0;
        ASSERT_EQ(std::sscanf(rows[0][c].c_str(), "joint %d at %lf ft", &joint, &x), 2) << rows[0][c];
        ASSERT_EQ(caseOfJoint.count(joint), 1u) << joint;
        EXPECT_EQ(x, model.joints[joint].x);
        EXPECT_GE(x, lastX);
        lastX = x;
        cases.push_back(caseOfJoint[joint]);
    }
    for (int i = 1; i <= model.memberCount; ++i) {
        const auto& row = rows[i];
        const Member& m = model.members[i];
        ASSERT_EQ(row.size(), rows[0].size());
        EXPECT_EQ(number(row[0]), i);
        EXPECT_EQ(number(row[1]), m.startJoint);
        EXPECT_EQ(number(row[2]), m.endJoint);
        EXPECT_EQ(number(row[3]), m.size);
        EXPECT_EQ(number(row[4]), m.allowableTension);
        EXPECT_EQ(number(row[5]), m.allowableCompression);
        for (size_t c = 0; c < cases.size(); ++c) {
            EXPECT_EQ(number(row[fixed.size() + c]), run->results.caseForces[i][cases[c]]) << "member " << i;
        }
    }
}

TEST(Forces, CsvIsTheAnalysis) {
    const std::string dir = scratchFolder("forces-csv");
    TestBridge worked = workedExampleBridge();
    const std::string workedPath = dir + "/WORKED.BRG";
    ASSERT_TRUE(saveBridgeFile(workedPath.c_str(), worked.model));
    expectCsvMatchesAnalysis(workedPath, {}, "", dir + "/worked.csv");

    // The hand-solved forces, cases with the truck on joints 2, 3 and 4 (kips, tension positive).
    const auto rows = csvRows(slurp(dir + "/worked.csv"));
    const std::map<int, std::vector<double>> expected = {{1, {120, 80, 40}},
                                                         {5, {-80, -160, -80}},
                                                         {7, {-134.164, -89.443, -44.721}},
                                                         {9, {80, 0, 0}},
                                                         {10, {0, 0, 0}},
                                                         {12, {-44.721, 89.443, 44.721}},
                                                         {13, {44.721, 89.443, -44.721}}};
    for (const auto& [member, values] : expected) {
        for (size_t k = 0; k < values.size(); ++k) {
            EXPECT_NEAR(number(rows[member][6 + k]), values[k], 1e-3)
                << "member " << member << " case " << k + 1;
        }
    }

    // The sample bridges, with and without options; a renumbered file whose roadbed joints are
    // not in left-to-right order.
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"}) {
        const std::string path = std::string(TRUSSMILL_SOURCE_DIR) + "/examples/" + name;
        expectCsvMatchesAnalysis(path, {}, "", dir + "/sample.csv");
        expectCsvMatchesAnalysis(path, {1, 1, 1, 1}, "--dead-load --deck-weight --live-load --min-force",
                                 dir + "/sample-options.csv");
    }
    TestBridge shuffled;
    for (int x : {400, 0, 300, 100, 200}) shuffled.joint(x, 0);
    for (int x : {300, 200, 100}) shuffled.joint(x, 50);
    shuffled.members({{2, 4},
                      {4, 5},
                      {5, 3},
                      {3, 1},
                      {8, 7},
                      {7, 6},
                      {2, 8},
                      {6, 1},
                      {4, 8},
                      {5, 7},
                      {3, 6},
                      {8, 5},
                      {6, 5}});
    shuffled.update();
    ASSERT_TRUE(saveBridgeFile((dir + "/SHUFFLED.BRG").c_str(), shuffled.model));
    expectCsvMatchesAnalysis(dir + "/SHUFFLED.BRG", {}, "", dir + "/shuffled.csv");

    // One member: its row alone, under the same header.
    const Output one = forces(workedPath, dir + "/member12.csv", "--member 12");
    ASSERT_EQ(one.status, 0) << one.err;
    const auto oneRows = csvRows(one.text);
    ASSERT_EQ(oneRows.size(), 2u);
    EXPECT_EQ(oneRows[0], rows[0]);
    EXPECT_EQ(oneRows[1], rows[12]);
}

TEST(Forces, RefusalsWriteNothing) {
    const std::string dir = scratchFolder("forces-refused");
    TestBridge worked = workedExampleBridge();
    ASSERT_TRUE(saveBridgeFile((dir + "/WORKED.BRG").c_str(), worked.model));
    TestBridge mechanism = workedExampleBridge();
    mechanism.model.memberCount = 11;
    ASSERT_TRUE(saveBridgeFile((dir + "/MECH.BRG").c_str(), mechanism.model));
    TestBridge loose = workedExampleBridge();
    loose.joint(300, 80);
    ASSERT_TRUE(saveBridgeFile((dir + "/LOOSE.BRG").c_str(), loose.model));

    struct Case {
        std::string bridge, out, flags;
        int status;
        const char* reason;
    };
    const Case cases[] = {
        {"MECH.BRG", "mech.csv", "", 1,
         "MECH.BRG: unstable: 8 joints need at least 13 members, the bridge has 11"},
        {"MECH.BRG", "mech.svg", "", 1, "unstable"},
        {"LOOSE.BRG", "loose.png", "", 1, "LOOSE.BRG: Unattached joint."},
        {"WORKED.BRG", "worked.txt", "", 2, "forces writes .csv, .svg or .png"},
        {"WORKED.BRG", "worked.csv", "--member 14", 2, "there is no member 14"},
        {"WORKED.BRG", "worked.csv", "--member 0", 2, "--member takes a member number"},
        {"WORKED.BRG", "worked.csv", "--member x", 2, "--member takes a member number"},
        {"WORKED.BRG", "worked.csv", "--member", 2, "--member takes a member number"},
        {"WORKED.BRG", "no/such/folder/w.csv", "", 1, "Error: Cannot write to file"},
    };
    for (const Case& c : cases) {
        const Output r = forces(dir + "/" + c.bridge, dir + "/" + c.out, c.flags);
        EXPECT_EQ(r.status, c.status) << c.bridge << " " << c.flags;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_TRUE(r.text.empty()) << c.out << " was written";
    }
}

TEST(Forces, ChartDrawnWithTheRaster) {
    // Failed members are drawn red, and only then: the worked example fails its chords and end
    // posts, the lightened Pratt truss passes.
    auto countRed = [](const Surface& s) {
        int red = 0;
        for (Color c : s.pixels()) red += redOf(c) > 200 && greenOf(c) < 40 && blueOf(c) < 40;
        return red;
    };
    TestBridge worked = workedExampleBridge();
    auto run = BridgeRun::create({});
    run->model = worked.model;
    run->calculate();
    ASSERT_TRUE(run->results.bridgeFailed);
    const Surface all = forcesPicture(forceTableOf(*run, 0), "WORKED");
    EXPECT_GT(countRed(all), 200);
    const Surface passing = forcesPicture(forceTableOf(*run, 12), "WORKED");
    EXPECT_EQ(countRed(passing), 0);
    const Surface failing = forcesPicture(forceTableOf(*run, 5), "WORKED");
    EXPECT_GT(countRed(failing), 200);
    // Four panels to a row, one row per four members; one member has a chart of its own.
    EXPECT_EQ(all.width(), 1210);
    EXPECT_EQ(all.height(), 64 + 4 * 200 + 10);
    EXPECT_EQ(passing.width(), failing.width());
    EXPECT_GT(passing.width(), passing.height());

    // The controlling position: the case whose force governs, none when nothing is carried.
    const ForceTable table = forceTableOf(*run, 0);
    EXPECT_EQ(table.members[0].controlling, 0);   // member 1: +120 with the truck on joint 2
    EXPECT_EQ(table.members[4].controlling, 1);   // member 5: -160 with the truck on joint 3
    EXPECT_EQ(table.members[9].controlling, -1);  // member 10 carries nothing

    // A panel's title and FAIL never run into each other, in the widest case there is: member 150
    // between joints 61 and 62, size 12. Both canvases set text in cells of CHART_CHAR_WIDTH.
    ForceTable widest = forceTableOf(*run, 0);
    MemberForces& m = widest.members[0];
    m.member = 150;
    m.startJoint = 61;
    m.endJoint = 62;
    m.size = 12;
    m.failed = true;
    const std::string svg = forcesSvg(widest, "WORKED");
    auto titleText = [&svg](const std::string& starting, double& x) {
        const size_t at = svg.find("\">" + starting);
        if (at == std::string::npos) return std::string();
        const size_t open = svg.rfind("<text", at);
        x = std::atof(svg.c_str() + svg.find("x=\"", open) + 3);
        return svg.substr(at + 2, svg.find('<', at) - at - 2);
    };
    double titleX = 0, failX = 0;
    const std::string title = titleText("M", titleX);
    ASSERT_EQ(titleText("FAIL", failX), "FAIL");
    EXPECT_NE(title.find("150"), std::string::npos) << title;
    EXPECT_LE(titleX + CHART_CHAR_WIDTH * double(title.size() + 1), failX - 4 * CHART_CHAR_WIDTH) << title;
}

}  // namespace
