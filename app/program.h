// The program itself: start-up, the main window and its message loop, on whichever shell runs it.
// The desktop program and the command-line tool's replay both start here.
#pragma once

#include <string_view>

#include "platform/shell.h"

// Runs the program from start-up to exit on shell and returns its exit code. commandLine is the
// whole text after the program's name (a display switch, or the path of a bridge file to open).
int runProgram(Shell& shell, std::string_view commandLine);
