// Member verdicts: allowable forces on both sides of the elastic limit, the noise filter, the
// decision table with its two tie-breaks and exact-100 ratios, the minimum member force, and the
// overall efficiency ratio with its float32 sum.
#include "analysis/member_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>

#include "analysis/analysis.h"
#include "tests/support/test_bridges.h"

namespace {

// One 40 ft member per size given, each on its own pair of joints, with three load cases.
struct Members {
    TestBridge b;
    std::unique_ptr<AnalysisResults> results = std::make_unique<AnalysisResults>();

    explicit Members(std::initializer_list<int> sizes) {
        int x = 0;
        for (int size : sizes) {
            const int a = b.joint(x, 10), e = b.joint(x + 40, 10);
            b.member(a, e, size);
            x += 50;
        }
        b.update();
        b.model.roadbedJointCount = 3;
    }

    void cases(int member, double c1, double c2, double c3) {
        results->caseForces[member][1] = c1;
        results->caseForces[member][2] = c2;
        results->caseForces[member][3] = c3;
    }

    const Member& evaluate(int member, bool minForce = false) {
        results->bridgeFailed = 0;
        evaluateMembers(b.model, AnalysisOptions{0, 0, 0, static_cast<uint8_t>(minForce)}, *results);
        return b.model.members[member];
    }
};

TEST(MemberEvaluation, AllowableForces) {
    Members m({5, 1});
    computeAllowables(m.b.model);
    const Member& stocky = m.b.model.members[1];  // s = 81.08: inelastic, Fa = 15.21 ksi
    EXPECT_NEAR(stocky.allowableCompression, 441.0, 0.05);
    EXPECT_EQ(stocky.allowableTension, static_cast<double>(626.4f));
    const Member& slender = m.b.model.members[2];  // s = 425.9: elastic
    EXPECT_NEAR(slender.allowableCompression, 2.26, 0.005);
    EXPECT_EQ(slender.allowableTension, static_cast<double>(59.4f));

    // Slenderness of exactly 126.1 is elastic; a hair below it is not (the two formulas differ by
    // 0.16 percent there).
    Member limit = stocky;
    limit.length = 12.61;
    limit.radiusOfGyration = 1.2;
    limit.area = 1.0;
    ASSERT_EQ(limit.length * 12.0 / limit.radiusOfGyration, 126.1);
    EXPECT_DOUBLE_EQ(allowableCompressionOf(limit), 149330.0 / (126.1 * 126.1));
    limit.length = std::nextafter(12.61, 0.0);
    EXPECT_NEAR(allowableCompressionOf(limit), 9.375, 0.001);
}

TEST(MemberEvaluation, EnvelopeAndDecision) {
    Members m({5, 5, 5, 5, 5, 1});
    const double ta = static_cast<double>(626.4f);
    const double ca = allowableCompressionOf(m.b.model.members[1]);

    // Noise within +-0.05 (strictly) becomes 0 and is written back; 0.05 itself counts.
    m.cases(1, 0.0499, -0.0499, 0.05);
    EXPECT_EQ(m.evaluate(1).force, 0.05);
    EXPECT_EQ(m.results->caseForces[1][1], 0.0);
    EXPECT_EQ(m.results->caseForces[1][2], 0.0);
    m.cases(1, -0.05, 0.01, 0.0);
    EXPECT_EQ(m.evaluate(1).force, -0.05);

    // Exactly 100 percent is within the allowable, in tension and in compression.
    m.cases(1, ta, 0.0, -1.0);
    m.cases(2, 1.0, -ca, 0.0);
    for (int i = 3; i <= 6; ++i) m.cases(i, 0.0, 0.0, 0.0);
    EXPECT_EQ(m.evaluate(1).forceRatio, 100.0);
    EXPECT_EQ(m.b.model.members[2].forceRatio, 100.0);
    EXPECT_EQ(m.b.model.members[2].force, -ca);
    EXPECT_EQ(m.results->bridgeFailed, 0);

    // Ties: between passing ratios tension governs, between failing ones compression.
    m.cases(3, ta / 2, -ca / 2, 0.0);
    m.cases(4, 2 * ta, -2 * ca, 0.0);
    EXPECT_EQ(m.evaluate(3).force, ta / 2);
    EXPECT_EQ(m.b.model.members[3].forceRatio, 50.0);
    EXPECT_EQ(m.b.model.members[4].force, -2 * ca);
    EXPECT_EQ(m.b.model.members[4].forceRatio, 1000.0);
    EXPECT_EQ(m.results->bridgeFailed, 1);

    // One side failing: its force is reported, with 1000. Both failing: the larger ratio's force.
    m.cases(5, 10.0, -1.5 * ca, 0.0);
    EXPECT_EQ(m.evaluate(5).force, -1.5 * ca);
    EXPECT_EQ(m.b.model.members[5].forceRatio, 1000.0);
    m.cases(5, 1.5 * ta, -10.0, 0.0);
    EXPECT_EQ(m.evaluate(5).force, 1.5 * ta);
    m.cases(5, 3 * ta, -2 * ca, 0.0);
    EXPECT_EQ(m.evaluate(5).force, 3 * ta);
    EXPECT_EQ(m.b.model.members[5].forceRatio, 1000.0);

    // Size 1 in 80 kips of tension: 134.7 percent of 59.4 kips fails the bridge.
    for (int i = 1; i <= 5; ++i) m.cases(i, 0.0, 0.0, 0.0);
    m.cases(6, 80.0, 0.0, 40.0);
    EXPECT_EQ(m.evaluate(6).force, 80.0);
    EXPECT_EQ(m.b.model.members[6].forceRatio, 1000.0);
    EXPECT_EQ(m.results->bridgeFailed, 1);
}

TEST(MemberEvaluation, MinimumMemberForce) {
    Members m({5, 5, 5, 5, 1});
    const double ta = static_cast<double>(626.4f);
    const double ca = allowableCompressionOf(m.b.model.members[1]);
    m.cases(1, 0.01, -0.02, 0.0);  // idle: designed for 6 kips of compression
    m.cases(2, 5.0, -2.0, 0.0);    // T < 6 and C < 6: C becomes 6, compression governs here
    m.cases(3, 7.0, -2.0, 0.0);    // T >= 6: unchanged
    m.cases(4, 1.0, -8.0, 0.0);    // C >= 6: unchanged
    m.cases(5, 0.0, 0.0, 0.0);     // slender: 600 / 2.26 percent fails
    const Member& idle = m.evaluate(1, true);
    EXPECT_EQ(idle.force, -6.0);
    EXPECT_EQ(idle.forceRatio, 6.0 / ca * 100.0);
    ASSERT_GT(600.0 / ca, 500.0 / ta);
    EXPECT_EQ(m.b.model.members[2].force, -6.0);
    EXPECT_EQ(m.b.model.members[3].force, 7.0);
    EXPECT_EQ(m.b.model.members[4].force, -8.0);
    EXPECT_EQ(m.b.model.members[5].force, -6.0);
    EXPECT_EQ(m.b.model.members[5].forceRatio, 1000.0);
    EXPECT_EQ(m.results->bridgeFailed, 1);
    // Off: the idle member has no force and no ratio.
    EXPECT_EQ(m.evaluate(1, false).force, 0.0);
    EXPECT_EQ(m.b.model.members[1].forceRatio, 0.0);
}

TEST(MemberEvaluation, OverallEfficiencyIsTheWeightedMeanOfTheRatios) {
    TestBridge b = workedExampleBridge();
    auto results = std::make_unique<AnalysisResults>();
    auto workspace = std::make_unique<AnalysisWorkspace>();
    analyzeBridge(b.model, AnalysisOptions{}, *results, *workspace);
    double weighted = 0.0;
    float sum = 0.0f;
    for (int i = 1; i <= b.model.memberCount; ++i) {
        const Member& m = b.model.members[i];
        weighted += m.weight / 1000.0 * m.forceRatio;
        sum = static_cast<float>(sum + m.area * 0.2835648 * m.length * 12.0 * m.forceRatio / 1000.0);
    }
    // Four failed members count with 1000 each, so the mean is far above any passing ratio.
    EXPECT_NEAR(overallEfficiency(b.model), weighted / b.model.totalWeight, 1e-3);
    EXPECT_GT(overallEfficiency(b.model), 300.0f);
    // Summed in float32 member by member, then divided by the bridge weight.
    EXPECT_EQ(overallEfficiency(b.model), static_cast<float>(sum / b.model.totalWeight));
}

}  // namespace
