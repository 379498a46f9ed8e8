// The forces command: the table of member forces along the truck's path, written as CSV, SVG or
// PNG by the output file's extension.
#pragma once

#include <string>

#include "grading/bridge_run.h"
#include "grading/command_result.h"
#include "grading/force_table.h"

// The forces command: calculates the loaded run and writes the table to outPath, as CSV, SVG or
// PNG by its extension (any case). A bridge the check stops or the analysis finds unstable is
// refused with the reason; so is a member number the bridge does not have (a usage error).
CommandResult writeMemberForces(BridgeRun& run, const std::string& bridgePath, const std::string& outPath,
                                int member);
