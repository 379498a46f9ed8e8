// The headless printer: a print surface that records every call, and a renderer that draws the
// recorded pages with the raster for inspection.
#include <algorithm>
#include <string>
#include <utility>

#include "platform/headless/headless_shell.h"

namespace {

PrintOp makeOp(PrintOpKind kind, int a = 0, int b = 0, int c = 0, int d = 0) {
    PrintOp op;
    op.kind = kind;
    op.a = a;
    op.b = b;
    op.c = c;
    op.d = d;
    return op;
}

class RecordingPrintSurface final : public PrintSurface {
  public:
    RecordingPrintSurface(PrintJobRecord& job, bool fontsAvailable, std::string refusal)
        : job_(job), fontsAvailable_(fontsAvailable), refusal_(std::move(refusal)) {}
    ~RecordingPrintSurface() override { add(makeOp(PrintOpKind::Release)); }

    bool startDocument(std::string_view name) override {
        PrintOp op = makeOp(PrintOpKind::StartDocument);
        op.text = std::string(name);
        add(std::move(op));
        return refusal_.empty();
    }
    std::string refusal() const override { return refusal_; }
    void startPage() override {
        pen_ = Pen{BLACK, 0};
        add(makeOp(PrintOpKind::StartPage));
    }
    void endPage() override { add(makeOp(PrintOpKind::EndPage)); }
    void endDocument() override { add(makeOp(PrintOpKind::EndDocument)); }
    bool selectFont(int heightUnits) override {
        add(makeOp(PrintOpKind::SelectFont, heightUnits, fontsAvailable_ ? 1 : 0));
        return fontsAvailable_;
    }
    void setWindowOrigin(int x, int y) override { add(makeOp(PrintOpKind::SetWindowOrigin, x, y)); }
    Pen selectPen(Pen pen) override {
        PrintOp op = makeOp(PrintOpKind::SelectPen);
        op.pen = pen;
        add(std::move(op));
        return std::exchange(pen_, pen);
    }
    void moveTo(int x, int y) override { add(makeOp(PrintOpKind::MoveTo, x, y)); }
    void lineTo(int x, int y) override { add(makeOp(PrintOpKind::LineTo, x, y)); }
    void rectangle(int left, int top, int right, int bottom) override {
        add(makeOp(PrintOpKind::Rectangle, left, top, right, bottom));
    }
    void ellipse(int left, int top, int right, int bottom) override {
        add(makeOp(PrintOpKind::Ellipse, left, top, right, bottom));
    }
    void textOut(int x, int y, std::string_view text) override {
        PrintOp op = makeOp(PrintOpKind::TextOut, x, y);
        op.text = std::string(text);
        add(std::move(op));
    }

  private:
    void add(PrintOp op) { job_.ops.push_back(std::move(op)); }

    PrintJobRecord& job_;
    bool fontsAvailable_;
    std::string refusal_;  // the printer refuses every job when not empty
    Pen pen_{BLACK, 0};
};

constexpr int PAGE_WIDTH_UNITS = 850;  // 8.5 x 11 inches
constexpr int PAGE_HEIGHT_UNITS = 1100;

}  // namespace

std::unique_ptr<PrintSurface> makeRecordingPrintSurface(PrintJobRecord& job, bool fontsAvailable,
                                                        std::string refusal) {
    return std::make_unique<RecordingPrintSurface>(job, fontsAvailable, std::move(refusal));
}

std::vector<Surface> renderPrintPages(const PrintJobRecord& job) {
    std::vector<Surface> pages;
    Surface* page = nullptr;
    Point origin{};
    // Logical units (y up) to page pixels (y down) relative to the window origin.
    const auto toPage = [&origin](int x, int y) { return Point{x - origin.x, origin.y - y}; };
    for (const PrintOp& op : job.ops) {
        if (op.kind == PrintOpKind::StartPage) {
            pages.emplace_back(PAGE_WIDTH_UNITS, PAGE_HEIGHT_UNITS, WHITE);
            page = &pages.back();
            origin = {};
            continue;
        }
        if (!page) continue;  // drawing outside a page prints nothing
        switch (op.kind) {
            case PrintOpKind::SetWindowOrigin:
                origin = {op.a, op.b};
                break;
            case PrintOpKind::SelectPen:
                page->selectPen({op.pen.color, std::max(1, op.pen.width)});
                break;
            case PrintOpKind::MoveTo: {
                const Point p = toPage(op.a, op.b);
                page->moveTo(p.x, p.y);
                break;
            }
            case PrintOpKind::LineTo: {
                const Point p = toPage(op.a, op.b);
                page->lineTo(p.x, p.y);
                break;
            }
            case PrintOpKind::Rectangle: {
                const Point p = toPage(op.a, op.b);
                const Point q = toPage(op.c, op.d);
                const Rect box{std::min(p.x, q.x), std::min(p.y, q.y), std::max(p.x, q.x),
                               std::max(p.y, q.y)};
                page->fillRect(box, WHITE);
                const Point keep = page->currentPosition();
                page->moveTo(box.left, box.top);
                page->lineTo(box.right - 1, box.top);
                page->lineTo(box.right - 1, box.bottom - 1);
                page->lineTo(box.left, box.bottom - 1);
                page->lineTo(box.left, box.top);
                page->moveTo(keep.x, keep.y);
                break;
            }
            case PrintOpKind::Ellipse: {
                const Point p = toPage(op.a, op.b);
                const Point q = toPage(op.c, op.d);
                page->ellipse(p.x, p.y, q.x, q.y);
                break;
            }
            case PrintOpKind::TextOut: {
                const Point p = toPage(op.a, op.b);
                page->textOut(p.x, p.y, op.text);
                break;
            }
            case PrintOpKind::EndPage:
                page = nullptr;
                break;
            default:
                break;
        }
    }
    return pages;
}
