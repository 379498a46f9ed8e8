// The properties a running program keeps from one user event to the next, checked from outside
// the way a user (and the disk) would see them: the tables stay sound; a save that reports no
// failure leaves the file holding exactly the bridge or drawing on the board, and one that reports
// a failure leaves the earlier file as it was; an opened file becomes the bridge, and a refused one
// leaves the bridge alone and says why in plain text. Undo and Redo walk back and forth through
// the bridges each step left behind.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/program.h"
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
    int undos = 0;     // Undo and Redo that took back or put back a step
    int redos = 0;
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

// Undo and Redo as the user sees them. The watch keeps, for every step the program records, the
// bridge before and after it: an Undo must bring back the bridge before the step it takes back, a
// Redo the bridge after it (design, name and modulus, and the file when the step changed it),
// leaving the joint snap alone, the results of the bridge that was on show gone, and the bridge
// counted as saved exactly where it was last saved or opened. A change the program did not record
// is a fault, and so is an Undo or Redo item that is greyed when there is something to undo or
// redo, or enabled when there is nothing.
class HistoryWatch {
  public:
    HistoryWatch();
    ~HistoryWatch();

    // A new run of the program, once start-up is done: the steps start-up recorded (a file named on
    // the command line) are counted, their bridges unseen.
    void startOver(const Application& app);
    // Called around each event as SessionWatch is; after() returns the first fault, or "".
    void before(const Application& app, int command);
    std::string after(const HeadlessShell& shell, const Application& app, SessionCounts& counts);

  private:
    struct Step {
        std::shared_ptr<const BridgeModel> before;  // null: not seen
        std::shared_ptr<const BridgeModel> after;
    };
    void record(std::shared_ptr<const BridgeModel> before, std::shared_ptr<const BridgeModel> after);
    std::string checkAction(const BridgeModel& model, uint64_t changes);
    std::string checkUndo(const BridgeModel& model, uint64_t changes, SessionCounts& counts);
    std::string checkRedo(const EditHistory& history, const BridgeModel& model, uint64_t changes,
                          SessionCounts& counts);
    std::string checkRestored(const char* command, const Program& program) const;

    std::deque<Step> done_;                     // oldest first
    std::deque<Step> undone_;                   // the next to redo last
    std::optional<size_t> saved_;               // how many steps were done when the bridge was last saved
    std::shared_ptr<const BridgeModel> begun_;  // the bridge when the action going on began
    int command_ = 0;
    bool wasOpen_ = false;  // an action (a press still held) was going on before the event
    uint64_t version_ = 0;
    int hitTolerance_ = 0;
};

// The copy of unsaved work as the next start would find it, checked between user actions (no
// press held): kept under the names of the run's tag exactly while the bridge has unsaved changes
// and at least one member, holding that bridge; gone once the window is. Returns the fault, or "".
std::string recoveryFault(const HeadlessShell& shell, const Application& app, const std::string& tag);

// The views of the results, checked between user actions: the member table is open exactly while
// its menu item is checked and has one row per member, its selection the board's; the deflected
// shape shows one of the analysis's load cases. Returns the fault, or "".
std::string viewsFault(const HeadlessShell& shell, const Application& app);

// The keyboard cursor, checked after every event: it never leaves the joint area, and while it is
// shown the board of a window that is up shows it there. Returns the fault, or "".
std::string keyCursorFault(HeadlessShell& shell, const Application& app);

// Whether a menu command may write a file: Save, Save As, Calculate and Animate (their save
// question), Make DXF, Make VRML and Print.
bool commandMayWrite(int command);
