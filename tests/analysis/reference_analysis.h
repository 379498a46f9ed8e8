// A deliberately plain analysis to hold the fast one against: full matrices, the whole
// Gauss-Jordan elimination over every row and column, one load vector per case built by the
// joint-by-member loops, no skipped work. It must give the same bits as analyzeBridge.
#pragma once

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// Same contract as analyzeBridge, including the verdict (it calls evaluateMembers at the end).
void referenceAnalyzeBridge(BridgeModel& model, const AnalysisOptions& options, AnalysisResults& results);
