// The browser's report surface: a PrintSurface that draws each page as an SVG picture of a US
// Letter sheet, for the page to hand to the browser's print dialog. Each page is one standalone
// <svg> element (no XML declaration, no style sheet, no external references) sized 8.5in x 11in
// with a viewBox of 850 x 1100 units of 0.01 inch, y downward from the sheet's top-left corner;
// the printable area starts 0.25 inch inside the edges, as in the desktop's PDF files.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/print_surface.h"

class SvgPrintSurface final : public PrintSurface {
  public:
    // Called once with the finished document: at endDocument, or when a started document is
    // destroyed unfinished. Never called for a surface on which no document was started. The
    // pages come in order, each one <svg> element in UTF-8; the name is as the report gave it.
    using Finished =
        std::function<void(std::string_view documentName, const std::vector<std::string>& pages)>;

    explicit SvgPrintSurface(Finished finished);
    ~SvgPrintSurface() override;

    bool startDocument(std::string_view name) override;
    // The browser's print dialog takes every document.
    std::string refusal() const override { return {}; }
    void startPage() override;
    void endPage() override;
    void endDocument() override;
    bool selectFont(int heightUnits) override;
    void setWindowOrigin(int x, int y) override;
    Pen selectPen(Pen pen) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void rectangle(int left, int top, int right, int bottom) override;
    void ellipse(int left, int top, int right, int bottom) override;
    void textOut(int x, int y, std::string_view text) override;

  private:
    // Sheet coordinates (0.01 inch, y downward from the sheet's corner) of a logical point.
    double sheetX(int x) const;
    double sheetY(int y) const;

    void flushLines();
    void endOpenPage();
    void finishDocument();

    Finished finished_;
    bool documentOpen_ = false;
    bool pageOpen_ = false;
    std::string documentName_;
    std::vector<std::string> pages_;
    std::string page_;  // the open page's markup so far

    // Consecutive line segments drawn with one pen become one path, written out when anything
    // else is drawn, the pen changes or the page ends; lineEnd_ is where its last segment ended.
    std::string lines_;
    Pen linesPen_{BLACK, 0};
    Point lineEnd_{};

    Point origin_{};
    Point position_{};
    Pen pen_{BLACK, 0};
    int fontCellUnits_ = 0;  // the selected font's cell height; 0 before any page
};
