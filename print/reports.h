// The two printed reports: the data report (the bridge's joints and members with their loads and
// allowable forces) and the results report (the last analysis, member by member). Each draws one
// whole document on a print surface the caller got from the print dialog or a PDF file; neither
// shows anything itself.
#pragma once

#include <cstdint>

#include "analysis/analysis.h"
#include "analysis/member_sizes.h"
#include "model/bridge_model.h"
#include "platform/print_surface.h"
#include "platform/shell.h"

enum class PrintOutcome : uint8_t {
    Printed,  // the whole document went to the surface
    NoFont,   // the report font could not be made; nothing was started on the surface
    Refused,  // the printer refused the job (PrintSurface::refusal says why); nothing was drawn
};

// Brings the values the data report prints up to date: geometry, allowable forces and all three
// optional load shares of joints and members, whatever the options say, so every load column is
// filled. printData runs it itself; the print command may run it before showing the print dialog
// so that the model's fields are refreshed even when the user cancels.
void prepareDataReport(BridgeModel& model, const MemberSizeTable& memberSizes);

// The data report: the bridge picture with numbered joints, the name, weight, counts and the
// report date, the joint table and the member table. Rewrites the model's load and allowable-force
// fields (prepareDataReport); nothing else in the model changes.
PrintOutcome printData(PrintSurface& printer, BridgeModel& model, const MemberSizeTable& memberSizes,
                       const LocalTime& date);

// The results report of the last analysis: the bridge picture, the verdict, weight, deflection,
// overall efficiency and options, then one row per member, or the unstable-geometry notice.
// Meaningful after an analysis that ran (the program is then in Review mode).
PrintOutcome printResults(PrintSurface& printer, const BridgeModel& model, const AnalysisOptions& options,
                          const AnalysisResults& results, const LocalTime& date);

// The box the print command shows when a report returns NoFont.
MessageBoxRequest printFontFailureBox();
