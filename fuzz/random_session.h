// A user who does anything at all: the whole program on the headless shell, fed random presses,
// moves, drags and releases inside and outside the board, every menu command and unknown ones,
// random answers to every box and dialog (good, refused, missing and unwritable files), minimize,
// restore, resize, the close box and kills, and runs of Undo and Redo. After every event the
// session checks what SessionWatch and HistoryWatch check, and the copy of unsaved work
// (recoveryFault); every so often it saves the bridge and opens it again and compares. Each run
// finds what the last one kept, and half of them could not make the single-instance check. The
// same seed gives the same session.
#pragma once

#include <cstdint>
#include <string>

struct RandomSessionOptions {
    uint64_t seed = 1;
    long events = 20000;
    std::string folder;        // the sandbox folder to make; its parent must exist
    int roundTripEvery = 500;  // events between a forced Save As and Open of the same file; 0: never
};

struct RandomSessionReport {
    long events = 0;      // user events delivered
    int programRuns = 0;  // starts of the program; the close box, Exit and a kill end a run
    int restores = 0;     // copies of unsaved work taken back at a start
    int saves = 0;        // bridge saves the program reported done, and refused
    int savesRefused = 0;
    int opens = 0;  // files opened, and refused with a reason
    int opensRefused = 0;
    int exports = 0;  // DXF and VRML files written
    int analyses = 0;
    int roundTrips = 0;
    int undos = 0;  // Undo and Redo that took back or put back a step
    int redos = 0;
    int longestBridge = 0;  // the most members the bridge had at any time
    // The first broken property, with the event number and the events that led to it as a replay
    // script; empty when the whole session held.
    std::string failure;
};

RandomSessionReport runRandomSession(const RandomSessionOptions& options);
