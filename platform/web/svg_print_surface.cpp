// PrintSurface as SVG markup. Logical units (0.01 inch, y up) map one to one onto the sheet's
// viewBox units (0.01 inch, y down), so shapes land on whole numbers and only the font-derived
// lengths carry decimals, two at most: the results report of a 150-member bridge, four pages,
// comes to about 240 kB for the browser to take in.
#include "platform/web/svg_print_surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace {

// The printable area's corner on the sheet, as in the desktop's PDF files (0.25 inch).
constexpr int MARGIN_UNITS = 25;

// DejaVu Sans Mono 2.37, from its hhea and hmtx tables in font units of 2048 to the em: ascent
// 1901, descent 483, every advance 1233. The desktop makes the cell (ascent plus descent) the
// height asked for; so does this surface, with the baseline one ascent below the cell's top.
constexpr double FACE_EM = 2048.0;
constexpr double FACE_ASCENT = 1901.0;
constexpr double FACE_CELL = 1901.0 + 483.0;
constexpr double FACE_ADVANCE = 1233.0;

// Text on a page without a selected font. The desktop then uses the toolkit's default face; a
// browser has no such thing to ask for, so the report font's own cell stands in for it.
constexpr int DEFAULT_CELL_UNITS = 16;

// Pen width 0 asks for the thinnest line the device draws, which SVG cannot name: width 0 draws
// nothing and a non-scaling stroke prints a whole CSS pixel (1/96 inch). Half a unit is what a
// 300 to 600 dpi printer draws as a hairline, and still shows in an on-screen preview.
constexpr double HAIRLINE_UNITS = 0.5;

double fontSize(int cellUnits) {
    return cellUnits * FACE_EM / FACE_CELL;
}

// Appends value with at most two decimals and no trailing zeros: 12, 12.5, 12.76.
void appendNumber(std::string& out, double value) {
    long long hundredths = std::llround(value * 100.0);
    if (hundredths < 0) {
        out += '-';
        hundredths = -hundredths;
    }
    out += std::to_string(hundredths / 100);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction == 0) return;
    out += '.';
    out += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) out += static_cast<char>('0' + fraction % 10);
}

void appendAttribute(std::string& out, const char* name, double value) {
    out += ' ';
    out += name;
    out += "=\"";
    appendNumber(out, value);
    out += '"';
}

// #rgb when each channel's two digits agree, else #rrggbb.
void appendColor(std::string& out, Color color) {
    static const char DIGITS[] = "0123456789abcdef";
    const int channels[3] = {redOf(color), greenOf(color), blueOf(color)};
    bool shortForm = true;
    for (int c : channels) shortForm = shortForm && (c >> 4) == (c & 15);
    out += '#';
    for (int c : channels) {
        out += DIGITS[c >> 4];
        if (!shortForm) out += DIGITS[c & 15];
    }
}

void appendStroke(std::string& out, Pen pen) {
    out += " stroke=\"";
    appendColor(out, pen.color);
    out += '"';
    appendAttribute(out, "stroke-width", pen.width > 0 ? pen.width : HAIRLINE_UNITS);
}

// Characters written otherwise in SVG text (see appendLatin1Text).
struct Replaced {
    char character;
    const char* text;
};
constexpr Replaced REPLACED[] = {{'&', "&amp;"},  {'<', "&lt;"},    {'>', "&gt;"},
                                 {'"', "&quot;"}, {'\'', "&apos;"}, {' ', "\xC2\xA0"}};

// Report text is Latin-1, each byte the code point of its own number, written here as UTF-8 with
// the characters XML reserves escaped. Control characters (C0, DEL and C1) have no glyph and are
// left out. Blanks pad the report's columns and labels (" 01"), but SVG collapses and trims runs
// of spaces unless told otherwise, and browsers disagree on how to be told (Chromium honours
// xml:space only on each text element, not inherited from the sheet), so every blank becomes a
// no-break space, which no whitespace rule touches and which a monospace face draws one cell
// wide. Returns how many characters were written, which is how many cells the text takes.
int appendLatin1Text(std::string& out, std::string_view text) {
    int characters = 0;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) continue;
        ++characters;
        const auto special = std::find_if(std::begin(REPLACED), std::end(REPLACED),
                                          [c](const Replaced& r) { return r.character == c; });
        if (special != std::end(REPLACED)) {
            out += special->text;
            continue;
        }
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return characters;
}

// The sheet and the defaults every element of the page inherits: the report face (any monospace
// where it is missing) at the default cell, round ends and joins as on the desktop, and a white
// sheet for on-screen previews.
void appendPageStart(std::string& out) {
    out +=
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8.5in\" height=\"11in\" viewBox=\"0 0 850 1100\""
        " font-family=\"'DejaVu Sans Mono',monospace\"";
    appendAttribute(out, "font-size", fontSize(DEFAULT_CELL_UNITS));
    out +=
        " text-rendering=\"geometricPrecision\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n"
        "<rect width=\"850\" height=\"1100\" fill=\"#fff\"/>\n";
}

}  // namespace

SvgPrintSurface::SvgPrintSurface(Finished finished) : finished_(std::move(finished)) {}

// Like a printer's driver ending the job, a document left unfinished goes out as drawn so far.
SvgPrintSurface::~SvgPrintSurface() {
    if (documentOpen_) finishDocument();
}

bool SvgPrintSurface::startDocument(std::string_view name) {
    if (documentOpen_) return false;
    documentOpen_ = true;
    documentName_ = std::string(name);
    pages_.clear();
    return true;
}

void SvgPrintSurface::startPage() {
    if (!documentOpen_) return;
    endOpenPage();
    pageOpen_ = true;
    page_.clear();
    appendPageStart(page_);
    origin_ = {};
    position_ = {};
    pen_ = Pen{BLACK, 0};
    fontCellUnits_ = DEFAULT_CELL_UNITS;
}

void SvgPrintSurface::endPage() {
    endOpenPage();
}

void SvgPrintSurface::endDocument() {
    if (documentOpen_) finishDocument();
}

// A browser always has a monospace face, so any positive height can be made. Only an open page
// keeps the choice: the next page starts without a font anyway.
bool SvgPrintSurface::selectFont(int heightUnits) {
    if (heightUnits <= 0) return false;
    if (pageOpen_) fontCellUnits_ = heightUnits;
    return true;
}

void SvgPrintSurface::setWindowOrigin(int x, int y) {
    origin_ = {x, y};
}

Pen SvgPrintSurface::selectPen(Pen pen) {
    return std::exchange(pen_, pen);
}

void SvgPrintSurface::moveTo(int x, int y) {
    position_ = {x, y};
}

// A segment that starts where the path's last one ended and keeps its pen continues the path.
void SvgPrintSurface::lineTo(int x, int y) {
    const Point from = std::exchange(position_, Point{x, y});
    if (!pageOpen_) return;
    if (!lines_.empty() && linesPen_ != pen_) flushLines();
    if (lines_.empty() || from != lineEnd_) {
        lines_ += 'M';
        appendNumber(lines_, sheetX(from.x));
        lines_ += ' ';
        appendNumber(lines_, sheetY(from.y));
    }
    lines_ += 'L';
    appendNumber(lines_, sheetX(x));
    lines_ += ' ';
    appendNumber(lines_, sheetY(y));
    linesPen_ = pen_;
    lineEnd_ = {x, y};
}

void SvgPrintSurface::rectangle(int left, int top, int right, int bottom) {
    if (!pageOpen_) return;
    flushLines();
    page_ += "<rect";
    appendAttribute(page_, "x", std::min(sheetX(left), sheetX(right)));
    appendAttribute(page_, "y", std::min(sheetY(top), sheetY(bottom)));
    appendAttribute(page_, "width", std::abs(sheetX(right) - sheetX(left)));
    appendAttribute(page_, "height", std::abs(sheetY(bottom) - sheetY(top)));
    page_ += " fill=\"#fff\"";
    appendStroke(page_, pen_);
    page_ += "/>\n";
}

void SvgPrintSurface::ellipse(int left, int top, int right, int bottom) {
    if (!pageOpen_) return;
    flushLines();
    page_ += "<ellipse";
    appendAttribute(page_, "cx", (sheetX(left) + sheetX(right)) / 2.0);
    appendAttribute(page_, "cy", (sheetY(top) + sheetY(bottom)) / 2.0);
    appendAttribute(page_, "rx", std::abs(sheetX(right) - sheetX(left)) / 2.0);
    appendAttribute(page_, "ry", std::abs(sheetY(bottom) - sheetY(top)) / 2.0);
    page_ += " fill=\"#fff\"";
    appendStroke(page_, pen_);
    page_ += "/>\n";
}

// The white box covers the cells, then the text sits on the baseline inside it. textLength holds
// every run to the report face's advance: a browser without DejaVu Sans Mono substitutes a
// monospace face whose advance differs (Courier's 0.6 em, Consolas' 0.55 em), and with
// spacingAndGlyphs it scales the glyphs to fit, so the n-th character starts on the n-th cell
// whichever monospace face it is, and the report's columns stay aligned with each other and
// with the boxes. (Spacing alone would spread the difference over the gaps between characters
// and leave them off the cells.)
void SvgPrintSurface::textOut(int x, int y, std::string_view text) {
    if (!pageOpen_ || text.empty()) return;
    std::string characters;
    const int cells = appendLatin1Text(characters, text);
    if (cells == 0) return;
    flushLines();
    const double cell = fontCellUnits_;
    const double width = cells * cell * FACE_ADVANCE / FACE_CELL;
    page_ += "<rect";
    appendAttribute(page_, "x", sheetX(x));
    appendAttribute(page_, "y", sheetY(y));
    appendAttribute(page_, "width", width);
    appendAttribute(page_, "height", cell);
    page_ += " fill=\"#fff\"/>\n<text";
    appendAttribute(page_, "x", sheetX(x));
    appendAttribute(page_, "y", sheetY(y) + cell * FACE_ASCENT / FACE_CELL);
    if (fontCellUnits_ != DEFAULT_CELL_UNITS) appendAttribute(page_, "font-size", fontSize(fontCellUnits_));
    appendAttribute(page_, "textLength", width);
    page_ += " lengthAdjust=\"spacingAndGlyphs\">";
    page_ += characters;
    page_ += "</text>\n";
}

// Doubles, so that no int coordinate overflows on its way to the sheet.
double SvgPrintSurface::sheetX(int x) const {
    return MARGIN_UNITS + (static_cast<double>(x) - origin_.x);
}

double SvgPrintSurface::sheetY(int y) const {
    return MARGIN_UNITS + (static_cast<double>(origin_.y) - y);
}

void SvgPrintSurface::flushLines() {
    if (lines_.empty()) return;
    page_ += "<path d=\"";
    page_ += lines_;
    page_ += "\" fill=\"none\"";
    appendStroke(page_, linesPen_);
    page_ += "/>\n";
    lines_.clear();
}

void SvgPrintSurface::endOpenPage() {
    if (!pageOpen_) return;
    flushLines();
    page_ += "</svg>\n";
    pages_.push_back(std::move(page_));
    page_.clear();
    pageOpen_ = false;
}

void SvgPrintSurface::finishDocument() {
    endOpenPage();
    documentOpen_ = false;
    if (finished_) finished_(documentName_, pages_);
}
