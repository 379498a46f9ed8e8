// The bridge drawing of the class page. A flipping group turns board feet (y up) into SVG's
// y-down units; the viewBox takes in every joint, the span and the supports below it.
#include "grading/bridge_svg.h"

#include <algorithm>
#include <cmath>

#include "analysis/member_evaluation.h"
#include "files/text_output.h"

namespace {

constexpr double kMarginFt = 14.0;
constexpr double kSupportFt = 12.0;  // height of a support's triangle, below the roadbed

}  // namespace

std::string bridgeSvg(const BridgeModel& model, bool showFailures, int widthPx) {
    double left = 0.0, right = SPAN_FT, top = 0.0, bottom = -kSupportFt;
    for (int j = 1; j <= model.jointCount; ++j) {
        left = std::min(left, double(model.joints[j].x));
        right = std::max(right, double(model.joints[j].x));
        top = std::max(top, double(model.joints[j].y));
        bottom = std::min(bottom, double(model.joints[j].y));
    }
    left -= kMarginFt;
    right += kMarginFt;
    top += kMarginFt / 2;
    bottom -= kMarginFt / 2;
    const double heightPx = widthPx * (top - bottom) / (right - left);

    std::string out;
    appendFormat(out,
                 "<svg class=\"bridge\" width=\"%d\" height=\"%.0f\" "
                 "viewBox=\"%g %g %g %g\">\n<g transform=\"scale(1,-1)\">\n",
                 widthPx, std::ceil(heightPx), left, -top, right - left, top - bottom);
    appendFormat(
        out,
        "<line class=\"span\" x1=\"0\" y1=\"0\" x2=\"%g\" y2=\"0\" stroke=\"#c5ccd6\" stroke-width=\"6\" "
        "vector-effect=\"non-scaling-stroke\"/>\n",
        SPAN_FT);
    for (const double x : {0.0, SPAN_FT}) {
        appendFormat(out, "<path class=\"support\" d=\"M%g 0L%g %gH%gZ\" fill=\"#5b6577\"/>\n", x,
                     x - kSupportFt * 0.7, -kSupportFt, x + kSupportFt * 0.7);
    }
    // Failed members last, so that their red lies on top where members cross.
    for (const bool failedPass : {false, true}) {
        for (int i = 1; i <= model.memberCount; ++i) {
            const Member& m = model.members[i];
            const bool failed = showFailures && m.forceRatio == FAILED_RATIO;
            if (failed != failedPass) continue;
            const Joint& a = model.joints[m.startJoint];
            const Joint& b = model.joints[m.endJoint];
            appendFormat(
                out,
                "<line class=\"member%s\" data-member=\"%d\" x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" "
                "stroke=\"%s\" stroke-width=\"%s\" stroke-linecap=\"round\" "
                "vector-effect=\"non-scaling-stroke\"/>\n",
                failed ? " failed" : "", i, a.x, a.y, b.x, b.y, failed ? "#d40000" : "#233047",
                failed ? "2.4" : "1.5");
        }
    }
    out += "</g>\n</svg>\n";
    return out;
}
