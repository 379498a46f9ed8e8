// Print jobs recorded by the headless printer, and the reports printed into them.
#include "fuzz/print_checks.h"

#include "fuzz/model_checks.h"
#include "print/reports.h"

std::string printJobFault(const PrintJobRecord& job) {
    bool started = false;
    bool inPage = false;
    bool ended = false;
    int pages = 0;
    for (const PrintOp& op : job.ops) {
        switch (op.kind) {
            case PrintOpKind::StartDocument:
                if (started) return "a second document in one job";
                started = true;
                break;
            case PrintOpKind::StartPage:
                if (!started || ended || inPage)
                    return "a page started outside the document or inside a page";
                inPage = true;
                ++pages;
                break;
            case PrintOpKind::EndPage:
                if (!inPage) return "a page ended that was not started";
                inPage = false;
                break;
            case PrintOpKind::EndDocument:
                if (!started || inPage || ended) return "the document ended inside a page or twice";
                ended = true;
                break;
            case PrintOpKind::TextOut: {
                if (!inPage) return "text drawn outside a page";
                for (const char c : op.text) {
                    const auto byte = static_cast<unsigned char>(c);
                    if (byte < 0x20 || byte >= 0x7f) return "text with the byte " + std::to_string(byte);
                }
                const std::string fault = nonFiniteNumberIn(op.text);
                if (!fault.empty()) return "page " + std::to_string(pages) + ", " + fault;
                break;
            }
            case PrintOpKind::MoveTo:
            case PrintOpKind::LineTo:
            case PrintOpKind::Rectangle:
            case PrintOpKind::Ellipse:
                if (!inPage) return "a drawing outside a page";
                break;
            default:
                break;
        }
    }
    if (inPage) return "the last page was not ended";
    if (started && !ended && pages > 0) return "the document was not ended";
    return "";
}

std::string checkPrinting(const char* what, const std::function<void(PrintSurface&)>& print) {
    HeadlessShell printer;
    printer.answerPrintDialog(true);
    {
        const std::unique_ptr<PrintSurface> surface = printer.printDialog("");
        print(*surface);
    }
    const std::string fault = printJobFault(printer.printJobs().front());
    return fault.empty() ? "" : std::string(what) + ": " + fault;
}

std::string checkPrintedReports(BridgeModel& model, const MemberSizeTable& sizes,
                                const AnalysisOptions& options, const AnalysisResults& results,
                                bool analysed) {
    const LocalTime date{2024, 3, 15, 9, 5, 0};
    std::string fault =
        checkPrinting("data report", [&](PrintSurface& page) { printData(page, model, sizes, date); });
    if (fault.empty() && analysed) {
        fault = checkPrinting("results report",
                              [&](PrintSurface& page) { printResults(page, model, options, results, date); });
    }
    return fault;
}
