// The reports drawn on a PDF printer in memory, then written to disk in one atomic step.
#include "cli/print_pdf.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "files/file_paths.h"
#include "print/reports.h"

#if TRUSSMILL_PDF_OUTPUT
#include "platform/qt/painter_print_surface.h"
#endif

LocalTime localTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

bool writeReportPdf(BridgeRun& run, bool results, const LocalTime& date, const char* pdfPath,
                    std::string& reason) {
#if TRUSSMILL_PDF_OUTPUT
    PrintOutcome outcome = PrintOutcome::NoFont;
    const std::string pdf = printToPdf([&](PrintSurface& printer) {
        outcome = results ? printResults(printer, run.model, run.options, run.results, date)
                          : printData(printer, run.model, run.sizes, date);
    });
    if (outcome == PrintOutcome::NoFont || pdf.empty()) {
        reason = "no fixed-pitch font can be made for the report (DejaVu Sans Mono is in fonts-dejavu-core)";
        return false;
    }
    if (!writeFileAtomically(pdfPath, pdf)) {
        reason = std::string("cannot be written: ") + std::strerror(errno);
        return false;
    }
    return true;
#else
    (void)run;
    (void)results;
    (void)date;
    (void)pdfPath;
    reason = "this build of trussmill-cli has no PDF output (it was built without Qt)";
    return false;
#endif
}
