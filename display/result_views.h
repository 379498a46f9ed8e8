// Review's pictures of the results besides the black-and-red bridge: the members in the colours of
// their design forces, and the deflected shape of one load case, each with a small legend in the
// sky. Both are drawn over the site picture in place of the plain bridge.
#pragma once

#include <string>

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "display/drawing_resources.h"
#include "model/bridge_model.h"
#include "platform/raster/surface.h"

// Tension in blues and compression in oranges, from pale at a small efficiency ratio to full at
// 100 %: a pair that stays apart for the common kinds of colour blindness. Compression keeps its
// red above its blue, tension its blue above its red.
constexpr Color FULL_TENSION_COLOR = rgb(0, 60, 200);
constexpr Color PALE_TENSION_COLOR = rgb(120, 150, 255);
constexpr Color FULL_COMPRESSION_COLOR = rgb(205, 75, 0);
constexpr Color PALE_COMPRESSION_COLOR = rgb(255, 165, 60);
constexpr Color FAILED_OUTLINE_COLOR = rgb(32, 32, 32);
constexpr Color UNDEFORMED_COLOR = rgb(150, 150, 150);

// The largest displacement of the shown case is drawn this many board pixels long.
constexpr double DEFLECTED_SHAPE_PIXELS = 20.0;
// The joint that moves most in a mechanism swings this many board pixels either way.
constexpr double MECHANISM_PIXELS = 16.0;
// A mechanism's frames redraw this part of the window (the joint area and what a swing reaches).
constexpr Rect MECHANISM_AREA{120, 120, 580, 372};

// What Review shows in place of the plain bridge.
struct ResultView {
    bool forceColours = false;
    const AnalysisResults* results = nullptr;       // the load cases' forces
    const CaseDisplacements* deflection = nullptr;  // set: the deflected shape of deflectedCase
    int deflectedCase = 0;                          // 1..caseCount, the analysis's numbering
    // An unstable truss: how it moves, at phase -1..1 of its swing, and why, in one sentence.
    const Mechanism* mechanism = nullptr;
    double mechanismPhase = 1.0;
    const char* instability = nullptr;
    // Live Results: the verdict and the hardest-working member (or why there is none), shown in a
    // note at the top of the sky; the members in colour when forceColours is set.
    const char* liveVerdict = nullptr;
    const char* liveDetail = nullptr;
};

// Whether the view draws anything other than the plain bridge.
bool resultViewShown(const ResultView& view);

// The colour of a member carrying force (kips, tension positive) at ratio percent of its allowable
// force; zero force counts as tension.
Color forceColor(double force, double ratioPercent);

// The bridge as the view shows it, with its legend; the caller has drawn the site first.
void drawResultView(Surface& window, const DrawingResources& resources, const BridgeModel& model,
                    const ResultView& view);

// The Review selection in yellow over what the view drew: on the member as displaced in the
// deflected shape, else where it stands.
void highlightResultMember(Surface& window, const BridgeModel& model, const ResultView& view, int member);

// The sentence that says which test found the truss unstable ("16 joints need at least 29
// members; this bridge has 27.").
std::string instabilitySentence(const BridgeModel& model, const AnalysisResults& results);

// One frame of a mechanism's swing over the site picture of the back buffer: the truss as drawn,
// faint, the truss moved by phase (-1..1) of its swing, and rings around the joints that move;
// the highlighted member (0: none) in yellow. Redraws MECHANISM_AREA only, so the legend and panel
// stay.
void drawMechanismFrame(Surface& window, const DrawingResources& resources, const BridgeModel& model,
                        const Mechanism& mechanism, double phase, int highlighted);

// How one load case's deflected shape is drawn.
struct DeflectedScale {
    double largestIn;      // inches, the largest joint displacement of the case
    int largestJoint;      // the joint that moves most, 0 when none moves
    double pixelsPerInch;  // board pixels per inch of displacement
    double exaggeration;   // times the true displacement (a board pixel is a foot)
};
DeflectedScale deflectedScaleOf(const BridgeModel& model, const CaseDisplacements& deflection, int loadCase);

// Where joint j is drawn in the deflected shape of the case.
Point deflectedJoint(const BridgeModel& model, const CaseDisplacements& deflection, int loadCase,
                     const DeflectedScale& scale, int joint);

// The case whose largest displacement is largest (the first of equals), 0 when there is none.
int caseWithLargestDeflection(const BridgeModel& model, const CaseDisplacements& deflection);
// The next case to the right (step 1) or left (step -1) of loadCase, by the x of the truck's
// joint; loadCase itself at either end.
int neighbourCase(const BridgeModel& model, const CaseDisplacements& deflection, int loadCase, int step);
// The case whose truck joint lies within a few pixels of point, else 0.
int caseAtPoint(const BridgeModel& model, const CaseDisplacements& deflection, Point point);
// A case's place from the left, 1..caseCount (the order `render --case` counts in), and back.
int caseFromLeft(const BridgeModel& model, const CaseDisplacements& deflection, int loadCase);
int caseNumberedFromLeft(const BridgeModel& model, const CaseDisplacements& deflection, int place);
