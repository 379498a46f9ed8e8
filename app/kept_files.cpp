// What the program keeps between runs besides the user's own files: a copy of unsaved work, written
// after every change and offered back at the next start when the run ended without a clean exit
// (a crash, a kill, a power cut), and the recent files of the File menu.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "files/bridge_file.h"
#include "files/file_paths.h"
#include "resources/menu_resource.h"

namespace {

constexpr char kRecoveryFile[] = "recovery.BRG";
constexpr char kRecoveryInfo[] = "recovery.info";  // the bridge's name and path, a line each
constexpr char kRecentFiles[] = "recent-files";    // one path a line, newest first
constexpr char kRecoveryQuestion[] = "Trussmill was closed without saving the changes to %s. Restore them?";

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The first line of text from at, which moves past it.
std::string nextLine(const std::string& text, size_t& at) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at);
    at = end + 1;
    return line;
}

}  // namespace

// ---- Recovery

void MainWindow::keepRecoveryCurrent() {
    const BridgeModel& model = program_.model;
    // A bridge without members (a click on the empty board leaves a joint) is nothing to bring back.
    if (model.savedFlag == 1 || model.memberCount == 0) {
        if (recoveryKept_) dropRecovery();
        return;
    }
    if (recoveryKept_ && recoveryVersion_ == history_.version()) return;
    std::string text;
    writeBridgeFile(model, text);
    const std::string info = std::string(model.bridgeName) + "\n" + model.filePath + "\n";
    // The file first: a bridge without its name comes back as UNTITLED, never the other way round.
    if (!shell_.store(StoreKind::State, kRecoveryFile, text)) return;
    shell_.store(StoreKind::State, kRecoveryInfo, info);
    recoveryKept_ = true;
    recoveryVersion_ = history_.version();
}

void MainWindow::dropRecovery() {
    shell_.removeStored(StoreKind::State, kRecoveryFile);
    shell_.removeStored(StoreKind::State, kRecoveryInfo);
    recoveryKept_ = false;
}

bool MainWindow::offerRecovery() {
    const std::optional<std::string> text = shell_.loadStored(StoreKind::State, kRecoveryFile);
    if (!text) return false;
    BridgeModel& model = program_.model;
    auto restored = std::make_unique<BridgeModel>(model);
    if (!readBridgeText(*text, *restored, program_.memberSizes).ok() || restored->memberCount == 0) {
        dropRecovery();  // nothing that reads, or nothing but joints, is worth a question
        return false;
    }
    std::string name = "UNTITLED";
    std::string path;
    if (const std::optional<std::string> info = shell_.loadStored(StoreKind::State, kRecoveryInfo)) {
        size_t at = 0;
        const std::string line = nextLine(*info, at);
        if (!line.empty()) name = line.substr(0, BRIDGE_NAME_CHARS);
        path = nextLine(*info, at).substr(0, FILE_PATH_CHARS);
    }

    char question[128];
    std::snprintf(question, sizeof question, kRecoveryQuestion, name.c_str());
    MessageBoxRequest box;
    box.text = question;
    box.caption = " ";
    box.icon = MessageIcon::Question;
    box.buttons = MessageButtons::YesNo;
    box.defaultButton = DialogButton::Yes;
    box.ownedByMainWindow = true;
    if (shell_.messageBox(box) != DialogButton::Yes) {
        dropRecovery();
        return false;
    }
    // Brought back as an action of its own, which Undo takes back to the empty board.
    history_.begin(model);
    model = *restored;
    setBridgeName(model, name.c_str());
    std::snprintf(model.filePath, sizeof model.filePath, "%s", path.c_str());
    model.savedFlag = 0;
    history_.end(model);
    recoveryKept_ = true;  // the copy stays until the work is saved, and is rewritten as it changes
    recoveryVersion_ = history_.version();
    showEditState();
    repaint();
    return true;
}

// ---- Recent files

void MainWindow::noteRecentFile(const char* path) {
    forgetRecentFile(path);
    recentFiles_.insert(recentFiles_.begin(), path);
    if (recentFiles_.size() > size_t(RECENT_FILE_COUNT)) recentFiles_.resize(RECENT_FILE_COUNT);
    shell_.store(StoreKind::Configuration, kRecentFiles, joinedLines(recentFiles_));
    showRecentFiles();
}

void MainWindow::forgetRecentFile(const std::string& path) {
    std::erase(recentFiles_, path);
}

void MainWindow::showRecentFiles() {
    if (recentFiles_.empty()) {
        if (const std::optional<std::string> kept =
                shell_.loadStored(StoreKind::Configuration, kRecentFiles)) {
            for (size_t at = 0; at < kept->size() && recentFiles_.size() < size_t(RECENT_FILE_COUNT);) {
                const std::string line = nextLine(*kept, at);
                if (!line.empty() && line.size() <= size_t(FILE_PATH_CHARS)) recentFiles_.push_back(line);
            }
        }
    }
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        if (size_t(i) >= recentFiles_.size()) {
            shell_.setMenuItemText(CMD_FILE_RECENT_1 + i, "", "");
            continue;
        }
        const std::string& path = recentFiles_[size_t(i)];
        const char* title = fileTitle(path.c_str());
        std::string text = "&" + std::to_string(i + 1) + " ";
        for (const char* c = title; *c != '\0'; ++c)
            text += *c == '&' ? std::string("&&") : std::string(1, *c);
        const std::string folder = path.substr(0, size_t(title - path.c_str()));
        shell_.setMenuItemText(CMD_FILE_RECENT_1 + i, text, folder.empty() ? "." : folder);
    }
}

void MainWindow::openRecentFile(int n) {
    if (n < 1 || size_t(n) > recentFiles_.size()) return;
    if (program_.model.savedFlag == 0 && !askToContinue()) return;
    const std::string path = recentFiles_[size_t(n - 1)];
    if (openFile(path.c_str())) return;
    // One that no longer reads leaves the list.
    forgetRecentFile(path);
    shell_.store(StoreKind::Configuration, kRecentFiles, joinedLines(recentFiles_));
    showRecentFiles();
}
