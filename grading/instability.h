// Why an analysis found the truss unstable, in words for the command line.
#pragma once

#include <string>

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// "unstable: " and the cause the analysis recorded, with the joint or the counts it concerns.
// Only meaningful after an analysis that set bridgeUnstable.
std::string instabilityReason(const BridgeModel& model, const AnalysisResults& results);
