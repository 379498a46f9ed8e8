// The checks the fuzzers and random sessions rely on must find what they are there to find: tables
// with a member beyond its joints, a duplicate, a joint off the board or out of step with its
// feet, a write to slot 0; results that are not numbers; non-finite numbers in text; print jobs
// that are not whole.
#include "fuzz/model_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/analysis.h"
#include "fuzz/print_checks.h"
#include "tests/support/test_bridges.h"

namespace {

TableCheck drawn() {
    return TableCheck{TableOrigin::Drawn};
}
TableCheck fromFile() {
    return TableCheck{TableOrigin::File};
}

TEST(ReliabilityChecks, TableFaultsAreFound) {
    const TestBridge sound = workedExampleBridge();
    EXPECT_EQ(tableFault(sound.model, drawn()), "");

    // Indices and counts, whatever the origin.
    TestBridge b = sound;
    b.model.members[3].endJoint = static_cast<int16_t>(b.model.jointCount + 1);
    EXPECT_NE(tableFault(b.model, fromFile()), "");
    b = sound;
    b.model.members[0].size = 1;
    EXPECT_NE(tableFault(b.model, fromFile()), "");
    b = sound;
    b.model.jointCount = LAST_JOINT_SLOT + 1;
    EXPECT_NE(tableFault(b.model, fromFile()), "");

    // A member from a joint to itself, two members on the same joints, two joints on one spot
    // joined by a member, a joint off the board, size 0: taken from a file, never drawn.
    b = sound;
    b.model.members[2].endJoint = b.model.members[2].startJoint;
    EXPECT_NE(tableFault(b.model, drawn()), "");
    EXPECT_EQ(tableFault(b.model, fromFile()), "");
    b = sound;
    b.member(b.model.members[4].endJoint, b.model.members[4].startJoint);
    EXPECT_NE(tableFault(b.model, drawn()), "");
    b = sound;
    b.model.joints[2].screenX = b.model.joints[1].screenX;
    b.model.joints[2].x = b.model.joints[1].x;
    EXPECT_NE(tableFault(b.model, drawn()), "");
    b = sound;
    b.model.joints[8].screenY = 100;
    b.model.joints[8].y = feetFromRow(100);
    EXPECT_NE(tableFault(b.model, drawn()), "");
    EXPECT_EQ(tableFault(b.model, fromFile()), "");
    b = sound;
    b.model.members[5].size = 0;
    EXPECT_NE(tableFault(b.model, drawn()), "");
    EXPECT_EQ(tableFault(b.model, fromFile()), "");

    // Feet must follow the board, except for the joint being dragged.
    b = sound;
    b.model.joints[6].screenX += 7;
    EXPECT_NE(tableFault(b.model, drawn()), "");
    TableCheck dragging = drawn();
    dragging.draggedJoint = 6;
    EXPECT_EQ(tableFault(b.model, dragging), "");

    // The member being drawn runs from its start joint to itself until the release.
    b = sound;
    b.member(3, 3, 0);
    EXPECT_NE(tableFault(b.model, drawn()), "");
    TableCheck open = drawn();
    open.memberOpen = true;
    EXPECT_EQ(tableFault(b.model, open), "");
}

TEST(ReliabilityChecks, DesignDifferencesAreNamed) {
    const TestBridge a = workedExampleBridge();
    TestBridge b = a;
    // The order of a member's ends and every derived field do not count.
    std::swap(b.model.members[1].startJoint, b.model.members[1].endJoint);
    b.model.members[1].force = 99.0;
    b.model.totalWeight = 0.0;
    EXPECT_EQ(designDifference(a.model, b.model), "");
    b = a;
    b.model.members[7].size = 9;
    EXPECT_NE(designDifference(a.model, b.model).find("member 7"), std::string::npos);
    b = a;
    b.model.joints[6].screenY -= 1;
    EXPECT_NE(designDifference(a.model, b.model).find("joint 6"), std::string::npos);
    b = a;
    b.model.joints[2].fileFlag2 = 1;
    EXPECT_NE(designDifference(a.model, b.model), "");
    b = a;
    b.model.memberCount -= 1;
    EXPECT_NE(designDifference(a.model, b.model), "");
}

TEST(ReliabilityChecks, ResultsAndNumbersInText) {
    TestBridge b = workedExampleBridge();
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    analyzeBridge(b.model, AnalysisOptions{}, *results, *workspace);
    EXPECT_EQ(resultsFault(b.model, *results), "");
    const BridgeModel analysed = b.model;
    b.model.members[4].force = std::nan("");
    EXPECT_NE(resultsFault(b.model, *results), "");
    b.model = analysed;
    results->bridgeFailed = results->bridgeFailed ? 0 : 1;
    EXPECT_NE(resultsFault(b.model, *results), "");
    results->bridgeUnstable = 1;
    results->bridgeFailed = 1;
    results->instability = InstabilityCause::None;
    EXPECT_NE(resultsFault(b.model, *results), "");

    // Non-finite numbers as printf writes them, as words of their own only.
    EXPECT_EQ(nonFiniteNumberIn("10\n20.5\n-3e+07\ninformation infinite Nancy banana inferior\n"), "");
    EXPECT_NE(nonFiniteNumberIn("1 nan 2").find("line 1"), std::string::npos);
    EXPECT_NE(nonFiniteNumberIn("0\n10\n-nan\n").find("line 3"), std::string::npos);
    EXPECT_NE(nonFiniteNumberIn("x -inf y"), "");
    EXPECT_NE(nonFiniteNumberIn("INF"), "");
    EXPECT_NE(nonFiniteNumberIn("12 infinity,"), "");
}

TEST(ReliabilityChecks, PrintJobsAreChecked) {
    const auto page = [](const char* text) {
        return [text](PrintSurface& p) {
            p.startDocument("Trussmill");
            p.startPage();
            p.textOut(100, -100, text);
            p.endPage();
            p.endDocument();
        };
    };
    EXPECT_EQ(checkPrinting("report", page("Force = 12.5 kips")), "");
    EXPECT_NE(checkPrinting("report", page("Force = nan kips")), "");
    EXPECT_NE(checkPrinting("report", page("bell\a")), "");
    EXPECT_NE(checkPrinting("report",
                            [](PrintSurface& p) {
                                p.startDocument("Trussmill");
                                p.startPage();
                                p.endDocument();
                            }),
              "");
    EXPECT_NE(checkPrinting("report", [](PrintSurface& p) { p.textOut(0, 0, "outside"); }), "");
    // A printer whose font cannot be made prints nothing, which is sound.
    EXPECT_EQ(checkPrinting("report", [](PrintSurface& p) { (void)p.selectFont(16); }), "");
}

}  // namespace
