// One bridge file taken through what the program's Calculate command does: load, the check
// before the analysis, the geometry update and the analysis. The tables are large, so a run
// lives on the heap and is reused from file to file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "analysis/member_sizes.h"
#include "files/bridge_file.h"
#include "grading/force_table.h"
#include "model/bridge_model.h"

struct BridgeRun {
    BridgeModel model;
    MemberSizeTable sizes;
    AnalysisOptions options;
    AnalysisResults results;
    AnalysisWorkspace workspace;
    CaseDisplacements deflection;  // of the last analysis; no cases when it was not stable
    Mechanism mechanism;           // how the truss moves, when the last analysis found it unstable
    bool mechanismFound;

    // After calculate(): the message that stopped Calculate ("No Bridge!" or the check's first
    // fault), or nullptr when the analysis ran.
    const char* check;
    bool analysed;

    static std::unique_ptr<BridgeRun> create(const AnalysisOptions& options);

    // Replaces the bridge with the file's; on failure the reason is in the result.
    BridgeFileResult load(const char* path);
    // The same from a file's text held in memory; name (cut to fit) becomes the bridge's name.
    BridgeFileResult loadText(std::string_view text, std::string_view name);

    // Calculate: stops at an empty bridge or at the check's first fault, otherwise analyses.
    void calculate();

    // The member with the highest efficiency ratio (1000 for a failed one), 0 when none.
    int worstMember() const;

  private:
    void clear();
};

// "passed", "failed", "unstable", or the message that stopped Calculate.
std::string verdictOf(const BridgeRun& run);

// From a run that was calculated and found stable; member 0 takes every member.
inline ForceTable forceTableOf(const BridgeRun& run, int member) {
    return forceTableOf(run.model, run.results, run.options, member);
}
