// What a screen reader says of the board: a summary of the bridge that names the board, and short
// sentences announced as the keyboard cursor moves, as an edit is made and after an analysis. The
// same words on every platform; numbers as the panel writes them, without a trailing point.
#pragma once

#include <string>

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// "Bridge PRATT, 16 joints, 29 members, 90.5 kips, passed; worst member 12 at 75 %". results is
// null when the bridge as it stands has not been analysed ("..., not analysed").
std::string bridgeSummary(const BridgeModel& model, const AnalysisResults* results);

// Where a board point is, in feet from the left support: "120 ft, 30 ft", and ", joint 7" when a
// joint is under it.
std::string pointSpeech(const BridgeModel& model, int column, int row);

// "Member 26 added from joint 3 to joint 9".
std::string memberAddedSpeech(const BridgeModel& model, int member);

// After an analysis: "Bridge passed, 90.5 kips; worst member 12 at 75 %." and likewise "failed", or
// "Bridge unstable: " and why.
std::string verdictSpeech(const BridgeModel& model, const AnalysisResults& results);
