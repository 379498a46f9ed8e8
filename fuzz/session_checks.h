// The properties a running program keeps from one user event to the next, checked from outside
// the way a user (and the disk) would see them: the tables stay sound; a save that reports no
// failure leaves the file holding exactly the bridge or drawing on the board, and one that reports
// a failure leaves the earlier file as it was; an opened file becomes the bridge, and a refused one
// leaves the bridge alone and says why in plain text.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "app/program_tables.h"
#include "fuzz/file_sandbox.h"
#include "platform/headless/headless_shell.h"

// What the events of a session did, as the user saw it.
struct SessionCounts {
    int saves = 0;  // bridge files written, and writes the program said it could not make
    int savesRefused = 0;
    int opens = 0;  // bridge files opened, and files refused with a reason
    int opensRefused = 0;
    int exports = 0;   // DXF and VRML files written
    int analyses = 0;  // Calculate and Animate that ran the analysis
};

class SessionWatch {
  public:
    explicit SessionWatch(const FileSandbox& sandbox);
    ~SessionWatch();

    // Called before each event with the shell and program it goes to. command is the menu command
    // the event sends, or 0; an event that may write files has the sandbox's files read first.
    void before(const HeadlessShell& shell, const Program& program, int command);

    // Called once the event and every message it caused have been delivered. Returns the first
    // broken property in one line, or an empty string; adds what the event did to counts.
    std::string after(const HeadlessShell& shell, const Program& program, SessionCounts& counts);

  private:
    struct FileWrite;
    std::string checkState(const Program& program) const;
    std::string checkBoxes(const HeadlessShell& shell) const;
    std::string checkDialogs(const HeadlessShell& shell, const Program& program, SessionCounts& counts) const;
    std::string checkWrite(const FileWrite& write, const Program& program) const;
    std::string checkOpen(const std::string& path, bool refused, const Program& program) const;

    const FileSandbox& sandbox_;
    int command_ = 0;
    size_t eventsBefore_ = 0;
    size_t cursorChangesBefore_ = 0;
    bool memberOpenBefore_ = false;
    std::unique_ptr<BridgeModel> design_;       // the bridge before the event
    std::map<std::string, std::string> files_;  // sandbox file name -> content, before a writing event
};

// Whether a menu command may write a file: Save, Save As, Calculate and Animate (their save
// question), Make DXF, Make VRML and Print.
bool commandMayWrite(int command);
