// The lightest-sizes search. Every trial is a full analysis by the program's own engine, so a
// bridge the search keeps passes exactly as Calculate would judge it; sizes live in a fixed array
// indexed like the members.
#include "grading/lighten.h"

#include <algorithm>
#include <array>
#include <vector>

#include "analysis/member_evaluation.h"
#include "files/text_output.h"
#include "grading/instability.h"
#include "model/format_significant.h"
#include "model/model_outcome.h"
#include "model/validation.h"

namespace {

using Sizes = std::array<int8_t, MEMBER_SLOTS>;

// Fully-stressed rounds before giving up on the sizes settling (they may cycle when forces
// redistribute); a bridge settles in a handful.
constexpr int kMaxSizingRounds = 30;

class SizeSearch {
  public:
    explicit SizeSearch(BridgeRun& run) : run_(run), model_(run.model) {}

    int analyses() const { return analyses_; }

    Sizes sizes() const {
        Sizes s{};
        for (int i = 1; i <= model_.memberCount; ++i) s[i] = model_.members[i].size;
        return s;
    }
    void setSizes(const Sizes& s) {
        for (int i = 1; i <= model_.memberCount; ++i) model_.members[i].size = s[i];
    }
    static Sizes uniform(int8_t size) {
        Sizes s;
        s.fill(size);
        return s;
    }

    // Analyses the bridge with its current sizes; true when it passes.
    bool analyse() {
        updateGeometry(model_, run_.sizes);
        analyzeBridge(model_, run_.options, run_.results, run_.workspace);
        ++analyses_;
        return run_.results.bridgeFailed == 0;
    }

    // Fully-stressed sizing from the given sizes. Returns true with the bridge passing; false
    // when it is unstable or some member's force exceeds even size 12 (the run then holds that
    // analysis).
    bool settleFullyStressed(const Sizes& start) {
        setSizes(start);
        for (int round = 0; round < kMaxSizingRounds; ++round) {
            const bool passes = analyse();
            if (run_.results.bridgeUnstable) return false;
            const Sizes next = fullyStressedSizes();
            if (next == sizes()) return passes;
            setSizes(next);
        }
        // Still moving: raise whatever fails until the bridge passes or nothing can be raised.
        while (!analyse() && !run_.results.bridgeUnstable) {
            bool raised = false;
            for (int i = 1; i <= model_.memberCount; ++i) {
                Member& m = model_.members[i];
                if (m.forceRatio == FAILED_RATIO && m.size < MEMBER_SIZE_COUNT) {
                    ++m.size;
                    raised = true;
                }
            }
            if (!raised) return false;
        }
        return run_.results.bridgeFailed == 0;
    }

    // From a passing bridge: rounds in which every member above size 1, largest saving first,
    // is lowered one size and kept lowered only when the bridge still passes, until a round keeps
    // nothing. The last round tried every lowering from the final sizes.
    void lowerOneByOne() {
        std::vector<int> order;
        for (bool lowered = true; lowered;) {
            lowered = false;
            order.clear();
            for (int i = 1; i <= model_.memberCount; ++i) {
                if (model_.members[i].size > 1) order.push_back(i);
            }
            std::stable_sort(order.begin(), order.end(),
                             [&](int x, int y) { return savingOf(x) > savingOf(y); });
            for (int i : order) {
                int8_t& size = model_.members[i].size;
                --size;
                if (analyse()) {
                    lowered = true;
                } else {
                    ++size;
                }
            }
        }
    }

  private:
    // Pounds saved by lowering member i one size.
    double savingOf(int i) const {
        const Member& m = model_.members[i];
        return m.length * (run_.sizes[m.size].area - run_.sizes[m.size - 1].area);
    }

    // Whether size s, on a member of this length, carries tension t and compression c (kips,
    // both >= 0) within its allowables, by the verdict's own arithmetic.
    bool carries(double lengthFt, int s, double t, double c) const {
        Member probe{};
        probe.length = lengthFt;
        probe.area = run_.sizes[s].area;
        probe.radiusOfGyration = run_.sizes[s].radiusOfGyration;
        const double allowableTension = run_.sizes[s].tensionCapacity;
        return t / allowableTension * 100.0 <= 100.0 && c / allowableCompressionOf(probe) * 100.0 <= 100.0;
    }

    // Each member's smallest size that carries the worst forces of the last (stable) analysis,
    // or 12 when none does.
    Sizes fullyStressedSizes() const {
        Sizes next = sizes();
        for (int i = 1; i <= model_.memberCount; ++i) {
            double t = 0.0, minForce = 0.0;
            for (int k = 1; k <= model_.roadbedJointCount; ++k) {
                t = std::max(t, run_.results.caseForces[i][k]);
                minForce = std::min(minForce, run_.results.caseForces[i][k]);
            }
            double c = -minForce;
            if (run_.options.useMinMemberForce && c < MIN_MEMBER_FORCE_KIPS && t < MIN_MEMBER_FORCE_KIPS) {
                c = MIN_MEMBER_FORCE_KIPS;
            }
            int s = 1;
            while (s < MEMBER_SIZE_COUNT && !carries(model_.members[i].length, s, t, c)) ++s;
            next[i] = static_cast<int8_t>(s);
        }
        return next;
    }

    BridgeRun& run_;
    BridgeModel& model_;
    int analyses_ = 0;
};

// Why no sizes were found, from the run's last analysis (every member at size 12, or the sizing
// that could go no further).
std::string noSizesReason(const BridgeRun& run) {
    std::string reason = "no member sizes let this bridge pass: ";
    if (run.results.bridgeUnstable) {
        return reason + "with every member at size 12 it is " + instabilityReason(run.model, run.results);
    }
    constexpr int kNamed = 5;  // members named before "and N more"
    int failed = 0;
    std::string names;
    for (int i = 1; i <= run.model.memberCount; ++i) {
        if (run.model.members[i].forceRatio != FAILED_RATIO) continue;
        if (++failed <= kNamed) appendFormat(names, "%s%d", failed == 1 ? "" : ", ", i);
    }
    if (failed > kNamed) appendFormat(names, " and %d more", failed - kNamed);
    return reason + (failed == 1 ? "member " + names + " fails" : "members " + names + " fail") +
           " even at the largest size";
}

}  // namespace

LightenResult lightenBridge(BridgeRun& run) {
    LightenResult result;
    BridgeModel& model = run.model;
    updateGeometry(model, run.sizes);
    result.weightBefore = model.totalWeight;
    if (model.memberCount == 0) {
        result.reason = "No Bridge!";
        return result;
    }
    ModelOutcome outcome;
    if (checkBeforeAnalysis(model, run.sizes, outcome)) {
        result.reason = outcome.messageCount > 0 ? outcome.messages[0] : "The bridge cannot be analysed.";
        return result;
    }

    SizeSearch search(run);
    const Sizes input = search.sizes();
    result.inputPassed = search.analyse();

    bool found = false;
    Sizes best{};
    double bestWeight = 0.0;
    auto keepIfLighter = [&]() {
        if (!found || model.totalWeight < bestWeight) {
            found = true;
            best = search.sizes();
            bestWeight = model.totalWeight;
        }
    };
    std::string reason;
    bool settled = search.settleFullyStressed(input);
    if (!settled) {
        settled = search.settleFullyStressed(SizeSearch::uniform(MEMBER_SIZE_COUNT));
        if (!settled) {
            search.setSizes(SizeSearch::uniform(MEMBER_SIZE_COUNT));
            search.analyse();
            reason = noSizesReason(run);
        }
    }
    if (settled) {
        search.lowerOneByOne();
        updateGeometry(model, run.sizes);
        keepIfLighter();
    }
    if (result.inputPassed && (!found || bestWeight > result.weightBefore)) {
        search.setSizes(input);
        search.lowerOneByOne();
        updateGeometry(model, run.sizes);
        keepIfLighter();
    }

    if (!found) {
        search.setSizes(input);
        updateGeometry(model, run.sizes);
        result.reason = reason;
        result.analyses = search.analyses();
        return result;
    }
    search.setSizes(best);
    search.analyse();  // leaves the run's results describing the sizes it now holds
    result.found = true;
    result.weightAfter = model.totalWeight;
    for (int i = 1; i <= model.memberCount; ++i) result.changedMembers += best[i] != input[i] ? 1 : 0;
    result.analyses = search.analyses();
    return result;
}

CommandResult lightenToFile(BridgeRun& run, const std::string& bridgePath, const std::string& outPath,
                            FILE* out) {
    const LightenResult r = lightenBridge(run);
    if (!r.found) return CommandResult::failed(CLI_FILE_ERROR, bridgePath, r.reason);
    if (!saveBridgeFile(outPath.c_str(), run.model)) {
        return CommandResult::failed(CLI_FILE_ERROR, outPath, "Error: Cannot write to file");
    }
    std::fprintf(out, "Weight before: %s kips (%s)\n", formatSignificant(r.weightBefore, 5).c_str(),
                 r.inputPassed ? "passed" : "failed");
    std::fprintf(out, "Weight after:  %s kips (passed)\n", formatSignificant(r.weightAfter, 5).c_str());
    std::fprintf(out, "Member sizes changed: %d of %d\n", r.changedMembers, run.model.memberCount);
    std::fprintf(out, "Analyses: %d\n", r.analyses);
    return {};
}
