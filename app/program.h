// The program itself: start-up, the main window and its message loop, on whichever shell runs it.
// The desktop program and the command-line tool's replay both start here.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "app/main_window.h"
#include "app/program_tables.h"
#include "platform/shell.h"

// One run of the program on a shell, in three steps: start() up to the message loop, the loop
// (the shell's, or a caller delivering messages one by one), and finish().
class Application {
  public:
    explicit Application(Shell& shell);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The display switch of the command line, the single-instance check, the main window with its
    // kept zoom and sizing, the intro, the offer of work a crash left unsaved, then the bridge file
    // the command line names, if any. commandLine is the whole text after the program's name.
    // Returns the exit code when the program ends here.
    std::optional<int> start(std::string_view commandLine);

    // Opens a bridge file as File/Open does once a file is chosen; a refused file is reported.
    void openFile(const char* path) { window_.openFile(path); }
    // Opens a file as one named on the command line is: an assignment or a bridge, the bridge after
    // the unsaved-changes question when start-up brought back unsaved work.
    void openFromCommandLine(const char* path) { window_.openFromCommandLine(path); }

    // Makes the assignment file at path the active one, as File/Open Assignment does; returns
    // whether it was taken.
    bool openAssignment(const char* path) { return window_.openAssignmentFile(path); }
    void closeAssignment() { window_.closeAssignment(); }

    const MainWindow& window() const { return window_; }

    // After the message loop: puts the display mode back if start() changed it. Returns the exit
    // code, which is the quit code.
    int finish(int quitCode);

    const Program& program() const { return *program_; }

  private:
    Shell& shell_;
    std::unique_ptr<Program> program_;
    MainWindow window_;
};

// Runs the program from start-up to exit on shell and returns its exit code.
int runProgram(Shell& shell, std::string_view commandLine);
