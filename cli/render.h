// The board as the program shows it, drawn into the headless shell's window.
#pragma once

#include <string>

#include "cli/bridge_run.h"

// Paints the board for the run's bridge into a 632 x 436 client area and writes it as PNG. In
// review, the run must have been calculated: failed members red, member 1 highlighted and its
// results row in the panel; otherwise the Build mode's coordinates panel. Returns false with a
// reason when a picture is missing or the file cannot be written.
bool renderBoard(BridgeRun& run, bool review, const char* pngPath, std::string& reason);
