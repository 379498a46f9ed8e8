// A report surface that prints nothing: it refuses every document, which the reports take as a
// printer that declined the job.
#include <QPrinter>
#include <utility>

#include "platform/qt/painter_print_surface.h"

namespace {

class RefusingPrintSurface final : public PrintSurface {
  public:
    bool startDocument(std::string_view) override { return false; }
    void startPage() override {}
    void endPage() override {}
    void endDocument() override {}
    bool selectFont(int) override { return true; }
    void setWindowOrigin(int, int) override {}
    Pen selectPen(Pen pen) override { return std::exchange(pen_, pen); }
    void moveTo(int, int) override {}
    void lineTo(int, int) override {}
    void rectangle(int, int, int, int) override {}
    void ellipse(int, int, int, int) override {}
    void textOut(int, int, std::string_view) override {}

  private:
    Pen pen_{BLACK, 0};
};

}  // namespace

std::unique_ptr<PrintSurface> makePrinterSurface(std::unique_ptr<QPrinter> printer) {
    printer.reset();
    return std::make_unique<RefusingPrintSurface>();
}
