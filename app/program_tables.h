// Everything the program holds for its whole run: the bridge, the member sizes, the analysis
// options, results and working storage, the window's state and its drawing resources. One
// instance lives on the heap for the run (the analysis storage alone is about half a megabyte);
// every part of the application reaches the tables through it.
#pragma once

#include "analysis/analysis.h"
#include "analysis/mechanism.h"
#include "analysis/member_sizes.h"
#include "app/app_state.h"
#include "display/drawing_resources.h"
#include "display/member_table.h"
#include "display/truck_animation.h"
#include "model/bridge_model.h"
#include "model/editing.h"

struct Program {
    BridgeModel model;
    MemberSizeTable memberSizes;
    AnalysisOptions options{};  // all off at start, never stored
    AnalysisResults results;
    AnalysisWorkspace workspace;
    AppState state;
    DrawingResources resources;
    PendingMember pendingMember{};   // the member being drawn while state.drawingMember is true
    TruckOutline truckOutline{};     // the falling truck's strokes, filled when the window is made
    CaseDisplacements deflection{};  // of the last stable analysis, while it is the bridge's
    MemberRows memberRows{};         // what the member table shows
    Mechanism mechanism{};           // how the last analysed truss moves, when it was unstable
    // Live Results: a copy of the bridge analysed after each change, and what that found; the
    // bridge itself and the last Calculate's results stay as they were.
    BridgeModel liveModel{};
    AnalysisResults liveResults{};

    Program() : results{}, deflection{}, memberRows{}, mechanism{} {
        initBridgeModel(model);
        initMemberSizes(memberSizes);
    }
};
