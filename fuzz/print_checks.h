// Printing into memory and what every print job must look like: one document, pages started and
// ended in pairs, and text with every number finite and no control characters.
#pragma once

#include <functional>
#include <string>

#include "analysis/analysis.h"
#include "analysis/member_sizes.h"
#include "platform/headless/headless_shell.h"

// The first thing wrong with the recorded job, or an empty string. A job that printed nothing at
// all (the printer's font could not be made) is sound.
std::string printJobFault(const PrintJobRecord& job);

// Runs print on a print surface that records into memory, as if the user had chosen a printer,
// and checks the job it leaves. what names the report in the message.
std::string checkPrinting(const char* what, const std::function<void(PrintSurface&)>& print);

// The data report of the bridge and, when it was analysed with options, the results report, each
// printed into memory and checked. Called by the pipeline fuzz target with the bridge as the last
// analysis (if any) left it.
std::string checkPrintedReports(BridgeModel& model, const MemberSizeTable& sizes,
                                const AnalysisOptions& options, const AnalysisResults& results,
                                bool analysed);
