// The printed reports as PDF files: what trussmill-cli report writes.
#pragma once

#include <string>

#include "grading/bridge_run.h"
#include "platform/shell.h"

// The local date and time now, as the program's report date.
LocalTime localTimeNow();

// Writes the data report of the run's bridge, or with results the results report of its analysis
// (the run must have been calculated without a check stopping it), as a PDF file at pdfPath,
// replacing it only when the whole file was written. Returns false with a reason otherwise.
bool writeReportPdf(BridgeRun& run, bool results, const LocalTime& date, const char* pdfPath,
                    std::string& reason);
