// The browser shell's dialogs: message boxes, the file pickers and the hand-over of saved files, and
// printing. Each suspends the program until the page has the answer.
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "files/bridge_file.h"
#include "platform/web/svg_print_surface.h"
#include "platform/web/web_bridge.h"
#include "platform/web/web_shell.h"

namespace {

// The page's numbers for buttons, icons and button sets.
int pageButtonOf(DialogButton button) {
    switch (button) {
        case DialogButton::Ok:
            return 1;
        case DialogButton::Yes:
            return 2;
        case DialogButton::No:
            return 3;
        case DialogButton::Cancel:
            return 4;
    }
    return 1;
}

DialogButton dialogButtonOf(int pageButton) {
    switch (pageButton) {
        case 2:
            return DialogButton::Yes;
        case 3:
            return DialogButton::No;
        case 4:
            return DialogButton::Cancel;
        default:
            return DialogButton::Ok;
    }
}

int pageIconOf(MessageIcon icon) {
    return static_cast<int>(icon);  // none, information, warning, question, error
}

int pageButtonsOf(MessageButtons buttons) {
    return static_cast<int>(buttons);  // ok, yes/no, yes/no/cancel
}

// The extensions the filters name, for the picker's accept list (".BRG,.brg"); empty when one of
// them takes every file.
std::string acceptListOf(const std::vector<FileFilter>& filters) {
    std::string accept;
    for (const FileFilter& filter : filters) {
        size_t start = 0;
        while (start <= filter.pattern.size()) {
            const size_t end = std::min(filter.pattern.find(';', start), filter.pattern.size());
            const std::string pattern = filter.pattern.substr(start, end - start);
            start = end + 1;
            if (pattern == "*.*" || pattern == "*") return {};
            if (pattern.rfind("*.", 0) != 0) continue;
            std::string lower = pattern.substr(1);
            for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
            for (const std::string& extension : {pattern.substr(1), lower}) {
                if (accept.find(extension + ",") != std::string::npos) continue;
                accept += extension + ",";
            }
        }
    }
    if (!accept.empty()) accept.pop_back();
    return accept;
}

FileChoice choiceOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return {path, slash ? slash + 1 : path};
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// The page's contest texts (a code, a team name, a PIN and the answer's lines) are short.
constexpr int CONTEST_TEXT_BYTES = 64 * 1024;

}  // namespace

bool WebShell::reachesContestServer() {
    return tm_reaches_contest_server() != 0;
}

std::optional<ContestEntry> WebShell::contestDialog(const ContestEntry& proposed) {
    presentDirty();
    std::vector<char> typed(CONTEST_TEXT_BYTES);
    if (!tm_contest_dialog(proposed.classCode.c_str(), proposed.team.c_str(), proposed.pin.c_str(),
                           typed.data(), int(typed.size()))) {
        return std::nullopt;
    }
    std::vector<std::string> lines = split(typed.data(), '\n');
    lines.resize(3);
    return ContestEntry{lines[0], lines[1], lines[2]};
}

ContestAnswer WebShell::submitToContest(const ContestEntry& entry, std::string_view bridgeText) {
    presentDirty();
    std::vector<char> out(CONTEST_TEXT_BYTES);
    tm_submit_to_contest(entry.classCode.c_str(), entry.team.c_str(), entry.pin.c_str(),
                         std::string(bridgeText).c_str(), out.data(), int(out.size()));
    std::vector<std::string> lines = split(out.data(), '\n');
    lines.resize(9);
    ContestAnswer answer;
    answer.reached = lines[0] == "1";
    answer.status = std::atoi(lines[1].c_str());
    answer.error = lines[2];
    answer.verdict = lines[3];
    answer.weight = std::atof(lines[4].c_str());
    answer.rank = std::atoi(lines[5].c_str());
    answer.best = lines[6] == "1";
    if (!lines[7].empty()) answer.brokenRules = split(lines[7], '\x1f');
    if (!lines[8].empty()) answer.similarTo = split(lines[8], '\x1f');
    return answer;
}

DialogButton WebShell::messageBox(const MessageBoxRequest& request) {
    presentDirty();
    announce(request.text);  // the live region says every box's text as well
    return dialogButtonOf(tm_message_box(request.text.c_str(), request.caption.c_str(),
                                         pageIconOf(request.icon), pageButtonsOf(request.buttons),
                                         pageButtonOf(request.defaultButton)));
}

void WebShell::notice(const std::string& text) {
    MessageBoxRequest box;
    box.text = text;
    box.caption = "";
    box.icon = MessageIcon::Information;
    box.ownedByMainWindow = true;
    messageBox(box);
}

std::optional<FileChoice> WebShell::openFileDialog(const FileDialogRequest& request) {
    if (droppedFile_) return choiceOf(std::exchange(droppedFile_, std::nullopt)->c_str());
    presentDirty();
    const std::string description = request.filters.empty() ? "" : request.filters.front().description;
    char path[DIALOG_PATH_CHARS + 1] = {};
    if (!tm_open_file_dialog(acceptListOf(request.filters).c_str(), description.c_str(),
                             int(BRIDGE_FILE_MAX_BYTES), path, sizeof path)) {
        return std::nullopt;
    }
    return choiceOf(path);
}

std::optional<FileChoice> WebShell::saveFileDialog(const FileDialogRequest& request) {
    presentDirty();
    std::string description;
    std::string extension;
    if (!request.filters.empty()) {
        description = request.filters.front().description;
        const std::string accept = acceptListOf({request.filters.front()});
        extension = accept.substr(0, accept.find(','));
    }
    char path[DIALOG_PATH_CHARS + 1] = {};
    if (!tm_save_file_dialog(request.proposedName.c_str(), description.c_str(), extension.c_str(), path,
                             sizeof path)) {
        return std::nullopt;
    }
    return choiceOf(path);
}

std::string WebShell::deliverFile(const std::string& path) {
    char reason[256] = {};
    if (tm_deliver_file(path.c_str(), reason, sizeof reason)) return {};
    return reason[0] != '\0' ? reason : "the browser did not take the file";
}

std::unique_ptr<PrintSurface> WebShell::printDialog(std::string_view title) {
    presentDirty();
    // The page takes the bridge's name for its title rather than the document's own name, a
    // heading no one would keep as a file name.
    return std::make_unique<SvgPrintSurface>(
        [title = std::string(title)](std::string_view, const std::vector<std::string>& pages) {
            std::string joined;
            for (const std::string& page : pages) {
                joined += page;
                joined += '\0';
            }
            tm_print(title.c_str(), joined.c_str(), int(pages.size()));
        });
}
