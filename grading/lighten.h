// The lightest member sizes found for a bridge's own geometry: every joint and member stays, and
// sizes 1..12 are chosen so that the bridge passes with as little steel as the search can find.
#pragma once

#include <cstdio>
#include <string>

#include "grading/bridge_run.h"
#include "grading/command_result.h"

struct LightenResult {
    bool found = false;  // the run holds, analysed, sizes with which the bridge passes
    std::string reason;  // when not found: the check's message, or why no sizes pass
    bool inputPassed = false;
    double weightBefore = 0.0;  // kips, with the sizes the bridge came with
    double weightAfter = 0.0;   // kips, when found
    int changedMembers = 0;
    int analyses = 0;  // how many times the bridge was analysed
};

// Fully-stressed sizing first (every member the smallest size whose allowable forces cover its
// worst force, re-analysed until no size changes, which follows the forces as they redistribute),
// then members are lowered one size at a time, largest weight saving first, each change kept only
// when the whole bridge still passes, until a round lowers nothing. When the bridge passed as it
// came and that search ends heavier, the lowering starts again from its own sizes, so the result
// is never heavier than a passing input. Afterwards no member can be lowered one size with the
// bridge still passing. The run's options govern the loads; its bridge is changed only in sizes.
LightenResult lightenBridge(BridgeRun& run);

// The lighten command: lightens the loaded run, writes the bridge to outPath and prints the
// weights before and after, the sizes changed and the number of analyses to out.
CommandResult lightenToFile(BridgeRun& run, const std::string& bridgePath, const std::string& outPath,
                            FILE* out);
