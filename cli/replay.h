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
    // Where the program keeps its configuration and state (recent files, the active assignment,
    // the copy of unsaved work): this folder, made when missing and kept afterwards, so that a
    // second replay over it meets what the first left; when empty, a store of the run's own that
    // starts empty and goes with it. Never the user's folders: a demonstration must not take, or
    // remove, a student's unsaved work, nor depend on whose account it runs in.
    std::string stateFolder;
};

// Runs the request and returns the tool's exit status: 0 when the script ran (whether or not the
// program quit), 1 when the script, a file or the state folder could not be read, made or written
// (the reason is printed, as FILE:LINE: reason for a bad script line), 2 never (usage is checked
// by the caller).
int runReplay(const ReplayRequest& request);
