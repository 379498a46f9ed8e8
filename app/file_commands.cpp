// File/Open, File/Save, File/Save As and File/Print, and the DXF and VRML exports: the dialogs, the
// questions and the notices around the bridge file, the reports and the export writers. A file that cannot be
// read or written changes nothing in the bridge, its name or its path.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "app/main_window.h"
#include "files/assignment_file.h"
#include "files/bridge_file.h"
#include "files/dxf_export.h"
#include "files/file_paths.h"
#include "files/vrml_export.h"
#include "print/reports.h"
#include "resources/menu_resource.h"
#include "resources/program_resources.h"

namespace {

constexpr char kAssignmentSetting[] = "assignment";           // the active assignment's text
constexpr char kAssignmentNameSetting[] = "assignment-name";  // its title, for a text without one

// What a save changes in the model besides the file: put back when the file never reaches the user.
struct SavedAs {
    uint8_t savedFlag;
    char filePath[FILE_PATH_CHARS + 1];
    char bridgeName[BRIDGE_NAME_CHARS + 1];
};

SavedAs savedAsOf(const BridgeModel& model) {
    SavedAs s{model.savedFlag, {}, {}};
    std::memcpy(s.filePath, model.filePath, sizeof s.filePath);
    std::memcpy(s.bridgeName, model.bridgeName, sizeof s.bridgeName);
    return s;
}

void restore(const SavedAs& s, BridgeModel& model) {
    model.savedFlag = s.savedFlag;
    std::memcpy(model.filePath, s.filePath, sizeof s.filePath);
    std::memcpy(model.bridgeName, s.bridgeName, sizeof s.bridgeName);
}

// The file dialogs' settings for one string-table filter; false when the table lacks it.
bool dialogRequest(int filterId, bool forSaving, FileDialogRequest& request) {
    const char* filter = loadString(filterId);
    if (filter == nullptr) return false;
    request.filters = parseFileFilters(filter);
    request.selectedFilter = 1;
    request.pathMustExist = !forSaving;
    request.fileMustExist = !forSaving;
    request.promptOverwrite = forSaving;
    request.ownedByMainWindow = true;
    return true;
}

// The name a save dialog offers: the bridge's, with the extension of the dialog's first filter.
std::string proposedName(const BridgeModel& model, const FileDialogRequest& request) {
    std::string name = model.bridgeName;
    if (request.filters.empty()) return name;
    const std::string& pattern = request.filters.front().pattern;
    const size_t dot = pattern.find('.');
    if (dot != std::string::npos && pattern.find_first_of("*?", dot) == std::string::npos)
        name += pattern.substr(dot, pattern.find(';', dot) - dot);
    return name;
}

}  // namespace

void MainWindow::openBridge() {
    if (program_.model.savedFlag == 0 && !askToContinue()) return;
    FileDialogRequest request;
    if (!dialogRequest(STR_BRIDGE_FILTER, false, request)) return;
    const std::optional<FileChoice> choice = shell_.openFileDialog(request);
    if (!choice) return;
    openFile(choice->path.c_str());
}

bool MainWindow::openFile(const char* path) {
    const BridgeFileResult loaded = loadBridgeFile(path, program_.model, program_.memberSizes);
    if (!loaded.ok()) {
        reportRefusedFile(path, loaded.reason);
        return false;
    }
    resetKeyCursor();
    noteRecentFile(path);
    return true;
}

void MainWindow::openFromCommandLine(const char* path) {
    if (isAssignmentPath(path)) {
        openAssignmentFile(path);
        return;
    }
    // Unsaved changes here are work brought back after a crash.
    if (program_.model.savedFlag == 0 && !askToContinue()) return;
    openFile(path);
}

void MainWindow::reportRefusedFile(const char* path, const char* reason) {
    char text[FILE_PATH_CHARS + sizeof BridgeFileResult::reason + 8];
    std::snprintf(text, sizeof text, "%s: %s", fileTitle(path), reason);
    notice(text, true);
}

// ---- The assignment

void MainWindow::openAssignment() {
    FileDialogRequest request;
    if (!dialogRequest(STR_ASSIGNMENT_FILTER, false, request)) return;
    const std::optional<FileChoice> choice = shell_.openFileDialog(request);
    if (!choice) return;
    openAssignmentFile(choice->path.c_str());
}

bool MainWindow::openAssignmentFile(const char* path) {
    std::string text;
    const AssignmentRead read = loadAssignmentFile(path, &text);
    if (!read.ok) {
        reportRefusedFile(path, read.reason.c_str());
        return false;
    }
    activateAssignment(read.assignment);
    // The text itself is kept: the rules stay as they were read if the file moves or goes. The
    // title it was read with stands in for a title line it lacks.
    shell_.store(StoreKind::Configuration, kAssignmentSetting, text);
    shell_.store(StoreKind::Configuration, kAssignmentNameSetting, read.assignment.title);
    return true;
}

void MainWindow::activateAssignment(const Assignment& assignment) {
    assignment_ = assignment;
    program_.options = optionsUnder(assignment, program_.options);
    showOptions();
    shell_.setWindowTitle(std::string(PROGRAM_TITLE) + " - " + assignment.title);
    shell_.showAssignment(assignment.title);
}

void MainWindow::closeAssignment() {
    if (!assignment_) return;
    assignment_.reset();
    shell_.removeStored(StoreKind::Configuration, kAssignmentSetting);
    shell_.removeStored(StoreKind::Configuration, kAssignmentNameSetting);
    showOptions();
    shell_.setWindowTitle(PROGRAM_TITLE);
    shell_.showAssignment("");
}

void MainWindow::restoreAssignment() {
    const std::optional<std::string> text = shell_.loadStored(StoreKind::Configuration, kAssignmentSetting);
    const std::optional<std::string> name =
        shell_.loadStored(StoreKind::Configuration, kAssignmentNameSetting);
    if (text) {
        const AssignmentRead read = readAssignmentText(*text, name.value_or(""));
        if (read.ok) {
            activateAssignment(read.assignment);
            return;
        }
    }
    showOptions();
}

void MainWindow::showOptions() {
    const AnalysisOptions& o = program_.options;
    const std::pair<int, uint8_t> options[] = {{CMD_OPTION_DEAD_LOAD, o.includeDeadLoad},
                                               {CMD_OPTION_DECK_WEIGHT, o.includeDeckWeight},
                                               {CMD_OPTION_LIVE_LOAD, o.includeExtraLiveLoad},
                                               {CMD_OPTION_MIN_FORCE, o.useMinMemberForce}};
    const std::string fixedBy = assignment_ ? "Set by the assignment " + assignment_->title : std::string();
    for (const auto& [command, on] : options) {
        const bool fixed = fixedOption(command).has_value();
        shell_.checkMenuItem(command, on == 1);
        shell_.enableMenuItem(command, !fixed);
        shell_.setMenuItemTip(command, fixed ? fixedBy : std::string());
    }
    shell_.enableMenuItem(CMD_FILE_CLOSE_ASSIGNMENT, assignment_.has_value());
}

void MainWindow::reportBrokenLimits() {
    if (!assignment_) return;
    std::string text;
    for (const std::string& broken : brokenLimits(*assignment_, program_.model)) {
        if (!text.empty()) text += '\n';
        text += broken;
    }
    if (!text.empty()) notice(text.c_str(), true);
}

// ---- The bridge file

void MainWindow::saveBridge() {
    if (program_.model.filePath[0] == '\0') {
        saveBridgeAs();
        return;
    }
    // The path is copied first: a successful save writes it back into the model.
    char path[FILE_PATH_CHARS + 1];
    std::snprintf(path, sizeof path, "%s", program_.model.filePath);
    writeBridgeTo(path);
}

void MainWindow::saveBridgeAs() {
    FileDialogRequest request;
    if (!dialogRequest(STR_BRIDGE_FILTER, true, request)) return;
    request.proposedName = proposedName(program_.model, request);
    const std::optional<FileChoice> choice = shell_.saveFileDialog(request);
    if (!choice) return;
    char path[FILE_PATH_CHARS + 1];
    if (!withShortExtensionReplaced(choice->path.c_str(), ".BRG", path, sizeof path)) {
        notice(CANNOT_WRITE_MESSAGE, false);
        return;
    }
    if (writeBridgeTo(path)) repaint();
}

bool MainWindow::writeBridgeTo(const char* path) {
    BridgeModel& model = program_.model;
    const SavedAs before = savedAsOf(model);
    if (!saveBridgeFile(path, model)) {
        notice(CANNOT_WRITE_MESSAGE, false);
        return false;
    }
    const std::string failure = shell_.deliverFile(path);
    if (failure.empty()) {
        noteRecentFile(path);
        return true;
    }
    restore(before, model);
    reportUndelivered(path, failure);
    return false;
}

void MainWindow::reportUndelivered(const char* path, const std::string& reason) {
    const std::string text = std::string(CANNOT_WRITE_MESSAGE) + "\n" + fileTitle(path) + ": " + reason;
    notice(text.c_str(), false);
}

void MainWindow::exportBridge(int filterId, ExportResult (*exporter)(const char*, const BridgeModel&)) {
    updateGeometry(program_.model, program_.memberSizes);
    FileDialogRequest request;
    if (!dialogRequest(filterId, true, request)) return;
    request.proposedName = proposedName(program_.model, request);
    const std::optional<FileChoice> choice = shell_.saveFileDialog(request);
    if (!choice) return;
    const ExportResult written = exporter(choice->path.c_str(), program_.model);
    if (!written.ok) {
        notice(written.message, false);
        return;
    }
    const std::string failure = shell_.deliverFile(written.path);
    if (!failure.empty()) reportUndelivered(written.path.c_str(), failure);
}

void MainWindow::print() {
    Program& p = program_;
    // Review prints the last analysis; every other mode the bridge's data, even when results are held.
    const bool results = p.state.mode == Mode::Review;
    if (!results) prepareDataReport(p.model, p.memberSizes);
    std::unique_ptr<PrintSurface> printer = shell_.printDialog(p.model.bridgeName);
    if (!printer) return;
    const PrintOutcome printed =
        results ? printResults(*printer, p.model, p.options, p.results, shell_.localTime())
                : printData(*printer, p.model, p.memberSizes, shell_.localTime());
    const std::string refusal = printed == PrintOutcome::Refused ? printer->refusal() : std::string();
    printer.reset();  // the document goes to the printer
    if (printed == PrintOutcome::NoFont) shell_.messageBox(printFontFailureBox());
    if (printed == PrintOutcome::Refused) {
        const std::string text = "The report could not be printed: " +
                                 (refusal.empty() ? std::string("the printer refused it") : refusal) + ".";
        notice(text.c_str(), true, " ");
    }
}
