// The force colours and the deflected shape. Every pen and text setting made here is put back
// before returning, so the board's own strokes stay black.
#include "display/result_views.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "display/board.h"
#include "model/format_significant.h"

namespace {

constexpr double FAILED_FORCE_RATIO = 1000.0;  // percent; marks a member that failed
constexpr int FAILED_WIDTH = 3;                // pixels, inside a one-pixel dark outline
constexpr int CASE_PICK_PIXELS = 6;            // how near a click must come to a truck joint
constexpr int LEGEND_LEFT = 6;
constexpr int LEGEND_TOP = 6;
constexpr int LEGEND_LINE = 15;  // pixels per legend row
constexpr int SWATCH_WIDTH = 22;
constexpr Color LEGEND_PAPER = WHITE;
constexpr Color LARGEST_MARK_COLOR = rgb(200, 0, 0);

Color mix(Color pale, Color full, double share) {
    const auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return rgb(channel(redOf(pale), redOf(full)), channel(greenOf(pale), greenOf(full)),
               channel(blueOf(pale), blueOf(full)));
}

// Saves the window's pen and text settings and puts them back at the end of a scope.
class KeptDrawingState {
  public:
    explicit KeptDrawingState(Surface& window)
        : window_(window),
          pen_(window.pen()),
          text_(window.textColor()),
          background_(window.backgroundColor()),
          mode_(window.textMode()) {}
    ~KeptDrawingState() {
        window_.selectPen(pen_);
        window_.setTextColor(text_);
        window_.setBackgroundColor(background_);
        window_.setTextMode(mode_);
    }
    KeptDrawingState(const KeptDrawingState&) = delete;
    KeptDrawingState& operator=(const KeptDrawingState&) = delete;

  private:
    Surface& window_;
    Pen pen_;
    Color text_, background_;
    TextMode mode_;
};

void stroke(Surface& window, Point a, Point b, Color color, int width) {
    window.selectPen(Pen{color, width});
    window.moveTo(a.x, a.y);
    window.lineTo(b.x, b.y);
}

// A member carrying force at ratio, failed or not, between two board points.
void forceStroke(Surface& window, Point a, Point b, double force, double ratio, bool failed) {
    if (failed) {
        stroke(window, a, b, FAILED_OUTLINE_COLOR, FAILED_WIDTH + 2);
        stroke(window, a, b, forceColor(force, 100.0), FAILED_WIDTH);
    } else {
        stroke(window, a, b, forceColor(force, ratio), 1);
    }
}

Point screenOf(const Joint& joint) {
    return {joint.screenX, joint.screenY};
}

// A white box with a black frame for a legend of rows lines, width characters wide plus a swatch,
// its top at row top. Returns the row under it.
int legendPaper(Surface& window, int rows, int characters, bool swatches, int top = LEGEND_TOP) {
    const int width = 8 + characters * 8 + (swatches ? SWATCH_WIDTH + 6 : 0);
    const Rect box{LEGEND_LEFT, top, LEGEND_LEFT + width, top + 6 + rows * LEGEND_LINE};
    window.fillRect(box, LEGEND_PAPER);
    stroke(window, {box.left, box.top}, {box.right - 1, box.top}, BLACK, 1);
    window.lineTo(box.right - 1, box.bottom - 1);
    window.lineTo(box.left, box.bottom - 1);
    window.lineTo(box.left, box.top);
    return box.bottom;
}

void legendText(Surface& window, int row, int indent, const char* text, int top = LEGEND_TOP) {
    window.setTextMode(TextMode::Transparent);
    window.setTextColor(BLACK);
    window.textOut(LEGEND_LEFT + 4 + indent, top + 3 + row * LEGEND_LINE, text);
}

// The live note's two lines; returns the row under the note.
int drawLiveNote(Surface& window, const ResultView& view) {
    const char* detail = view.liveDetail ? view.liveDetail : "";
    const size_t width =
        std::max(std::char_traits<char>::length(view.liveVerdict), std::char_traits<char>::length(detail));
    const int bottom = legendPaper(window, detail[0] ? 2 : 1, int(width), false);
    legendText(window, 0, 0, view.liveVerdict);
    if (detail[0]) legendText(window, 1, 0, detail);
    return bottom;
}

void drawForceLegend(Surface& window, int top) {
    legendPaper(window, 3, 13, true, top);  // "C compression"
    const int left = LEGEND_LEFT + 4;
    const auto swatchRow = [&](int row) { return top + 3 + row * LEGEND_LINE + 7; };
    stroke(window, {left, swatchRow(0)}, {left + SWATCH_WIDTH, swatchRow(0)}, FULL_TENSION_COLOR, 3);
    stroke(window, {left, swatchRow(1)}, {left + SWATCH_WIDTH, swatchRow(1)}, FULL_COMPRESSION_COLOR, 3);
    forceStroke(window, {left + 2, swatchRow(2)}, {left + SWATCH_WIDTH - 2, swatchRow(2)}, 1.0, 100.0, true);
    const int indent = SWATCH_WIDTH + 6;
    legendText(window, 0, indent, "T tension", top);
    legendText(window, 1, indent, "C compression", top);
    legendText(window, 2, indent, "failed", top);
}

void drawForceColours(Surface& window, const BridgeModel& model, int legendTop) {
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        forceStroke(window, screenOf(model.joints[m.startJoint]), screenOf(model.joints[m.endJoint]), m.force,
                    m.forceRatio, m.forceRatio == FAILED_FORCE_RATIO);
    }
    window.selectPen(Pen{BLACK, 1});
    for (int j = 1; j <= model.jointCount; ++j) drawJointRing(window, model, j);
    drawForceLegend(window, legendTop);
}

// The member's ratio in one load case: its force there over the allowable force of that sign.
double caseRatio(const Member& m, double force) {
    const double allowed = force >= 0.0 ? m.allowableTension : m.allowableCompression;
    return allowed > 0.0 ? std::fabs(force) / allowed * 100.0 : 100.0;
}

void drawDeflectedShape(Surface& window, const DrawingResources& resources, const BridgeModel& model,
                        const ResultView& view) {
    const CaseDisplacements& d = *view.deflection;
    const int k = view.deflectedCase;
    const DeflectedScale scale = deflectedScaleOf(model, d, k);
    // The truck stands on the bridge, so it is no longer parked at the left.
    blit(window, TRUCK_PARK_X, TRUCK_TOP_ROW, TRUCK_WIDTH, TRUCK_HEIGHT, resources.boardBitmap, TRUCK_PARK_X,
         TRUCK_TOP_ROW);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        stroke(window, screenOf(model.joints[m.startJoint]), screenOf(model.joints[m.endJoint]),
               UNDEFORMED_COLOR, 1);
    }
    const int truckJoint = d.caseJoint[k];
    const Point truckAt = deflectedJoint(model, d, k, scale, truckJoint);
    drawTruckSprite(window, resources, truckAt.x - TRUCK_WIDTH / 2, truckAt.y - TRUCK_HEIGHT);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const Point a = deflectedJoint(model, d, k, scale, m.startJoint);
        const Point b = deflectedJoint(model, d, k, scale, m.endJoint);
        if (view.forceColours && view.results != nullptr) {
            const double force = view.results->caseForces[i][k];
            const double ratio = caseRatio(m, force);
            forceStroke(window, a, b, force, ratio, ratio > 100.0);
        } else {
            stroke(window, a, b, BLACK, 1);
        }
    }
    window.selectPen(Pen{BLACK, 1});
    for (int j = 1; j <= model.jointCount; ++j) {
        const Point p = deflectedJoint(model, d, k, scale, j);
        window.ellipse(p.x - 2, p.y - 2, p.x + 2, p.y + 2);
    }
    if (scale.largestJoint != 0) {
        const Point p = deflectedJoint(model, d, k, scale, scale.largestJoint);
        window.selectPen(Pen{LARGEST_MARK_COLOR, 2});
        const Brush kept = window.selectBrush(Brush::Hollow);
        window.ellipse(p.x - 5, p.y - 5, p.x + 5, p.y + 5);
        window.selectBrush(kept);
    }

    char lines[3][128];
    std::snprintf(lines[0], sizeof lines[0], "Truck at joint %d (%d of %d)", truckJoint,
                  caseFromLeft(model, d, k), int(d.caseCount));
    std::snprintf(lines[1], sizeof lines[1], "Deflection x %s",
                  formatSignificant(scale.exaggeration, 3).c_str());
    std::snprintf(lines[2], sizeof lines[2], "Most: %s in at joint %d",
                  formatSignificant(scale.largestIn, 3).c_str(), scale.largestJoint);
    size_t widest = 0;
    for (const char* line : lines) widest = std::max(widest, std::char_traits<char>::length(line));
    legendPaper(window, 3, int(widest), false);
    for (int row = 0; row < 3; ++row) legendText(window, row, 0, lines[row]);
}

// A joint that moves less than this share of the largest motion is drawn as still.
constexpr double MOVING_SHARE = 0.02;
constexpr Color MOVING_MARK_COLOR = rgb(200, 0, 0);

Point swungJoint(const BridgeModel& model, const Mechanism& mechanism, double phase, int joint) {
    const Joint& j = model.joints[joint];
    const double reach = MECHANISM_PIXELS * phase;
    return {j.screenX + int(std::lround(mechanism.motion[joint][0] * reach)),
            j.screenY - int(std::lround(mechanism.motion[joint][1] * reach))};
}

void drawMechanism(Surface& window, const DrawingResources& resources, const BridgeModel& model,
                   const ResultView& view) {
    drawMechanismFrame(window, resources, model, *view.mechanism, view.mechanismPhase, 0);
    if (view.instability == nullptr) return;
    legendPaper(window, 1, int(std::char_traits<char>::length(view.instability)), false);
    legendText(window, 0, 0, view.instability);
}

}  // namespace

bool resultViewShown(const ResultView& view) {
    return view.forceColours || view.mechanism != nullptr || view.liveVerdict != nullptr ||
           (view.deflection != nullptr && view.deflectedCase >= 1 &&
            view.deflectedCase <= view.deflection->caseCount);
}

std::string instabilitySentence(const BridgeModel& model, const AnalysisResults& results) {
    char text[160];
    switch (results.instability) {
        case InstabilityCause::TooFewMembers:
            std::snprintf(text, sizeof text, "%d joints need at least %d members; this bridge has %d.",
                          model.jointCount, 2 * model.jointCount - 3, model.memberCount);
            return text;
        case InstabilityCause::UnbracedJoint:
            std::snprintf(text, sizeof text, "Joint %d is held only by members in one line.",
                          int(results.unbracedJoint));
            return text;
        case InstabilityCause::ExcessiveDeflection:
            return "Under the truck a joint moves more than 240 inches.";
        default:
            return "The joints can move without stretching any member.";
    }
}

void drawMechanismFrame(Surface& window, const DrawingResources& resources, const BridgeModel& model,
                        const Mechanism& mechanism, double phase, int highlighted) {
    const KeptDrawingState kept(window);
    const Rect area = MECHANISM_AREA;
    blit(window, area.left, area.top, area.right - area.left, area.bottom - area.top, resources.backBuffer,
         area.left, area.top);
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        stroke(window, screenOf(model.joints[m.startJoint]), screenOf(model.joints[m.endJoint]),
               UNDEFORMED_COLOR, 1);
    }
    window.selectPen(Pen{BLACK, 1});
    for (int i = 1; i <= model.memberCount; ++i) {
        const Member& m = model.members[i];
        const Point a = swungJoint(model, mechanism, phase, m.startJoint);
        const Point b = swungJoint(model, mechanism, phase, m.endJoint);
        window.moveTo(a.x, a.y);
        window.lineTo(b.x, b.y);
    }
    for (int j = 1; j <= model.jointCount; ++j) {
        const Point p = swungJoint(model, mechanism, phase, j);
        window.selectPen(Pen{BLACK, 1});
        window.ellipse(p.x - 2, p.y - 2, p.x + 2, p.y + 2);
        if (std::hypot(mechanism.motion[j][0], mechanism.motion[j][1]) >= MOVING_SHARE) {
            window.selectPen(Pen{MOVING_MARK_COLOR, 2});
            const Brush brush = window.selectBrush(Brush::Hollow);
            window.ellipse(p.x - 5, p.y - 5, p.x + 5, p.y + 5);
            window.selectBrush(brush);
        }
    }
    if (highlighted >= 1 && highlighted <= model.memberCount) {
        const Member& m = model.members[highlighted];
        stroke(window, swungJoint(model, mechanism, phase, m.startJoint),
               swungJoint(model, mechanism, phase, m.endJoint), HIGHLIGHT_COLOR, 1);
    }
}

Color forceColor(double force, double ratioPercent) {
    const double share = std::clamp(ratioPercent / 100.0, 0.0, 1.0);
    return force < 0.0 ? mix(PALE_COMPRESSION_COLOR, FULL_COMPRESSION_COLOR, share)
                       : mix(PALE_TENSION_COLOR, FULL_TENSION_COLOR, share);
}

void drawResultView(Surface& window, const DrawingResources& resources, const BridgeModel& model,
                    const ResultView& view) {
    if (model.memberCount == 0) return;
    const KeptDrawingState kept(window);
    const bool deflected = view.deflection != nullptr && view.deflectedCase >= 1 &&
                           view.deflectedCase <= view.deflection->caseCount;
    if (view.mechanism != nullptr) {
        drawMechanism(window, resources, model, view);
    } else if (deflected) {
        drawDeflectedShape(window, resources, model, view);
    } else {
        const int legendTop = view.liveVerdict ? drawLiveNote(window, view) + 4 : LEGEND_TOP;
        if (view.forceColours) {
            drawForceColours(window, model, legendTop);
        } else {
            drawBridge(window, model);
        }
    }
}

void highlightResultMember(Surface& window, const BridgeModel& model, const ResultView& view, int member) {
    if (view.mechanism != nullptr) {
        const KeptDrawingState kept(window);
        const Member& m = model.members[member];
        stroke(window, swungJoint(model, *view.mechanism, view.mechanismPhase, m.startJoint),
               swungJoint(model, *view.mechanism, view.mechanismPhase, m.endJoint), HIGHLIGHT_COLOR, 1);
        return;
    }
    const bool deflected = view.deflection != nullptr && view.deflectedCase >= 1 &&
                           view.deflectedCase <= view.deflection->caseCount;
    if (!deflected) {
        highlightMember(window, model, member);
        return;
    }
    const KeptDrawingState kept(window);
    const CaseDisplacements& d = *view.deflection;
    const DeflectedScale scale = deflectedScaleOf(model, d, view.deflectedCase);
    const Member& m = model.members[member];
    stroke(window, deflectedJoint(model, d, view.deflectedCase, scale, m.startJoint),
           deflectedJoint(model, d, view.deflectedCase, scale, m.endJoint), HIGHLIGHT_COLOR, 1);
}

DeflectedScale deflectedScaleOf(const BridgeModel& model, const CaseDisplacements& d, int k) {
    DeflectedScale scale{0.0, 0, 0.0, 0.0};
    for (int j = 1; j <= model.jointCount; ++j) {
        const double moved = std::hypot(d.dx[j][k], d.dy[j][k]);
        if (moved > scale.largestIn) {
            scale.largestIn = moved;
            scale.largestJoint = j;
        }
    }
    if (scale.largestIn > 0.0) {
        scale.pixelsPerInch = DEFLECTED_SHAPE_PIXELS / scale.largestIn;
        scale.exaggeration = scale.pixelsPerInch * 12.0;  // a board pixel is 12 inches
    }
    return scale;
}

Point deflectedJoint(const BridgeModel& model, const CaseDisplacements& d, int k, const DeflectedScale& scale,
                     int joint) {
    const Joint& j = model.joints[joint];
    // Board rows grow downward.
    return {j.screenX + int(std::lround(d.dx[joint][k] * scale.pixelsPerInch)),
            j.screenY - int(std::lround(d.dy[joint][k] * scale.pixelsPerInch))};
}

int caseWithLargestDeflection(const BridgeModel& model, const CaseDisplacements& d) {
    int best = 0;
    double largest = -1.0;
    for (int k = 1; k <= d.caseCount; ++k) {
        const double moved = deflectedScaleOf(model, d, k).largestIn;
        if (moved > largest) {
            largest = moved;
            best = k;
        }
    }
    return best;
}

int caseFromLeft(const BridgeModel& model, const CaseDisplacements& d, int k) {
    const Joint& own = model.joints[d.caseJoint[k]];
    int place = 1;
    for (int other = 1; other <= d.caseCount; ++other) {
        const Joint& j = model.joints[d.caseJoint[other]];
        if (j.x < own.x || (j.x == own.x && d.caseJoint[other] < d.caseJoint[k])) ++place;
    }
    return place;
}

int caseNumberedFromLeft(const BridgeModel& model, const CaseDisplacements& d, int place) {
    for (int k = 1; k <= d.caseCount; ++k) {
        if (caseFromLeft(model, d, k) == place) return k;
    }
    return 0;
}

int neighbourCase(const BridgeModel& model, const CaseDisplacements& d, int k, int step) {
    const int next = caseNumberedFromLeft(model, d, caseFromLeft(model, d, k) + step);
    return next != 0 ? next : k;
}

int caseAtPoint(const BridgeModel& model, const CaseDisplacements& d, Point point) {
    for (int k = 1; k <= d.caseCount; ++k) {
        const Joint& j = model.joints[d.caseJoint[k]];
        if (std::abs(j.screenX - point.x) <= CASE_PICK_PIXELS &&
            std::abs(j.screenY - point.y) <= CASE_PICK_PIXELS)
            return k;
    }
    return 0;
}
