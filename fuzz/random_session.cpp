// The random user. Actions are weighted so that bridges actually get built (most presses fall near
// joints and members, and drawing is the commonest action) while everything else still happens
// often enough: tools, analyses, files, runs of undo and redo, window changes and the close box.
// The events of the last actions are kept as a replay script for the failure message.
#include "fuzz/random_session.h"

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "app/program.h"
#include "files/export_file.h"
#include "fuzz/file_sandbox.h"
#include "fuzz/model_checks.h"
#include "fuzz/session_checks.h"
#include "platform/headless/headless_shell.h"
#include "resources/menu_resource.h"

namespace {

constexpr size_t kRecentEvents = 200;  // kept for the failure message

enum class EventKind : uint8_t {
    Press,
    Release,
    Move,
    Drag,
    Command,
    Close,
    Minimize,
    Restore,
    Resize,
    Wait,
    Key,    // value: the KeyName, x: 1 with Shift
    Table,  // value: the table message's kind, x: the member, y: the size
};

struct UserEvent {
    EventKind kind;
    int x = 0;  // client pixels; for Resize the new outer width and height
    int y = 0;
    int value = 0;  // Command: the id; Wait: milliseconds
};

// Every id the menu sends, and the two help ids without a menu item.
std::vector<int> commandIds() {
    std::vector<int> ids;
    for (const MenuEntry& entry : loadMenu(MENU_RESOURCE_NAME)) {
        if (entry.kind == MenuEntryKind::Command) ids.push_back(entry.id);
    }
    ids.push_back(CMD_HELP_MENU_COMMANDS);
    ids.push_back(CMD_HELP_GETTING_STARTED);
    return ids;
}
// Ids nothing answers to: next to the real ones, just past the numbered groups, and far off.
constexpr int kUnknownIds[] = {0, -1, 1000, 1006, 2004, 3213, 3413, 6005, 5005, 9999, 32767, 65535};

class Session {
  public:
    explicit Session(const RandomSessionOptions& options)
        : options_(options),
          random_(options.seed),
          sandbox_(options.folder),
          watch_(sandbox_),
          commands_(commandIds()) {}

    RandomSessionReport run() {
        startProgram();
        long nextRoundTrip = options_.roundTripEvery;
        while (report_.failure.empty() && report_.events < options_.events) {
            if (options_.roundTripEvery > 0 && report_.events >= nextRoundTrip && pendingFiles_ == 0) {
                roundTrip();
                nextRoundTrip = report_.events + options_.roundTripEvery;
            } else {
                act();
            }
        }
        report_.saves = counts_.saves;
        report_.savesRefused = counts_.savesRefused;
        report_.opens = counts_.opens;
        report_.opensRefused = counts_.opensRefused;
        report_.exports = counts_.exports;
        report_.analyses = counts_.analyses;
        report_.undos = counts_.undos;
        report_.redos = counts_.redos;
        return report_;
    }

  private:
    // ---- Random values
    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p; }
    const Program& program() const { return app_->program(); }

    Point near(Point p, int spread) {
        return {p.x + uniform(-spread, spread), p.y + uniform(-spread, spread)};
    }

    // Most points fall on or near the bridge, some anywhere on the window, a few far outside it.
    Point somePoint() {
        const BridgeModel& model = program().model;
        const double r = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
        if (r < 0.35 && model.jointCount > 0) {
            const Joint& joint = model.joints[uniform(1, model.jointCount)];
            return near({joint.screenX, joint.screenY}, chance(0.5) ? 1 : 8);
        }
        if (r < 0.5 && model.memberCount > 0) {
            const Member& m = model.members[uniform(1, model.memberCount)];
            const Joint& a = model.joints[m.startJoint];
            const Joint& b = model.joints[m.endJoint];
            return near({(a.screenX + b.screenX) / 2, (a.screenY + b.screenY) / 2}, 2);
        }
        if (r < 0.85) return {uniform(135, 565), uniform(140, 330)};
        if (r < 0.96) return {uniform(0, 631), uniform(0, 435)};
        if (chance(0.5)) return {uniform(-3000, 3000), uniform(-3000, 3000)};
        return {chance(0.5) ? -32768 : 32767, uniform(-32768, 32767)};
    }

    // ---- Answers, queued only when none is left over, so each dialog gets a fresh one
    void queueAnswers(int command) {
        if (pendingBoxes_ == 0 && chance(0.6)) {
            struct Answer {
                DialogButton button;
                const char* word;
            };
            // Yes twice as often: it is the answer that goes on to do something.
            static constexpr Answer kAnswers[] = {{DialogButton::Yes, "yes"},
                                                  {DialogButton::Yes, "yes"},
                                                  {DialogButton::No, "no"},
                                                  {DialogButton::Cancel, "cancel"},
                                                  {DialogButton::Ok, "ok"}};
            for (int n = uniform(1, 2); n > 0; --n) {
                const Answer& answer = kAnswers[uniform(0, static_cast<int>(std::size(kAnswers)) - 1)];
                shell_->answerMessageBox(answer.button);
                ++pendingBoxes_;
                note(std::string("answer ") + answer.word);
            }
        }
        const bool fileCommand = command == CMD_FILE_OPEN || command == CMD_FILE_SAVE ||
                                 command == CMD_FILE_SAVE_AS || command == CMD_SPECIAL_DXF ||
                                 command == CMD_SPECIAL_VRML || command == CMD_MODE_CALCULATE ||
                                 command == CMD_MODE_ANIMATE;
        if (fileCommand && pendingFiles_ == 0) {
            if (chance(0.12)) {
                shell_->cancelFileDialog();
                ++pendingFiles_;
                note("cancel-file");
            } else {
                chooseFile(somePath());
            }
        }
        if (command == CMD_FILE_PRINT && pendingPrints_ == 0) {
            const bool print = chance(0.5);
            shell_->answerPrintDialog(print);
            ++pendingPrints_;
            note(print ? "print yes" : "print no");
        }
    }

    void chooseFile(const std::string& path) {
        shell_->answerFileDialog(path);
        ++pendingFiles_;
        note("choose " +
             (path.size() > 200 ? path.substr(0, 40) + "...(" + std::to_string(path.size()) + ")" : path));
    }

    std::string somePath() {
        struct Weighted {
            SandboxChoice kind;
            int weight;
        };
        static constexpr Weighted kKinds[] = {
            {SandboxChoice::NewName, 20},      {SandboxChoice::SavedBridge, 20},
            {SandboxChoice::Example, 15},      {SandboxChoice::Refused, 12},
            {SandboxChoice::Missing, 5},       {SandboxChoice::MissingFolder, 5},
            {SandboxChoice::FolderInstead, 5}, {SandboxChoice::Link, 6},
            {SandboxChoice::SystemFile, 5},    {SandboxChoice::TooLong, 3},
        };
        int total = 0;
        for (const Weighted& k : kKinds) total += k.weight;
        int pick = uniform(0, total - 1);
        for (const Weighted& k : kKinds) {
            if (pick < k.weight) return sandbox_.path(k.kind, static_cast<unsigned>(uniform(0, 7)));
            pick -= k.weight;
        }
        return sandbox_.path(SandboxChoice::NewName, 0);
    }

    // ---- Events
    void note(std::string line) {
        recent_.push_back(std::move(line));
        if (recent_.size() > kRecentEvents) recent_.pop_front();
    }

    static std::string scriptLine(const UserEvent& e) {
        char line[96];
        switch (e.kind) {
            case EventKind::Press:
                std::snprintf(line, sizeof line, "press %d %d", e.x, e.y);
                break;
            case EventKind::Release:
                std::snprintf(line, sizeof line, "release %d %d", e.x, e.y);
                break;
            case EventKind::Move:
                std::snprintf(line, sizeof line, "move %d %d", e.x, e.y);
                break;
            case EventKind::Drag:
                std::snprintf(line, sizeof line, "drag %d %d", e.x, e.y);
                break;
            case EventKind::Command:
                std::snprintf(line, sizeof line, "command %d", e.value);
                break;
            case EventKind::Close:
                std::snprintf(line, sizeof line, "close");
                break;
            case EventKind::Minimize:
                std::snprintf(line, sizeof line, "# minimize");
                break;
            case EventKind::Restore:
                std::snprintf(line, sizeof line, "# restore");
                break;
            case EventKind::Resize:
                std::snprintf(line, sizeof line, "# resize to %d x %d", e.x, e.y);
                break;
            case EventKind::Wait:
                std::snprintf(line, sizeof line, "wait %d", e.value);
                break;
            case EventKind::Key: {
                static constexpr const char* kNames[] = {"",     "Left",  "Right",  "Up",
                                                         "Down", "Enter", "Escape", "Tab"};
                std::snprintf(line, sizeof line, "key %s%s", e.x ? "Shift+" : "", kNames[e.value]);
                break;
            }
            case EventKind::Table: {
                const auto kind = static_cast<MessageKind>(e.value);
                const char* action = kind == MessageKind::TableRowSelected  ? "select"
                                     : kind == MessageKind::TableSizeChosen ? "size"
                                     : kind == MessageKind::TableRowOpened  ? "open"
                                                                            : "close";
                if (kind == MessageKind::TableSizeChosen) {
                    std::snprintf(line, sizeof line, "table size %d %d", e.x, e.y);
                } else if (kind == MessageKind::TableClosed) {
                    std::snprintf(line, sizeof line, "table close");
                } else {
                    std::snprintf(line, sizeof line, "table %s %d", action, e.x);
                }
                break;
            }
        }
        return line;
    }

    void deliver(const UserEvent& e) {
        if (!report_.failure.empty()) return;
        const int command = e.kind == EventKind::Command ? e.value : 0;
        queueAnswers(command);
        note(scriptLine(e));
        const size_t boxes = shell_->messageBoxes().size();
        const size_t dialogs = shell_->fileDialogs().size();
        const size_t prints = shell_->printDialogAnswers().size();
        watch_.before(*shell_, program(), command);
        history_.before(*app_, command);
        switch (e.kind) {
            case EventKind::Press:
                shell_->postLeftButtonDown(e.x, e.y);
                break;
            case EventKind::Release:
                shell_->postLeftButtonUp(e.x, e.y);
                break;
            case EventKind::Move:
            case EventKind::Drag:
                shell_->postPointerMove(e.x, e.y, e.kind == EventKind::Drag);
                break;
            case EventKind::Command:
                shell_->postCommand(e.value);
                break;
            case EventKind::Close:
                shell_->postCloseBox();
                break;
            case EventKind::Minimize:
                shell_->minimize();
                break;
            case EventKind::Restore:
                shell_->restore();
                break;
            case EventKind::Resize:
                shell_->resizeByUser({0, 0, e.x, e.y});
                break;
            case EventKind::Wait:
                shell_->advanceClock(static_cast<uint32_t>(e.value));
                break;
            case EventKind::Key:
                shell_->postKey(static_cast<KeyName>(e.value), e.x != 0);
                break;
            case EventKind::Table:
                shell_->postTableMessage(static_cast<MessageKind>(e.value), e.x, e.y);
                break;
        }
        shell_->pumpMessages();
        ++report_.events;
        pendingBoxes_ = std::max(0, pendingBoxes_ - static_cast<int>(shell_->messageBoxes().size() - boxes));
        pendingFiles_ = std::max(0, pendingFiles_ - static_cast<int>(shell_->fileDialogs().size() - dialogs));
        pendingPrints_ =
            std::max(0, pendingPrints_ - static_cast<int>(shell_->printDialogAnswers().size() - prints));
        std::string fault = watch_.after(*shell_, program(), counts_);
        if (fault.empty()) fault = history_.after(*shell_, *app_, counts_);
        if (fault.empty()) fault = recoveryFault(*shell_, *app_, tag_);
        if (fault.empty()) fault = viewsFault(*shell_, *app_);
        if (fault.empty()) fault = keyCursorFault(*shell_, *app_);
        if (!fault.empty()) return fail(fault);
        report_.longestBridge = std::max<int>(report_.longestBridge, program().model.memberCount);
        if (const std::optional<int> quit = shell_->quitCode()) {
            if (*quit != 0) return fail("the program quit with code " + std::to_string(*quit));
            app_->finish(*quit);
            startProgram();
        }
    }

    void fail(const std::string& fault) {
        std::string text = "seed " + std::to_string(options_.seed) + ", event " +
                           std::to_string(report_.events) + ": " + fault +
                           "\nThe last events, as a replay script:\n";
        for (const std::string& line : recent_) text += "  " + line + "\n";
        report_.failure = text;
    }

    void startProgram() {
        app_.reset();
        HeadlessOptions options;
        options.lenientAnswers = true;
        // Half the runs could not make the single-instance check.
        tag_ = chance(0.5) ? "" : "p" + std::to_string(report_.programRuns + 1) + "-1";
        options.instanceTag = tag_;
        std::unique_ptr<HeadlessShell> earlier = std::move(shell_);
        shell_ = std::make_unique<HeadlessShell>(options);
        if (earlier) shell_->keepStoredOf(*earlier);
        earlier.reset();
        pendingBoxes_ = pendingFiles_ = pendingPrints_ = 0;
        for (int n = uniform(0, 2); n > 0; --n) {
            const bool yes = chance(0.5);
            shell_->answerMessageBox(yes ? DialogButton::Yes : DialogButton::No);
            note(yes ? "answer yes" : "answer no");
        }
        app_ = std::make_unique<Application>(*shell_);
        // Now and then the program is started on a file, as a file manager starts it.
        std::string commandLine;
        if (chance(0.2))
            commandLine = sandbox_.path(chance(0.6) ? SandboxChoice::Example : SandboxChoice::Refused,
                                        static_cast<unsigned>(uniform(0, 7)));
        note("# the program starts" + (tag_.empty() ? std::string() : " as " + tag_) +
             (commandLine.empty() ? std::string() : " on " + commandLine));
        if (app_->start(commandLine)) return fail("the program ended at start-up");
        shell_->pumpMessages();
        history_.startOver(*app_);
        ++report_.programRuns;
        // Unsaved work on a board no file was named for can only have been taken back.
        if (commandLine.empty() && program().model.savedFlag == 0) ++report_.restores;
        const std::string fault = tableFault(program().model, TableCheck{});
        if (!fault.empty()) fail("after start-up: " + fault);
    }

    // The run ends without a clean exit, as a crash or a power cut ends it.
    void crash() {
        note("# the program is killed");
        app_->finish(0);
        startProgram();
    }

    // ---- Actions
    void act() {
        const int r = uniform(0, 999);
        const AppState& state = program().state;
        if (r < 300) {
            if (state.mode != Mode::Build && chance(0.4)) command(CMD_MODE_BUILD);
            drawMember();
        } else if (r < 420) {
            static constexpr EventKind kPointer[] = {EventKind::Press, EventKind::Release, EventKind::Move,
                                                     EventKind::Drag};
            const Point p = somePoint();
            deliver({kPointer[uniform(0, 3)], p.x, p.y});
        } else if (r < 450) {
            keyBurst();
        } else if (r < 530) {
            const Point p = somePoint();
            deliver({EventKind::Press, p.x, p.y});
            deliver({EventKind::Release, p.x, p.y});
        } else if (r < 580) {
            if (state.mode != Mode::MoveJoint && chance(0.6)) command(CMD_JOINT_MOVE);
            dragJoint();
        } else if (r < 830) {
            command(someCommand());
        } else if (r < 880) {
            // Runs of Undo and Redo, now and then back to the start; what follows is often a new
            // change, which leaves the steps undone out of reach.
            const int undos =
                chance(0.1) ? static_cast<int>(app_->window().history().stepCount()) + 1 : uniform(1, 6);
            for (int n = undos; n > 0; --n) command(CMD_EDIT_UNDO);
            if (chance(0.7)) {
                for (int n = uniform(1, undos + 1); n > 0; --n) command(CMD_EDIT_REDO);
            }
        } else if (r < 920) {
            windowChange();
        } else if (r < 925) {
            deliver({EventKind::Close});
        } else if (r < 930) {
            crash();
        } else if (r < 945) {
            deliver({EventKind::Wait, 0, 0, uniform(0, 8000)});
        } else if (r < 960) {
            // A sample bridge, opened and analysed: the bridges drawn at random seldom pass the check.
            if (pendingFiles_ == 0) chooseFile(sandbox_.restoreExample(static_cast<unsigned>(uniform(0, 3))));
            if (pendingBoxes_ == 0) {
                shell_->answerMessageBox(DialogButton::Yes);  // yes, leave the unsaved changes
                ++pendingBoxes_;
                note("answer yes");
            }
            command(CMD_FILE_OPEN);
            command(chance(0.8) ? CMD_MODE_CALCULATE : CMD_MODE_ANIMATE);
            if (chance(0.5)) useResultViews();
        } else {
            // A short burst of one tool: choose it, then click around with it.
            static constexpr int kTools[] = {CMD_JOINT_DELETE,      CMD_JOINT_SHOW,        CMD_MEMBER_DELETE,
                                             CMD_MEMBER_REFLECT,    CMD_MEMBER_SHOW_STATS, CMD_MODE_REVIEW,
                                             CMD_MEMBER_SIZE_1 + 3, CMD_MEMBER_SIZE_12};
            command(kTools[uniform(0, static_cast<int>(std::size(kTools)) - 1)]);
            for (int n = uniform(1, 4); n > 0; --n) {
                const Point p = somePoint();
                deliver({EventKind::Press, p.x, p.y});
                deliver({EventKind::Release, p.x, p.y});
            }
        }
    }

    void command(int id) { deliver({EventKind::Command, 0, 0, id}); }

    // The views of the results after an analysis: keys through the deflected shape's load cases,
    // and the member table's rows selected, opened and resized, now and then for a member the
    // bridge no longer has.
    void useResultViews() {
        if (chance(0.5)) command(CMD_DISPLAY_DEFLECTED_SHAPE);
        if (chance(0.3)) command(CMD_DISPLAY_FORCE_COLOURS);
        for (int n = uniform(0, 4); n > 0; --n)
            deliver({EventKind::Key, chance(0.2) ? 1 : 0, 0, uniform(1, 7)});
        if (!program().state.memberTableOpen) command(CMD_DISPLAY_MEMBER_TABLE);
        static constexpr MessageKind kTable[] = {MessageKind::TableRowSelected, MessageKind::TableRowOpened,
                                                 MessageKind::TableSizeChosen, MessageKind::TableClosed};
        for (int n = uniform(1, 4); n > 0 && program().state.memberTableOpen; --n) {
            const int member =
                uniform(chance(0.1) ? -2 : 1, program().model.memberCount + (chance(0.1) ? 3 : 0));
            const MessageKind kind = kTable[uniform(0, chance(0.1) ? 3 : 2)];
            deliver({EventKind::Table, member, uniform(0, 13), static_cast<int>(kind)});
        }
    }

    // The board by keyboard: members drawn, joints moved and tools clicked by Enter, held presses
    // let go by Escape, Tab from joint to joint; now and then the pointer moves in between.
    void keyBurst() {
        static constexpr int kTools[] = {CMD_MODE_BUILD, CMD_JOINT_MOVE, CMD_MEMBER_DELETE, CMD_MODE_REVIEW};
        if (chance(0.5)) command(kTools[uniform(0, static_cast<int>(std::size(kTools)) - 1)]);
        for (int n = uniform(1, 12); n > 0; --n) {
            if (chance(0.05)) {
                const Point p = somePoint();
                deliver({EventKind::Move, p.x, p.y});
            }
            deliver({EventKind::Key, chance(0.2) ? 1 : 0, 0, uniform(1, 7)});
        }
    }

    int someCommand() {
        const int r = uniform(0, 99);
        if (r < 75) return commands_[static_cast<size_t>(uniform(0, static_cast<int>(commands_.size()) - 1))];
        if (r < 85) return CMD_MODE_CALCULATE;
        if (r < 95) return kUnknownIds[uniform(0, static_cast<int>(std::size(kUnknownIds)) - 1)];
        return uniform(-100000, 100000);
    }

    void drawMember() {
        const Point from = somePoint();
        Point to = chance(0.6) ? near(from, chance(0.5) ? 60 : 140) : somePoint();
        if (chance(0.3)) {
            // Snap-friendly ends on the deck line make roadbeds, so that analyses pass now and then.
            to = {from.x + uniform(-1, 1) * 50, from.y};
        }
        deliver({EventKind::Move, from.x, from.y});
        deliver({EventKind::Press, from.x, from.y});
        for (int n = uniform(0, 2); n > 0; --n) {
            const Point mid = near({(from.x + to.x) / 2, (from.y + to.y) / 2}, 30);
            deliver({EventKind::Drag, mid.x, mid.y});
        }
        if (chance(0.95)) deliver({EventKind::Release, to.x, to.y});
    }

    void dragJoint() {
        const BridgeModel& model = program().model;
        Point at = somePoint();
        if (model.jointCount > 0 && chance(0.8)) {
            const Joint& joint = model.joints[uniform(1, model.jointCount)];
            at = near({joint.screenX, joint.screenY}, 2);
        }
        deliver({EventKind::Press, at.x, at.y});
        for (int n = uniform(0, 3); n > 0; --n) {
            const Point p = chance(0.7) ? near(at, 40) : somePoint();
            deliver({EventKind::Drag, p.x, p.y});
        }
        const Point drop = chance(0.5) ? somePoint() : near(at, 12);
        deliver({EventKind::Release, drop.x, drop.y});
    }

    void windowChange() {
        const int r = uniform(0, 3);
        if (r == 0) {
            deliver({EventKind::Minimize});
            if (chance(0.8)) deliver({EventKind::Restore});
        } else if (r == 1) {
            deliver({EventKind::Restore});
        } else if (r == 2) {
            deliver({EventKind::Resize, uniform(0, 1400), uniform(0, 1100)});
        } else {
            command(CMD_DISPLAY_RESET_WINDOW);
        }
    }

    // Save As under a fresh name, then Open of that file: the bridge must come back the same.
    void roundTrip() {
        const std::string path =
            sandbox_.path(SandboxChoice::SavedBridge, static_cast<unsigned>(uniform(0, 7)));
        chooseFile(path);
        const size_t boxes = shell_->messageBoxes().size();
        command(CMD_FILE_SAVE_AS);
        if (!report_.failure.empty() || shell_->quitCode() || !shell_->windowAlive()) return;
        for (size_t b = boxes; b < shell_->messageBoxes().size(); ++b) {
            if (shell_->messageBoxes()[b].request.text == CANNOT_WRITE_MESSAGE)
                return fail("Save As to " + path + " was refused");
        }
        auto saved = std::make_unique<BridgeModel>(program().model);
        chooseFile(path);
        command(CMD_FILE_OPEN);
        if (!report_.failure.empty()) return;
        const std::string difference = designDifference(*saved, program().model);
        if (!difference.empty()) return fail("the bridge saved and opened again differs: " + difference);
        ++report_.roundTrips;
    }

    const RandomSessionOptions options_;
    std::mt19937_64 random_;
    FileSandbox sandbox_;
    SessionWatch watch_;
    HistoryWatch history_;
    const std::vector<int> commands_;
    std::unique_ptr<HeadlessShell> shell_;
    std::unique_ptr<Application> app_;
    std::deque<std::string> recent_;
    std::string tag_;  // the run's instance tag
    int pendingBoxes_ = 0;
    int pendingFiles_ = 0;
    int pendingPrints_ = 0;
    SessionCounts counts_;
    RandomSessionReport report_;
};

}  // namespace

RandomSessionReport runRandomSession(const RandomSessionOptions& options) {
    return Session(options).run();
}
