// The whole program on the headless shell, driven the way a user drives it: start-up with its
// intro, then presses, moves, releases and menu commands, each delivered with the paint after it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/program.h"
#include "platform/headless/headless_shell.h"

// Client pixels of a point in feet: column 150 is x = 0 ft, row 250 is y = 0 ft.
constexpr int columnOfFt(int x) {
    return 150 + x;
}
constexpr int rowOfFt(int y) {
    return 250 - y;
}

class AppDriver {
  public:
    // prepare, when given, sets the shell up before start-up (answers, what an earlier run kept).
    explicit AppDriver(HeadlessOptions options = {}, std::string_view commandLine = "",
                       const std::function<void(HeadlessShell&)>& prepare = {})
        : shell(options), app(std::make_unique<Application>(shell)) {
        if (prepare) prepare(shell);
        exitCode = app->start(commandLine);
        shell.pumpMessages();
    }

    const Program& program() const { return app->program(); }
    const BridgeModel& model() const { return app->program().model; }
    const AppState& state() const { return app->program().state; }
    const Surface& window() { return shell.windowSurface(); }

    void command(int id) {
        shell.postCommand(id);
        shell.pumpMessages();
    }
    void press(int x, int y) {
        shell.postLeftButtonDown(x, y);
        shell.pumpMessages();
    }
    void release(int x, int y) {
        shell.postLeftButtonUp(x, y);
        shell.pumpMessages();
    }
    void move(int x, int y, bool buttonDown = false) {
        shell.postPointerMove(x, y, buttonDown);
        shell.pumpMessages();
    }
    void click(int x, int y) {
        press(x, y);
        release(x, y);
    }
    // Draws a member in Build mode between two client points, with the rubber band in between.
    void drawMember(int x1, int y1, int x2, int y2) {
        move(x1, y1);
        press(x1, y1);
        move((x1 + x2) / 2, (y1 + y2) / 2, true);
        release(x2, y2);
    }
    // The same between two points given in feet.
    void drawMemberFt(int x1, int y1, int x2, int y2) {
        drawMember(columnOfFt(x1), rowOfFt(y1), columnOfFt(x2), rowOfFt(y2));
    }
    void closeBox() {
        shell.postCloseBox();
        shell.pumpMessages();
    }

    HeadlessShell shell;
    std::unique_ptr<Application> app;
    std::optional<int> exitCode;  // set when start-up ended the program
};
