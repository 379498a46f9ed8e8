// The SVG and raster chart canvases. SVG numbers carry one decimal; the raster rounds to the
// nearest pixel.
#include "grading/chart_canvas.h"

#include <algorithm>
#include <cmath>

#include "files/text_output.h"

namespace {

// Dashed lines: 6 pixels drawn, 4 skipped, as the SVG's stroke-dasharray says.
constexpr double kDash = 6.0;
constexpr double kGap = 4.0;

void appendColor(std::string& out, Color c) {
    appendFormat(out, "#%02x%02x%02x", redOf(c), greenOf(c), blueOf(c));
}

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
}

int pixel(double v) {
    return static_cast<int>(std::lround(v));
}

}  // namespace

// ---- SVG

SvgCanvas::SvgCanvas(int width, int height) {
    appendFormat(out_,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                 "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%d\" height=\"%d\" "
                 "viewBox=\"0 0 %d %d\" font-family=\"DejaVu Sans Mono, monospace\" font-size=\"13\">\n"
                 "<rect class=\"background\" x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"#ffffff\"/>\n",
                 width, height, width, height, width, height);
}

std::string SvgCanvas::finish() {
    out_ += "</svg>\n";
    return std::move(out_);
}

void SvgCanvas::beginGroup(const std::string& attributes) {
    out_ += "<g " + attributes + ">\n";
}

void SvgCanvas::endGroup() {
    out_ += "</g>\n";
}

void SvgCanvas::line(ChartPoint from, ChartPoint to, Color color, int width, bool dashed, const char* role) {
    appendFormat(out_, "<line class=\"%s\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"", role,
                 from.x, from.y, to.x, to.y);
    appendColor(out_, color);
    appendFormat(out_, "\" stroke-width=\"%d\"%s/>\n", width, dashed ? " stroke-dasharray=\"6 4\"" : "");
}

void SvgCanvas::polyline(const std::vector<ChartPoint>& points, Color color, int width, const char* role) {
    appendFormat(out_, "<polyline class=\"%s\" fill=\"none\" stroke-linejoin=\"round\" stroke=\"", role);
    appendColor(out_, color);
    appendFormat(out_, "\" stroke-width=\"%d\" points=\"", width);
    for (size_t k = 0; k < points.size(); ++k) {
        appendFormat(out_, "%s%.1f,%.1f", k == 0 ? "" : " ", points[k].x, points[k].y);
    }
    out_ += "\"/>\n";
}

void SvgCanvas::dot(ChartPoint centre, double radius, Color color, bool filled, const char* role) {
    appendFormat(out_, "<circle class=\"%s\" cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" ", role, centre.x, centre.y,
                 radius);
    if (filled) {
        out_ += "fill=\"";
        appendColor(out_, color);
        out_ += "\"/>\n";
    } else {
        out_ += "fill=\"none\" stroke-width=\"2\" stroke=\"";
        appendColor(out_, color);
        out_ += "\"/>\n";
    }
}

void SvgCanvas::text(ChartPoint at, std::string_view text, Color color, TextAnchor anchor, const char* role) {
    const char* anchorName = anchor == TextAnchor::Start    ? "start"
                             : anchor == TextAnchor::Middle ? "middle"
                                                            : "end";
    // The baseline sits a third of the text height below the centre line.
    appendFormat(out_, "<text class=\"%s\" x=\"%.1f\" y=\"%.1f\" text-anchor=\"%s\" fill=\"", role, at.x,
                 at.y + CHART_TEXT_HEIGHT / 3.0, anchorName);
    appendColor(out_, color);
    out_ += "\">";
    appendEscaped(out_, text);
    out_ += "</text>\n";
}

// ---- Raster

void RasterCanvas::line(ChartPoint from, ChartPoint to, Color color, int width, bool dashed, const char*) {
    const Pen previous = surface_.selectPen({color, width});
    if (!dashed) {
        surface_.moveTo(pixel(from.x), pixel(from.y));
        surface_.lineTo(pixel(to.x), pixel(to.y));
    } else {
        const double length = std::hypot(to.x - from.x, to.y - from.y);
        const double ux = length > 0 ? (to.x - from.x) / length : 0,
                     uy = length > 0 ? (to.y - from.y) / length : 0;
        for (double s = 0; s < length; s += kDash + kGap) {
            const double e = std::min(length, s + kDash);
            surface_.moveTo(pixel(from.x + ux * s), pixel(from.y + uy * s));
            surface_.lineTo(pixel(from.x + ux * e), pixel(from.y + uy * e));
        }
    }
    surface_.selectPen(previous);
}

void RasterCanvas::polyline(const std::vector<ChartPoint>& points, Color color, int width, const char*) {
    if (points.empty()) return;
    const Pen previous = surface_.selectPen({color, width});
    surface_.moveTo(pixel(points[0].x), pixel(points[0].y));
    for (size_t k = 1; k < points.size(); ++k) surface_.lineTo(pixel(points[k].x), pixel(points[k].y));
    surface_.selectPen(previous);
}

void RasterCanvas::dot(ChartPoint centre, double radius, Color color, bool filled, const char*) {
    const int cx = pixel(centre.x), cy = pixel(centre.y), r = std::max(1, pixel(radius));
    if (filled) {
        for (int dy = -r; dy <= r; ++dy) {  // the rows of the disc
            const int half = static_cast<int>(std::sqrt(double(r * r - dy * dy)));
            surface_.fillRect({cx - half, cy + dy, cx + half + 1, cy + dy + 1}, color);
        }
        return;
    }
    const Pen previousPen = surface_.selectPen({color, 2});
    const Brush previousBrush = surface_.selectBrush(Brush::Hollow);
    surface_.ellipse(cx - r, cy - r, cx + r + 1, cy + r + 1);
    surface_.selectBrush(previousBrush);
    surface_.selectPen(previousPen);
}

void RasterCanvas::text(ChartPoint at, std::string_view text, Color color, TextAnchor anchor, const char*) {
    const int width = static_cast<int>(text.size()) * surface_.font().advance;
    int x = pixel(at.x);
    if (anchor == TextAnchor::Middle) x -= width / 2;
    if (anchor == TextAnchor::End) x -= width;
    const Color previousColor = surface_.setTextColor(color);
    const TextMode previousMode = surface_.setTextMode(TextMode::Transparent);
    surface_.textOut(x, pixel(at.y) - surface_.font().cellHeight / 2, text);
    surface_.setTextMode(previousMode);
    surface_.setTextColor(previousColor);
}
