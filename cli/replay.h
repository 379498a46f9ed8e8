// `trussmill-cli replay`: the program itself, run on the headless shell from a script of user
// events, with a log of everything a user would notice and pictures of the window.
#pragma once

#include <string>

struct ReplayRequest {
    std::string scriptPath;
    std::string openPath;     // a bridge file to open after start-up; empty for none
    std::string commandLine;  // the program's command line
    std::string pngPath;      // the client area at the end; empty for none
    std::string logPath;      // JSON Lines; empty for none
    // Where the program keeps what outlives a run: the user's folders, as the desktop program does
    // (a script that ends without Exit or the close box leaves its copy of unsaved work there), or
    // the run's memory.
    bool userFolders = true;
};

// Runs the request and returns the tool's exit status: 0 when the script ran (whether or not the
// program quit), 1 when the script or a file could not be read or written (the reason is printed as
// FILE:LINE: reason for a bad script line), 2 never (usage is checked by the caller).
int runReplay(const ReplayRequest& request);
