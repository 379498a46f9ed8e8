// File/Open, File/Save, File/Save As and File/Print, and the DXF and VRML exports: the dialogs, the
// questions and the notices around the bridge file, the reports and the export writers. A file that cannot be
// read or written changes nothing in the bridge, its name or its path.
#include <cstdio>

#include "app/main_window.h"
#include "files/bridge_file.h"
#include "files/dxf_export.h"
#include "files/file_paths.h"
#include "files/vrml_export.h"
#include "print/reports.h"
#include "resources/program_resources.h"

namespace {

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

}  // namespace

void MainWindow::openBridge() {
    if (program_.model.savedFlag == 0 && !askToContinue()) return;
    FileDialogRequest request;
    if (!dialogRequest(STR_BRIDGE_FILTER, false, request)) return;
    const std::optional<FileChoice> choice = shell_.openFileDialog(request);
    if (!choice) return;
    openFile(choice->path.c_str());
}

void MainWindow::openFile(const char* path) {
    const BridgeFileResult loaded = loadBridgeFile(path, program_.model, program_.memberSizes);
    if (!loaded.ok()) reportRefusedFile(path, loaded.reason);
}

void MainWindow::reportRefusedFile(const char* path, const char* reason) {
    char text[FILE_PATH_CHARS + sizeof BridgeFileResult::reason + 8];
    std::snprintf(text, sizeof text, "%s: %s", fileTitle(path), reason);
    notice(text, true);
}

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
    if (saveBridgeFile(path, program_.model)) return true;
    notice(CANNOT_WRITE_MESSAGE, false);
    return false;
}

void MainWindow::exportBridge(int filterId, ExportResult (*exporter)(const char*, const BridgeModel&)) {
    updateGeometry(program_.model, program_.memberSizes);
    FileDialogRequest request;
    if (!dialogRequest(filterId, true, request)) return;
    const std::optional<FileChoice> choice = shell_.saveFileDialog(request);
    if (!choice) return;
    const ExportResult written = exporter(choice->path.c_str(), program_.model);
    if (!written.ok) notice(written.message, false);
}

void MainWindow::print() {
    Program& p = program_;
    // Review prints the last analysis; every other mode the bridge's data, even when results are held.
    const bool results = p.state.mode == Mode::Review;
    if (!results) prepareDataReport(p.model, p.memberSizes);
    std::unique_ptr<PrintSurface> printer = shell_.printDialog();
    if (!printer) return;
    const PrintOutcome printed =
        results ? printResults(*printer, p.model, p.options, p.results, shell_.localTime())
                : printData(*printer, p.model, p.memberSizes, shell_.localTime());
    printer.reset();  // the document goes to the printer
    if (printed == PrintOutcome::NoFont) shell_.messageBox(printFontFailureBox());
}
