// Member by member verdict: allowable forces from the section and length, the envelope of the
// load-case forces, the efficiency ratios, failed members and the bridge's pass or fail, and the
// overall efficiency ratio of the results report. Forces in kips, ratios in percent.
#pragma once

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// A ratio of exactly this marks a failed member (drawn red, shown as "FAIL").
constexpr double FAILED_RATIO = 1000.0;
constexpr double MIN_MEMBER_FORCE_KIPS = 6.0;
// Case forces strictly inside +-0.05 kips are rounding noise and count as 0.
constexpr double FORCE_NOISE_KIPS = 0.05;

// Allowable compression force of a pin-ended member over its full length, kips (Fy 36 ksi,
// E 29000 ksi; inelastic below slenderness 126.1, Euler with safety factor 23/12 above).
double allowableCompressionOf(const Member& member);

// Writes allowableCompression and allowableTension of members 1..memberCount.
void computeAllowables(BridgeModel& model);

// The last step of a stable analysis: filters noise out of caseForces, envelopes cases
// 1..roadbedJointCount, applies the minimum member force option and writes each member's force,
// allowables and forceRatio; sets bridgeFailed when any member fails.
void evaluateMembers(BridgeModel& model, const AnalysisOptions& options, AnalysisResults& results);

// Weight-weighted mean of the members' forceRatio, percent, with float32 accumulation. Meaningful
// only after a stable analysis (the report prints "N.A." otherwise); 0 for a bridge without weight.
float overallEfficiency(const BridgeModel& model);
