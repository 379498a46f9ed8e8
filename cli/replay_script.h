// The script of `trussmill-cli replay`: one user event per line, read whole before anything runs.
// Coordinates are client pixels; `#` at the start of a line or after a blank starts a comment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class ReplayEventKind {
    Press,       // left button down at (x, y)
    Release,     // left button up at (x, y)
    Move,        // pointer move with the button up
    Drag,        // pointer move with the button held
    Command,     // a menu command: value
    Answer,      // the next message box's answer: text is ok, yes, no or cancel
    Choose,      // the next file dialog chooses text
    CancelFile,  // the next file dialog is cancelled
    Print,       // the next print dialog prints (value 1) or is cancelled (0)
    Close,       // the window's close box
    Wait,        // the clock runs on by value milliseconds
    Png,         // the client area is written to text as a PNG now
    Key,         // a key pressed on the board: value is its KeyName, x is 1 with Shift
    Table,       // the member table: text is select, size, open or close; x the member, value the size
};

struct ReplayEvent {
    ReplayEventKind kind;
    int x = 0;
    int y = 0;
    long value = 0;
    std::string text;
    int line = 0;  // in the script, from 1
};

// Parses the whole script. On a bad line returns false with its line number and a reason, and
// leaves events with what came before it.
bool parseReplayScript(std::string_view script, std::vector<ReplayEvent>& events, int& badLine,
                       std::string& reason);
