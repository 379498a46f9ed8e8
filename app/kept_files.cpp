// What the program keeps between runs besides the user's own files: a copy of unsaved work, written
// after every change and offered back at the next start when the run ended without a clean exit
// (a crash, a kill, a power cut), and the recent files of the File menu. A run that is the only
// one keeps its copy as recovery.BRG and recovery.info; one that could not tell keeps it under its
// own tag (recovery-TAG.BRG, recovery-TAG.info), so that two copies never remove each other's.
#include <algorithm>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "files/bridge_file.h"
#include "files/file_paths.h"
#include "resources/menu_resource.h"

namespace {

constexpr char kRecoveryStem[] = "recovery";
constexpr char kRecoveryFile[] = ".BRG";
constexpr char kRecoveryInfo[] = ".info";        // the bridge's name and path, a line each
constexpr char kRecentFiles[] = "recent-files";  // one path a line, newest first
constexpr size_t kMaxTagChars = 32;
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

bool validTag(std::string_view tag) {
    return !tag.empty() && tag.size() <= kMaxTagChars &&
           std::all_of(tag.begin(), tag.end(), [](char c) { return std::isalnum(uint8_t(c)) || c == '-'; });
}

// A name of the copy kept under tag: kRecoveryFile or kRecoveryInfo after the stem.
std::string recoveryName(const std::string& tag, const char* extension) {
    return kRecoveryStem + (tag.empty() ? "" : "-" + tag) + extension;
}

// The tag of a tagged copy's name with this extension, or nothing when name is none.
std::optional<std::string> taggedCopyOf(std::string_view name, std::string_view extension) {
    const std::string prefix = std::string(kRecoveryStem) + "-";
    if (name.size() <= prefix.size() + extension.size() || name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - extension.size()) != extension)
        return std::nullopt;
    const std::string_view tag = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (!validTag(tag)) return std::nullopt;
    return std::string(tag);
}

}  // namespace

// ---- Recovery

void MainWindow::setInstanceTag(std::string tag) {
    assert((tag.empty() || validTag(tag)) && "an instance tag is 1 to 32 letters, digits and '-'");
    instanceTag_ = std::move(tag);
}

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
    if (!shell_.store(StoreKind::State, recoveryName(instanceTag_, kRecoveryFile), text)) return;
    shell_.store(StoreKind::State, recoveryName(instanceTag_, kRecoveryInfo), info);
    recoveryKept_ = true;
    recoveryVersion_ = history_.version();
}

void MainWindow::dropRecovery() {
    dropCopy(instanceTag_);
    recoveryKept_ = false;
}

void MainWindow::dropCopy(const std::string& tag) {
    shell_.removeStored(StoreKind::State, recoveryName(tag, kRecoveryFile));
    shell_.removeStored(StoreKind::State, recoveryName(tag, kRecoveryInfo));
}

bool MainWindow::offerRecovery() {
    // The plain copy only when this run is the only one: a run that could not tell must not take
    // the copy of one that could. Then the copies of tagged runs that have ended, never this run's.
    std::vector<std::string> tags;
    std::vector<std::string> names = shell_.storedNames(StoreKind::State);
    for (const std::string& name : names) {
        const std::optional<std::string> tag = taggedCopyOf(name, kRecoveryFile);
        if (tag && *tag != instanceTag_ && !shell_.instanceMayBeRunning(*tag)) tags.push_back(*tag);
    }
    std::sort(tags.begin(), tags.end());
    if (instanceTag_.empty()) tags.insert(tags.begin(), "");
    // A name left without its bridge (a run stopped between the two removals) goes too.
    for (const std::string& name : names) {
        const std::optional<std::string> tag = taggedCopyOf(name, kRecoveryInfo);
        if (tag && *tag != instanceTag_ && !shell_.instanceMayBeRunning(*tag) &&
            std::find(names.begin(), names.end(), recoveryName(*tag, kRecoveryFile)) == names.end())
            shell_.removeStored(StoreKind::State, name);
    }
    // One at a time: the copies after the one taken stay for the next start.
    for (const std::string& tag : tags) {
        if (offerCopy(tag)) return true;
    }
    return false;
}

bool MainWindow::offerCopy(const std::string& tag) {
    const std::optional<std::string> text =
        shell_.loadStored(StoreKind::State, recoveryName(tag, kRecoveryFile));
    if (!text) return false;
    BridgeModel& model = program_.model;
    auto restored = std::make_unique<BridgeModel>(model);
    if (!readBridgeText(*text, *restored, program_.memberSizes).ok() || restored->memberCount == 0) {
        dropCopy(tag);  // nothing that reads, or nothing but joints, is worth a question
        return false;
    }
    std::string name = "UNTITLED";
    std::string path;
    if (const std::optional<std::string> info =
            shell_.loadStored(StoreKind::State, recoveryName(tag, kRecoveryInfo))) {
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
        dropCopy(tag);
        return false;
    }
    // Brought back as an action of its own, which Undo takes back to the empty board.
    history_.begin(model);
    model = *restored;
    setBridgeName(model, name.c_str());
    std::snprintf(model.filePath, sizeof model.filePath, "%s", path.c_str());
    model.savedFlag = 0;
    history_.end(model);
    // The copy stays until the work is saved, and is rewritten as it changes, as this run's own.
    recoveryKept_ = tag == instanceTag_;
    recoveryVersion_ = history_.version();
    if (!recoveryKept_) {
        keepRecoveryCurrent();
        if (recoveryKept_) dropCopy(tag);  // a copy that could not be moved stays where it was
    }
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
