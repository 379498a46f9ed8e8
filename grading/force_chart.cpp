// Layout and drawing of the forces chart, once for both canvases. Every member's panel is scaled
// to take in its forces, both its allowables and zero, so the margin to failure shows at a glance.
#include "grading/force_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "files/text_output.h"
#include "grading/chart_canvas.h"
#include "model/bridge_model.h"
#include "model/format_significant.h"

namespace {

constexpr Color kInk = rgb(0, 0, 0);
constexpr Color kFrame = rgb(128, 128, 128);
constexpr Color kZero = rgb(176, 176, 176);
constexpr Color kForce = rgb(31, 79, 160);
constexpr Color kFailed = rgb(220, 0, 0);
constexpr Color kTension = rgb(46, 139, 58);
constexpr Color kCompression = rgb(217, 130, 43);

constexpr int kHeaderHeight = 64;  // title and legend above the panels

// Pixel sizes of the two layouts.
struct Layout {
    int width, height;
    int columns;
    int panelWidth, panelHeight;
    int plotLeft, plotRight, plotTop, plotBottom;  // the plot inside a panel
    double xTickStepFt;
    int yTicks;     // how many y ticks to aim for
    bool detailed;  // one member: axis titles and labelled lines
};

Layout layoutFor(size_t panels) {
    if (panels <= 1) return {860, 520, 1, 860, 456, 90, 830, 24, 400, 50.0, 8, true};
    const int columns = 4;
    const int rows = static_cast<int>((panels + columns - 1) / columns);
    return {columns * 300 + 10,
            kHeaderHeight + rows * 200 + 10,
            columns,
            300,
            200,
            58,
            290,
            26,
            168,
            100.0,
            4,
            false};
}

// 1, 2 or 5 times a power of ten, the first at least rough.
double niceStep(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= rough) return m * power;
    }
    return 10.0 * power;
}

std::string number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// Five significant digits without the bare trailing point of the program's panels ("120 kips").
std::string kips(double value) {
    std::string text = formatSignificant(value, 5).c_str();
    if (text.back() == '.') text.pop_back();
    return text + " kips";
}

class PanelScale {
  public:
    PanelScale(const Layout& l, int left, int top, double lo, double hi)
        : left_(left + l.plotLeft),
          right_(left + l.plotRight),
          top_(top + l.plotTop),
          bottom_(top + l.plotBottom),
          lo_(lo),
          hi_(hi) {}
    double x(double ft) const { return left_ + (right_ - left_) * ft / SPAN_FT; }
    double y(double force) const { return bottom_ - (bottom_ - top_) * (force - lo_) / (hi_ - lo_); }
    ChartPoint at(double ft, double force) const { return {x(ft), y(force)}; }
    int left_, right_, top_, bottom_;
    double lo_, hi_;
};

void drawAxes(ChartCanvas& c, const Layout& l, const PanelScale& s, double yStep) {
    const ChartPoint corners[] = {{double(s.left_), double(s.top_)},
                                  {double(s.right_), double(s.top_)},
                                  {double(s.right_), double(s.bottom_)},
                                  {double(s.left_), double(s.bottom_)},
                                  {double(s.left_), double(s.top_)}};
    c.polyline({std::begin(corners), std::end(corners)}, kFrame, 1, "frame");
    for (double ft = 0.0; ft <= SPAN_FT; ft += l.xTickStepFt) {
        c.line({s.x(ft), double(s.bottom_)}, {s.x(ft), s.bottom_ + 4.0}, kFrame, 1, false, "tick-x");
        c.text({s.x(ft), s.bottom_ + 13.0}, number(ft), kInk, TextAnchor::Middle, "tick-x-label");
    }
    for (double v = std::ceil(s.lo_ / yStep) * yStep; v <= s.hi_; v += yStep) {
        const double value = std::abs(v) < yStep * 1e-9 ? 0.0 : v;  // no "-0" from rounding
        c.line({s.left_ - 4.0, s.y(value)}, {double(s.left_), s.y(value)}, kFrame, 1, false, "tick-y");
        c.text({s.left_ - 7.0, s.y(value)}, number(value), kInk, TextAnchor::End, "tick-y-label");
    }
    c.line(s.at(0.0, 0.0), s.at(SPAN_FT, 0.0), kZero, 1, false, "zero");
}

void drawMember(ChartCanvas& c, const Layout& l, const ForceTable& table, const MemberForces& m, int left,
                int top) {
    double lo = std::min(0.0, -m.allowableCompression), hi = std::max(0.0, m.allowableTension);
    for (double f : m.forces) {
        lo = std::min(lo, f);
        hi = std::max(hi, f);
    }
    const double pad = (hi - lo) * (l.detailed ? 0.1 : 0.06);  // room for the controlling label
    const PanelScale s(l, left, top, lo - pad, hi + pad);
    const double yStep = niceStep((hi - lo) / l.yTicks);
    const Color color = m.failed ? kFailed : kForce;

    std::string attributes;
    appendFormat(attributes, "class=\"member\" data-member=\"%d\" data-failed=\"%d\"", m.member,
                 m.failed ? 1 : 0);
    c.beginGroup(attributes);
    if (!l.detailed) {
        // The title gives up words until it fits beside FAIL in its panel: the joints' first, then
        // the member's (the widest is member 150 between joints 61 and 62, size 12).
        const double room = l.plotRight - 8.0 - (m.failed ? CHART_CHAR_WIDTH * 5.0 : 0.0);
        std::string title;
        for (const char* format :
             {"Member %d: joints %d-%d, size %d", "Member %d: %d-%d, size %d", "M%d: %d-%d, size %d"}) {
            title.clear();
            appendFormat(title, format, m.member, m.startJoint, m.endJoint, m.size);
            if (CHART_CHAR_WIDTH * double(title.size()) <= room) break;
        }
        c.text({left + 8.0, top + 12.0}, title, m.failed ? kFailed : kInk, TextAnchor::Start, "title");
        if (m.failed)
            c.text({double(left + l.plotRight), top + 12.0}, "FAIL", kFailed, TextAnchor::End, "title");
    }
    drawAxes(c, l, s, yStep);
    c.line(s.at(0.0, m.allowableTension), s.at(SPAN_FT, m.allowableTension), kTension, 2, true,
           "allowable-tension");
    c.line(s.at(0.0, -m.allowableCompression), s.at(SPAN_FT, -m.allowableCompression), kCompression, 2, true,
           "allowable-compression");
    if (l.detailed) {
        c.text({s.right_ - 4.0, s.y(m.allowableTension) - 10.0},
               "allowable tension " + kips(m.allowableTension), kTension, TextAnchor::End,
               "allowable-tension-label");
        c.text({s.right_ - 4.0, s.y(-m.allowableCompression) + 11.0},
               "allowable compression " + kips(m.allowableCompression), kCompression, TextAnchor::End,
               "allowable-compression-label");
    }

    std::vector<ChartPoint> points;
    for (size_t k = 0; k < m.forces.size(); ++k) points.push_back(s.at(table.positions[k].xFt, m.forces[k]));
    c.polyline(points, color, 2, "force");
    for (const ChartPoint& p : points) c.dot(p, l.detailed ? 3.5 : 2.5, color, true, "force-point");
    if (m.controlling >= 0) {
        const ChartPoint p = points[m.controlling];
        c.dot(p, l.detailed ? 9.0 : 6.0, kInk, false, "controlling");
        if (l.detailed) {
            // The governing force is the highest (or lowest) point of the line, so above it (below
            // it) the text is clear of the line; it leans toward the middle of the plot.
            const bool right = p.x < (s.left_ + s.right_) / 2.0;
            const bool above = m.forces[m.controlling] > 0.0;
            c.text({p.x + (right ? 10.0 : -10.0), p.y + (above ? -18.0 : 18.0)},
                   kips(m.forces[m.controlling]) + " at joint " +
                       std::to_string(table.positions[m.controlling].joint),
                   kInk, right ? TextAnchor::Start : TextAnchor::End, "controlling-label");
        }
    }
    c.endGroup();
}

// What the forces come from, for the chart's header.
std::string loadsOf(const AnalysisOptions& o) {
    std::string text = "80-kip truck";
    if (o.includeDeadLoad) text += " + dead load";
    if (o.includeDeckWeight) text += " + deck weight";
    if (o.includeExtraLiveLoad) text += " + live load";
    if (o.useMinMemberForce) text += " + min. force";
    return text;
}

// A short sample of a mark followed by its meaning; returns where the next entry starts.
double legendEntry(ChartCanvas& c, double x, double y, Color color, int kind, const char* words) {
    if (kind == 0) c.line({x, y}, {x + 26, y}, color, 2, true, "legend");
    if (kind == 1) c.dot({x + 13, y}, 6.0, color, false, "legend");
    if (kind == 2) c.line({x, y}, {x + 26, y}, color, 2, false, "legend");
    c.text({x + 32, y}, words, kInk, TextAnchor::Start, "legend");
    return x + 32 + CHART_CHAR_WIDTH * (std::char_traits<char>::length(words) + 3);
}

void drawChart(ChartCanvas& c, const ForceTable& table, const char* bridgeName) {
    const Layout l = layoutFor(table.members.size());
    const bool oneFailed = l.detailed && !table.members.empty() && table.members.front().failed;
    std::string title = bridgeName;
    if (l.detailed && !table.members.empty()) {
        const MemberForces& m = table.members.front();
        appendFormat(title, ", member %d (joints %d-%d, size %d): %s", m.member, m.startJoint, m.endJoint,
                     m.size, m.failed ? "FAILS" : "passes");
    } else {
        title += ": force in each member as the truck crosses";
    }
    c.text({16, 18}, title, oneFailed ? kFailed : kInk, TextAnchor::Start, "chart-title");
    double x = 16;
    x = legendEntry(c, x, 44, kTension, 0, "allowable tension");
    x = legendEntry(c, x, 44, kCompression, 0, "allowable compression");
    x = legendEntry(c, x, 44, kInk, 1, "controlling position");
    if (!l.detailed || oneFailed) legendEntry(c, x, 44, kFailed, 2, "failed member");
    c.text({double(l.width - 16), l.detailed ? kHeaderHeight + l.plotTop - 12.0 : 18.0},
           loadsOf(table.options), kInk, TextAnchor::End, "loads");

    for (size_t n = 0; n < table.members.size(); ++n) {
        const int left = 5 + static_cast<int>(n % l.columns) * l.panelWidth;
        const int top = kHeaderHeight + static_cast<int>(n / l.columns) * l.panelHeight;
        drawMember(c, l, table, table.members[n], left, top);
    }
    if (l.detailed) {
        const int bottom = kHeaderHeight + l.plotBottom;
        c.text({(5 + l.plotLeft + 5 + l.plotRight) / 2.0, bottom + 34.0}, "truck position (ft)", kInk,
               TextAnchor::Middle, "axis-title");
        c.text({16, kHeaderHeight + l.plotTop - 12.0}, "force (kips, tension +)", kInk, TextAnchor::Start,
               "axis-title");
    } else {
        c.text({double(l.width - 16), 44}, "x: truck position (ft), y: force (kips, tension +)", kInk,
               TextAnchor::End, "axis-title");
    }
}

}  // namespace

std::string forcesSvg(const ForceTable& table, const char* bridgeName) {
    const Layout l = layoutFor(table.members.size());
    SvgCanvas canvas(l.width, l.height);
    drawChart(canvas, table, bridgeName);
    return canvas.finish();
}

Surface forcesPicture(const ForceTable& table, const char* bridgeName) {
    const Layout l = layoutFor(table.members.size());
    Surface surface(l.width, l.height, WHITE);
    RasterCanvas canvas(surface);
    drawChart(canvas, table, bridgeName);
    return surface;
}
