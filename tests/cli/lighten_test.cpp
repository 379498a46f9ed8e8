// The lightest-sizes search: the result passes by an analysis of its own, is never heavier than
// a passing input, cannot lose one more size anywhere, and an exhaustive search over the sizes of
// four members finds nothing lighter; geometries no sizes can save are refused and left alone.
#include "grading/lighten.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tests/analysis/analysis_bridges.h"
#include "tests/support/bridge_edits.h"

namespace {

constexpr AnalysisOptions kNoOptions{};
constexpr AnalysisOptions kDeadLoad{1, 0, 0, 0};
constexpr AnalysisOptions kAllOptions{1, 1, 1, 1};

std::unique_ptr<BridgeRun> runOf(const BridgeModel& model, const AnalysisOptions& options) {
    auto run = BridgeRun::create(options);
    run->model = model;
    return run;
}

// Calculate as the program does, on a copy.
bool passes(const BridgeModel& model, const AnalysisOptions& options) {
    auto run = runOf(model, options);
    run->calculate();
    return run->check == nullptr && !run->results.bridgeFailed;
}

void expectLightest(const BridgeModel& input, const AnalysisOptions& options, const std::string& what) {
    SCOPED_TRACE(what);
    const bool inputPassed = passes(input, options);
    auto run = runOf(input, options);
    const LightenResult r = lightenBridge(*run);
    ASSERT_TRUE(r.found) << r.reason;
    const BridgeModel& result = run->model;
    EXPECT_EQ(r.inputPassed, inputPassed);
    EXPECT_TRUE(passes(result, options));
    EXPECT_EQ(r.weightAfter, result.totalWeight);
    if (inputPassed) {
        EXPECT_LE(r.weightAfter, r.weightBefore);
    }
    EXPECT_GT(r.analyses, 1);

    // Only sizes change; the joints and the members' ends stay as they were.
    ASSERT_EQ(result.jointCount, input.jointCount);
    ASSERT_EQ(result.memberCount, input.memberCount);
    int changed = 0;
    for (int j = 1; j <= input.jointCount; ++j) {
        EXPECT_EQ(result.joints[j].screenX, input.joints[j].screenX);
        EXPECT_EQ(result.joints[j].screenY, input.joints[j].screenY);
    }
    for (int i = 1; i <= input.memberCount; ++i) {
        const Member& a = input.members[i];
        const Member& b = result.members[i];
        EXPECT_EQ(std::minmax(a.startJoint, a.endJoint), std::minmax(b.startJoint, b.endJoint));
        EXPECT_GE(b.size, 1);
        EXPECT_LE(b.size, MEMBER_SIZE_COUNT);
        changed += a.size != b.size;
    }
    EXPECT_EQ(r.changedMembers, changed);

    // No member can be lowered one size with the bridge still passing.
    for (int i = 1; i <= result.memberCount; ++i) {
        if (result.members[i].size == 1) continue;
        BridgeModel lower = result;
        --lower.members[i].size;
        EXPECT_FALSE(passes(lower, options)) << "member " << i << " can still be lowered";
    }
}

// Every combination of sizes 1..12 for the four members, the rest held: how many pass at less
// than the weight given (kips).
int lighterCombinations(const BridgeModel& model, const AnalysisOptions& options, const int (&members)[4],
                        double weight) {
    auto run = runOf(model, options);
    int lighter = 0;
    int size[4];
    for (size[0] = 1; size[0] <= MEMBER_SIZE_COUNT; ++size[0]) {
        for (size[1] = 1; size[1] <= MEMBER_SIZE_COUNT; ++size[1]) {
            for (size[2] = 1; size[2] <= MEMBER_SIZE_COUNT; ++size[2]) {
                for (size[3] = 1; size[3] <= MEMBER_SIZE_COUNT; ++size[3]) {
                    for (int k = 0; k < 4; ++k)
                        run->model.members[members[k]].size = static_cast<int8_t>(size[k]);
                    updateGeometry(run->model, run->sizes);
                    if (run->model.totalWeight >= weight) continue;
                    analyzeBridge(run->model, options, run->results, run->workspace);
                    lighter += run->results.bridgeFailed == 0;
                }
            }
        }
    }
    return lighter;
}

TEST(Lighten, SampleBridgesUnderEveryLoad) {
    // The four samples, with the options off, with the dead load, and with every option (under
    // which the samples fail as drawn).
    for (const char* name : {"PRATT.BRG", "HOWE.BRG", "WARREN.BRG", "DECK.BRG"}) {
        const TestBridge b = sample(name);
        expectLightest(b.model, kNoOptions, std::string(name) + " without options");
        expectLightest(b.model, kDeadLoad, std::string(name) + " with the dead load");
        ASSERT_FALSE(passes(b.model, kAllOptions));
        expectLightest(b.model, kAllOptions, std::string(name) + " with every option");
    }
    // A failing bridge comes out passing; so do a cross-braced truss, whose forces follow the sizes.
    expectLightest(workedExampleBridge().model, kNoOptions, "the worked example");
    const TestBridge braced = chordTruss(evenPanels(8), 40, true, 3, JointOrder::LeftToRight);
    expectLightest(braced.model, kDeadLoad, "a cross-braced truss");
}

TEST(Lighten, NoFourMembersCanBeResizedLighter) {
    // Four members at a time, the rest held at their lightened sizes: the heaviest four and
    // four drawn at random, on a statically determinate truss and with the weight in the loads.
    struct Case {
        const char* name;
        AnalysisOptions options;
    };
    std::mt19937 rng(5);
    for (const Case& c : {Case{"PRATT.BRG", kNoOptions}, Case{"WARREN.BRG", kDeadLoad}}) {
        auto run = runOf(sample(c.name).model, c.options);
        const LightenResult r = lightenBridge(*run);
        ASSERT_TRUE(r.found) << c.name;
        const BridgeModel& lightest = run->model;
        std::vector<int> order(lightest.memberCount);
        std::iota(order.begin(), order.end(), 1);
        std::sort(order.begin(), order.end(),
                  [&](int x, int y) { return lightest.members[x].weight > lightest.members[y].weight; });
        const int heaviest[4] = {order[0], order[1], order[2], order[3]};
        std::shuffle(order.begin(), order.end(), rng);
        const int random[4] = {order[0], order[1], order[2], order[3]};
        EXPECT_EQ(lighterCombinations(lightest, c.options, heaviest, r.weightAfter), 0) << c.name;
        EXPECT_EQ(lighterCombinations(lightest, c.options, random, r.weightAfter), 0) << c.name;
    }
}

TEST(Lighten, GeometriesNoSizesCanSave) {
    struct Case {
        TestBridge bridge;
        const char* reason;  // a part of the reason given
    };
    TestBridge loose = workedExampleBridge();
    loose.joint(300, 80);
    TestBridge mechanism = workedExampleBridge();
    mechanism.model.memberCount = 11;  // without the two diagonals
    mechanism.update();
    const Case cases[] = {
        // One foot deep: the chords would carry thousands of kips.
        {chordTruss(evenPanels(4), 1, false, 0, JointOrder::DeckFirst),
         "no member sizes let this bridge pass: "},
        {mechanism, "unstable: 8 joints need at least 13 members"},
        {loose, "Unattached joint."},
        {TestBridge(), "No Bridge!"},
    };
    for (const Case& c : cases) {
        auto run = runOf(c.bridge.model, kNoOptions);
        const LightenResult r = lightenBridge(*run);
        EXPECT_FALSE(r.found);
        EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
        for (int i = 1; i <= c.bridge.model.memberCount; ++i) {
            EXPECT_EQ(run->model.members[i].size, c.bridge.model.members[i].size)
                << "sizes must be left alone";
        }
    }
}

}  // namespace
