// The checks between events. The shell's timeline says in which order the dialogs and boxes of one
// event came: a notice belongs to the file dialog shown last before it.
#include "fuzz/session_checks.h"

#include <cstring>
#include <vector>

#include "files/bridge_file.h"
#include "files/dxf_export.h"
#include "files/export_file.h"
#include "files/file_paths.h"
#include "files/vrml_export.h"
#include "fuzz/model_checks.h"
#include "resources/menu_resource.h"

namespace {

constexpr size_t kMaxFileBytes = 16u << 20;

bool validMode(int mode) {
    switch (mode) {
        case Mode::Build:
        case Mode::Review:
        case Mode::DeleteJoint:
        case Mode::MoveJoint:
        case Mode::ShowJoint:
        case Mode::DeleteMember:
        case Mode::ReflectMember:
        case Mode::ShowStats:
            return true;
        default:
            return Mode::isChangeSize(mode);
    }
}

bool read(const std::string& path, std::string& text) {
    return readWholeFile(path.c_str(), text, kMaxFileBytes);
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The extension a save dialog's first filter gives the file: ".BRG", ".DXF" or ".WRL".
std::string extensionOf(const FileDialogRequest& request) {
    if (request.filters.empty()) return "";
    const std::string& pattern = request.filters.front().pattern;
    return pattern.size() > 1 ? pattern.substr(1) : "";
}

}  // namespace

bool commandMayWrite(int command) {
    return command == CMD_FILE_SAVE || command == CMD_FILE_SAVE_AS || command == CMD_MODE_CALCULATE ||
           command == CMD_MODE_ANIMATE || command == CMD_SPECIAL_DXF || command == CMD_SPECIAL_VRML ||
           command == CMD_FILE_PRINT;
}

std::string recoveryFault(const HeadlessShell& shell, const Application& app, const std::string& tag) {
    const std::string name = tag.empty() ? "recovery" : "recovery-" + tag;
    const std::optional<std::string> kept = shell.stored(StoreKind::State, name + ".BRG");
    const BridgeModel& model = app.program().model;
    if (!shell.windowAlive()) return kept ? "a copy of unsaved work outlived a clean exit" : "";
    if (app.window().history().isOpen()) return "";
    if (model.savedFlag == 1 || model.memberCount == 0) {
        if (!kept) return "";
        return model.savedFlag == 1 ? "a copy of unsaved work is kept for a saved bridge"
                                    : "a copy of unsaved work is kept for a bridge without members";
    }
    std::string text;
    writeBridgeFile(model, text);
    if (!kept) return "no copy of unsaved work is kept";
    if (*kept != text) return "the copy of unsaved work is not the bridge on the board";
    if (!shell.stored(StoreKind::State, name + ".info")) return "the copy of unsaved work has no name";
    return "";
}

std::string viewsFault(const HeadlessShell& shell, const Application& app) {
    if (!shell.windowAlive() || app.window().history().isOpen()) return "";
    const Program& program = app.program();
    const std::optional<MemberTableContents>& table = shell.memberTable();
    if (table.has_value() != program.state.memberTableOpen)
        return "the member table and its menu item disagree";
    if (table.has_value() != shell.isMenuItemChecked(CMD_DISPLAY_MEMBER_TABLE))
        return "the member table's check mark is wrong";
    if (table && int(table->rows.size()) != program.model.memberCount) {
        return "the member table shows " + std::to_string(table->rows.size()) + " rows for " +
               std::to_string(program.model.memberCount) + " members";
    }
    if (table && program.state.selectedMember <= program.model.memberCount &&
        table->selectedMember != program.state.selectedMember)
        return "the member table's selection is not the board's";
    const ResultView view = app.window().resultView();
    if (view.deflection && (view.deflectedCase < 1 || view.deflectedCase > view.deflection->caseCount))
        return "the deflected shape shows a load case the analysis does not have";
    return "";
}

std::string keyCursorFault(HeadlessShell& shell, const Application& app) {
    const MainWindow& window = app.window();
    const Point at = window.keyCursor();
    if (at.x < JOINT_AREA_LEFT || at.x > JOINT_AREA_RIGHT || at.y < JOINT_AREA_TOP ||
        at.y > JOINT_AREA_BOTTOM)
        return "the keyboard cursor left the joint area for (" + std::to_string(at.x) + ", " +
               std::to_string(at.y) + ")";
    if (!window.keyCursorShown() || !shell.windowAlive() || shell.isMinimized()) return "";
    // Its outer ring is black, the ring inside it white; the joint area keeps both on the board.
    const Surface& board = shell.windowSurface();
    const int half = KEY_CURSOR_SIZE / 2;
    if (board.pixel(at.x - half, at.y + half) != BLACK ||
        board.pixel(at.x + half - 1, at.y - half + 1) != WHITE)
        return "the keyboard cursor is shown but the board does not show it";
    return "";
}

// One file the event set out to write, and whether the program told the user it could not.
struct SessionWatch::FileWrite {
    std::string path;       // what was to be written; empty when no path could be made
    std::string extension;  // ".BRG", ".DXF" or ".WRL"
    bool refused = false;
};

SessionWatch::SessionWatch(const FileSandbox& sandbox)
    : sandbox_(sandbox), design_(std::make_unique<BridgeModel>()) {
    initBridgeModel(*design_);
}

SessionWatch::~SessionWatch() = default;

void SessionWatch::before(const HeadlessShell& shell, const Program& program, int command) {
    command_ = command;
    eventsBefore_ = shell.events().size();
    cursorChangesBefore_ = shell.cursorChanges().size();
    memberOpenBefore_ = program.state.drawingMember;
    *design_ = program.model;
    // A command ends an open joint drag with the joint back where the drag began.
    const int dragged = program.state.draggingJoint ? program.state.selectedJoint : 0;
    if (command != 0 && dragged >= 1 && dragged <= design_->jointCount) {
        Joint& joint = design_->joints[dragged];
        joint.screenX = static_cast<int16_t>(columnFromFeet(joint.x));
        joint.screenY = static_cast<int16_t>(rowFromFeet(joint.y));
    }
    files_.clear();
    if (!commandMayWrite(command)) return;
    for (const std::string& name : sandbox_.fileNames()) {
        std::string text;
        if (read(sandbox_.folder() + "/" + name, text)) files_[name] = std::move(text);
    }
}

std::string SessionWatch::after(const HeadlessShell& shell, const Program& program, SessionCounts& counts) {
    std::string fault = checkState(program);
    if (fault.empty()) fault = checkBoxes(shell);
    if (fault.empty()) fault = checkDialogs(shell, program, counts);
    // Results are only worth checking right after an analysis: the wait cursor shows one ran.
    const bool analysed = (command_ == CMD_MODE_CALCULATE || command_ == CMD_MODE_ANIMATE) &&
                          shell.cursorChanges().size() > cursorChangesBefore_;
    if (analysed) ++counts.analyses;
    if (fault.empty() && analysed) {
        fault = resultsFault(program.model, program.results);
        if (!fault.empty()) fault = "after the analysis: " + fault;
    }
    return fault;
}

std::string SessionWatch::checkState(const Program& program) const {
    const AppState& state = program.state;
    TableCheck check;
    check.origin = TableOrigin::Drawn;
    check.memberOpen = state.drawingMember;
    check.draggedJoint = state.draggingJoint ? state.selectedJoint : 0;
    std::string fault = tableFault(program.model, check);
    if (!fault.empty()) return "tables: " + fault;
    if (!validMode(state.mode)) return "mode " + std::to_string(state.mode) + " after the event";
    const int snap = state.coordinateSnap;
    if (snap != 1 && snap != 2 && snap != 4 && snap != 5 && snap != 10)
        return "coordinate snap " + std::to_string(snap);
    const int tolerance = program.model.hitTolerance;
    if (tolerance != 4 && tolerance != 5 && tolerance != 10) return "joint snap " + std::to_string(tolerance);
    const int size = program.memberSizes.defaultMemberSize;
    if (size < 1 || size > 12) return "default member size " + std::to_string(size);
    return "";
}

std::string SessionWatch::checkBoxes(const HeadlessShell& shell) const {
    const std::vector<ShellEvent>& events = shell.events();
    for (size_t e = eventsBefore_; e < events.size(); ++e) {
        if (events[e].kind != ShellEventKind::MessageBox) continue;
        const std::string& text = shell.messageBoxes()[events[e].index].request.text;
        if (text.empty()) return "a message box without text";
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\n') || byte == 0x7f)
                return "a message box shows the control byte " + std::to_string(byte) + ": " +
                       text.substr(0, 80);
        }
    }
    return "";
}

std::string SessionWatch::checkDialogs(const HeadlessShell& shell, const Program& program,
                                       SessionCounts& counts) const {
    std::vector<FileWrite> writes;
    struct Open {
        std::string path;
        bool refused;
    };
    std::vector<Open> opens;
    enum class Last { None, Write, Open } last = Last::None;
    const std::vector<ShellEvent>& events = shell.events();
    for (size_t e = eventsBefore_; e < events.size(); ++e) {
        if (events[e].kind == ShellEventKind::FileDialog) {
            const FileDialogRecord& dialog = shell.fileDialogs()[events[e].index];
            last = Last::None;
            if (!dialog.answer) continue;
            if (dialog.save) {
                FileWrite write;
                write.extension = extensionOf(dialog.request);
                char path[FILE_PATH_CHARS + 1];
                if (withShortExtensionReplaced(dialog.answer->path.c_str(), write.extension.c_str(), path,
                                               sizeof path))
                    write.path = path;
                writes.push_back(write);
                last = Last::Write;
            } else if (extensionOf(dialog.request) == ".BRG") {  // not an assignment
                opens.push_back({dialog.answer->path, false});
                last = Last::Open;
            }
        } else if (events[e].kind == ShellEventKind::MessageBox) {
            const std::string& text = shell.messageBoxes()[events[e].index].request.text;
            if (last == Last::Write && text == CANNOT_WRITE_MESSAGE) writes.back().refused = true;
            if (last == Last::Open &&
                startsWith(text, std::string(fileTitle(opens.back().path.c_str())) + ": "))
                opens.back().refused = true;
        }
    }
    // File/Save on a named bridge writes to the current file without a dialog.
    const bool savedInPlace = command_ == CMD_FILE_SAVE && std::strcmp(design_->bridgeName, "UNTITLED") != 0;
    if (savedInPlace && writes.empty()) {
        FileWrite write{design_->filePath, ".BRG", false};
        for (size_t e = eventsBefore_; e < events.size(); ++e) {
            if (events[e].kind == ShellEventKind::MessageBox &&
                shell.messageBoxes()[events[e].index].request.text == CANNOT_WRITE_MESSAGE)
                write.refused = true;
        }
        writes.push_back(write);
    }
    for (const FileWrite& write : writes) {
        const bool bridge = write.extension == ".BRG";
        if (write.refused) {
            ++counts.savesRefused;
        } else {
            ++(bridge ? counts.saves : counts.exports);
        }
        const std::string fault = checkWrite(write, program);
        if (!fault.empty()) return fault;
    }
    for (const Open& open : opens) {
        ++(open.refused ? counts.opensRefused : counts.opens);
        const std::string fault = checkOpen(open.path, open.refused, program);
        if (!fault.empty()) return fault;
    }
    return "";
}

std::string SessionWatch::checkWrite(const FileWrite& write, const Program& program) const {
    if (write.path.empty()) return write.refused ? "" : "a path too long to write was not reported";
    const std::string in = sandbox_.folder() + "/";
    const bool inSandbox = startsWith(write.path, in) && write.path.find('/', in.size()) == std::string::npos;
    const std::string name = inSandbox ? write.path.substr(in.size()) : "";
    std::string now;
    const bool exists = read(write.path, now);
    if (write.refused) {
        if (!inSandbox) return "";  // a system file, which nothing can replace
        const auto earlier = files_.find(name);
        if (earlier == files_.end()) return exists ? "a refused write left a new file " + name : "";
        return now == earlier->second ? "" : "a refused write changed " + name;
    }
    if (!exists) return "a write reported as done left nothing readable at " + write.path;
    if (write.extension == ".DXF")
        return now == dxfText(program.model) ? "" : "the DXF file differs from the bridge: " + write.path;
    if (write.extension == ".WRL")
        return now == vrmlText(program.model) ? "" : "the VRML file differs from the bridge: " + write.path;
    auto saved = std::make_unique<BridgeModel>();
    initBridgeModel(*saved);
    const BridgeFileResult r = readBridgeText(now, *saved, program.memberSizes);
    if (!r.ok()) return "the saved file " + write.path + " is refused: " + r.reason;
    // A joint still in the air is saved where its drag began: its feet have not followed yet.
    auto shown = std::make_unique<BridgeModel>(program.model);
    if (program.state.draggingJoint && program.state.selectedJoint >= 1 &&
        program.state.selectedJoint <= shown->jointCount) {
        Joint& dragged = shown->joints[program.state.selectedJoint];
        dragged.screenX = static_cast<int16_t>(columnFromFeet(dragged.x));
        dragged.screenY = static_cast<int16_t>(rowFromFeet(dragged.y));
    }
    const std::string difference = designDifference(*shown, *saved);
    if (!difference.empty()) return "the saved file " + write.path + " holds another bridge: " + difference;
    if (program.model.savedFlag != 1) return "the bridge counts as unsaved after a save";
    return "";
}

std::string SessionWatch::checkOpen(const std::string& path, bool refused, const Program& program) const {
    if (refused) {
        // An open member is taken back when the command starts, so only then is the bridge the same.
        if (memberOpenBefore_) return "";
        const std::string difference = designDifference(*design_, program.model);
        return difference.empty() ? "" : "a refused file changed the bridge: " + difference;
    }
    std::string text;
    if (!read(path, text)) return "a file that cannot be read was opened without a word: " + path;
    auto file = std::make_unique<BridgeModel>();
    initBridgeModel(*file);
    if (!readBridgeText(text, *file, program.memberSizes).ok())
        return "a file the reader refuses was opened without a word: " + path;
    const std::string difference = designDifference(*file, program.model);
    if (!difference.empty()) return "the opened bridge differs from " + path + ": " + difference;
    if (path != program.model.filePath) return "the opened file is not the current file";
    return "";
}

// ---- Undo and Redo

namespace {

// What differs between the bridge a step should bring back and the bridge on the board: the design,
// the name and the modulus, and the file when withPath.
std::string contentsDifference(const BridgeModel& expected, const BridgeModel& actual, bool withPath) {
    const std::string difference = designDifference(expected, actual);
    if (!difference.empty()) return difference;
    if (std::strcmp(expected.bridgeName, actual.bridgeName) != 0)
        return std::string("named ") + actual.bridgeName + " instead of " + expected.bridgeName;
    if (expected.elasticModulus != actual.elasticModulus)
        return "modulus " + std::to_string(actual.elasticModulus) + " instead of " +
               std::to_string(expected.elasticModulus);
    if (withPath && std::strcmp(expected.filePath, actual.filePath) != 0)
        return std::string("the file is ") + actual.filePath + " instead of " + expected.filePath;
    return "";
}

// Whether the step moved the bridge to another file (an Open, a Save As under a new name).
bool changedFile(const std::shared_ptr<const BridgeModel>& before,
                 const std::shared_ptr<const BridgeModel>& after) {
    return before && after && std::strcmp(before->filePath, after->filePath) != 0;
}

}  // namespace

HistoryWatch::HistoryWatch() = default;
HistoryWatch::~HistoryWatch() = default;

void HistoryWatch::startOver(const Application& app) {
    done_.assign(app.window().history().stepCount(), Step{});
    undone_.clear();
    // A fresh program's empty bridge counts as saved.
    saved_ = app.program().model.savedFlag == 1 ? done_.size() : 0;
}

void HistoryWatch::before(const Application& app, int command) {
    const EditHistory& history = app.window().history();
    command_ = command;
    wasOpen_ = history.isOpen();
    version_ = history.version();
    hitTolerance_ = app.program().model.hitTolerance;
    if (!wasOpen_) begun_ = std::make_shared<const BridgeModel>(app.program().model);
}

void HistoryWatch::record(std::shared_ptr<const BridgeModel> before,
                          std::shared_ptr<const BridgeModel> after) {
    // The steps undone are out of reach now, and a saved bridge among them with them.
    if (saved_ && *saved_ > done_.size()) saved_.reset();
    undone_.clear();
    done_.push_back({std::move(before), std::move(after)});
    if (done_.size() > EditHistory::MIN_STEPS) {
        done_.pop_front();
        if (saved_) saved_ = *saved_ == 0 ? std::optional<size_t>() : *saved_ - 1;
    }
}

std::string HistoryWatch::after(const HeadlessShell& shell, const Application& app, SessionCounts& counts) {
    const EditHistory& history = app.window().history();
    const Program& program = app.program();
    // While a press is held its action goes on; a program that ended starts over.
    if (history.isOpen() || shell.quitCode() || !shell.windowAlive()) return "";
    const uint64_t changes = history.version() - version_;
    std::string fault;
    if (command_ == CMD_EDIT_UNDO || command_ == CMD_EDIT_REDO) {
        const int moves = counts.undos + counts.redos;
        fault = command_ == CMD_EDIT_UNDO ? checkUndo(program.model, changes, counts)
                                          : checkRedo(history, program.model, changes, counts);
        if (fault.empty() && counts.undos + counts.redos != moves)
            fault = checkRestored(command_ == CMD_EDIT_UNDO ? "Undo" : "Redo", program);
    } else {
        fault = checkAction(program.model, changes);
        if (program.model.savedFlag == 1) saved_ = done_.size();
    }
    if (!fault.empty()) return fault;
    if (history.stepCount() != done_.size() + undone_.size())
        return "the history keeps " + std::to_string(history.stepCount()) + " steps, not " +
               std::to_string(done_.size()) + " done and " + std::to_string(undone_.size()) + " undone";
    if (shell.isMenuItemEnabled(CMD_EDIT_UNDO) == done_.empty())
        return done_.empty() ? "Undo is enabled with nothing to undo"
                             : "Undo is greyed with " + std::to_string(done_.size()) + " steps to undo";
    if (shell.isMenuItemEnabled(CMD_EDIT_REDO) == undone_.empty())
        return undone_.empty() ? "Redo is enabled with nothing to redo"
                               : "Redo is greyed with " + std::to_string(undone_.size()) + " steps to redo";
    return "";
}

std::string HistoryWatch::checkAction(const BridgeModel& model, uint64_t changes) {
    if (changes == 0) {
        const std::string difference = contentsDifference(*begun_, model, false);
        return difference.empty() ? "" : "a change the history did not record: " + difference;
    }
    // One step as a rule; several when the event brought several actions (only the first bridge
    // before and the last after are seen).
    auto now = std::make_shared<const BridgeModel>(model);
    for (uint64_t n = 1; n <= changes; ++n) record(n == 1 ? begun_ : nullptr, n == changes ? now : nullptr);
    return "";
}

std::string HistoryWatch::checkUndo(const BridgeModel& model, uint64_t changes, SessionCounts& counts) {
    // A press still held ends its action first, and a step it recorded is the one taken back.
    const bool recorded = wasOpen_ && changes == 2;
    if (recorded) record(begun_, nullptr);
    if (done_.empty()) {
        if (changes != 0) return "Undo with nothing to undo changed the bridge";
        const std::string difference = contentsDifference(*begun_, model, false);
        return difference.empty() ? "" : "Undo with nothing to undo changed the bridge: " + difference;
    }
    if (changes != (recorded ? 2u : 1u)) return "Undo took back " + std::to_string(changes) + " steps";
    Step step = std::move(done_.back());
    done_.pop_back();
    if (step.before) {
        const std::string difference =
            contentsDifference(*step.before, model, changedFile(step.before, step.after));
        if (!difference.empty()) return "Undo did not bring back the bridge before the step: " + difference;
    }
    undone_.push_back(std::move(step));
    ++counts.undos;
    return "";
}

std::string HistoryWatch::checkRedo(const EditHistory& history, const BridgeModel& model, uint64_t changes,
                                    SessionCounts& counts) {
    auto now = std::make_shared<const BridgeModel>(model);
    if (wasOpen_ && changes == 1) {
        // A press still held ends its action first; a step it recorded leaves nothing to redo. When
        // the counts cannot tell, the bridge does: the same bridge makes the same step either way.
        const bool redone = !undone_.empty() && history.stepCount() == done_.size() + undone_.size() &&
                            (undone_.size() > 1 || !undone_.back().after ||
                             contentsDifference(*undone_.back().after, model, false).empty());
        if (!redone) {
            record(begun_, now);
            return "";
        }
    }
    if (undone_.empty()) {
        if (changes != 0) return "Redo with nothing to redo changed the bridge";
        const std::string difference = contentsDifference(*begun_, model, false);
        return difference.empty() ? "" : "Redo with nothing to redo changed the bridge: " + difference;
    }
    if (changes != 1) return "Redo put back " + std::to_string(changes) + " steps";
    Step step = std::move(undone_.back());
    undone_.pop_back();
    if (step.after) {
        const std::string difference =
            contentsDifference(*step.after, model, changedFile(step.before, step.after));
        if (!difference.empty()) return "Redo did not bring back the bridge after the step: " + difference;
    } else {
        step.after = now;
    }
    done_.push_back(std::move(step));
    ++counts.redos;
    return "";
}

std::string HistoryWatch::checkRestored(const char* command, const Program& program) const {
    const bool atSaved = saved_ == done_.size();
    if (program.model.savedFlag != (atSaved ? 1 : 0))
        return std::string(command) + (atSaved ? " back where the bridge was saved left it unsaved"
                                               : " left the bridge saved where it was not");
    if (program.state.mode == Mode::Review) return std::string(command) + " left another bridge's results";
    if (program.model.hitTolerance != hitTolerance_)
        return std::string(command) + " changed the joint snap from " + std::to_string(hitTolerance_) +
               " to " + std::to_string(program.model.hitTolerance);
    return "";
}
