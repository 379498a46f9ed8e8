// The board as the program shows it, drawn into the headless shell's window.
#pragma once

#include <string>

#include "grading/bridge_run.h"

// What the picture shows: the Build mode's board, or Review's after Calculate, plain or with the
// views of the Display menu.
struct BoardView {
    bool review = false;
    bool forceColours = false;
    bool deflectedShape = false;
    int loadCase = 0;  // the deflected shape's load case, the analysis's numbering; 0: the largest
};

// Paints the board for the run's bridge into a 632 x 436 client area and writes it as PNG. In
// review, the run must have been calculated: failed members red (or the view's colours), member 1
// highlighted and its results row in the panel; otherwise the Build mode's coordinates panel.
// Returns false with a reason when a picture is missing or the file cannot be written.
bool renderBoard(BridgeRun& run, const BoardView& view, const char* pngPath, std::string& reason);
